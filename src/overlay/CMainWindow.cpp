#include "CMainWindow.h"

#include "CBitmap.h"
#include "CCompositorFallback.h"
#include "CDisplayWatcher.h"
#include "CGraphics.h"
#include "CInkStrokes.h"
#include "CMonotonicClock.h"
#include "COverlayKeys.h"
#include "COverlayRecordingHost.h"
#include "CPageCommands.h"
#include "CPageStore.h"
#include "CPages.h"
#include "CPen.h"
#include "CPreferences.h"
#include "CRecordingControl.h"
#include "CScreenshot.h"
#include "CScreenshotSaver.h"
#include "CTextTool.h"
#include "CToolCursors.h"
#include "CWindowsOnScreen.h"
#include "IDialogs.h"
#include "IDisplayServer.h"
#include "IGlobalKeys.h"
#include "IScreenGrabber.h"
#include "Trace.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <utility>

namespace {
constexpr int kFocusSettleMs = 100;
} // namespace

CMainWindow::CMainWindow(IDisplayServer& displayServer, IDialogs& dialogs, IGlobalKeys& globalKeys)
    : hotKeys(globalKeys), m_displayServer(displayServer), m_dialogs(dialogs),
      m_globalKeys(globalKeys) {
    m_clock = &CMonotonicClock::NowMs;
    // The toolbar comes first: it opens the log and reads its definition file.
    toolbar = std::make_unique<CRavlinToolbar>(*this, dialogs);
    m_toolbarWindow = toolbar.get();
    m_toolbarState = toolbar.get();
    hotKeys.BuildDefaultHotKeys();
    m_globalKeys.SetHotKeyHandler([this](int id) { OnHotKey(id); });
    textWindow = std::make_unique<CTextWindow>();
    m_tools = std::make_unique<CToolRegistry>(static_cast<IToolHost&>(*this), clipRegion,
                                              *textWindow, displayServer);
    textWindow->onTextChanged = [this](const QString& typed) { m_tools->Text().text = typed; };
    textWindow->onCommit = [this] { CommitText(); };
    textWindow->onCancel = [this] { CancelText(); };
    m_screenshotSaver = std::make_unique<CScreenshotSaver>(dialogs);
    AddStackedWindow(toolbar.get(), EStackTier::Toolbar);
    AddStackedWindow(textWindow.get(), EStackTier::TextBubble);
    webcamWindow = std::make_unique<CWebcamWindow>(dialogs);
    AddStackedWindow(webcamWindow.get(), EStackTier::Webcam);
    webcamWindow->onShown = [this] { m_stacking.Keep(); };
    webcamWindow->onSizeChanged = [this](CommandId id) { toolbar->CheckMenuItem("webcam", id); };
    display = std::make_unique<_DisplayContext>();
    display->EnumerateDisplays();
    display->SetCurrentDisplay(0);
    m_displayWatcher = std::make_unique<CDisplayWatcher>(
        [this](std::vector<_DisplayEntry> displays) { FollowDisplays(std::move(displays)); });

    m_pageCommands = std::make_unique<CPageCommands>(
        pages, currentPage, m_canvas,
        CPageCommands::Scene{desktopScene, backgroundColour, boardColour},
        static_cast<CPageCommands::IHost&>(*this));

    m_displayServer.SetCompositingChangedHandler([this](bool on) { OnCompositingChanged(on); });
    m_displayServer.SetStackingChangedHandler([this] { m_stacking.Keep(); });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        // When one of our windows hides (the bubble after a commit), the focus is nowhere for a
        // moment before the next of ours takes it: judge where it went once it has settled.
        if (IsOwnWindow(window))
            toolbar->ActivateToolbar(true);
        else
            QTimer::singleShot(kFocusSettleMs, this,
                               [this] { OnActivate(QGuiApplication::focusWindow()); });
    });
    // Our own dialogs (questions, Save As, messages) must stand above the overlay.
    qApp->installEventFilter(this);
}

CMainWindow::~CMainWindow() {
    qApp->removeEventFilter(this);
    m_displayServer.SetCompositingChangedHandler({});
    m_displayServer.SetStackingChangedHandler({});
    m_globalKeys.SetHotKeyHandler({});
}

qreal CMainWindow::DevicePixelRatio() const {
    const qreal ratio = display->CurrentEntry().devicePixelRatio;
    return ratio > 0 ? ratio : 1.0;
}

