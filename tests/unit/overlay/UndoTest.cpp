// Undo and redo of strokes, eraser strokes, committed texts and Clear, page by page, with the
// memory of all histories capped; and pages put away packed while they are not shown.
#include "CPageStore.h"
#include "CUndoHistory.h"
#include "OverlayFixture.h"

#include <cstring>

namespace {
bool SameBytes(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y),
                        static_cast<size_t>(a.width()) * 4) != 0)
            return false;
    return true;
}

class UndoTest : public OverlayFixture {
protected:
    void Create(QSize logical = QSize(400, 300), qreal ratio = 1.0) {
        CreateOverlay(
            {{QRect(QPoint(0, 0), logical), QRect(QPoint(0, 0), logical), true, ratio, "screen"},
             {QRect(5000, 0, 640, 480), QRect(5000, 0, 640, 480), false, 1.0, "other"}});
    }
    // A drag with a drawing tick after every move, with the tool chosen by `command`.
    void Drag(CommandId command, const std::vector<QPoint>& points) {
        overlay->OnCommand(command);
        overlay->OnLButtonDown(points.front());
        for (size_t i = 1; i < points.size(); ++i) {
            overlay->OnMouseMove(points[i]);
            overlay->OnTimer(CMainWindow::kStrokeTimerId);
        }
        overlay->OnLButtonUp(points.back());
    }
    void Type(QPoint at, const QString& typed) {
        overlay->OnCommand(ID_TEXT);
        overlay->OnLButtonDown(at);
        overlay->OnLButtonUp(at);
        overlay->text = typed;
        overlay->CommitText();
    }
    QImage Page() const { return overlay->CurrentPage()->bitmap.copy(); }
    // The surface at a point in overlay coordinates.
    QRgb Shown(QPoint p) const {
        const qreal ratio = overlay->Surface().devicePixelRatio();
        return Unpremultiplied(overlay->Surface(), (QPointF(p) * ratio).toPoint());
    }
};

TEST_F(UndoTest, UndoingEveryKindOfStepGivesBackTheBlankPageAndRedoTheDrawnOne) {
    const struct {
        QSize logical;
        qreal ratio;
    } displays[] = {{QSize(400, 300), 1.0}, {QSize(300, 200), 2.0}};
    for (const auto& d : displays) {
        Create(d.logical, d.ratio);
        const QImage blank = Page();
        std::vector<QImage> states{blank};
        const auto step = [&](const std::function<void()>& act) {
            act();
            ASSERT_FALSE(SameBytes(Page(), states.back())) << "the step changed nothing";
            states.push_back(Page());
        };
        step([&] { Drag(ID_PEN, {{20, 20}, {150, 60}, {250, 40}}); });
        step([&] { Drag(ID_MARKER, {{30, 80}, {200, 80}}); });
        step([&] { Drag(ID_ERASER, {{100, 10}, {100, 120}}); });
        step([&] { Type(QPoint(40, 150), "Hello"); });
        step([&] { overlay->OnCommand(ID_CLEAR); });

        for (size_t i = states.size() - 1; i > 0; --i) {
            overlay->OnCommand(ID_UNDO);
            EXPECT_TRUE(SameBytes(Page(), states[i - 1])) << d.ratio << ": undo to state " << i - 1;
        }
        EXPECT_TRUE(SameBytes(Page(), blank)) << d.ratio;
        EXPECT_LE(qAlpha(Shown(QPoint(150, 60))), 2) << "the surface shows the undone page";
        overlay->OnCommand(ID_UNDO); // nothing left: nothing happens
        EXPECT_TRUE(SameBytes(Page(), blank)) << d.ratio;

        for (size_t i = 1; i < states.size(); ++i) {
            overlay->OnCommand(ID_REDO);
            EXPECT_TRUE(SameBytes(Page(), states[i])) << d.ratio << ": redo to state " << i;
        }
        overlay->OnCommand(ID_REDO);
        EXPECT_TRUE(SameBytes(Page(), states.back())) << d.ratio;
        // Back before the Clear: the pen line shows again.
        overlay->OnCommand(ID_UNDO);
        EXPECT_EQ(Shown(QPoint(250, 40)), 0xFFFF0000u) << d.ratio;
    }
}

