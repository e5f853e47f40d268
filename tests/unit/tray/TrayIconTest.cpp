// The tray icon: its menu as the program's state makes it read, the double click, and the
// warning balloon with its stand-ins where the desktop has no tray.
#include "CBalloonPopup.h"
#include "CTrayIcon.h"
#include "StackTier.h"
#include "overlay/OverlayFixture.h"

#include <QTest>

namespace {
constexpr unsigned kShiftAlt = IGlobalKeys::kModShift | IGlobalKeys::kModAlt;

class TrayIconTest : public OverlayFixture {
protected:
    void SetUp() override {
        CreateOverlay();
        // A plain window stands in for the toolbar, whose visibility the tray reads.
        overlay->SetToolbarWindow(&toolbarWindow);
        overlay->hotKeys.RegisterHotKeys();
        tray = std::make_unique<CTrayIcon>(*overlay, dialogs);
        tray->SetTrayHostQuery([this] { return trayHost; });
        tray->SetStatusNotifierQuery([this] { return statusNotifier; });
        tray->SetWebcamShownQuery([this] { return webcamShown; });
        tray->SetDisplayEnumerator([this] { return monitors; });
        tray->SetNotifier([this](const QString& title, const QString& text, int timeoutMs) {
            notifications << QStringLiteral("%1|%2|%3").arg(title, text).arg(timeoutMs);
            return notificationService;
        });
        overlay->SetTrayBalloon([this](const QString& title, const QString& text) {
            tray->ShowTrayBalloon(title, text);
        });
    }
    void TearDown() override { tray.reset(); }

    QStringList Texts(const std::vector<CMenuItem>& items) const {
        QStringList texts;
        for (const CMenuItem& item : items)
            texts << (item.separator ? QStringLiteral("-") : item.text);
        return texts;
    }
    static const CMenuItem* Find(const std::vector<CMenuItem>& items, const QString& text) {
        for (const CMenuItem& item : items)
            if (item.text == text)
                return &item;
        return nullptr;
    }

