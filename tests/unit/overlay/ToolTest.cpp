// The drawing tools through their interface, on a page of their own: what each press / move /
// tick / release leaves on the page, in the undo history and on the preview layer; and the
// canvas's changed boxes, which must hold every pixel a write changes at any device ratio.
#include "CCanvas.h"
#include "CEraserTool.h"
#include "CFont.h"
#include "CMarkerTool.h"
#include "CPenTool.h"
#include "CPreviewLayer.h"
#include "CRegionTool.h"
#include "CStringFormat.h"
#include "CToolValues.h"
#include "CUndoHistory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {
constexpr QSize kSize(200, 120);

// A page, its undo history and a preview layer: all a tool needs.
class CHost : public IToolHost {
public:
    explicit CHost(qreal ratio = 1.0) {
        pages.push_back(std::make_unique<_PageContext>(kSize, ratio));
        previews.Resize(kSize, ratio);
        undo.SetChecking(true);
    }
    CCanvas& Canvas() override { return canvas; }
    CPreviewLayer& Previews() override { return previews; }
    const CToolValues& Values() const override { return values; }
    QRect OverlayRect() const override { return QRect(QPoint(0, 0), kSize); }
    bool IsDesktopScene() const override { return true; }
    ARGB BackgroundColour() const override { return 0x01FFFFFF; }
    void RegionSelected(const QRect& r) override { selected = r; }

    QImage& Page() { return pages.front()->bitmap; }
    size_t Steps() const { return pages.front()->history.undo.size(); }

    CToolValues values;
    CUndoHistory undo;
    CCanvas::Pages pages;
    size_t current = 0;
    CCanvas canvas{undo, pages, current};
    CPreviewLayer previews;
    QRect selected;
};

bool SameBytes(const QImage& a, const QImage& b) {
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<size_t>(a.width()) * 4))
            return false;
    return true;
}