TEST_F(UndoTest, StepsReachingThePageEdgesAreSavedWholeAndUndoneExactly) {
    // Thick tools along the edges and through the corners, where a box cut short at the edge
    // loses pixels; at ratio 2, where a box left in overlay coordinates covers a quarter; text
    // whose glyphs reach past their measure; a curve swinging beyond its points.
    const struct {
        QSize logical;
        qreal ratio;
    } displays[] = {{QSize(400, 300), 1.0}, {QSize(300, 200), 2.0}, {QSize(300, 200), 1.5}};
    for (const auto& d : displays) {
        const int r = d.logical.width() - 1, b = d.logical.height() - 1;
        const struct {
            const char* name;
            std::function<void()> prepare;
            std::function<void()> act;
        } cases[] = {
            {"thick pen round the border", [] {},
             [&] {
                 Drag(ID_PEN_THICK, {{0, 0}, {r, 0}, {r, b}, {0, b}, {0, 0}});
             }},
            {"large eraser through the corners over ink",
             [&] { PaintOnPage(QRect(QPoint(0, 0), d.logical), Qt::green); },
             [&] {
                 Drag(ID_ERASER_LARGE, {{0, 0}, {r, b}, {r, 0}, {0, b}});
             }},
            {"marker over ink in the bottom-right corner",
             [&] {
                 Drag(ID_PEN_THICK, {{r - 80, b - 5}, {r, b - 60}});
             },
             [&] {
                 Drag(ID_MARKER_YELLOW, {{r - 100, b - 30}, {r + 5, b - 30}, {r, b + 5}});
             }},
            {"thin pen through far points in one tick", [] {},
             [&] {
                 overlay->OnCommand(ID_PEN_THINNER);
                 overlay->OnLButtonDown(QPoint(10, b / 2));
                 for (QPoint p : {QPoint(r - 10, b / 2 - 20), QPoint(10, b / 2 + 20),
                                  QPoint(r - 5, b - 5), QPoint(r, 0)})
                     overlay->OnMouseMove(p);
                 overlay->OnLButtonUp(QPoint(0, 10));
             }},
            {"deleting the only page, inked to its corners",
             [&] {
                 PaintOnPage(QRect(QPoint(0, 0), d.logical), Qt::green);
                 PaintOnPage(QRect(r, b, 1, 1), Qt::red);
             },
             [&] { overlay->OnCommand(ID_DELETE_PAGE); }},
            {"48 pt text at the bottom-right edge", [] {},
             [&] {
                 overlay->OnCommand(ID_TEXT_48PT);
                 const QPoint at(r - 70, b - 8);
                 overlay->OnLButtonDown(at);
                 overlay->OnLButtonUp(at);
                 overlay->text = QString::fromUtf8("Wjfg\u00C5\u00E7");
                 overlay->CommitText();
             }},
        };
        for (const auto& c : cases) {
            Create(d.logical, d.ratio);
            c.prepare();
            const QImage before = Page();
            c.act();
            const QImage after = Page();
            ASSERT_FALSE(SameBytes(after, before)) << c.name << " at " << d.ratio;
            EXPECT_EQ(overlay->UndoHistory().UntouchedWrites(), 0) << c.name << " at " << d.ratio;
            overlay->OnCommand(ID_UNDO);
            EXPECT_TRUE(SameBytes(Page(), before)) << c.name << " at " << d.ratio;
            overlay->OnCommand(ID_REDO);
            EXPECT_TRUE(SameBytes(Page(), after)) << c.name << " at " << d.ratio;
        }
    }
}

TEST_F(UndoTest, NewInkAfterAnUndoDropsTheRedoSteps) {
    Create();
    Drag(ID_PEN, {{20, 20}, {200, 20}});
    Drag(ID_PEN, {{20, 60}, {200, 60}});
    overlay->OnCommand(ID_UNDO);
    Drag(ID_PEN, {{20, 100}, {200, 100}});
    const QImage drawn = Page();
    overlay->OnCommand(ID_REDO);
    EXPECT_TRUE(SameBytes(Page(), drawn)) << "nothing to redo";
    EXPECT_LE(qAlpha(Shown(QPoint(100, 60))), 2);
    overlay->OnCommand(ID_UNDO);
    overlay->OnCommand(ID_UNDO);
    EXPECT_LE(qAlpha(Shown(QPoint(100, 20))), 2) << "the first line was the step before";
}