void CMainWindow::CreateOverlay() {
    // The overlay bypasses the window manager: a managed frame would swallow the clicks, and it
    // must cover panels' neighbourhood exactly as placed.
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());
    setGeometry(display->OverlayRect());
    create();
    OnCreate();
    PresentSurface();
}

void CMainWindow::MakeSurfaces() {
    const qreal ratio = DevicePixelRatio();
    const QSize size = display->OverlayRect().size();
    m_tools->Resize(size, ratio);
    m_previews.Resize(size, ratio);
}

void CMainWindow::OnCreate() {
    toolbar->Create();
    m_menu = toolbar->Menu();
    MakeSurfaces();
    auto page = std::make_unique<_PageContext>(display->OverlayRect().size(), DevicePixelRatio());
    {
        CGraphics graphics(&page->bitmap);
        graphics.Clear(backgroundColour);
    }
    pages.push_back(std::move(page));
    currentPage = 0;
    m_surface = CBitmap::CopyBitmap(pages[0]->bitmap);
    m_surface.setDevicePixelRatio(DevicePixelRatio());

    UpdateToolCursor();
    m_fallback.SetCompositing(m_displayServer.IsCompositing());
    EnterPointerMode();
    if (!m_fallback.IsCompositing())
        OnCompositingChanged(false);
    toolbar->show();
    webcamWindow->Create();
    toolbar->CheckMenuItem("webcam", webcamWindow->SizeCommand());
}

bool CMainWindow::IsOwnWindow(const QWindow* window) const {
    if (!window)
        return false;
    if (window == windowHandle())
        return true;
    if (m_toolbarWindow && window == m_toolbarWindow->windowHandle())
        return true;
    if (textWindow && window == textWindow->windowHandle())
        return true;
    return false;
}

void CMainWindow::PresentSurface() {
    PrepareSurfaceForPresent();
    m_previews.TakeDirty(); // all of it is shown
    UpdateFallbackShape();
    update();
}

void CMainWindow::PresentChanged(const QRect& box) {
    // A drawing tick: only the box it touched goes to the screen, and a box wholly off the
    // overlay (a drag that went on to another monitor) costs nothing at all.
    PrepareSurfaceForPresent();
    const QRect visible = box.united(m_previews.TakeDirty())
                              .intersected(QRect(QPoint(0, 0), display->OverlayRect().size()));
    if (visible.isEmpty())
        return;
    update(visible);
}

void CMainWindow::PrepareSurfaceForPresent() {
    m_previews.SetFrame(clipRegion);
    // Presenting also puts the window over the overlay rectangle.
    if (geometry() != display->OverlayRect())
        setGeometry(display->OverlayRect());
}

void CMainWindow::DoRedraw() {
    m_canvas.TakeChanged(); // all of it is composed again
    if (_PageContext* page = CurrentPage()) {
        CGraphics graphics(&m_surface);
        graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
        graphics.Clear(backgroundColour);
        graphics.SetCompositingMode(ECompositingMode::SourceOver);
        graphics.DrawImage(page->bitmap, QPoint(0, 0));
    }
    PresentSurface();
}

void CMainWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const qreal ratio = m_surface.devicePixelRatio();
    for (const QRect& rect : event->region()) {
        const QRectF source(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio,
                            rect.height() * ratio);
        // Over the frozen desktop when there is one.
        painter.setCompositionMode(m_fallback.PaintDesktop(painter, rect, source)
                                       ? QPainter::CompositionMode_SourceOver
                                       : QPainter::CompositionMode_Source);
        painter.drawImage(QRectF(rect), m_surface, source);
        m_previews.Compose(painter, rect);
    }
    // Some desktops forget an emptied input shape when the window is repainted after it.
    if (m_pointerMode || m_stacking.IsDialogOpen())
        m_displayServer.PointerPassesThrough(winId(), true);
}

const QImage& CMainWindow::Surface() const {
    if (m_previews.ShowsNothing())
        return m_surface;
    // The surface with the previews composed over it, as the window shows it.
    m_shown = m_surface.copy();
    QPainter painter(&m_shown);
    m_previews.Compose(painter, QRect(QPoint(0, 0), m_surface.deviceIndependentSize().toSize()));
    return m_shown;
}

