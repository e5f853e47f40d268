#include "CMainWindow.h"

#include "CBitmap.h"
#include "CDisplayWatcher.h"
#include "CGraphics.h"
#include "CInkShape.h"
#include "CInkStrokes.h"
#include "COverlayKeys.h"
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
#include <QWindow>
#include <algorithm>
#include <optional>

namespace {
constexpr int kFocusSettleMs = 100;
const char* const kNoCompositorNotice =
    "No compositing manager is running, so the desktop cannot show through Ravlin's "
    "drawings. Your drawings stay visible and clicks still reach your programs; while you "
    "draw, the screen behind the drawings is frozen.";
} // namespace

CMainWindow::CMainWindow(IDisplayServer& displayServer, IDialogs& dialogs, IGlobalKeys& globalKeys)
    : hotKeys(globalKeys), m_displayServer(displayServer), m_dialogs(dialogs),
      m_globalKeys(globalKeys) {
    // The toolbar comes first: it opens the log and reads its definition file.
    toolbar = std::make_unique<CRavlinToolbar>(*this, dialogs);
    m_toolbarWindow = toolbar.get();
    m_toolbarState = toolbar.get();
    hotKeys.BuildDefaultHotKeys();
    m_globalKeys.SetHotKeyHandler([this](int id) { OnHotKey(id); });
    textWindow = std::make_unique<CTextWindow>();
    textWindow->onTextChanged = [this](const QString& typed) { text = typed; };
    textWindow->onCommit = [this] { CommitText(); };
    textWindow->onCancel = [this] { CancelText(); };
    m_textTool = std::make_unique<CTextTool>(*textWindow, displayServer);
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
    toolTexture =
        CBitmap::CreateBitmap(qRound(size.width() * ratio), qRound(size.height() * ratio));
    toolTexture.setDevicePixelRatio(ratio);
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
    m_surface = pages[0]->bitmap.copy();
    m_surface.setDevicePixelRatio(DevicePixelRatio());

    UpdateToolCursor();
    m_compositing = m_displayServer.IsCompositing();
    EnterPointerMode();
    if (!m_compositing)
        OnCompositingChanged(false);
    toolbar->show();
    webcamWindow->Create();
    toolbar->CheckMenuItem("webcam", webcamWindow->SizeCommand());
}

void CMainWindow::OnCmdWebcam() {
    webcamWindow->ToggleWebcam();
}

void CMainWindow::OnCmdWebcamSize(CommandId id) {
    webcamWindow->OnCmdSize(id);
    if (!webcamWindow->IsShown())
        webcamWindow->ToggleWebcam();
}

bool CMainWindow::IsOwnerWindow(const QWindow* window) const {
    return window && (window == windowHandle() || window == textWindow->windowHandle());
}

void CMainWindow::GiveKeyboardTo(QWidget* window) {
    window->activateWindow();
    m_displayServer.GiveKeyboardFocus(window->winId());
}

void CMainWindow::FinishTextEntry() {
    if (textWindow->isVisible())
        CommitText();
}

void CMainWindow::OnCmdHorizontal() {
    toolbar->OnCmdHorizontal();
}

void CMainWindow::OnCmdVertical() {
    toolbar->OnCmdVertical();
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
    UpdateFallbackShape();
    update();
}

void CMainWindow::PresentChanged(const QRect& box) {
    // A drawing tick: only the box it touched goes to the screen, and a box wholly off the
    // overlay (a drag that went on to another monitor) costs nothing at all.
    const QRect visible = box.intersected(QRect(QPoint(0, 0), display->OverlayRect().size()));
    if (visible.isEmpty())
        return;
    PrepareSurfaceForPresent();
    update(visible);
}

void CMainWindow::PrepareSurfaceForPresent() {
    if (clipRegion.width() > 0 && clipRegion.height() > 0) {
        CGraphics graphics(&m_surface);
        CPen pen(0xFF000000u, 1.0f);
        pen.SetDashStyle(EDashStyle::DashDotDot);
        graphics.DrawRectangle(pen, QRect(clipRegion.x() - 1, clipRegion.y() - 1,
                                          clipRegion.width() + 2, clipRegion.height() + 2));
    }
    // Presenting also puts the window over the overlay rectangle.
    if (geometry() != display->OverlayRect())
        setGeometry(display->OverlayRect());
}