TEST_F(UndoTest, EachPageKeepsItsOwnStepsThroughPageAndSceneChanges) {
    Create();
    Drag(ID_PEN, {{20, 20}, {200, 20}});
    overlay->OnCommand(ID_NEW_PAGE);
    Drag(ID_PEN, {{20, 60}, {200, 60}});
    overlay->OnCommand(ID_SCENE_BLACKBOARD);
    overlay->OnCommand(ID_PREVIOUS_PAGE);
    overlay->OnCommand(ID_SCENE_DESKTOP);

    overlay->OnCommand(ID_UNDO); // page 1's line, not page 2's
    EXPECT_LE(qAlpha(Shown(QPoint(100, 20))), 2);
    overlay->OnCommand(ID_UNDO);
    overlay->OnCommand(ID_NEXT_PAGE);
    EXPECT_EQ(Shown(QPoint(100, 60)), 0xFFFF0000u) << "page 2 untouched";
    overlay->OnCommand(ID_UNDO);
    EXPECT_LE(qAlpha(Shown(QPoint(100, 60))), 2);
    overlay->OnCommand(ID_PREVIOUS_PAGE);
    overlay->OnCommand(ID_REDO);
    EXPECT_EQ(Shown(QPoint(100, 20)), 0xFFFF0000u) << "page 1's redo kept";
}

TEST_F(UndoTest, ADisplayChangeEmptiesEveryHistory) {
    Create();
    Drag(ID_PEN, {{20, 20}, {200, 20}});
    overlay->OnCommand(ID_NEW_PAGE);
    Drag(ID_PEN, {{20, 60}, {200, 60}});
    overlay->OnCommand(ID_UNDO); // leaves a redo step on page 2
    const size_t bytes = CUndoHistory::Bytes(overlay->pages);
    EXPECT_GT(bytes, 0u);
    overlay->SelectDisplay(0); // the display in use again: nothing is stretched
    EXPECT_EQ(CUndoHistory::Bytes(overlay->pages), bytes);

    overlay->SelectDisplay(1);
    EXPECT_EQ(CUndoHistory::Bytes(overlay->pages), 0u);
    for (CommandId page : {ID_NEXT_PAGE, ID_PREVIOUS_PAGE}) {
        overlay->OnCommand(page);
        const QImage before = Page();
        overlay->OnCommand(ID_UNDO);
        overlay->OnCommand(ID_REDO);
        EXPECT_TRUE(SameBytes(Page(), before)) << page;
    }
    // The stretched line of page 1 is still there, and new steps work at the new size.
    EXPECT_EQ(Shown(QPoint(320, 32)), 0xFFFF0000u);
    Drag(ID_PEN, {{20, 300}, {500, 300}});
    overlay->OnCommand(ID_UNDO);
    EXPECT_LE(qAlpha(Shown(QPoint(300, 300))), 2);
    EXPECT_EQ(Shown(QPoint(320, 32)), 0xFFFF0000u);
}

TEST_F(UndoTest, AStepHoldsOnlyWhatChangedSinceItBeganNotWhatChangedBefore) {
    Create();
    Drag(ID_PEN, {{20, 20}, {200, 20}});
    // Written to the page between two steps, as none of the tools does.
    PaintOnPage(QRect(300, 200, 10, 10), Qt::blue);
    const QImage marked = Page();
    Drag(ID_PEN, {{20, 60}, {200, 60}});
    overlay->OnCommand(ID_UNDO);
    EXPECT_TRUE(SameBytes(Page(), marked));
}

TEST_F(UndoTest, AStrokeBeingDrawnIsNotUndoneHalfway) {
    Create();
    Drag(ID_PEN, {{20, 20}, {200, 20}});
    overlay->OnLButtonDown(QPoint(20, 60));
    overlay->OnMouseMove(QPoint(200, 60));
    overlay->OnTimer(CMainWindow::kStrokeTimerId);
    overlay->OnCommand(ID_UNDO);
    EXPECT_EQ(Shown(QPoint(100, 20)), 0xFFFF0000u) << "ignored while the button is down";
    overlay->OnLButtonUp(QPoint(200, 60));
    overlay->OnCommand(ID_UNDO);
    EXPECT_LE(qAlpha(Shown(QPoint(100, 60))), 2);
    EXPECT_EQ(Shown(QPoint(100, 20)), 0xFFFF0000u);
}