void CMainWindow::FollowDisplays(std::vector<_DisplayEntry> displays) {
    if (m_exiting) // the windows are gone; the screens going with the session change nothing
        return;
    const _DisplayFollow follow = display->Follow(std::move(displays));
    // A display that went takes the toolbar with it to its home on the new one; one that only
    // changed leaves it where the user put it, as long as it stays whole on a monitor.
    if (follow.relayout)
        LayOut(follow.index, follow.gone);
    CWindowsOnScreen::Keep(*display);
}

void CMainWindow::LayOut(int index, bool placeToolbar) {
    // Every page is about to be stretched: the stroke being drawn ends here.
    InterruptStroke();
    const QRect oldRect = display->OverlayRect();
    if (index >= 0)
        display->SetCurrentDisplay(index);
    if (placeToolbar)
        CenterToolbar();

    const QRect newRect = display->OverlayRect();
    const qreal ratio = DevicePixelRatio();
    const QSize oldSize = CurrentPage() ? CurrentPage()->Size() : QSize();
    for (auto& page : pages)
        page->Resize(newRect.size(), ratio);
    // Every page was stretched: no step of any history fits its page any more.
    if (!CurrentPage() || CurrentPage()->Size() != oldSize)
        m_undo.ForgetAll(pages);
    CPageStore::ShowOnly(pages, currentPage);
    m_surface = CurrentPage() ? CBitmap::CopyBitmap(CurrentPage()->bitmap) : QImage();
    m_surface.setDevicePixelRatio(ratio);
    MakeSurfaces();
    // The new texture is blank: the marker would copy transparent paint over the ink, the
    // eraser leave nothing instead of the background.
    ToolPageChanged();
    // Drawing without a compositor shows the desktop frozen under the ink: it must be the
    // desktop of the display the overlay now covers.
    if (!m_fallback.IsCompositing() && !m_pointerMode) {
        TakeDesktopGrab();
        UpdateFallbackShape();
    }

    if (clipRegion.width() > 0 && clipRegion.height() > 0 && !oldRect.isEmpty()) {
        const int ow = oldRect.width(), oh = oldRect.height();
        const int nw = newRect.width(), nh = newRect.height();
        clipRegion = QRect(nw * clipRegion.x() / ow, nh * clipRegion.y() / oh,
                           nw * clipRegion.width() / ow, nh * clipRegion.height() / oh);
    }
    m_tools->Text().FollowDisplay(oldRect, newRect);
    DoRedraw();
}

void CMainWindow::CenterToolbar() {
    if (!m_toolbarWindow)
        return;
    const QRect area = display->OverlayRect();
    if (m_toolbarWindow == toolbar.get()) {
        // Our toolbar comes up whole on the new display, even when it was a tab or sliding.
        toolbar->CenterIn(area);
        return;
    }
    const int w = m_toolbarWindow->width();
    const int h = m_toolbarWindow->height();
    // Measured from the display's own top edge, so the toolbar lands on the chosen display
    // whatever its place in the virtual desktop.
    m_toolbarWindow->setGeometry(area.left() + (area.width() - w) / 2, area.top() + 10, w, h);
}

void CMainWindow::EnterPointerMode() {
    m_pointerMode = true;
    m_fallback.Thaw();
    ApplyInputTransparency();
    UpdateFallbackShape();
    update();
}

void CMainWindow::TakeDesktopGrab() {
    m_fallback.FreezeDesktop(*this, display->OverlayRect(), DevicePixelRatio(), m_surface.size());
}

void CMainWindow::LeavePointerMode() {
    if (!m_fallback.IsCompositing())
        TakeDesktopGrab();
    m_pointerMode = false;
    ApplyInputTransparency();
    UpdateFallbackShape();
    PresentSurface();
    TakeKeyboard();
}

void CMainWindow::TakeKeyboard() {
    // The overlay bypasses the window manager, so nobody else gives it the keyboard.
    if (isVisible() && !m_pointerMode) {
        activateWindow();
        m_displayServer.GiveKeyboardFocus(winId());
    }
}

void CMainWindow::mousePressEvent(QMouseEvent* event) {
    // The pointer passes through the overlay in pointer mode; a press that still arrives (a
    // desktop that took the input shape over late) draws nothing.
    if (m_pointerMode)
        return;
    TakeKeyboard();
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(point);
    else if (event->button() == Qt::RightButton)
        OnRButtonDown(point);
}

void CMainWindow::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event->position().toPoint());
}

