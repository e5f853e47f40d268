#pragma once
// The overlay: a frameless, topmost, per-pixel-alpha window over one display, and the owner of
// the program's state. It dispatches every command; the work itself lives in the classes beside
// it.
#include "CCanvas.h"
#include "CCommandMap.h"
#include "CCompositorFallback.h"
#include "CMenuResource.h"
#include "CPageCommands.h"
#include "CPreviewLayer.h"
#include "CRavlinToolbar.h"
#include "CTextWindow.h"
#include "CToolRegistry.h"
#include "CToolValues.h"
#include "CUndoHistory.h"
#include "CWebcamWindow.h"
#include "CWindowStacking.h"
#include "GraphicsTypes.h"
#include "HotKeyTable.h"
#include "IToolHost.h"
#include "IToolbarOwner.h"
#include "IToolbarState.h"
#include "StackTier.h"
#include "_DisplayContext.h"
#include "_PageContext.h"

#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CDisplayWatcher;
class CScreenshotSaver;
class IDialogs;
class IDisplayServer;
class IGlobalKeys;
class IScreenGrabber;
class CRecordingControl;

class CMainWindow : public QWidget,
                    public IToolbarOwner,
                    private IToolHost,
                    private CPageCommands::IHost {
    Q_OBJECT
public:
    CMainWindow(IDisplayServer& displayServer, IDialogs& dialogs, IGlobalKeys& globalKeys);
    ~CMainWindow() override;

    // Start-up: creates the window over the current display and shows the first surface.
    void CreateOverlay();

    // Commands. The application fills the table; identifiers without a row do nothing.
    CCommandMap& Commands() { return m_commands; }
    bool OnCommand(CommandId id) { return m_commands.Dispatch(id); }

    // Exit: asks first; on Yes tears the windows down and ends the event loop.
    void OnCmdExit();
    // The same end without the question, for a session that is ending (logout, SIGTERM).
    void ExitWithoutQuestion();
    // Called once the overlay window is gone and the event loop should end.
    void SetQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    // A second start of the program asked this one to come forward.
    void OnActivateInstance();

    // The Preferences sheet (menu, a click on a warning balloon).
    void OnPreferences();
    // Warnings for the user that need no answer, shown by the tray icon (or what stands in
    // for it); the application connects them.
    void SetTrayBalloon(std::function<void(const QString&, const QString&)> show) {
        m_trayBalloon = std::move(show);
    }
    void ShowTrayBalloon(const QString& title, const QString& text) {
        if (m_trayBalloon)
            m_trayBalloon(title, text);
    }

    // Shows the whole surface (and, without a compositor, recomputes the window's shape).
    void PresentSurface();
    // Shows only the box a drawing tick changed, in overlay coordinates; an empty box, or one
    // wholly off the overlay, shows nothing.
    void PresentChanged(const QRect& box);
    void DoRedraw();
    qreal DevicePixelRatio() const;
    void SelectDisplay(int index) { LayOut(index, true); }
    void CenterToolbar();
    // The monitors changed while the program runs (Qt's screen signals, the tray menu's own
    // count): the overlay keeps its display, found by name, or goes to the primary one when
    // its display went; it is laid out again when what it covers changed; our floating windows
    // come back on screen.
    void FollowDisplays(std::vector<_DisplayEntry> displays);

    // Pointer mode: every click passes through the overlay to the windows below.
    void EnterPointerMode();
    void LeavePointerMode();
    bool IsPointerMode() const { return m_pointerMode; }

    // Tool commands; every choice of a tool or of one of its values ends pointer mode.
    void OnCmdPen() { OnCmdTool(CToolRegistry::kPen); }
    void OnCmdMarker() { OnCmdTool(CToolRegistry::kMarker); }
    void OnCmdEraser() { OnCmdTool(CToolRegistry::kEraser); }
    void OnCmdText() { OnCmdTool(CToolRegistry::kText); }
    void OnCmdTool(int number);
    void OnCmdMouse() {
        // A board is never shown while clicks pass through.
        OnCmdDesktopScene();
        EnterPointerMode();
    }
    // A colour, width or size: the value set and its tool chosen.
    void OnCmdToolValue(CommandId id);
    void OnCmdPenColour(CommandId id) { OnCmdToolValue(id); }
    void OnCmdPenWidth(CommandId id) { OnCmdToolValue(id); }
    void OnCmdMarkerColour(CommandId id) { OnCmdToolValue(id); }
    void OnCmdEraserSize(CommandId id) { OnCmdToolValue(id); }
    void OnCmdTextColour(CommandId id) { OnCmdToolValue(id); }
    void OnCmdTextSize(CommandId id) { OnCmdToolValue(id); }
    void OnCmdPause();
    void OnCmdQuality(CommandId id) { qualityPreset = id - ID_QUALITY_HIGH; }
    // Recording: the work is CRecordingControl's; these forward to it.
    void OnCmdRecord();
    void OnCmdRecordMouse();
    // Where recordings read the screen; without one (unit tests) nothing is recorded.
    void SetScreenGrabber(std::unique_ptr<IScreenGrabber> grabber);
    CRecordingControl* Recording() { return m_recordingControl.get(); }
    // Stops a recording in progress and finishes its file; touches no window, so it may run
    // when the display is gone.
    void FinishRecording();
    void ToggleToolbar() {
        if (m_toolbarWindow == toolbar.get())
            toolbar->Toggle();
        else if (m_toolbarWindow)
            m_toolbarWindow->setVisible(!m_toolbarWindow->isVisible());
    }
    // The webcam window: the Webcam command toggles it; a size choice also shows it.
    void OnCmdWebcam() { webcamWindow->ToggleWebcam(); }
    void OnCmdWebcamSize(CommandId id) {
        webcamWindow->OnCmdSize(id);
        if (!webcamWindow->IsShown())
            webcamWindow->ToggleWebcam();
    }
    CWebcamWindow* WebcamWindow() { return webcamWindow.get(); }

    // Pages and scenes; the work is CPageCommands'.
    void OnCmdNewPage() { m_pageCommands->NewPage(); }
    void OnCmdNextPage() { m_pageCommands->NextPage(); }
    void OnCmdPrevPage() { m_pageCommands->PreviousPage(); }
    void OnCmdDeletePage() { m_pageCommands->DeletePage(); }
    void OnCmdClear() { m_pageCommands->Clear(); }
    void OnCmdWhiteboard() { m_pageCommands->ToggleBoard(); }
    void OnCmdWhiteboardScene() { m_pageCommands->ChooseBoard(0xFFFFFFFF); }
    void OnCmdBlackboardScene() { m_pageCommands->ChooseBoard(0xFF000000); }
    void OnCmdDesktopScene() { m_pageCommands->DesktopScene(); }
    // Undo and redo on the current page: strokes, eraser strokes, committed texts and Clear.
    void OnCmdUndo() { m_pageCommands->Undo(); }
    void OnCmdRedo() { m_pageCommands->Redo(); }
    void SetToolbarState(IToolbarState* state) { m_toolbarState = state ? state : &m_noToolbar; }

    // Screenshots: the display or the clip region, as the screen shows it, to an image file.
    void OnCmdSave();

    // The text tool.
    CTextWindow* TextWindow() { return textWindow.get(); }
    void CommitText();
    void CancelText();
    // The region-selection tool: the next drag draws the clip region.
    void BeginClipSelection();
    void UpdateToolCursor();
    // The drawing tools by number (`tool`), and the values they draw with.
    CToolRegistry& Tools() { return *m_tools; }
    CToolValues& Values() { return m_values; }
    // The clock the drawing tick gives the tools (tests step it).
    void SetClock(std::function<std::uint32_t()> clock) { m_clock = std::move(clock); }
    // The tool drop-downs; the toolbar will share them.
    void SetMenu(CMenuResource menu) { m_menu = std::move(menu); }

    // The stroke pipeline: press, moves, the drawing tick and release, in overlay coordinates.
    static constexpr int kStrokeTimerId = 55;
    static constexpr int kStrokePeriodMs = 25;
    void OnLButtonDown(const QPoint& point);
    void OnMouseMove(const QPoint& point);
    void OnLButtonUp(const QPoint& point);
    void OnRButtonDown(const QPoint& point);
    void OnTimer(int id);
    bool IsStrokeTimerRunning() const { return m_strokeTimer.isActive(); }
    QCursor ToolCursor(int index) { return m_tools->At(index).Cursor(); }

    // Global shortcuts.
    void BuildDefaultHotKeys() { hotKeys.BuildDefaultHotKeys(); }
    void RegisterHotKeys() { hotKeys.RegisterHotKeys(); }
    void UnregisterHotKeys() { hotKeys.UnregisterHotKeys(); }
    void DoUpdateHotKeys() { hotKeys.DoUpdateHotKeys(); }
    void OnHotKey(int id);
    // The keys the overlay handles while it has the keyboard; false: the key goes no further.
    // `nativeScanCode`: the X key code (0 when the event came from no keyboard).
    bool OnKeyDown(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode = 0);
    // The clip region, or the whole primary screen without one, as it shows on the screen
    // (every window included) onto the clipboard.
    void CopyRegionToClipboard();

    // The toolbar's window for placement and stacking (tests put a plain window in its place).
    void SetToolbarWindow(QWidget* window) {
        m_toolbarWindow = window;
        SetStackTier(window, EStackTier::Toolbar);
    }
    // Puts one of our top-level windows into a stacking tier (StackTier.h gives the order); from
    // then on every restack keeps it there, above the overlay.
    void AddStackedWindow(QWidget* window, EStackTier tier) { m_stacking.Add(window, tier); }
    CRavlinToolbar* Toolbar() { return toolbar.get(); }
    void OnCmdHorizontal() { toolbar->OnCmdHorizontal(); }
    void OnCmdVertical() { toolbar->OnCmdVertical(); }

    // What the toolbar asks of its owner.
    void SendCommand(CommandId id) override { OnCommand(id); }
    void FinishTextEntry() override {
        if (textWindow->isVisible())
            CommitText();
    }
    bool IsRecording() const override { return recording != 0; }
    bool IsPaused() const override { return paused != 0; }
    bool IsOwnerWindow(const QWindow* window) const override {
        return window && (window == windowHandle() || window == textWindow->windowHandle());
    }
    void GiveKeyboardTo(QWidget* window) override {
        window->activateWindow();
        m_displayServer.GiveKeyboardFocus(window->winId());
    }
    QWidget* ToolbarWindow() const { return m_toolbarWindow; }

    // State the rest of the program and the tests read.
    _DisplayContext& Display() { return *display; }
    // What the window shows: the page over the background, the previews over them.
    const QImage& Surface() const;
    // Tests check that every write to the page was saved for undo first.
    CUndoHistory& UndoHistory() { return m_undo; }
    _PageContext* CurrentPage() { return pages.empty() ? nullptr : pages[currentPage].get(); }
    bool IsCompositing() const { return m_fallback.IsCompositing(); }
    bool IsOwnWindow(const QWindow* window) const;

    // The focus moved to `focusWindow` (null: to another program).
    void OnActivate(QWindow* focusWindow);

    // Tool state and the rest of the overlay's members.
    int recordPointer = 1;
    int qualityPreset = 0;
    int tool = 0; // the current tool's number in the tool registry
    ARGB backgroundColour = 0x01FFFFFF;
    ARGB boardColour = 0xFFFFFFFF;
    int desktopScene = 1;
    std::unique_ptr<_DisplayContext> display;
    int buttonDown = 0;
    std::unique_ptr<CRavlinToolbar> toolbar;
    std::unique_ptr<CTextWindow> textWindow;
    std::unique_ptr<CWebcamWindow> webcamWindow;
    std::vector<std::unique_ptr<_PageContext>> pages;
    size_t currentPage = 0;
    int recording = 0;
    int paused = 0;
    int hotKeysEnabled = 1;
    HotKeyTable hotKeys;
    QRect clipRegion;
    int savedTool = 0;
    int hasSoundDevice = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnCreate();
    void OnDestroy();
    void OnCompositingChanged(bool compositing);
    void ApplyInputTransparency();
    void TakeKeyboard();
    void TakeDesktopGrab();
    // The clip region's frame drawn, and the window put over the overlay rectangle.
    void PrepareSurfaceForPresent();
    // The screen inside a rectangle of logical screen coordinates, in device pixels, taken once
    // the overlay's latest change has reached the screen.
    QImage GrabAfterChange(const QRect& screenRect, qreal ratio);
    ITool& CurrentTool() { return m_tools->At(tool); }
    void ChooseTool(int number);
    // After a tool did something: what it wrote composed onto the surface, that and what its
    // previews changed presented, and the tick kept running while a tool wants it.
    void AfterTool();
    // The page under the current tool changed: it prepares again what it takes from it.
    void ToolPageChanged() { CurrentTool().PageChanged(); }
    // A command that changes the page or the scene arrived in the middle of a drag: the stroke
    // so far becomes one undo step before the command runs, and the drag draws nothing more
    // until the button is released.
    void InterruptStroke() override;
    // What the page commands need of the overlay.
    bool IsDragging() const override { return buttonDown != 0; }
    void PageShownChanged() override {
        DoRedraw();
        ToolPageChanged();
    }
    void SetPageInfo(int current, int count) override {
        m_toolbarState->SetPageInfo(current, count);
    }
    QSize PageSize() const override { return display->OverlayRect().size(); }
    qreal PageRatio() const override { return DevicePixelRatio(); }
    void BoardShown() override;
    // What the tools need of the overlay.
    CCanvas& Canvas() override { return m_canvas; }
    CPreviewLayer& Previews() override { return m_previews; }
    const CToolValues& Values() const override { return m_values; }
    QRect OverlayRect() const override { return display->OverlayRect(); }
    bool IsDesktopScene() const override { return desktopScene != 0; }
    ARGB BackgroundColour() const override { return backgroundColour; }
    void RegionSelected(const QRect& region) override;
    void OnSetCursor() { setCursor(CurrentTool().Cursor()); }
    void UpdateFallbackShape();
    void MakeSurfaces();
    // The overlay over display `index` (the one it covers when there is none such): pages,
    // surfaces, the clip region and the text entry follow it; the toolbar goes to its home there
    // when asked.
    void LayOut(int index, bool placeToolbar);

    IDisplayServer& m_displayServer;
    CWindowStacking m_stacking{*this, m_displayServer};
    IDialogs& m_dialogs;
    IGlobalKeys& m_globalKeys;
    CCommandMap m_commands;
    std::function<void()> m_quit;
    std::function<void(const QString&, const QString&)> m_trayBalloon;
    QImage m_surface;
    mutable QImage m_shown; // Surface(): the surface with the previews over it
    QBasicTimer m_strokeTimer;
    std::function<std::uint32_t()> m_clock;
    CMenuResource m_menu;
    CNoToolbarState m_noToolbar;
    IToolbarState* m_toolbarState = &m_noToolbar;
    CToolValues m_values;
    CPreviewLayer m_previews;
    std::unique_ptr<CToolRegistry> m_tools;
    ITool* m_dragTool = nullptr; // the tool that took the press, while the button is down
    std::unique_ptr<CScreenshotSaver> m_screenshotSaver;
    std::unique_ptr<CDisplayWatcher> m_displayWatcher;
    CUndoHistory m_undo;
    CCanvas m_canvas{m_undo, pages, currentPage};
    std::unique_ptr<CPageCommands> m_pageCommands;
    CCompositorFallback m_fallback{m_displayServer, m_dialogs};
    QPointer<QWidget> m_toolbarWindow;
    bool m_pointerMode = true;
    bool m_exiting = false;
    std::unique_ptr<IScreenGrabber> m_screenGrabber;
    std::unique_ptr<CRecordingControl> m_recordingControl;
};