TEST_F(UndoTest, APageOrSceneCommandInTheMiddleOfAStrokeMakesTheStrokeSoFarOneStepAndEndsTheDrag) {
    // The commands that reach the overlay while the button is held: from a shortcut, the
    // command line or the overlay's own keys, they all end in the same handlers.
    const struct {
        const char* what;
        std::function<void(CMainWindow&)> command;
        bool pageShownAfter; // the page of the stroke is still the one shown
    } cases[] = {
        {"clear", [](CMainWindow& o) { o.OnCommand(ID_CLEAR); }, true},
        {"the Delete key", [](CMainWindow& o) { o.OnKeyDown(Qt::Key_Delete, Qt::NoModifier); },
         true},
        {"delete the only page", [](CMainWindow& o) { o.OnCommand(ID_DELETE_PAGE); }, true},
        {"new page", [](CMainWindow& o) { o.OnCommand(ID_NEW_PAGE); }, false},
        {"next page", [](CMainWindow& o) { o.OnCommand(ID_NEXT_PAGE); }, false},
        {"whiteboard", [](CMainWindow& o) { o.OnCommand(ID_SCENE_WHITEBOARD); }, true},
        {"blackboard", [](CMainWindow& o) { o.OnCommand(ID_SCENE_BLACKBOARD); }, true},
        {"the board toggle", [](CMainWindow& o) { o.OnCommand(ID_WHITEBOARD); }, true},
        {"another display", [](CMainWindow& o) { o.SelectDisplay(1); }, true},
    };
    for (CommandId tool : {ID_PEN, ID_MARKER, ID_ERASER}) {
        for (const auto& c : cases) {
            Create();
            PaintOnPage(QRect(0, 0, 400, 300), QColor(0, 128, 0, 200)); // for the eraser
            if (c.what == std::string("next page")) {
                overlay->OnCommand(ID_NEW_PAGE);
                overlay->OnCommand(ID_PREVIOUS_PAGE);
            }
            const QImage before = Page();
            overlay->OnCommand(tool);
            overlay->OnLButtonDown(QPoint(20, 100));
            overlay->OnMouseMove(QPoint(120, 100));
            overlay->OnTimer(CMainWindow::kStrokeTimerId);
            overlay->OnMouseMove(QPoint(220, 110)); // gathered, not drawn yet by a tick

            c.command(*overlay);
            if (!c.pageShownAfter)
                overlay->OnCommand(ID_PREVIOUS_PAGE);
            const QImage commanded = Page();
            // The rest of the drag draws nothing, on whatever page is shown now.
            overlay->OnMouseMove(QPoint(300, 200));
            overlay->OnTimer(CMainWindow::kStrokeTimerId);
            overlay->OnMouseMove(QPoint(350, 250));
            overlay->OnLButtonUp(QPoint(350, 250));
            EXPECT_TRUE(SameBytes(Page(), commanded)) << tool << " " << c.what;
            EXPECT_FALSE(overlay->IsStrokeTimerRunning()) << tool << " " << c.what;
            if (c.what == std::string("another display")) {
                // Every page was stretched and the histories emptied, the stroke so far in it.
                EXPECT_EQ(CUndoHistory::Bytes(overlay->pages), 0u);
                continue;
            }

            // Undone step by step: the command (when it changed the page), then the whole
            // stroke so far, up to the point gathered last.
            if (c.what == std::string("clear") || c.what == std::string("the Delete key") ||
                c.what == std::string("delete the only page"))
                overlay->OnCommand(ID_UNDO);
            const QImage stroke = Page();
            EXPECT_FALSE(SameBytes(stroke, before)) << tool << " " << c.what << ": no stroke";
            EXPECT_NE(qAlpha(stroke.pixel(200, 108)), qAlpha(before.pixel(200, 108)))
                << tool << " " << c.what << ": the last gathered piece is not in the step";
            overlay->OnCommand(ID_UNDO);
            EXPECT_TRUE(SameBytes(Page(), before)) << tool << " " << c.what;
            overlay->OnCommand(ID_REDO);
            EXPECT_TRUE(SameBytes(Page(), stroke)) << tool << " " << c.what;
            EXPECT_EQ(overlay->UndoHistory().UntouchedWrites(), 0) << tool << " " << c.what;
        }
    }
}