void CMainWindow::BoardShown() {
    if (m_pointerMode) {
        LeavePointerMode();
        // From pointer mode at start no tool cursor was ever built.
        UpdateToolCursor();
    }
}

void CMainWindow::CommitText() {
    m_tools->Text().Commit();
    CancelText();
}

void CMainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(event->position().toPoint());
}

void CMainWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_strokeTimer.timerId())
        OnTimer(kStrokeTimerId);
    else
        QWidget::timerEvent(event);
}

void CMainWindow::OnLButtonDown(const QPoint& point) {
    buttonDown = 1;
    m_dragTool = &CurrentTool();
    m_dragTool->Press(point);
    AfterTool();
}

void CMainWindow::OnMouseMove(const QPoint& point) {
    // Gathered only: the tick draws.
    if (buttonDown && m_dragTool)
        m_dragTool->Move(point);
}

void CMainWindow::OnLButtonUp(const QPoint& point) {
    if (!buttonDown || !m_dragTool)
        return;
    buttonDown = 0;
    std::exchange(m_dragTool, nullptr)->Release(point);
    AfterTool();
}

void CMainWindow::InterruptStroke() {
    // Only a drag that writes to the page ends here; the region's and the text's drags go on.
    if (!buttonDown || !m_dragTool || !m_dragTool->WritesPage())
        return;
    buttonDown = 0; // the moves and the release that follow are the rest of a finished drag
    std::exchange(m_dragTool, nullptr)->Cancel();
    AfterTool();
}

void CMainWindow::OnTimer(int id) {
    if (id != kStrokeTimerId)
        return;
    const std::uint32_t now = m_clock();
    for (int i = 0; i < m_tools->Count(); ++i)
        if (m_tools->At(i).WantsTicks())
            m_tools->At(i).Tick(now);
    AfterTool();
}

void CMainWindow::AfterTool() {
    // What the tool wrote goes from the page to the surface, so the surface always shows
    // exactly what a rebuild would; the previews are composed over it when presenting.
    const QRect changed = m_canvas.TakeChanged().intersected(
        QRect(QPoint(0, 0), m_surface.deviceIndependentSize().toSize()));
    if (!changed.isEmpty() && CurrentPage())
        CInkStrokes::Compose(m_surface, CurrentPage()->bitmap, backgroundColour, changed);
    PresentChanged(changed);
    // The tick runs only while a tool has something to do at it.
    bool ticks = false;
    for (int i = 0; i < m_tools->Count() && !ticks; ++i)
        ticks = m_tools->At(i).WantsTicks();
    if (ticks && !m_strokeTimer.isActive())
        m_strokeTimer.start(kStrokePeriodMs, this);
    else if (!ticks)
        m_strokeTimer.stop();
}

void CMainWindow::CancelText() {
    m_tools->Text().Discard();
    m_canvas.TakeChanged(); // the redraw shows all of it
    DoRedraw();
    textWindow->ClearText();
    // The keyboard goes back to the overlay, not to nowhere.
    TakeKeyboard();
    textWindow->hide();
    AfterTool();
}

void CMainWindow::RegionSelected(const QRect& /*region*/) {
    tool = savedTool;
    DoRedraw();
    ToolPageChanged();
    UpdateToolCursor();
    // The surface without the tint and the readout is on the screen before the grab.
    CopyRegionToClipboard();
}

void CMainWindow::ChooseTool(int number) {
    tool = number;
    CurrentTool().Chosen();
    UpdateToolCursor();
}

void CMainWindow::UpdateToolCursor() {
    // The region selection's cross and the text tool's arrow replace whatever the last tool
    // showed too.
    if (!m_pointerMode)
        OnSetCursor();
}

void CMainWindow::OnRButtonDown(const QPoint& point) {
    const QString caption = CurrentTool().MenuCaption();
    if (caption.isEmpty())
        return;
    const CMenuPopup* popup = m_menu.FindPopupByCaption(caption);
    if (!popup) {
        Trace("Error, cannot find submenu %s\n", qPrintable(caption));
        return;
    }
    const QPoint at = display->OverlayRect().topLeft() + point;
    if (const CommandId chosen = m_dialogs.TrackPopupMenu(this, *popup, at))
        OnCommand(chosen);
}

