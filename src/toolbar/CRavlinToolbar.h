#pragma once
// The floating toolbar: buttons laid out from the definition file over a skin whose magenta is
// see-through, horizontal or vertical, dragged by its skin, sliding to a tab at a screen edge and
// back, turning clicks and keys into the owner's commands and showing the owner's state.
#include "CMenuResource.h"
#include "CToolbarSkin.h"
#include "CToolbarSlide.h"
#include "IToolbarState.h"

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CRecordingIndicator;
class CToolbarDefinition;
class IDialogs;
class IToolbarOwner;
class RavlinTraceListener;

class CRavlinToolbar : public QWidget, public IToolbarState {
public:
    using Clock = std::function<quint32()>;

    // Opens the log (the toolbar owns the program's trace listener) and reads the definition
    // file: `definitionPath` empty means Arts/toolbar.xml beside the executable.
    CRavlinToolbar(IToolbarOwner& owner, IDialogs& dialogs, const QString& definitionPath = {},
                   Clock clock = {});
    ~CRavlinToolbar() override;

    // Creates the window and its buttons, horizontal, centred near the top of the primary
    // screen's work area. Not shown yet.
    void Create();
    // Where the toolbar first appears: centred in the work area, 10 pixels below its top (on
    // X11 the primary screen need not start at 0, 0 and may carry a panel at its top).
    static QPoint FirstPlace(const QRect& workArea, const QSize& size);
    // The skin's folder; Arts/toolbar beside the executable unless set before Create.
    void SetSkinFolder(const QString& folder) { m_skinFolder = folder; }
    const CToolbarSkin& Skin() const { return m_skin; }
    // Shows the toolbar in full, centred 10 pixels below the top of `area`, ending a slide or
    // the tab: after a change of display the toolbar comes up whole on the new one.
    void CenterIn(const QRect& area);
    // The monitors changed: the toolbar stays whole inside one of `workAreas`. Shown, it moves
    // into the one it overlaps most (into `home` when it overlaps none); put away as a tab or
    // sliding where no work area holds it whole any more, it comes up whole in `home`.
    void KeepOnScreen(const std::vector<QRect>& workAreas, const QRect& home);

    void SetVertical(bool vertical);
    bool IsVertical() const { return m_vertical; }
    void ActivateToolbar(bool active);
    bool IsActive() const { return m_active; }
    void UpdateButtonVisibility(bool show);
    void LayoutButtons();

    void HideToolbar();
    void ShowToolbar();
    bool IsShown() const { return m_slide.shown; }
    void Toggle();
    void AnimateStep(quint32 elapsedMs);
    const CToolbarSlide& Slide() const { return m_slide; }

    QWidget* FindButton(const QString& name) const;
    // Puts the check mark of the drop-down of the button `name` on the item `id` alone.
    void CheckMenuItem(const QString& name, CommandId id);
    // The drop-down menu with its item pictures, which the overlay's right-click popups share.
    const CMenuResource& Menu() const { return m_menu; }
    void OnButtonClicked(int controlId);

    void SetRecordState(bool recording);
    void SetPauseState(bool recording, bool paused);
    void SetPageInfo(int index, int count) override;
    // The recorded time and the recording dot beside the stop button. While shown, the toolbar
    // grows by the indicator's length and the buttons after it move along.
    void SetRecordingTime(const QString& time, bool dotLit, bool shown);
    CRecordingIndicator* RecordingIndicator() const { return m_recordingIndicator; }

    void OnCmdHorizontal();
    void OnCmdVertical();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LoadToolbar();
    void UpdateShape();
    void MoveTo(const QRect& rect);
    QRect WorkAreaHere() const;
    void StopSlide();
    void ShowNamed(const QString& name, bool show);
    // The size the definition gives, plus the room the recording indicator takes.
    QSize ToolbarSize(bool vertical) const;

    IToolbarOwner& m_owner;
    IDialogs& m_dialogs;
    Clock m_clock;
    std::unique_ptr<RavlinTraceListener> m_log;
    std::unique_ptr<CToolbarDefinition> m_definition;
    CMenuResource m_menu;
    CToolbarSkin m_skin;
    CToolbarSlide m_slide;
    QBasicTimer m_slideTimer;
    std::map<QString, QPointer<QWidget>> m_buttonsByName;
    bool m_active = true;
    bool m_vertical = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
    QString m_skinFolder;
    CRecordingIndicator* m_recordingIndicator = nullptr; // a child
    bool m_indicatorShown = false;
    // How far the indicator pushed the buttons after it, along the toolbar.
    int m_indicatorExtra = 0;
};
