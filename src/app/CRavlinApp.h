#pragma once
// The application: one running copy per user, the start-up and exit order, and the teardown.
#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <memory>

class CHelpCommands;
class CMainWindow;
class CSignalWatcher;
class CSingleInstance;
class CTrayIcon;
class IDialogs;
class IDisplayServer;
class IGlobalKeys;

class CRavlinApp : public QApplication {
public:
    CRavlinApp(int& argc, char** argv);
    ~CRavlinApp() override;

    // A command to run once started (`ravlin --command NAME`): in the running copy when there is
    // one, else in this one once it is up. Set before InitInstance.
    void SetStartCommand(const QString& name) { m_startCommand = name; }
    // False when another copy runs (it was asked to come forward, or to run the start command),
    // or when that cannot be known (no private folder for the lock and the socket) — end at
    // once, no window, with SecondStartExitCode().
    bool InitInstance();
    // 0 when the running copy took the request, 1 when it did not answer or nothing could tell.
    int SecondStartExitCode() const { return m_secondStartExitCode; }
    // Runs after the event loop has ended; returns the exit code.
    int ExitInstance(int loopResult);

    CMainWindow* MainWindow() const { return m_mainWindow.get(); }
    CTrayIcon* TrayIcon() const { return m_tray.get(); }

private:
    // What can wait until the overlay is shown: the window icon, the tray icon, the warning
    // about unsaved settings and the start command (GStreamer and the microphone wait for the
    // first recording or the webcam). Runs once; a command from another start runs it first.
    void FinishStart();
    void FinishStartOnceShown();
    void OnSignal(int signal);
    void SaveHotKeys();
    static void OnProcessExit();

    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<IDisplayServer> m_displayServer;
    std::unique_ptr<IDialogs> m_dialogs;
    std::unique_ptr<IGlobalKeys> m_globalKeys;
    std::unique_ptr<IGlobalKeys> m_x11Keys; // names keys for the portal's shortcuts
    std::unique_ptr<CMainWindow> m_mainWindow;
    std::unique_ptr<CTrayIcon> m_tray;
    std::unique_ptr<CHelpCommands> m_help;
    std::unique_ptr<CSignalWatcher> m_signals;
    bool m_running = false;
    bool m_started = false;
    QElapsedTimer m_startClock;
    QList<QPair<QString, QString>> m_heldBalloons;
    static constexpr int kShowPollMs = 5;
    static constexpr int kShowWaitMs = 300;
    bool m_wayland = false;
    QString m_startCommand;
    int m_secondStartExitCode = 0;
};
