#include "CRavlinApp.h"

#include "CHelpCommands.h"
#include "CHotKeySettings.h"
#include "CMainWindow.h"
#include "CNamedCommand.h"
#include "CPortalScreenGrabber.h"
#include "CQtDialogs.h"
#include "CRecordingControl.h"
#include "CSettingsSaveFailure.h"
#include "CSignalWatcher.h"
#include "CSingleInstance.h"
#include "CTrayIcon.h"
#include "CommandTable.h"
#include "portal/CPortalDisplayServer.h"
#include "portal/CPortalGlobalKeys.h"
#include "portal/CPortalRequest.h"
#include "portal/CSessionType.h"
#include "x11/CX11DisplayServer.h"
#include "x11/CX11GlobalKeys.h"
#include "x11/CX11ScreenGrabber.h"

#include <QGuiApplication>
#include <QSettings>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
CRavlinApp* g_app = nullptr;
}

CRavlinApp::CRavlinApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Ravlin");
    setOrganizationName("Norvane");
    setApplicationVersion(RAVLIN_VERSION);
    // The overlay and the toolbar are not "last windows": hiding them must not end the program.
    setQuitOnLastWindowClosed(false);
    g_app = this;
}

CRavlinApp::~CRavlinApp() {
    // Teardown order: the overlay and everything it owns (its toolbar holds the log, which closes
    // with it), then the services it used.
    m_signals.reset();
    m_tray.reset();
    m_mainWindow.reset();
    m_help.reset();
    m_globalKeys.reset();
    m_x11Keys.reset();
    m_displayServer.reset();
    CPortalRequest::SetWaitObserver(nullptr);
    m_dialogs.reset();
    m_instance.reset();
    g_app = nullptr;
}

bool CRavlinApp::InitInstance() {
    // Before any file is touched: a second start must not empty the running copy's log.
    m_instance = std::make_unique<CSingleInstance>();
    const QByteArray request = m_startCommand.isEmpty()
                                   ? QByteArray(CSingleInstance::kActivateMessage)
                                   : CSingleInstance::CommandRequest(m_startCommand);
    if (m_instance->AnotherInstanceRuns(request)) {
        if (!m_instance->Problem().isEmpty()) {
            // Not knowing whether a copy runs, this start must not become a second one.
            fprintf(stderr, "ravlin: cannot start: %s\n",
                    m_instance->Problem().toLocal8Bit().constData());
            m_secondStartExitCode = 1;
        } else if (!m_instance->RequestDelivered()) {
            // A copy holds the lock but does not answer (hung, or still starting): the request
            // is lost, and the user must know rather than see nothing happen.
            fputs("ravlin: the running Ravlin did not answer\n", stderr);
            m_secondStartExitCode = 1;
        }
        return false;
    }

    if (!m_instance->ListenProblem().isEmpty())
        fprintf(stderr, "ravlin: %s\n", m_instance->ListenProblem().toLocal8Bit().constData());

    // A Wayland session: the windows stay on XWayland, but the screen is read, and global
    // keys are had, through the desktop's portals (XWayland can do neither for the desktop).
    m_wayland = CSessionType::IsWayland();
    if (m_wayland) {
        // The program stays live while the desktop answers a portal request; the pointer
        // says that it waits.
        CPortalRequest::SetWaitObserver([](bool waiting) {
            if (waiting)
                QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            else
                QGuiApplication::restoreOverrideCursor();
        });
        auto x11 = std::make_unique<CX11DisplayServer>();
        x11->SetReassertPassThrough(true);
        m_displayServer =
            std::make_unique<CPortalDisplayServer>(std::move(x11), [this]() -> unsigned long {
                const QWidget* owner = m_mainWindow ? m_mainWindow->ToolbarWindow() : nullptr;
                return owner ? static_cast<unsigned long>(owner->winId()) : 0;
            });
    } else {
        m_displayServer = std::make_unique<CX11DisplayServer>();
    }
    m_dialogs = std::make_unique<CQtDialogs>();
    m_globalKeys = std::make_unique<CX11GlobalKeys>();
    if (m_wayland && CPortalGlobalKeys::IsOffered()) {
        // The X grabs would see keys only while an X11 window has the keyboard.
        m_x11Keys = std::move(m_globalKeys);
        m_globalKeys = std::make_unique<CPortalGlobalKeys>(m_x11Keys.get());
    }
    m_mainWindow = std::make_unique<CMainWindow>(*m_displayServer, *m_dialogs, *m_globalKeys);
    BuildCommandTable(*m_mainWindow);
    m_help = std::make_unique<CHelpCommands>(*m_dialogs);
    m_help->Register(m_mainWindow->Commands());
    m_mainWindow->SetQuitHandler([this] {
        // The icon leaves the tray with the confirmed exit.
        if (m_tray)
            m_tray->RemoveTrayIcon();
        QCoreApplication::exit(0);
    });
    m_instance->SetActivateHandler([this] {
        FinishStart();
        m_mainWindow->OnActivateInstance();
    });
    m_instance->SetCommandHandler([this](const QString& name) {
        // A command may want the tray (its balloons) or the recording's media: all is there.
        FinishStart();
        CNamedCommand::Run(*m_mainWindow, name);
    });

    m_mainWindow->CreateOverlay();
    // Balloons asked for before the tray icon exists (a shortcut that cannot be registered)
    // wait for it.
    m_mainWindow->SetTrayBalloon([this](const QString& title, const QString& text) {
        if (m_tray)
            m_tray->ShowTrayBalloon(title, text);
        else
            m_heldBalloons.append({title, text});
    });
    // The recording control is there from the start, so that a Record shortcut pressed at once
    // works; what it needs of GStreamer is started once the overlay is up.
    if (m_wayland)
        m_mainWindow->SetScreenGrabber(
            std::make_unique<CPortalScreenGrabber>(std::make_unique<CX11ScreenGrabber>()));
    else
        m_mainWindow->SetScreenGrabber(std::make_unique<CX11ScreenGrabber>());
    // The stored shortcuts replace the defaults, then they are registered.
    {
        QSettings settings("Norvane", "Ravlin");
        CHotKeySettings::Load(m_mainWindow->hotKeys, settings);
    }
    // From here on every way out writes the settings: a signal, or a lost X connection, which
    // ends the program from inside Qt with exit().
    m_signals = std::make_unique<CSignalWatcher>([this](int signal) { OnSignal(signal); });
    std::atexit(&CRavlinApp::OnProcessExit);
    m_running = true;

    m_mainWindow->DoUpdateHotKeys();
    m_mainWindow->show();
    // The overlay goes to the screen now; the rest follows once it is shown.
    m_displayServer->Flush();
    m_startClock.start();
    if (!m_startCommand.isEmpty()) {
        // `ravlin --command NAME` with no copy running: the command is what the user asked
        // for, so it runs at the event loop's first turn, with the start finished first, as a
        // command from a second start does; it does not wait for the overlay's first picture.
        QMetaObject::invokeMethod(
            this,
            [this, name = m_startCommand] {
                FinishStart();
                CNamedCommand::Run(*m_mainWindow, name);
            },
            Qt::QueuedConnection);
        return true;
    }
    QTimer::singleShot(0, this, [this] { FinishStartOnceShown(); });
    return true;
}

