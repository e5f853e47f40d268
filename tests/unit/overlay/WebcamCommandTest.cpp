#include "CRavlinMenuButton.h"
#include "OverlayFixture.h"

#include <QTest>

namespace {
class WebcamCommandTest : public OverlayFixture {
protected:
    void SetUp() override {
        // Neither a webcam nor a microphone: the window shows its text.
        qputenv("RAVLIN_WEBCAM_SOURCE", "no-such-element-in-any-plugin");
        qputenv("RAVLIN_WEBCAM_MICROPHONE", "no-such-element-in-any-plugin");
        CreateOverlay();
        webcam = overlay->WebcamWindow();
        button = dynamic_cast<CRavlinMenuButton*>(overlay->Toolbar()->FindButton("webcam"));
    }
    void TearDown() override {
        OverlayFixture::TearDown();
        qunsetenv("RAVLIN_WEBCAM_SOURCE");
        qunsetenv("RAVLIN_WEBCAM_MICROPHONE");
    }
    CommandId ToolbarCheck() const {
        for (const CMenuItem& item : button->Menu()->items)
            if (item.checked)
                return item.id;
        return 0;
    }

    CWebcamWindow* webcam = nullptr;
    CRavlinMenuButton* button = nullptr;
};
} // namespace

TEST_F(WebcamCommandTest, TheWebcamCommandTogglesTheWindow) {
    ASSERT_NE(webcam, nullptr);
    EXPECT_FALSE(webcam->IsShown());
    EXPECT_TRUE(overlay->OnCommand(ID_WEBCAM));
    EXPECT_TRUE(webcam->IsShown());
    EXPECT_TRUE(webcam->isVisible());
    overlay->OnCommand(ID_WEBCAM);
    EXPECT_FALSE(webcam->IsShown());
    EXPECT_FALSE(webcam->isVisible());
}

TEST_F(WebcamCommandTest, ASizeFromTheToolbarSetsItShowsTheWindowAndMovesBothChecks) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->HasMenu());
    EXPECT_EQ(ToolbarCheck(), ID_WEBCAM_MEDIUM);

    dialogs.popupChoice = ID_WEBCAM_LARGE;
    button->OnShowMenu();
    EXPECT_TRUE(webcam->IsShown()) << "a size choice shows a hidden window";
    EXPECT_EQ(webcam->size(), QSize(360, 278));
    EXPECT_EQ(webcam->SizeCommand(), ID_WEBCAM_LARGE);
    EXPECT_EQ(ToolbarCheck(), ID_WEBCAM_LARGE);

    // Again while shown: it stays shown, only the size changes.
    dialogs.popupChoice = ID_WEBCAM_SMALL;
    button->OnShowMenu();
    EXPECT_TRUE(webcam->IsShown());
    EXPECT_EQ(webcam->size(), QSize(160, 128));

    // The window's own menu moves the toolbar's check mark too.
    dialogs.popupChoice = ID_WEBCAM_MEDIUM;
    webcam->OnRButtonUp(QPoint(10, 10));
    EXPECT_EQ(ToolbarCheck(), ID_WEBCAM_MEDIUM);

    // The button's body toggles the window.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(webcam->IsShown());
    EXPECT_EQ(webcam->size(), QSize(240, 188));
}

TEST_F(WebcamCommandTest, ExitTakesTheWindowDown) {
    overlay->OnCommand(ID_WEBCAM);
    ASSERT_TRUE(webcam->isVisible());
    overlay->ExitWithoutQuestion();
    EXPECT_FALSE(webcam->isVisible());
    EXPECT_FALSE(webcam->IsShown());
    EXPECT_FALSE(webcam->IsRefreshing());
}
