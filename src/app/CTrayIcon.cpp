#include "CTrayIcon.h"

#include "CBalloonPopup.h"
#include "CDesktopNotifier.h"
#include "CDisplayWatcher.h"
#include "CMainWindow.h"
#include "CQtDialogs.h"
#include "HotKeyTable.h"
#include "IDialogs.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>

namespace {
const char* const kNoTrayNotice =
    "This desktop has no system tray, so Ravlin shows no tray icon. Its commands are on the "
    "toolbar (F6 shows and hides it) and on the keyboard shortcuts, and any of them can be run "
    "from a terminal or a desktop shortcut with \"ravlin --command NAME\", for example "
    "\"ravlin --command preferences\".";

QString KeyTextOf(const HotKeyTable& table, const char* name) {
    const auto it = table.Entries().find(QString::fromLatin1(name));
    if (it == table.Entries().end() || !it->second.valid)
        return {};
    return it->second.keyText;
}

bool StatusNotifierHostRuns() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered("org.kde.StatusNotifierWatcher").value();
}
} // namespace

CTrayIcon::CTrayIcon(CMainWindow& overlay, IDialogs& dialogs)
    : m_overlay(overlay), m_dialogs(dialogs), m_resource(CMenuResource::Load(CTrayMenu::kResource)),
      m_webcamShown([] { return false; }), m_trayHost(&QSystemTrayIcon::isSystemTrayAvailable),
      m_statusNotifier(&StatusNotifierHostRuns) {
    m_notifier = std::make_unique<CDesktopNotifier>();
    connect(m_notifier.get(), &CDesktopNotifier::Clicked, this, &CTrayIcon::OnBalloonClicked);
    m_notify = [this](const QString& title, const QString& text, int timeoutMs) {
        return m_notifier->Notify(title, text, timeoutMs);
    };
    m_enumerateDisplays = &CDisplayWatcher::Enumerate;
}

CTrayIcon::~CTrayIcon() = default;

QIcon CTrayIcon::ProgramIcon() {
    // The small sizes have drawings of their own, fitted to the pixel grid.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) {
        const QString file = size == 16   ? QStringLiteral(":/icon/ravlin-16.svg")
                             : size == 24 ? QStringLiteral(":/icon/ravlin-24.svg")
                                          : QStringLiteral(":/icon/ravlin.svg");
        QSvgRenderer renderer(file);
        if (!renderer.isValid())
            continue;
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void CTrayIcon::SetToolTip(const QString& tip) {
    m_toolTip = tip;
    if (m_icon)
        m_icon->setToolTip(tip);
}

void CTrayIcon::AddTrayIcon() {
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>(ProgramIcon());
        m_icon->setToolTip(m_toolTip);
        m_contextMenu = std::make_unique<QMenu>();
        // The menu follows the program's state: it is filled anew each time it opens.
        connect(m_contextMenu.get(), &QMenu::aboutToShow, this, &CTrayIcon::FillContextMenu);
        connect(m_contextMenu.get(), &QMenu::triggered, this, [this](QAction* action) {
            const auto id = static_cast<CommandId>(action->data().toUInt());
            // After the menu has closed: a command may open a modal dialog.
            QTimer::singleShot(0, &m_overlay, [this, id] { m_overlay.OnCommand(id); });
        });
        FillContextMenu();
        m_icon->setContextMenu(m_contextMenu.get());
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
        connect(m_icon.get(), &QSystemTrayIcon::messageClicked, this, &CTrayIcon::OnBalloonClicked);
    }
    m_icon->show();
    if (!m_trayHost() && !m_noTrayNoticeShown) {
        m_noTrayNoticeShown = true;
        m_dialogs.ShowNotice(QString::fromLatin1(kNoTrayNotice));
    }
}

void CTrayIcon::RemoveTrayIcon() {
    if (m_icon)
        m_icon->hide();
    if (m_popup)
        m_popup->hide();
}

CTrayMenuState CTrayIcon::CurrentState() {
    // The list is read anew, as the overlay's own watching of the monitors would.
    m_overlay.FollowDisplays(m_enumerateDisplays());
    const _DisplayContext& display = m_overlay.Display();
    const int displayCount = static_cast<int>(display.Displays().size());

    CTrayMenuState state;
    CRavlinToolbar* toolbar = m_overlay.Toolbar();
    if (m_overlay.ToolbarWindow() == toolbar)
        state.toolbarShown = toolbar && toolbar->IsShown();
    else
        state.toolbarShown = m_overlay.ToolbarWindow() && m_overlay.ToolbarWindow()->isVisible();
    state.toolbarVertical = toolbar && toolbar->IsVertical();
    state.recording = m_overlay.recording != 0;
    state.paused = m_overlay.paused != 0;
    state.recordPointer = m_overlay.recordPointer != 0;
    state.webcamShown = m_webcamShown && m_webcamShown();
    state.displayCount = displayCount;
    state.currentDisplay = display.CurrentIndex();
    state.toolbarKey = KeyTextOf(m_overlay.hotKeys, "toolbar");
    state.recordKey = KeyTextOf(m_overlay.hotKeys, "record");
    state.pauseKey = KeyTextOf(m_overlay.hotKeys, "pause");
    return state;
}

CMenuPopup CTrayIcon::BuildMenu() {
    return CTrayMenu::Build(m_resource, CurrentState());
}

void CTrayIcon::FillContextMenu() {
    m_contextMenu->clear();
    CQtDialogs::FillMenu(*m_contextMenu, BuildMenu().items);
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    // A StatusNotifier host reports a click as a bare activation and no double click.
    const bool toggle = reason == QSystemTrayIcon::DoubleClick ||
                        (reason == QSystemTrayIcon::Trigger && m_statusNotifier());
    if (toggle)
        m_overlay.ToggleToolbar();
}

void CTrayIcon::ShowTrayBalloon(const QString& title, const QString& text) {
    const QString shortTitle = title.left(kMostTitleChars);
    const QString shortText = text.left(kMostTextChars);
    if (m_icon && m_icon->isVisible() && m_trayHost()) {
        m_icon->showMessage(shortTitle, shortText, QSystemTrayIcon::Warning, kBalloonDurationMs);
        return;
    }
    if (m_notify && m_notify(shortTitle, shortText, kBalloonDurationMs))
        return;
    if (!m_popup) {
        m_popup = std::make_unique<CBalloonPopup>();
        connect(m_popup.get(), &CBalloonPopup::Clicked, this, &CTrayIcon::OnBalloonClicked);
    }
    QRect area = m_overlay.Display().CurrentEntry().workArea;
    if (area.isEmpty())
        if (QScreen* primary = QGuiApplication::primaryScreen())
            area = primary->availableGeometry();
    m_popup->ShowBalloon(shortTitle, shortText, area, kBalloonDurationMs);
    if (m_noticeHook)
        m_noticeHook(m_popup.get());
}

void CTrayIcon::OnBalloonClicked() {
    // Not from inside the click's own handling: the Preferences run a modal loop.
    QTimer::singleShot(0, &m_overlay, [this] { m_overlay.OnPreferences(); });
}