    QWidget toolbarWindow;
    std::unique_ptr<CTrayIcon> tray;
    bool trayHost = false;
    bool statusNotifier = false;
    bool webcamShown = false;
    bool notificationService = false;
    QStringList notifications;
    std::vector<_DisplayEntry> monitors = TwoDisplays();
};

TEST_F(TrayIconTest, MenuTextsFollowToolbarRecordingAndPause) {
    const struct {
        const char* what;
        bool toolbarShown, recording, paused;
        QStringList head; // the items from the top down to the one before "Webcam"
    } cases[] = {
        {"idle, toolbar hidden",
         false,
         false,
         false,
         {"Show Toolbar\tF6", "Displays", "Toolbar Orientation", "-", "Start Recording\t", "-"}},
        {"idle, toolbar shown",
         true,
         false,
         false,
         {"Hide Toolbar\tF6", "Displays", "Toolbar Orientation", "-", "Start Recording\t", "-"}},
        {"recording",
         true,
         true,
         false,
         {"Hide Toolbar\tF6", "Displays", "Toolbar Orientation", "-", "Stop Recording\t",
          "Pause Recording\tNone", "-"}},
        {"paused",
         false,
         true,
         true,
         {"Show Toolbar\tF6", "Displays", "Toolbar Orientation", "-", "Stop Recording\t",
          "Resume Recording\tNone", "-"}},
    };
    for (const auto& c : cases) {
        toolbarWindow.setVisible(c.toolbarShown);
        overlay->recording = c.recording;
        overlay->paused = c.paused;
        const CMenuPopup menu = tray->BuildMenu();
        const QStringList texts = Texts(menu.items);
        EXPECT_EQ(texts.mid(0, c.head.size()), c.head) << c.what;
        EXPECT_EQ(texts.mid(c.head.size()),
                  (QStringList{"Webcam", "Record Mouse ", "Preferences...", "-", "Help",
                               "About Ravlin", "-", "Exit"}))
            << c.what;
        ASSERT_FALSE(menu.items.empty());
        EXPECT_TRUE(menu.items[0].isDefault) << c.what;
        EXPECT_EQ(menu.items[0].id, ID_SHOW_TOOLBAR);
    }
}

TEST_F(TrayIconTest, KeyTextsOnlyForRegisteredShortcuts) {
    keys.takenByOthers.insert({0, 0x75}); // F6 held by another program
    overlay->hotKeys.UnregisterHotKeys();
    overlay->hotKeys.RegisterHotKeys();
    overlay->hotKeys["record"].keyText = "Ctrl + R"; // as the Preferences would name it
    const QStringList texts = Texts(tray->BuildMenu().items);
    EXPECT_EQ(texts[0], "Show Toolbar\t");
    EXPECT_EQ(texts[4], "Start Recording\tCtrl + R");
}

TEST_F(TrayIconTest, ChecksFollowOptionsOrientationAndDisplay) {
    overlay->recordPointer = 1;
    webcamShown = true;
    overlay->OnCmdVertical();
    overlay->SelectDisplay(1);
    CMenuPopup menu = tray->BuildMenu();
    EXPECT_TRUE(Find(menu.items, "Record Mouse ")->checked);
    EXPECT_TRUE(Find(menu.items, "Webcam")->checked);
    const CMenuItem* orientation = Find(menu.items, "Toolbar Orientation");
    ASSERT_TRUE(orientation && orientation->IsPopup());
    EXPECT_FALSE(orientation->popup[0].checked);
    EXPECT_TRUE(orientation->popup[1].checked);
    const CMenuItem* displays = Find(menu.items, "Displays");
    ASSERT_TRUE(displays && displays->IsPopup());
    EXPECT_EQ(Texts(displays->popup), (QStringList{"Primary Display", "Extended Display"}));
    EXPECT_FALSE(displays->popup[0].checked);
    EXPECT_TRUE(displays->popup[1].checked);
    EXPECT_EQ(displays->popup[1].id, ID_DISPLAY_EXTENDED);

    overlay->recordPointer = 0;
    webcamShown = false;
    overlay->OnCmdHorizontal();
    menu = tray->BuildMenu();
    EXPECT_FALSE(Find(menu.items, "Record Mouse ")->checked);
    EXPECT_FALSE(Find(menu.items, "Webcam")->checked);
    EXPECT_TRUE(Find(menu.items, "Toolbar Orientation")->popup[0].checked);
}

TEST_F(TrayIconTest, DisplaysAreCountedAnewAndAVanishedDisplayFallsBackToTheFirst) {
    overlay->SelectDisplay(1);
    monitors.resize(1); // the second monitor was unplugged
    const CMenuPopup menu = tray->BuildMenu();
    EXPECT_EQ(overlay->Display().CurrentIndex(), 0);
    EXPECT_EQ(overlay->Display().OverlayRect(), QRect(0, 0, 1920, 1040));
    const CMenuItem* displays = Find(menu.items, "Displays");
    ASSERT_EQ(displays->popup.size(), 1u);
    EXPECT_TRUE(displays->popup[0].checked);

    // More than four monitors: four are offered.
    monitors = TwoDisplays();
    for (int i = 0; i < 4; ++i)
        monitors.push_back({QRect(3200 + 800 * i, 0, 800, 600), QRect(3200 + 800 * i, 0, 800, 600),
                            false, 1.0, "more"});
    EXPECT_EQ(Texts(Find(tray->BuildMenu().items, "Displays")->popup),
              (QStringList{"Primary Display", "Extended Display", "Extended Display #2",
                           "Extended Display #3"}));
}

TEST_F(TrayIconTest, DoubleClickTogglesTheToolbarAndABareActivationOnlyOnStatusNotifierHosts) {
    toolbarWindow.hide();
    tray->OnActivated(QSystemTrayIcon::Trigger); // a single click on an XEmbed tray
    EXPECT_FALSE(toolbarWindow.isVisible());
    tray->OnActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(toolbarWindow.isVisible());
    tray->OnActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(toolbarWindow.isVisible());
    statusNotifier = true;
    tray->OnActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(toolbarWindow.isVisible());
    tray->OnActivated(QSystemTrayIcon::Context);
    EXPECT_TRUE(toolbarWindow.isVisible());
}

TEST_F(TrayIconTest, WithoutATrayTheUserIsToldOnceHowToReachTheCommands) {
    tray->AddTrayIcon();
    tray->AddTrayIcon();
    ASSERT_EQ(dialogs.notices.size(), 1);
    EXPECT_TRUE(dialogs.notices[0].contains("ravlin --command"))
        << dialogs.notices[0].toStdString();
    EXPECT_TRUE(dialogs.notices[0].contains("toolbar"));
}

TEST_F(TrayIconTest, BalloonWithoutTrayGoesToTheNotificationServiceCutToItsLimits) {
    notificationService = true;
    tray->ShowTrayBalloon(QString(70, 'T'), QString(300, 'x'));
    ASSERT_EQ(notifications.size(), 1);
    EXPECT_EQ(notifications[0],
              QString(63, 'T') + "|" + QString(255, 'x') + "|" + QString::number(10500));
    EXPECT_TRUE(!tray->BalloonPopup() || !tray->BalloonPopup()->isVisible());
}

TEST_F(TrayIconTest, BalloonWithoutTrayOrServiceIsOurOwnWindowAndAClickOpensPreferences) {
    QWidget* hooked = nullptr;
    tray->SetNoticeWindowHook([&hooked](QWidget* window) { hooked = window; });
    tray->ShowTrayBalloon(QString(70, 'T'), QString(300, 'x'));
    EXPECT_EQ(notifications.size(), 1); // tried first
    CBalloonPopup* popup = tray->BalloonPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(hooked, popup);
    EXPECT_EQ(popup->Title(), QString(63, 'T'));
    EXPECT_EQ(popup->windowTitle(), popup->Title()); // what window lists and readers show
    EXPECT_EQ(popup->Text(), QString(255, 'x'));
    // Near the top-right corner of the display the overlay covers, below the band where the
    // toolbar starts.
    const QRect area = overlay->Display().CurrentEntry().workArea;
    EXPECT_LE(popup->geometry().right(), area.right());
    EXPECT_GT(popup->geometry().left(), area.center().x());
    EXPECT_GE(popup->geometry().top(), area.top() + kBelowToolbarBand);
    EXPECT_LT(popup->geometry().top(), area.top() + 100);

    QTest::mouseClick(popup, Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    QTRY_COMPARE(dialogs.modalRuns, 1);
}

TEST_F(TrayIconTest, PreferencesReportStartUpFailuresAndIgnoreShortcutsWhileOpen) {
    // Another program held Shift+Alt+S before the start.
    keys.takenByOthers.insert({kShiftAlt, 'S'});
    overlay->hotKeys.UnregisterHotKeys();
    overlay->hotKeys.RegisterHotKeys();
    ASSERT_TRUE(overlay->IsPointerMode());
    dialogs.onModal = [this](QDialog&) {
        keys.Press(kShiftAlt, 'P'); // "Select Pen" while the sheet is open
        return false;
    };
    overlay->OnCommand(ID_PREFERENCES);
    EXPECT_EQ(dialogs.modalRuns, 1);
    EXPECT_TRUE(overlay->IsPointerMode());
    ASSERT_NE(tray->BalloonPopup(), nullptr);
    EXPECT_EQ(tray->BalloonPopup()->Title(), "Keyboard shortcut(s) Unavailable");
    EXPECT_TRUE(tray->BalloonPopup()->Text().contains("\nSave Screenshot:"));
    // Once closed, the shortcuts work again.
    keys.Press(kShiftAlt, 'P');
    EXPECT_FALSE(overlay->IsPointerMode());
    EXPECT_EQ(overlay->tool, 0);
}
} // namespace
