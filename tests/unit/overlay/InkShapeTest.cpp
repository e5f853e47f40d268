// The shape of the ink without a compositor: exact while it is small, never less than the ink
// when a dense page makes it too large, and sent in requests the display server takes.
#include "CInkShape.h"
#include "CShapeRequests.h"
#include "OverlayFixture.h"

#include <QPainter>
#include <sys/resource.h>

namespace {
enum class EPattern { Columns, Rows, Checks, Dots };

// One-pixel stripes of ink (columns, rows), a checkerboard, or a dot every 4 pixels.
void Paint(QImage& image, EPattern pattern) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            bool ink = false;
            switch (pattern) {
            case EPattern::Columns:
                ink = x % 2 == 0;
                break;
            case EPattern::Rows:
                ink = y % 2 == 0;
                break;
            case EPattern::Checks:
                ink = (x + y) % 2 == 0;
                break;
            case EPattern::Dots:
                ink = x % 4 == 0 && y % 4 == 0;
                break;
            }
            line[x] = ink ? 0xFFFF0000u : 0x01010101u; // red, or the alpha-1 background
        }
    }
}

QRegion Ink(const QImage& image) {
    QRegion ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > CInkShape::kMostTransparentBackgroundAlpha)
                ink += QRect(x, y, 1, 1);
    return ink;
}

TEST(InkShape, ExactUnderTheCapAndCoveringTheInkOverIt) {
    const struct {
        EPattern pattern;
        int mostRects;
        bool exact;
        int rects; // at most
    } cases[] = {
        {EPattern::Columns, 100, true, 32}, // rows alike make one band
        {EPattern::Rows, 100, true, 24},    {EPattern::Checks, 2000, true, 64 * 48 / 2},
        {EPattern::Checks, 100, false, 48}, {EPattern::Dots, 100, false, 12},
    };
    for (const auto& c : cases) {
        QImage surface(64, 48, QImage::Format_ARGB32_Premultiplied);
        Paint(surface, c.pattern);
        const QRegion shape = CInkShape::Of(surface, c.mostRects);
        const QRegion ink = Ink(surface);
        EXPECT_LE(shape.rectCount(), c.rects) << static_cast<int>(c.pattern) << " " << c.mostRects;
        EXPECT_TRUE(ink.subtracted(shape).isEmpty()) << static_cast<int>(c.pattern);
        EXPECT_EQ(shape.xored(ink).isEmpty(), c.exact)
            << static_cast<int>(c.pattern) << " " << c.mostRects;
    }
}

TEST(ShapeRequests, EveryRectangleGoesOnceInOrderAndNoRequestIsLongerThanTheLimit) {
    const size_t one = CShapeRequests::kHeaderBytes + CShapeRequests::kRectBytes;
    const struct {
        int rects;
        size_t most;
        std::vector<int> counts;
    } cases[] = {
        {0, 65535 * 4, {0}}, // the empty shape still takes its request
        {5, one - 1, {}},    // not even the header and one rectangle: nothing can be sent
        {5, one, {1, 1, 1, 1, 1}},
        {4, one + 3 * CShapeRequests::kRectBytes, {4}},
        {5, one + 3 * CShapeRequests::kRectBytes, {4, 1}},
        {100000, 65535 * 4, {32765, 32765, 32765, 1705}},
    };
    for (const auto& c : cases) {
        const size_t most = c.most;
        const std::vector<CShapeRequests::CBatch> batches = CShapeRequests::Split(c.rects, most);
        std::vector<int> counts;
        int next = 0;
        for (const CShapeRequests::CBatch& batch : batches) {
            counts.push_back(batch.count);
            EXPECT_EQ(batch.first, next) << c.rects << " in " << most;
            EXPECT_LE(batch.Bytes(), most) << c.rects << " in " << most;
            next += batch.count;
        }
        EXPECT_EQ(counts, c.counts) << c.rects << " in " << most;
    }
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class InkShapeOverlayTest : public OverlayFixture {};

TEST_F(InkShapeOverlayTest, ADenseEightKPageGoesToTheServerInRequestsUnderItsLimit) {
    // 7680 x 4320 without a compositor, in pointer mode: the shape follows every redraw.
    server.compositing = false;
    CreateOverlay({{QRect(0, 0, 7680, 4320), QRect(0, 0, 7680, 4320), true, 1.0, "8k"}});
    overlay->UndoHistory().SetChecking(false); // its whole copy of the page is not measured
    const struct {
        const char* name;
        size_t mostRequestBytes;
        EPattern pattern;
    } cases[] = {
        {"columns, no big requests", 65535 * 4, EPattern::Columns},
        {"rows, no big requests", 65535 * 4, EPattern::Rows},
        {"checks, no big requests", 65535 * 4, EPattern::Checks},
        {"checks, big requests", 4194303 * 4, EPattern::Checks},
        {"columns, a server taking 4 KB a request", 4096, EPattern::Columns},
    };
    const long before = PeakRssKb();
    for (const auto& c : cases) {
        server.mostRequestBytes = c.mostRequestBytes;
        Paint(overlay->CurrentPage()->bitmap, c.pattern);
        overlay->DoRedraw();
        ASSERT_TRUE(server.shape.has_value()) << c.name;
        EXPECT_LE(server.shape->rectCount(), CInkShape::kMostRects) << c.name;
        ASSERT_FALSE(server.shapeRequestBytes.empty()) << c.name;
        for (size_t bytes : server.shapeRequestBytes)
            EXPECT_LE(bytes, c.mostRequestBytes) << c.name;
        // Never less than the ink: every inked pixel of a sample of rows lies in the shape.
        const QImage& page = overlay->CurrentPage()->bitmap;
        for (int y : {0, 1, 2, 2161, 4318, 4319})
            for (int x = 0; x < page.width(); ++x)
                if (qAlpha(page.pixel(x, y)) > CInkShape::kMostTransparentBackgroundAlpha &&
                    !server.shape->contains(QPoint(x, y))) {
                    ADD_FAILURE() << c.name << ": ink at " << x << "," << y << " not shown";
                    break;
                }
        printf("%s: %d rectangles in %zu requests\n", c.name, server.shape->rectCount(),
               server.shapeRequestBytes.size());
    }
    const long peak = PeakRssKb();
    printf("peak RSS: %ld MB with the overlay's pictures, %ld MB more for the shapes\n",
           peak / 1024, (peak - before) / 1024);
    RecordProperty("PeakRssMb", static_cast<int>(peak / 1024));
    RecordProperty("ShapePeakRssMb", static_cast<int>((peak - before) / 1024));
}
} // namespace