// A step on `page` that paints a block of many colours at its own place.
void Paint(CUndoHistory& history, CUndoHistory::Pages& pages, size_t page, int place) {
    _PageContext& p = *pages[page];
    history.BeginStep(p);
    history.Touch(p, QRect(place * 50, 0, 50, 50));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            p.bitmap.setPixel(place * 50 + x, y, qRgba(x * 5, y * 5, place * 20, 255));
    history.EndStep(p, pages);
}

TEST(UndoHistory, AllHistoriesTogetherStayUnderTheCapTheOldestStepsGoingFirst) {
    CUndoHistory::Pages pages;
    pages.push_back(std::make_unique<_PageContext>(QSize(400, 100), 1.0));
    pages.push_back(std::make_unique<_PageContext>(QSize(400, 100), 1.0));
    size_t stepBytes = 0;
    {
        CUndoHistory probe;
        Paint(probe, pages, 0, 7);
        stepBytes = CUndoHistory::Bytes(pages);
        pages[0]->history = CPageHistory();
    }
    CUndoHistory history(stepBytes * 3 + stepBytes / 2);
    // Five steps, alternately on the two pages: the first two must go.
    for (int i = 0; i < 5; ++i)
        Paint(history, pages, static_cast<size_t>(i % 2), i);
    EXPECT_LE(CUndoHistory::Bytes(pages), history.CapBytes());
    EXPECT_EQ(pages[0]->history.undo.size(), 2u); // steps 3 and 5
    EXPECT_EQ(pages[1]->history.undo.size(), 1u); // step 4
    while (CUndoHistory::Undo(*pages[0])) {
    }
    EXPECT_EQ(qAlpha(pages[0]->bitmap.pixel(10, 10)), 255) << "step 1 can no longer be undone";
    EXPECT_EQ(qAlpha(pages[0]->bitmap.pixel(110, 10)), 0) << "step 3 was undone";
}

TEST(UndoHistory, AStepKeepsTheChangedBoxNotTheTilesTouchedAndFreesThemAtItsEnd) {
    CUndoHistory::Pages pages;
    pages.push_back(std::make_unique<_PageContext>(QSize(2000, 1200), 1.0));
    _PageContext& page = *pages.front();
    CUndoHistory history;
    history.SetChecking(true);

    // Touched far more widely than written, across tile borders.
    history.BeginStep(page);
    history.Touch(page, QRect(50, 40, 300, 200));
    page.bitmap.setPixel(63, 100, 0xFF102030);
    page.bitmap.setPixel(130, 64, 0xFF405060);
    ASSERT_TRUE(history.EndStep(page, pages));
    EXPECT_EQ(page.history.undo.back().box, QRect(QPoint(63, 64), QPoint(130, 100)));
    EXPECT_EQ(history.UntouchedWrites(), 0);

    // Touched, nothing changed: no step.
    history.BeginStep(page);
    history.Touch(page, QRect(500, 500, 10, 10));
    EXPECT_FALSE(history.EndStep(page, pages));

    // A write beside the box touched, inside the same tile: undo happens to work, the check
    // still tells.
    history.BeginStep(page);
    history.Touch(page, QRect(200, 200, 10, 10));
    page.bitmap.setPixel(212, 205, 0xFF000000);
    history.EndStep(page, pages);
    EXPECT_EQ(history.UntouchedWrites(), 1);

    // The whole page saved (a Clear), then freed again.
    history.SetChecking(false);
    history.BeginStep(page);
    history.TouchAll(page);
    EXPECT_GE(history.ScratchBytes(), static_cast<size_t>(page.bitmap.sizeInBytes()));
    page.bitmap.fill(Qt::transparent);
    ASSERT_TRUE(history.EndStep(page, pages));
    EXPECT_LT(history.ScratchBytes(), size_t{2} << 20) << "of a page of 9.6 MB";
    ASSERT_TRUE(CUndoHistory::Undo(page));
    EXPECT_EQ(page.bitmap.pixel(130, 64), 0xFF405060u);
    EXPECT_EQ(page.bitmap.pixel(212, 205), 0xFF000000u);
}