void CMainWindow::DoRedraw() {
    m_textTool->ForgetPreview();
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
    const bool frozenDesktop = !m_compositing && !m_desktopGrab.isNull();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& rect : event->region()) {
        const QRectF source(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio,
                            rect.height() * ratio);
        if (frozenDesktop) {
            // Without a compositor alpha means nothing to the screen: show the desktop as it was
            // when drawing began, with the ink over it.
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QRectF(rect), m_desktopGrab, source);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        painter.drawImage(QRectF(rect), m_surface, source);
    }
    // Some desktops forget an emptied input shape when the window is repainted after it.
    if (m_pointerMode || m_stacking.IsDialogOpen())
        m_displayServer.PointerPassesThrough(winId(), true);
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

void CMainWindow::SelectDisplay(int index) {
    LayOut(index, true);
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
    m_surface = CurrentPage() ? CurrentPage()->bitmap.copy() : QImage();
    m_surface.setDevicePixelRatio(ratio);
    MakeSurfaces();
    // The new texture is blank: the marker would copy transparent paint over the ink, the
    // eraser leave nothing instead of the background.
    RefreshToolTexture();
    // Drawing without a compositor shows the desktop frozen under the ink: it must be the
    // desktop of the display the overlay now covers.
    if (!m_compositing && !m_pointerMode) {
        TakeDesktopGrab();
        UpdateFallbackShape();
    }

    if (clipRegion.width() > 0 && clipRegion.height() > 0 && !oldRect.isEmpty()) {
        const int ow = oldRect.width(), oh = oldRect.height();
        const int nw = newRect.width(), nh = newRect.height();
        clipRegion = QRect(nw * clipRegion.x() / ow, nh * clipRegion.y() / oh,
                           nw * clipRegion.width() / ow, nh * clipRegion.height() / oh);
    }
    m_textTool->FollowDisplay(oldRect, newRect, textAnchorX, textAnchorY);
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
    m_desktopGrab = QImage();
    ApplyInputTransparency();
    UpdateFallbackShape();
    update();
}

void CMainWindow::TakeDesktopGrab() {
    // Take the desktop as it is without our ink on it, to show it frozen under the ink.
    const QRect rect(QPoint(0, 0), m_surface.size());
    if (isVisible()) {
        m_displayServer.SetBoundingShape(winId(), QRegion());
        m_displayServer.SyncWithScreen();
    }
    const QRect area = display->OverlayRect();
    const qreal ratio = DevicePixelRatio();
    m_desktopGrab = m_displayServer.GrabScreen(
        QRect(qRound(area.x() * ratio), qRound(area.y() * ratio), rect.width(), rect.height()));
    m_desktopGrab.setDevicePixelRatio(ratio);
}

void CMainWindow::LeavePointerMode() {
    if (!m_compositing)
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
    BeginStroke(point);
    AddStrokePoint(point);
}

void CMainWindow::OnMouseMove(const QPoint& point) {
    if (buttonDown)
        AddStrokePoint(point);
}

void CMainWindow::OnLButtonUp(const QPoint& point) {
    if (!buttonDown)
        return;
    AddStrokePoint(point);
    buttonDown = 0;
    EndStroke(point);
}

void CMainWindow::BeginStroke(const QPoint& point) {
    dirtyRect = QRect(0, 0, 0, 0);
    if (tool <= 2 && CurrentPage())
        m_undo.BeginStep(*CurrentPage());
    if (tool == 3)
        clipRegion = QRect(point.x(), point.y(), clipRegion.width(), clipRegion.height());
    if (tool == 4) {
        textAnchorX = static_cast<float>(point.x());
        textAnchorY = static_cast<float>(point.y());
        PlaceTextWindow(point, true);
    }
    m_strokeTimer.start(kStrokePeriodMs, this);
}