// The box of the pixels that differ, in device pixels.
QRect Differing(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

TEST(Tools, EachToolsDragLeavesThePageTheUndoHistoryAndThePreviewsAsItShould) {
    // '+' a tick, 'c' a cancel before the release (a page command in the middle of the drag).
    const struct {
        const char* what;
        std::function<std::unique_ptr<ITool>(CHost&)> make;
        const char* script;
        bool pageChanged;
        size_t steps;
    } cases[] = {
        {"pen, ticked", [](CHost& h) { return std::make_unique<CPenTool>(h); }, "m+m+r", true, 1},
        {"pen, released before any tick", [](CHost& h) { return std::make_unique<CPenTool>(h); },
         "mmr", true, 1},
        {"pen, a click", [](CHost& h) { return std::make_unique<CPenTool>(h); }, "+r", false, 0},
        {"pen, cancelled", [](CHost& h) { return std::make_unique<CPenTool>(h); }, "m+mcmr", true,
         1},
        {"marker",
         [](CHost& h) {
             auto marker = std::make_unique<CMarkerTool>(h);
             marker->Resize(kSize, 1.0);
             return marker;
         },
         "m+m+r", true, 1},
        {"eraser", [](CHost& h) { return std::make_unique<CEraserTool>(h); }, "m+m+r", true, 1},
        {"region", [](CHost& h) { return std::make_unique<CRegionTool>(h, h.selected); }, "m+r",
         false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CHost host;
        auto tool = c.make(host);
        // Ink for the eraser to take away.
        host.Page().fill(QColor(0, 128, 0, 200));
        tool->Chosen();
        const QImage before = host.Page().copy();
        QPoint at(20, 30);
        tool->Press(at);
        EXPECT_TRUE(tool->WantsTicks());
        for (const char* s = c.script; *s; ++s) {
            switch (*s) {
            case 'm':
                at += QPoint(40, 15);
                tool->Move(at);
                break;
            case '+':
                tool->Tick(0);
                if (!tool->WritesPage() && at != QPoint(20, 30)) {
                    EXPECT_FALSE(host.previews.IsEmpty()) << "the drag is previewed";
                }
                break;
            case 'c':
                tool->Cancel();
                EXPECT_FALSE(tool->WantsTicks());
                break;
            case 'r':
                tool->Release(at);
                break;
            }
        }
        EXPECT_FALSE(tool->WantsTicks());
        EXPECT_EQ(!SameBytes(host.Page(), before), c.pageChanged);
        EXPECT_EQ(host.Steps(), c.steps);
        EXPECT_FALSE(host.undo.IsStepOpen());
        EXPECT_TRUE(host.previews.IsEmpty()) << "no preview outlives its drag";
        EXPECT_EQ(host.undo.UntouchedWrites(), 0);
        if (c.steps) {
            ASSERT_TRUE(CUndoHistory::Undo(*host.pages.front()));
            EXPECT_TRUE(SameBytes(host.Page(), before));
        }
    }
}

TEST(Tools, TheRegionToolHandsOverTheNormalisedRegion) {
    CHost host;
    CRegionTool tool(host, host.selected);
    tool.Press(QPoint(150, 100));
    tool.Move(QPoint(51, 21));
    tool.Release(QPoint(51, 21));
    EXPECT_EQ(host.selected, QRect(52, 22, 98, 78));
}

TEST(Canvas, EveryWriteChangesNothingOutsideTheBoxItReportsAtAnyRatio) {
    const struct {
        const char* what;
        std::function<QRect(CCanvas&)> write;
    } writes[] = {
        {"a thick spline swinging past its points",
         [](CCanvas& c) {
             return c.StrokeSpline(CPen(0xFFFF0000, 10.0f),
                                   {{10, 60}, {40, 5}, {45, 110}, {90, 60}, {60, 60}});
         }},
        {"a thin line at the edge",
         [](CCanvas& c) {
             CGraphicsPath path;
             path.AddLines({{0, 0}, {199, 0}, {199, 119}});
             return c.StrokePath(CPen(0xFF0000FF, 1.0f), path, ECompositingMode::SourceOver);
         }},
        {"a dot",
         [](CCanvas& c) {
             CGraphicsPath path;
             path.AddLines({{100, 60}, {100, 60}});
             return c.StrokePath(CPen(0xFF0000FF, 20.0f), path, ECompositingMode::SourceCopy);
         }},
        {"text leaning past its measure",
         [](CCanvas& c) {
             CStringFormat format;
             format.SetLineAlignment(EStringAlignment::Center);
             return c.DrawString(QString::fromUtf8("j\u0327W\u00C5\u0301f\u0303"),
                                 CFont("Arial", 40, false), QRectF(QPointF(30, 60), QSizeF(0, 0)),
                                 format, 0xFF000000);
         }},
    };
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        for (const auto& w : writes) {
            SCOPED_TRACE(std::string(w.what) + " at " + std::to_string(ratio));
            CHost host(ratio);
            const QImage before = host.Page().copy();
            const QRect box = w.write(host.canvas);
            const QRect changed = Differing(before, host.Page());
            ASSERT_FALSE(changed.isEmpty());
            // The reported box in overlay coordinates, over the device pixels.
            const QRect device(
                QPoint(qFloor(box.left() * ratio), qFloor(box.top() * ratio)),
                QPoint(qCeil((box.right() + 1) * ratio), qCeil((box.bottom() + 1) * ratio)));
            EXPECT_TRUE(device.contains(changed))
                << "changed " << changed.x() << "," << changed.y() << " " << changed.width() << "x"
                << changed.height();
            EXPECT_EQ(host.canvas.TakeChanged(), box);
            EXPECT_EQ(host.Steps(), 1u) << "a write outside a drag is a step of its own";
            EXPECT_EQ(host.undo.UntouchedWrites(), 0);
        }
    }
}
} // namespace
