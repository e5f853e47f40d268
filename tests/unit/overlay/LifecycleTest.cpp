// Pointer mode, the program's own dialogs over the overlay, focus to other programs, and exit.
#include "OverlayFixture.h"

#include "CQtDialogs.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

namespace {
class LifecycleTest : public OverlayFixture {
protected:
    bool TransparentForInput() const {
        return overlay->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput);
    }
};

TEST_F(LifecycleTest, PointerModeIsInputTransparency) {
    CreateOverlay();
    EXPECT_TRUE(TransparentForInput());
    overlay->LeavePointerMode();
    EXPECT_FALSE(TransparentForInput());
    EXPECT_FALSE(overlay->IsPointerMode());
    overlay->EnterPointerMode();
    EXPECT_TRUE(TransparentForInput());
}

TEST_F(LifecycleTest, FocusToAnotherProgramMeansPointerModeButNotFocusToOurToolbar) {
    CreateOverlay();
    QWidget toolbar;
    toolbar.winId();
    overlay->SetToolbarWindow(&toolbar);
    QWindow foreign;

    const struct {
        QWindow* focus;
        bool pointerModeAfter;
    } cases[] = {
        {toolbar.windowHandle(), false},
        {overlay->windowHandle(), false},
        {&foreign, true},
        {nullptr, true},
    };
    for (const auto& c : cases) {
        overlay->LeavePointerMode();
        overlay->OnActivate(c.focus);
        EXPECT_EQ(overlay->IsPointerMode(), c.pointerModeAfter);
    }
}

TEST_F(LifecycleTest, OwnDialogStandsAboveTheOverlayAndTakesTheMouse) {
    CreateOverlay();
    overlay->show();
    overlay->LeavePointerMode();
    server.keepBelowCalls.clear();

    QDialog dialog(overlay.get());
    dialog.show();
    EXPECT_TRUE(TransparentForInput()) << "clicks must reach the dialog";
    ASSERT_FALSE(server.keepBelowCalls.empty());
    EXPECT_EQ(server.keepBelowCalls.back(), std::make_pair(overlay->winId(), dialog.winId()));
    // A stacking change while the dialog is open keeps the overlay under it, not over it.
    server.keepOnTopCalls.clear();
    server.onStacking();
    EXPECT_TRUE(server.keepOnTopCalls.empty());

    dialog.hide();
    EXPECT_FALSE(TransparentForInput()) << "drawing mode is back after the dialog";
    ASSERT_FALSE(server.keepOnTopCalls.empty());
    // The overlay, then the toolbar over it, above everything else.
    EXPECT_EQ(server.keepOnTopCalls.back(),
              (std::vector<WId>{overlay->winId(), overlay->Toolbar()->winId()}));
}

TEST_F(LifecycleTest, OurWindowsKeepTheirTiersAboveTheOverlay) {
    CreateOverlay();
    overlay->show();
    QWidget webcam;
    webcam.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    overlay->AddStackedWindow(&webcam, EStackTier::Webcam);
    webcam.show();
    // The notice the dialogs show (the no-compositor one), as the program makes it.
    CQtDialogs realDialogs;
    realDialogs.ShowNotice("No compositing manager is running.");
    QWidget* found = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "RavlinNotice")
            found = window;
    ASSERT_NE(found, nullptr);
    QWidget& notice = *found;
    overlay->TextWindow()->show();
    QMenu popup;
    popup.addAction("Red");
    server.keepOnTopCalls.clear();
    popup.popup(QPoint(100, 100));
    // The popup's own showing orders the windows, before its mapping could bury it.
    ASSERT_FALSE(server.keepOnTopCalls.empty());
    const std::vector<WId> expected{overlay->winId(),
                                    webcam.winId(),
                                    overlay->Toolbar()->winId(),
                                    notice.winId(),
                                    overlay->TextWindow()->winId(),
                                    popup.winId()};
    EXPECT_EQ(server.keepOnTopCalls.back(), expected);
    // Any later restack keeps the same order.
    server.keepOnTopCalls.clear();
    server.onStacking();
    ASSERT_EQ(server.keepOnTopCalls.size(), 1u);
    EXPECT_EQ(server.keepOnTopCalls.back(), expected);
    // Hidden windows are left out.
    popup.hide();
    notice.hide();
    server.onStacking();
    EXPECT_EQ(server.keepOnTopCalls.back(),
              (std::vector<WId>{overlay->winId(), webcam.winId(), overlay->Toolbar()->winId(),
                                overlay->TextWindow()->winId()}));
}

TEST_F(LifecycleTest, ExitAsksAndOnlyYesEnds) {
    CreateOverlay();
    overlay->show();
    PaintOnPage(QRect(0, 0, 5, 5), Qt::red);

    dialogs.answers = {false};
    EXPECT_TRUE(overlay->OnCommand(32775));
    EXPECT_EQ(dialogs.questions, QStringList{"Ravlin: Are you sure you want to exit Ravlin?"});
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->pages.size(), 1u);

    dialogs.answers = {true};
    overlay->OnCommand(32775);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(overlay->isVisible());
    // Once leaving, a second request neither asks again nor ends twice.
    overlay->OnCommand(32775);
    overlay->ExitWithoutQuestion();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(dialogs.questions.size(), 2);
}

TEST_F(LifecycleTest, SessionEndLeavesWithoutAQuestion) {
    CreateOverlay();
    overlay->ExitWithoutQuestion();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(dialogs.questions.isEmpty());
}

TEST_F(LifecycleTest, SecondStartTogglesTheToolbarOnlyWhileTheOverlayIsHidden) {
    CreateOverlay();
    QWidget toolbar;
    overlay->SetToolbarWindow(&toolbar);
    toolbar.show();
    overlay->show();
    overlay->OnActivateInstance();
    EXPECT_TRUE(toolbar.isVisible());
    overlay->hide();
    overlay->OnActivateInstance();
    EXPECT_FALSE(toolbar.isVisible());
}

TEST_F(LifecycleTest, UnknownCommandsDoNothing) {
    CreateOverlay();
    for (CommandId id : {CommandId(0), CommandId(32772), CommandId(32801), CommandId(0xFFFF)})
        EXPECT_FALSE(overlay->OnCommand(id)) << id;
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(dialogs.questions.isEmpty());
}
} // namespace