TEST_F(UndoTest, PagesNotShownArePackedSmallAndComeBackByteForByte) {
    const struct {
        QSize logical;
        qreal ratio;
    } displays[] = {{QSize(1920, 1080), 1.0}, {QSize(960, 540), 2.0}};
    for (const auto& d : displays) {
        Create(d.logical, d.ratio);
        Drag(ID_PEN, {{20, 20}, {400, 300}, {900, 100}});
        Drag(ID_MARKER, {{30, 400}, {800, 420}});
        Type(QPoint(100, 200), "Quarterly figures");
        const QImage first = Page();
        overlay->OnCommand(ID_NEW_PAGE);
        Drag(ID_PEN, {{50, 50}, {300, 50}});
        const QImage second = Page();
        overlay->OnCommand(ID_NEW_PAGE);

        const size_t full = static_cast<size_t>(first.sizeInBytes());
        ASSERT_EQ(overlay->pages.size(), 3u);
        for (size_t i : {0u, 1u}) {
            EXPECT_TRUE(overlay->pages[i]->IsPacked()) << d.ratio << " page " << i;
            EXPECT_LT(overlay->pages[i]->Bytes(), full / 10) << d.ratio << " page " << i;
        }
        EXPECT_FALSE(overlay->pages[2]->IsPacked());

        overlay->OnCommand(ID_PREVIOUS_PAGE);
        EXPECT_TRUE(SameBytes(Page(), second)) << d.ratio;
        overlay->OnCommand(ID_PREVIOUS_PAGE);
        EXPECT_TRUE(SameBytes(Page(), first)) << d.ratio;
        EXPECT_EQ(overlay->CurrentPage()->bitmap.devicePixelRatio(), d.ratio);
        EXPECT_EQ(Shown(QPoint(400, 300)), 0xFFFF0000u) << d.ratio;

        // Ink added to a page brought back is packed with it the next time, and paging on
        // without drawing changes nothing.
        Drag(ID_ERASER, {{20, 20}, {400, 300}});
        const QImage erased = Page();
        for (CommandId command : {ID_NEXT_PAGE, ID_PREVIOUS_PAGE, ID_NEXT_PAGE, ID_PREVIOUS_PAGE})
            overlay->OnCommand(command);
        EXPECT_TRUE(SameBytes(Page(), erased)) << d.ratio;
        overlay->OnCommand(ID_NEXT_PAGE);
        EXPECT_TRUE(SameBytes(Page(), second)) << d.ratio;
    }
}

TEST_F(UndoTest, APackedPageIsStretchedToTheNewDisplayToo) {
    Create();
    PaintOnPage(QRect(200, 150, 40, 30), Qt::red);
    overlay->OnCommand(ID_NEW_PAGE);
    overlay->SelectDisplay(1); // 640 x 480: 1.6 times as large
    EXPECT_TRUE(overlay->pages[0]->IsPacked());
    overlay->OnCommand(ID_PREVIOUS_PAGE);
    EXPECT_EQ(overlay->CurrentPage()->bitmap.size(), QSize(640, 480));
    EXPECT_EQ(Shown(QPoint(350, 260)), 0xFFFF0000u);
    EXPECT_LE(qAlpha(Shown(QPoint(300, 230))), 2);
}
} // namespace

namespace {
TEST(PageStore, APictureThatCannotBePackedStaysShownRatherThanLost) {
    CPageStore::Pages pages;
    pages.push_back(std::make_unique<_PageContext>(QSize(64, 32), 1.0));
    pages.push_back(std::make_unique<_PageContext>(QSize(64, 32), 1.0));
    pages[0]->bitmap = pages[0]->bitmap.convertToFormat(QImage::Format_RGB32);
    pages[0]->bitmap.setPixel(3, 3, 0xFF123456);
    CPageStore::ShowOnly(pages, 1);
    EXPECT_FALSE(pages[0]->IsPacked());
    EXPECT_EQ(pages[0]->bitmap.pixel(3, 3), 0xFF123456u);
}
} // namespace