void CMainWindow::AddStrokePoint(const QPoint& point) {
    if (tool == 3) {
        // Even sizes that keep their sign (division truncates toward zero).
        clipRegion = QRect(clipRegion.x(), clipRegion.y(), (point.x() - clipRegion.x()) / 2 * 2,
                           (point.y() - clipRegion.y()) / 2 * 2);
    }
    if (tool == 4) {
        textAnchorX = static_cast<float>(point.x());
        textAnchorY = static_cast<float>(point.y());
    }
    strokePoints.push_back(point);
}

void CMainWindow::FinishStrokeSoFar() {
    // What was gathered since the last tick is drawn, not dropped: a quick stroke keeps its
    // end. A click without a move still draws nothing.
    if (tool <= 2 && strokePoints.size() > 1)
        DrawStrokeStep();
    strokePoints.clear();
    if (m_undo.IsStepOpen() && CurrentPage())
        m_undo.EndStep(*CurrentPage(), pages);
}

void CMainWindow::InterruptStroke() {
    // Only a drag that writes to the page has a step open; the region's and the text's drags
    // go on.
    if (!buttonDown || !m_undo.IsStepOpen())
        return;
    FinishStrokeSoFar();
    buttonDown = 0; // the moves and the release that follow are the rest of a finished drag
    if (!textWindow->isVisible())
        m_strokeTimer.stop();
    RefreshToolTexture(dirtyRect);
}

void CMainWindow::EndStroke(const QPoint& point) {
    FinishStrokeSoFar();
    if (tool == 3)
        EndClipSelection();
    else if (tool == 4)
        PlaceTextWindow(point, false);
    // The timer goes on only while there is a text preview to keep drawing.
    if (!textWindow->isVisible())
        m_strokeTimer.stop();
    RefreshToolTexture(dirtyRect);
}

void CMainWindow::PlaceTextWindow(const QPoint& point, bool show) {
    m_textTool->PlaceWindow(m_surface, display->OverlayRect(), point, textSize, show);
}

CTextLook CMainWindow::TextLook() const {
    return {text, QPointF(textAnchorX, textAnchorY), textSize, textColour};
}

QRect CMainWindow::DrawTextAnnotation(QImage& target, bool preview) {
    return CTextTool::Draw(target, TextLook(), preview);
}

void CMainWindow::DrawTextPreview() {
    if (_PageContext* page = CurrentPage())
        PresentChanged(
            m_textTool->DrawPreview(m_surface, page->bitmap, backgroundColour, TextLook(), rect()));
}

void CMainWindow::CommitText() {
    if (_PageContext* page = CurrentPage()) {
        m_undo.BeginStep(*page);
        m_undo.TouchOverlayBox(*page, CTextTool::InkBounds(page->bitmap, TextLook()));
        DrawTextAnnotation(page->bitmap, false);
        m_undo.EndStep(*page, pages);
    }
    CancelText();
}

void CMainWindow::CancelText() {
    text.clear();
    m_strokeTimer.stop();
    DoRedraw();
    textWindow->ClearText();
    // The keyboard goes back to the overlay, not to nowhere.
    TakeKeyboard();
    textWindow->hide();
}

void CMainWindow::EndClipSelection() {
    clipRegion = CInkStrokes::Normalised(clipRegion);
    tool = savedTool;
    DoRedraw();
    RefreshToolTexture();
    UpdateToolCursor();
    // The surface without the tint and the readout is on the screen before the grab.
    CopyRegionToClipboard();
}

void CMainWindow::OnTimer(int id) {
    if (id == kStrokeTimerId)
        DrawStrokeStep();
}