void CMainWindow::keyPressEvent(QKeyEvent* event) {
    if (OnKeyDown(event->key(), event->modifiers(), event->nativeScanCode()))
        QWidget::keyPressEvent(event);
    else
        event->accept();
}

void CMainWindow::wheelEvent(QWheelEvent* event) {
    if (CurrentTool().Wheel(event->angleDelta().y(), event->modifiers())) {
        event->accept();
        AfterTool();
    } else {
        QWidget::wheelEvent(event);
    }
}

bool CMainWindow::OnKeyDown(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode) {
    if (CurrentTool().Key(key, modifiers)) {
        AfterTool();
        return false;
    }
    const COverlayKeyAction action = COverlayKeys::Lookup(key, modifiers, nativeScanCode);
    if (action.copyToClipboard)
        CopyRegionToClipboard();
    if (action.command)
        OnCommand(action.command);
    return action.defaultProcessing;
}

void CMainWindow::OnHotKey(int id) {
    if (!hotKeysEnabled || id <= 0 || id > 0xFFFF)
        return;
    const QString name = hotKeys.NameOfAtom(static_cast<quint16>(id));
    if (name.isEmpty())
        return;
    if (name == QLatin1String("toolbar"))
        ToggleToolbar();
    else
        OnCommand(HotKeyTable::CommandOf(name));
    // Puts the pointer where it is, so that its shape follows a tool change at once.
    QCursor::setPos(QCursor::pos());
}

void CMainWindow::OnCmdTool(int number) {
    LeavePointerMode();
    ChooseTool(number);
}

void CMainWindow::OnCmdToolValue(CommandId id) {
    LeavePointerMode();
    const int number = m_values.Apply(id);
    if (number >= 0)
        ChooseTool(number);
}

void CMainWindow::OnCmdSave() {
    // The picture is taken first, so the dialog is never in it, and only once whatever just
    // changed on the overlay (a committed text, a closed bubble) is on the screen.
    const QImage picture = GrabAfterChange(
        CScreenshot::SourceRect(clipRegion, display->OverlayRect()), DevicePixelRatio());
    m_screenshotSaver->Save(picture, m_toolbarWindow ? m_toolbarWindow.data() : this, this,
                            m_displayServer.GrabError());
}

void CMainWindow::OnCmdPause() {
    // While recording this pauses and resumes; until then it selects the clip region.
    if (m_recordingControl && m_recordingControl->OnCmdPauseWhileRecording())
        return;
    if (!recording)
        BeginClipSelection();
}

void CMainWindow::BeginClipSelection() {
    // Pressed again before the drag: the tool to return to is still the one from before the
    // first press, never the region selection itself.
    if (tool != CToolRegistry::kRegion)
        savedTool = tool;
    clipRegion = QRect(0, 0, 0, 0);
    tool = CToolRegistry::kRegion;
    LeavePointerMode();
    OnSetCursor();
    // The next recording builds its graph for the new region.
    if (m_recordingControl)
        m_recordingControl->ReleaseRecordingGraph();
    DoRedraw();
}

void CMainWindow::CopyRegionToClipboard() {
    QImage picture;
    if (clipRegion.width() > 0 && clipRegion.height() > 0)
        picture = GrabAfterChange(clipRegion.translated(display->OverlayRect().topLeft()),
                                  DevicePixelRatio());
    else if (QScreen* primary = QGuiApplication::primaryScreen())
        picture = GrabAfterChange(primary->geometry(), primary->devicePixelRatio());
    if (!picture.isNull()) {
        QGuiApplication::clipboard()->setImage(picture);
        return;
    }
    // Nothing goes to the clipboard rather than a black picture, and the user hears why.
    const QString why = m_displayServer.GrabError();
    Trace("Copy to clipboard failed: %s\n", qPrintable(why));
    m_dialogs.ShowNotice(QStringLiteral("Nothing was copied: %1")
                             .arg(why.isEmpty() ? QStringLiteral("the screen could not be read.")
                                                : why));
}

QImage CMainWindow::GrabAfterChange(const QRect& screenRect, qreal ratio) {
    // Whatever just changed on the overlay must be on the screen before the grab.
    if (isVisible())
        repaint();
    m_displayServer.SyncWithScreen();
    return m_displayServer.GrabScreen(
        QRect(qRound(screenRect.x() * ratio), qRound(screenRect.y() * ratio),
              qRound(screenRect.width() * ratio), qRound(screenRect.height() * ratio)));
}

void CMainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Once mapped, the display server hears how the overlay takes the pointer.
    ApplyInputTransparency();
}

void CMainWindow::ApplyInputTransparency() {
    if (QWindow* window = windowHandle()) {
        // Set on the QWindow: it takes effect at once, where QWidget::setWindowFlag would unmap
        // and map the window again.
        const bool passes = m_pointerMode || m_stacking.IsDialogOpen();
        window->setFlag(Qt::WindowTransparentForInput, passes);
        m_displayServer.PointerPassesThrough(winId(), passes);
    }
}

void CMainWindow::UpdateFallbackShape() {
    if (windowHandle())
        m_fallback.UpdateShape(*this, m_pointerMode,
                               [this]() -> const QImage& { return Surface(); });
    m_shown = QImage(); // the picture was only for the shape
}

void CMainWindow::OnCompositingChanged(bool compositing) {
    m_fallback.SetCompositing(compositing);
    if (!compositing && !m_pointerMode) {
        LeavePointerMode(); // takes the frozen desktop picture
        return;
    }
    UpdateFallbackShape();
    update();
}

void CMainWindow::OnActivate(QWindow* focusWindow) {
    // Focus went to another program: clicks go to it again, and the toolbar recedes.
    if (IsOwnWindow(focusWindow) || m_exiting)
        return;
    if (!m_pointerMode)
        EnterPointerMode();
    toolbar->ActivateToolbar(false);
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_stacking.OnShowOrHide(watched, event))
        ApplyInputTransparency(); // the mouse goes through the overlay while a dialog is open
    return QWidget::eventFilter(watched, event);
}

void CMainWindow::OnCmdExit() {
    if (m_exiting)
        return;
    if (!m_dialogs.AskYesNo(this, QStringLiteral("Are you sure you want to exit Ravlin?"),
                            QStringLiteral("Ravlin")))
        return;
    ExitWithoutQuestion();
}

void CMainWindow::ExitWithoutQuestion() {
    if (m_exiting)
        return;
    m_exiting = true;
    m_stacking.Stop();
    // A recording in progress is finished first, so its file stays complete; the toolbar shows
    // it being saved meanwhile, and the user hears of it when that takes too long.
    if (m_recordingControl) {
        const QString problem = m_recordingControl->FinishRecording(true);
        if (!problem.isEmpty())
            m_dialogs.ShowWarning(this, problem, QStringLiteral("Warning"));
    }
    // The tray icon is released here once it exists.
    OnDestroy();
}

void CMainWindow::OnDestroy() {
    if (m_toolbarWindow)
        m_toolbarWindow->hide();
    textWindow->hide();
    webcamWindow->Destroy();
    hide();
    if (m_quit)
        m_quit();
}

void CMainWindow::OnPreferences() {
    CPreferences::Run(
        hotKeys, hotKeysEnabled, m_dialogs, this, &m_globalKeys,
        [this](const QString& title, const QString& text) { ShowTrayBalloon(title, text); });
}

void CMainWindow::OnActivateInstance() {
    // A second start while the overlay is hidden brings the toolbar back or hides it.
    if (!isVisible())
        ToggleToolbar();
}

// Recording. The screen source, the pipeline and the commands' work live in CRecordingControl;
// the overlay keeps the flags and tells it where to record.

void CMainWindow::SetScreenGrabber(std::unique_ptr<IScreenGrabber> grabber) {
    m_recordingControl.reset();
    m_screenGrabber = std::move(grabber);
    if (!m_screenGrabber)
        return;
    CRecordingControl::Host host = COverlayRecordingHost::Make(*this);
    m_recordingControl = std::make_unique<CRecordingControl>(
        m_dialogs, *m_screenGrabber,
        CRecordingControl::Flags{recordPointer, qualityPreset, recording, paused, hasSoundDevice},
        std::move(host));
    m_recordingControl->BuildRecordingGraph();
}

void CMainWindow::OnCmdRecord() {
    if (m_recordingControl)
        m_recordingControl->OnCmdRecord();
}

void CMainWindow::OnCmdRecordMouse() {
    if (m_recordingControl)
        m_recordingControl->OnCmdRecordMouse();
    else
        recordPointer = !recordPointer;
}

void CMainWindow::FinishRecording() {
    if (m_recordingControl)
        m_recordingControl->FinishRecording();
}