void CRavlinApp::FinishStartOnceShown() {
    // Until the overlay's first picture is on the screen; a window that is never exposed (a
    // server that has no room for it) does not hold the rest back for long.
    const QWindow* overlay = m_mainWindow->windowHandle();
    if (!m_started && overlay && !overlay->isExposed() && m_startClock.elapsed() < kShowWaitMs) {
        QTimer::singleShot(kShowPollMs, this, [this] { FinishStartOnceShown(); });
        return;
    }
    FinishStart();
}

void CRavlinApp::FinishStart() {
    if (m_started)
        return;
    m_started = true;
    setWindowIcon(CTrayIcon::ProgramIcon());
    m_tray = std::make_unique<CTrayIcon>(*m_mainWindow, *m_dialogs);
    m_tray->SetWebcamShownQuery([this] {
        const CWebcamWindow* webcam = m_mainWindow->WebcamWindow();
        return webcam && webcam->IsShown();
    });
    m_tray->AddTrayIcon();
    for (const auto& [title, text] : std::exchange(m_heldBalloons, {}))
        m_tray->ShowTrayBalloon(title, text);
    if (CRecordingControl* recording = m_mainWindow->Recording())
        QObject::connect(recording, &CRecordingControl::TrayTipChanged, m_tray.get(),
                         &CTrayIcon::SetToolTip);
    // The settings could not be written when the last run ended: say so now, once.
    if (const std::optional<QString> failure = CSettingsSaveFailure().Take())
        QMetaObject::invokeMethod(
            this,
            [this, text = *failure] { m_dialogs->ShowWarning(m_mainWindow.get(), text, "Ravlin"); },
            Qt::QueuedConnection);
}

void CRavlinApp::OnSignal(int) {
    // Logout or `kill`: an orderly exit, without a question nobody can answer.
    if (m_mainWindow)
        m_mainWindow->ExitWithoutQuestion();
}

int CRavlinApp::ExitInstance(int loopResult) {
    m_running = false;
    SaveHotKeys();
    return loopResult;
}

void CRavlinApp::SaveHotKeys() {
    if (!m_mainWindow)
        return;
    QSettings settings("Norvane", "Ravlin");
    if (!CHotKeySettings::Save(m_mainWindow->hotKeys, settings))
        CSettingsSaveFailure().Remember(settings.fileName());
}

void CRavlinApp::OnProcessExit() {
    // Reached only when the process ends without leaving the event loop, i.e. the display went
    // away. Windows cannot be touched any more, but the user's settings can still be saved.
    if (g_app && g_app->m_running) {
        // A recording in progress is finished too: its file needs no window.
        if (g_app->m_mainWindow)
            g_app->m_mainWindow->FinishRecording();
        g_app->ExitInstance(0);
    }
}
