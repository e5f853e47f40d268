#pragma once
// The overlay: a frameless, topmost, per-pixel-alpha window over one display, and the owner of
// the program's state. It dispatches every command; the work itself lives in the classes beside
// it.
#include "CCommandMap.h"
#include "CMenuResource.h"
#include "CRavlinToolbar.h"
#include "CTextTool.h"
#include "CTextWindow.h"
#include "CUndoHistory.h"
#include "CWebcamWindow.h"
#include "CWindowStacking.h"
#include "GraphicsTypes.h"
#include "HotKeyTable.h"
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

class CMainWindow : public QWidget, public IToolbarOwner {
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
    void SelectDisplay(int index);
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
    void OnCmdPen();
    void OnCmdMarker();
    void OnCmdEraser();
    void OnCmdText();
    void OnCmdMouse();
    void OnCmdPenColour(CommandId id);
    void OnCmdPenWidth(CommandId id);
    void OnCmdMarkerColour(CommandId id);
    void OnCmdEraserSize(CommandId id);
    void OnCmdTextColour(CommandId id);
    void OnCmdTextSize(CommandId id);
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
    void ToggleToolbar();
    // The webcam window: the Webcam command toggles it; a size choice also shows it.
    void OnCmdWebcam();
    void OnCmdWebcamSize(CommandId id);
    CWebcamWindow* WebcamWindow() { return webcamWindow.get(); }

    // Pages and scenes.
    void OnCmdNewPage();
    void OnCmdNextPage();
    void OnCmdPrevPage();
    void OnCmdDeletePage();
    void OnCmdClear();
    void OnCmdWhiteboard(); // the toggle between the desktop and the last board
    void OnCmdWhiteboardScene();
    void OnCmdBlackboardScene();
    void OnCmdDesktopScene();
    void SelectPage(size_t index);
    // Undo and redo on the current page: strokes, eraser strokes, committed texts and Clear.
    void OnCmdUndo();
    void OnCmdRedo();
    void SetToolbarState(IToolbarState* state) { m_toolbarState = state ? state : &m_noToolbar; }

    // Screenshots: the display or the clip region, as the screen shows it, to an image file.
    void OnCmdSave();

    // The text tool.
    CTextWindow* TextWindow() { return textWindow.get(); }
    void CommitText();
    void CancelText();
    // Draws `text` at the anchor; the preview adds a dotted frame around it. Returns the box it
    // covers (frame included).
    QRect DrawTextAnnotation(QImage& target, bool preview);
    // The region-selection tool: the next drag draws the clip region.
    void BeginClipSelection();
    void UpdateToolCursor();
    // Prepares the marker's or the eraser's paint from the page as it is now.
    void RefreshToolTexture(const std::optional<QRect>& rect = std::nullopt);
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
    void DrawStrokeStep();
    bool IsStrokeTimerRunning() const { return m_strokeTimer.isActive(); }
    const QCursor& ToolCursor(int index) const { return m_toolCursors[index]; }

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
    void SetToolbarWindow(QWidget* toolbar);
    // Puts one of our top-level windows into a stacking tier (StackTier.h gives the order); from
    // then on every restack keeps it there, above the overlay.
    void AddStackedWindow(QWidget* window, EStackTier tier);
    CRavlinToolbar* Toolbar() { return toolbar.get(); }
    void OnCmdHorizontal();
    void OnCmdVertical();

    // What the toolbar asks of its owner.
    void SendCommand(CommandId id) override { OnCommand(id); }
    void FinishTextEntry() override;
    bool IsRecording() const override { return recording != 0; }
    bool IsPaused() const override { return paused != 0; }
    bool IsOwnerWindow(const QWindow* window) const override;
    void GiveKeyboardTo(QWidget* window) override;
    QWidget* ToolbarWindow() const { return m_toolbarWindow; }

    // State the rest of the program and the tests read.
    _DisplayContext& Display() { return *display; }
    const QImage& Surface() const { return m_surface; }
    // Tests check that every write to the page was saved for undo first.
    CUndoHistory& UndoHistory() { return m_undo; }
    _PageContext* CurrentPage() { return pages.empty() ? nullptr : pages[currentPage].get(); }
    bool IsCompositing() const { return m_compositing; }
    bool IsOwnWindow(const QWindow* window) const;

    // The focus moved to `focusWindow` (null: to another program).
    void OnActivate(QWindow* focusWindow);

    // Tool state and the rest of the overlay's members.
    int recordPointer = 1;
    int qualityPreset = 0;
    int tool = 0;
    ARGB backgroundColour = 0x01FFFFFF;
    ARGB boardColour = 0xFFFFFFFF;
    int desktopScene = 1;
    float penWidth = 5.0f;
    ARGB penColour = 0xFFFF0000;
    int textSize = 36;
    ARGB textColour = 0xFF0000FF;
    int markerWidth = 20;
    ARGB markerColour = 0x8FFFFF00;
    int eraserWidth = 40;
    std::unique_ptr<_DisplayContext> display;
    float textAnchorX = 0;
    float textAnchorY = 0;
    QString text;
    int buttonDown = 0;
    std::vector<QPoint> strokePoints;
    QRect dirtyRect;
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
    QImage toolTexture;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
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
    void BeginStroke(const QPoint& point);
    void AddStrokePoint(const QPoint& point);
    void EndStroke(const QPoint& point);
    // The pen, marker or eraser stroke drawn so far: the points gathered since the last tick
    // drawn, and the stroke made one undo step.
    void FinishStrokeSoFar();
    // A command that changes the page or the scene arrived in the middle of a drag: the stroke
    // so far becomes one undo step before the command runs, and the drag draws nothing more
    // until the button is released.
    void InterruptStroke();
    void EndClipSelection();
    void PlaceTextWindow(const QPoint& point, bool show);
    void DrawTextPreview();
    CTextLook TextLook() const;
    void AfterPageChange(bool tellToolbar);
    void ApplyHistory(bool redo);
    void ChooseBoard(ARGB colour);
    void OnSetCursor();
    void UpdateFallbackShape();
    void MakeSurfaces();
    // The overlay over display `index` (the one it covers when there is none such): pages,
    // surfaces, the clip region and the text entry follow it; the toolbar goes to its home there
    // when asked.
    void LayOut(int index, bool placeToolbar);
    qreal DevicePixelRatio() const;

    IDisplayServer& m_displayServer;
    CWindowStacking m_stacking{*this, m_displayServer};
    IDialogs& m_dialogs;
    IGlobalKeys& m_globalKeys;
    CCommandMap m_commands;
    std::function<void()> m_quit;
    std::function<void(const QString&, const QString&)> m_trayBalloon;
    QImage m_surface;
    QBasicTimer m_strokeTimer;
    QCursor m_toolCursors[3];
    CMenuResource m_menu;
    CNoToolbarState m_noToolbar;
    IToolbarState* m_toolbarState = &m_noToolbar;
    std::unique_ptr<CTextTool> m_textTool;
    std::unique_ptr<CScreenshotSaver> m_screenshotSaver;
    std::unique_ptr<CDisplayWatcher> m_displayWatcher;
    CUndoHistory m_undo;
    QImage m_desktopGrab; // frozen desktop under the ink while drawing without a compositor
    QPointer<QWidget> m_toolbarWindow;
    bool m_pointerMode = true;
    bool m_compositing = true;
    bool m_fallbackNoticeShown = false;
    bool m_exiting = false;
    std::unique_ptr<IScreenGrabber> m_screenGrabber;
    std::unique_ptr<CRecordingControl> m_recordingControl;
};