void CMainWindow::DrawStrokeStep() {
    const size_t n = strokePoints.size();
    _PageContext* page = CurrentPage();
    if (!page || (tool != 4 && n <= 1))
        return;
    QRect changed;
    if (tool <= 2 && CInkStrokes::Moves(strokePoints)) {
        // The undo step saves what the segment is about to cover.
        const float width =
            tool == 0 ? penWidth : static_cast<float>(tool == 1 ? markerWidth : eraserWidth);
        m_undo.TouchOverlayBox(*page, CInkStrokes::StrokeBounds(tool, strokePoints, width));
    }
    switch (tool) {
    case 0:
        if (CInkStrokes::Moves(strokePoints))
            changed = CInkStrokes::DrawPen(page->bitmap, strokePoints, penColour, penWidth);
        break;
    case 1:
        if (CInkStrokes::Moves(strokePoints))
            changed = CInkStrokes::DrawMarker(page->bitmap, strokePoints, toolTexture, markerWidth,
                                              dirtyRect);
        break;
    case 2:
        if (CInkStrokes::Moves(strokePoints))
            changed = CInkStrokes::DrawEraser(page->bitmap, strokePoints, toolTexture, eraserWidth,
                                              desktopScene == 0);
        break;
    case 3:
        CInkStrokes::DrawRegionPreview(m_surface, page->bitmap, desktopScene != 0, boardColour,
                                       clipRegion);
        changed = rect();
        break;
    case 4:
        DrawTextPreview();
        break;
    default:
        break;
    }
    if (n > 1)
        strokePoints.erase(strokePoints.begin(), strokePoints.end() - 1);
    changed = changed.intersected(QRect(QPoint(0, 0), display->OverlayRect().size()));
    if (changed.isEmpty())
        return;
    // The ink went to the page; the surface takes the changed box from it, so it shows exactly
    // what a rebuild would.
    if (tool <= 2)
        CInkStrokes::Compose(m_surface, page->bitmap, backgroundColour, changed);
    PresentChanged(changed);
}

void CMainWindow::RefreshToolTexture(const std::optional<QRect>& rect) {
    if (_PageContext* page = CurrentPage())
        CInkStrokes::RefreshToolTexture(toolTexture, tool, page->bitmap, desktopScene != 0,
                                        backgroundColour, markerColour, rect);
}

void CMainWindow::UpdateToolCursor() {
    if (m_pointerMode)
        return;
    if (tool >= 0 && tool <= 2) {
        const ARGB colours[] = {penColour, markerColour, 0};
        m_toolCursors[tool] = CToolCursors::Build(tool, colours[tool]);
    }
    // The region selection's cross and the text tool's arrow have nothing to build, but they
    // still replace whatever the last tool showed.
    OnSetCursor();
}

