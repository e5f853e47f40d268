#pragma once
// The program's icon in the desktop's tray: its menu, a double click that shows or hides the
// toolbar, and the warning balloons. Where the desktop has no tray, balloons become desktop
// notifications, or without a notification service a balloon window of our own; a click on
// any of them opens the Preferences.
#include "CMenuResource.h"
#include "CTrayMenu.h"
#include "_DisplayContext.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <vector>

class CBalloonPopup;
class CDesktopNotifier;
class CMainWindow;
class IDialogs;
class QMenu;

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kMostTextChars = 255;
    static constexpr int kMostTitleChars = 63;
    static constexpr int kBalloonDurationMs = 10500;

    CTrayIcon(CMainWindow& overlay, IDialogs& dialogs);
    ~CTrayIcon() override;

    // Puts the icon in the tray. Without a tray it says once how to reach the commands; the
    // icon appears by itself when a tray starts later, and again after a tray restarts.
    void AddTrayIcon();
    void RemoveTrayIcon();

    // The menu as it reads now. Building it refreshes the overlay's list of displays, and moves
    // the overlay to the primary display when the one it covers is gone.
    CMenuPopup BuildMenu();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    // Title cut to 63 characters, text to 255; a warning shown for 10.5 s.
    void ShowTrayBalloon(const QString& title, const QString& text);
    void OnBalloonClicked();

    // Seams for what the tray reads from elsewhere (and for tests).
    void SetWebcamShownQuery(std::function<bool()> query) { m_webcamShown = std::move(query); }
    void SetTrayHostQuery(std::function<bool()> query) { m_trayHost = std::move(query); }
    void SetStatusNotifierQuery(std::function<bool()> query) {
        m_statusNotifier = std::move(query);
    }
    void SetNotifier(std::function<bool(const QString&, const QString&, int)> notify) {
        m_notify = std::move(notify);
    }
    void SetDisplayEnumerator(std::function<std::vector<_DisplayEntry>()> enumerate) {
        m_enumerateDisplays = std::move(enumerate);
    }
    // Called with our balloon window whenever it shows, so it can be stacked with the notices.
    void SetNoticeWindowHook(std::function<void(QWidget*)> hook) { m_noticeHook = std::move(hook); }

    QSystemTrayIcon* Icon() const { return m_icon.get(); }
    CBalloonPopup* BalloonPopup() const { return m_popup.get(); }
    // The icon's tip: "Ravlin", or the recording's state and recorded time.
    void SetToolTip(const QString& tip);
    QString ToolTip() const { return m_toolTip; }

    static QIcon ProgramIcon();

private:
    CTrayMenuState CurrentState();
    void FillContextMenu();

    CMainWindow& m_overlay;
    QString m_toolTip = QStringLiteral("Ravlin");
    IDialogs& m_dialogs;
    CMenuResource m_resource;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QMenu> m_contextMenu;
    std::unique_ptr<CDesktopNotifier> m_notifier;
    std::unique_ptr<CBalloonPopup> m_popup;
    std::function<bool()> m_webcamShown;
    std::function<bool()> m_trayHost;
    std::function<bool()> m_statusNotifier;
    std::function<bool(const QString&, const QString&, int)> m_notify;
    std::function<std::vector<_DisplayEntry>()> m_enumerateDisplays;
    std::function<void(QWidget*)> m_noticeHook;
    bool m_noTrayNoticeShown = false;
};