void CMainWindow::OnSetCursor() {
    if (tool >= 0 && tool <= 2)
        setCursor(m_toolCursors[tool]);
    else if (tool == 3)
        setCursor(Qt::CrossCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CMainWindow::OnRButtonDown(const QPoint& point) {
    static const char* const kPopups[] = {"pen", "marker", "eraser", nullptr, "text"};
    if (tool < 0 || tool > 4 || !kPopups[tool])
        return;
    const CMenuPopup* popup = m_menu.FindPopupByCaption(QString::fromLatin1(kPopups[tool]));
    if (!popup) {
        Trace("Error, cannot find submenu %s\n", kPopups[tool]);
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

bool CMainWindow::OnKeyDown(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode) {
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

void CMainWindow::OnCmdPen() {
    LeavePointerMode();
    tool = 0;
    UpdateToolCursor();
}

void CMainWindow::OnCmdMarker() {
    LeavePointerMode();
    tool = 1;
    RefreshToolTexture();
    UpdateToolCursor();
}

void CMainWindow::OnCmdEraser() {
    LeavePointerMode();
    tool = 2;
    RefreshToolTexture();
    UpdateToolCursor();
}

void CMainWindow::OnCmdText() {
    tool = 4;
    LeavePointerMode();
    OnSetCursor();
}

void CMainWindow::OnCmdMouse() {
    // A board is never shown while clicks pass through.
    OnCmdDesktopScene();
    EnterPointerMode();
}

void CMainWindow::OnCmdPenColour(CommandId id) {
    static constexpr ARGB kColours[] = {0xFF000000, 0xFF0000FF, 0xFF008000,
                                        0xFFFF0000, 0xFFFFFFFF, 0xFFFFFF00};
    tool = 0;
    LeavePointerMode();
    penColour = kColours[id - ID_PEN_BLACK];
    UpdateToolCursor();
}

void CMainWindow::OnCmdPenWidth(CommandId id) {
    static constexpr float kWidths[] = {2.5f, 5.0f, 7.5f, 10.0f};
    tool = 0;
    LeavePointerMode();
    penWidth = kWidths[id - ID_PEN_THINNER];
    UpdateToolCursor();
}

void CMainWindow::OnCmdMarkerColour(CommandId id) {
    static constexpr ARGB kColours[] = {0x8FFFFF00, 0x8F40E0D0, 0x8F90EE90, 0x8FFFC0CB};
    LeavePointerMode();
    markerColour = kColours[id - ID_MARKER_YELLOW];
    markerWidth = 20;
    tool = 1;
    RefreshToolTexture();
    UpdateToolCursor();
}

void CMainWindow::OnCmdEraserSize(CommandId id) {
    static constexpr int kWidths[] = {10, 20, 40};
    LeavePointerMode();
    eraserWidth = kWidths[id - ID_ERASER_SMALL];
    tool = 2;
    RefreshToolTexture();
    UpdateToolCursor();
}

void CMainWindow::OnCmdTextColour(CommandId id) {
    tool = 4;
    LeavePointerMode();
    switch (id) {
    case ID_TEXT_BLACK:
        textColour = 0xFF000000;
        break;
    case ID_TEXT_BLUE:
        textColour = 0xFF0000FF;
        break;
    case ID_TEXT_GREEN:
        textColour = 0xFF008000;
        break;
    case ID_TEXT_RED:
        textColour = 0xFFFF0000;
        break;
    case ID_TEXT_WHITE:
        textColour = 0xFFFFFFFF;
        break;
    case ID_TEXT_YELLOW:
        textColour = 0xFFFFFF00;
        break;
    default:
        break;
    }
    OnSetCursor();
}

void CMainWindow::OnCmdTextSize(CommandId id) {
    static constexpr int kSizes[] = {12, 24, 36, 48};
    tool = 4;
    LeavePointerMode();
    textSize = kSizes[id - ID_TEXT_12PT];
    OnSetCursor();
}

void CMainWindow::SelectPage(size_t index) {
    currentPage = index;
}

void CMainWindow::AfterPageChange(bool tellToolbar) {
    CPageStore::ShowOnly(pages, currentPage);
    RefreshToolTexture();
    if (tellToolbar)
        m_toolbarState->SetPageInfo(static_cast<int>(currentPage), static_cast<int>(pages.size()));
    DoRedraw();
}

void CMainWindow::OnCmdNewPage() {
    InterruptStroke();
    CPages::New(pages, currentPage, display->OverlayRect().size(), DevicePixelRatio());
    SelectPage(currentPage);
    AfterPageChange(true);
}

void CMainWindow::OnCmdNextPage() {
    InterruptStroke();
    if (CPages::Next(pages, currentPage))
        AfterPageChange(true);
}

void CMainWindow::OnCmdPrevPage() {
    InterruptStroke();
    if (CPages::Previous(currentPage))
        AfterPageChange(true);
}

void CMainWindow::OnCmdDeletePage() {
    InterruptStroke();
    // The only page is cleared, and the counter stays as it was; that clearing can be undone
    // like Clear.
    _PageContext* only = pages.size() == 1 ? CurrentPage() : nullptr;
    if (only) {
        m_undo.BeginStep(*only);
        m_undo.TouchAll(*only);
    }
    const bool removed = CPages::Delete(pages, currentPage);
    if (only)
        m_undo.EndStep(*only, pages);
    AfterPageChange(removed);
}

void CMainWindow::OnCmdClear() {
    InterruptStroke();
    if (_PageContext* page = CurrentPage()) {
        m_undo.BeginStep(*page);
        m_undo.TouchAll(*page);
        CPages::Clear(*page);
        m_undo.EndStep(*page, pages);
    }
    DoRedraw();
    RefreshToolTexture();
}

void CMainWindow::OnCmdUndo() {
    ApplyHistory(false);
}

void CMainWindow::OnCmdRedo() {
    ApplyHistory(true);
}

void CMainWindow::ApplyHistory(bool redo) {
    // Not in the middle of a drag: the stroke being drawn is not a step yet.
    _PageContext* page = CurrentPage();
    if (!page || buttonDown)
        return;
    if (!(redo ? CUndoHistory::Redo(*page) : CUndoHistory::Undo(*page)))
        return;
    DoRedraw();
    RefreshToolTexture();
}

void CMainWindow::ChooseBoard(ARGB colour) {
    InterruptStroke();
    boardColour = backgroundColour = colour;
    desktopScene = 0;
    DoRedraw();
    RefreshToolTexture();
    if (m_pointerMode) {
        LeavePointerMode();
        // From pointer mode at start no tool cursor was ever built.
        UpdateToolCursor();
    }
}

void CMainWindow::OnCmdWhiteboardScene() {
    ChooseBoard(0xFFFFFFFF);
}

void CMainWindow::OnCmdBlackboardScene() {
    ChooseBoard(0xFF000000);
}

void CMainWindow::OnCmdDesktopScene() {
    if (desktopScene == 1)
        return;
    InterruptStroke();
    desktopScene = 1;
    backgroundColour = 0x01FFFFFF;
    DoRedraw();
    RefreshToolTexture();
}

void CMainWindow::OnCmdWhiteboard() {
    if (desktopScene == 0) {
        OnCmdDesktopScene();
        return;
    }
    ChooseBoard(boardColour);
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
    if (tool != 3)
        savedTool = tool;
    clipRegion = QRect(0, 0, 0, 0);
    tool = 3;
    LeavePointerMode();
    OnSetCursor();
    // The next recording builds its graph for the new region.
    if (m_recordingControl)
        m_recordingControl->ReleaseRecordingGraph();
    DoRedraw();
}

void CMainWindow::ToggleToolbar() {
    if (m_toolbarWindow == toolbar.get())
        toolbar->Toggle();
    else if (m_toolbarWindow)
        m_toolbarWindow->setVisible(!m_toolbarWindow->isVisible());
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
    if (!windowHandle())
        return;
    if (m_compositing || !m_pointerMode) {
        m_displayServer.SetBoundingShape(winId(), std::nullopt);
        return;
    }
    // No compositor and nothing to click: only the ink itself is shown, the desktop stays live
    // around it.
    m_displayServer.SetBoundingShape(winId(), CInkShape::Of(m_surface));
}

void CMainWindow::OnCompositingChanged(bool compositing) {
    m_compositing = compositing;
    if (!compositing && !m_fallbackNoticeShown) {
        m_fallbackNoticeShown = true;
        m_dialogs.ShowNotice(QString::fromLatin1(kNoCompositorNotice));
    }
    if (!compositing && !m_pointerMode) {
        LeavePointerMode(); // takes the frozen desktop picture
        return;
    }
    if (compositing)
        m_desktopGrab = QImage();
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

void CMainWindow::SetToolbarWindow(QWidget* window) {
    m_toolbarWindow = window;
    SetStackTier(window, EStackTier::Toolbar);
}

void CMainWindow::AddStackedWindow(QWidget* window, EStackTier tier) {
    m_stacking.Add(window, tier);
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
    // Screen rectangles in the device pixels recordings are made of: a display keeps its origin
    // and scales its size.
    auto toDevice = [this](const QRect& rect) {
        const qreal ratio = DevicePixelRatio();
        const QPoint origin = display->CurrentEntry().monitorRect.topLeft();
        return QRect(origin + (rect.topLeft() - origin) * ratio,
                     QSize(qRound(rect.width() * ratio), qRound(rect.height() * ratio)));
    };
    CRecordingControl::Host host;
    host.dialogOwner = [this]() -> QWidget* {
        return m_toolbarWindow ? m_toolbarWindow.data() : this;
    };
    host.warningOwner = [this]() -> QWidget* { return this; };
    host.monitorRect = [this, toDevice] { return toDevice(display->CurrentEntry().monitorRect); };
    host.clipRect = [this, toDevice] {
        if (clipRegion.width() <= 0 || clipRegion.height() <= 0)
            return QRect();
        return toDevice(clipRegion.translated(display->OverlayRect().topLeft()));
    };
    host.enterPointerMode = [this] { EnterPointerMode(); };
    host.setRecordState = [this](bool on) {
        if (toolbar)
            toolbar->SetRecordState(on);
    };
    host.setPauseState = [this](bool on, bool pausedNow) {
        if (toolbar)
            toolbar->SetPauseState(on, pausedNow);
    };
    host.showRecordingTime = [this](const QString& time, bool dotLit, bool shown) {
        if (toolbar)
            toolbar->SetRecordingTime(time, dotLit, shown);
    };
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
