#include "CRavlinToolbar.h"

#include "CMainRowDigits.h"
#include "CMonotonicClock.h"
#include "CRavlinMenuButton.h"
#include "CRecordingIndicator.h"
#include "CScreenFit.h"
#include "CToolbarCommands.h"
#include "CToolbarDefinition.h"
#include "IDialogs.h"
#include "IToolbarOwner.h"
#include "RavlinTraceListener.h"
#include "ResolveAppRelativePath.h"
#include "Trace.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimerEvent>
#include <algorithm>

namespace {
// A plain text button, such as the page counter: flat, see-through, light text.
QPushButton* MakeTextButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAttribute(Qt::WA_TranslucentBackground);
    button->setStyleSheet("QPushButton { border: none; background: transparent; "
                          "color: rgb(224, 224, 224); font-size: 11px; }");
    return button;
}
} // namespace

CRavlinToolbar::CRavlinToolbar(IToolbarOwner& owner, IDialogs& dialogs,
                               const QString& definitionPath, Clock clock)
    : m_owner(owner), m_dialogs(dialogs),
      m_clock(clock ? std::move(clock) : Clock(&CMonotonicClock::NowMs)) {
    // The log opens before anything else, so that reading the definition is traced.
    m_log = std::make_unique<RavlinTraceListener>();
    if (definitionPath.isEmpty())
        m_definition = std::make_unique<CToolbarDefinition>(dialogs);
    else
        m_definition =
            std::make_unique<CToolbarDefinition>(dialogs, definitionPath, AppDataFolder());
}

CRavlinToolbar::~CRavlinToolbar() {
    // The buttons go first; the log closes last of all.
    for (auto& [name, button] : m_buttonsByName)
        delete button.data();
    m_buttonsByName.clear();
}

QSize CRavlinToolbar::ToolbarSize(bool vertical) const {
    int width = 0, height = 0;
    m_definition->GetToolbarSize(vertical, &width, &height);
    (vertical ? height : width) += m_indicatorExtra;
    return QSize(width, height);
}

void CRavlinToolbar::Create() {
    int width = 0, height = 0;
    m_definition->GetToolbarSize(false, &width, &height);
    Trace("Creating toolbar %d x %d\n", width, height);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect workArea = primary ? primary->availableGeometry() : QRect(0, 0, width, height);
    setGeometry(QRect(FirstPlace(workArea, QSize(width, height)), QSize(width, height)));

    m_menu = CMenuResource::Load(134);
    // Colour swatches, line widths, marker bands and erasers, by item position.
    const QString pictures = ResolveAppRelativePath(".\\Arts\\menu");
    m_menu.AttachPictures("pen", 0, 199, 6, pictures);
    m_menu.AttachPictures("pen", 7, 195, 4, pictures);
    m_menu.AttachPictures("marker", 0, 182, 4, pictures);
    m_menu.AttachPictures("text", 0, 199, 6, pictures);
    m_menu.AttachPictures("text", 7, 195, 4, pictures);
    m_menu.AttachPictures("eraser", 0, 186, 3, pictures);
    m_skin.Load(m_skinFolder.isEmpty() ? ResolveAppRelativePath(".\\Arts\\toolbar") : m_skinFolder,
                devicePixelRatioF());
    if (!m_skin.IsComplete()) {
        for (const QString& path : m_skin.MissingPieces())
            Trace("Toolbar skin piece missing or unreadable %s\n", path.toUtf8().constData());
        m_dialogs.ShowNotice(QString("The toolbar's skin could not be read (missing or unreadable: "
                                     "%1), so the toolbar is shown plain.")
                                 .arg(m_skin.MissingPieces().join(", ")));
    }
    LoadToolbar();
    SetVertical(m_vertical);
    m_slide.shown = true;
}

QPoint CRavlinToolbar::FirstPlace(const QRect& workArea, const QSize& size) {
    return {workArea.left() + (workArea.width() - size.width()) / 2, workArea.top() + 10};
}

void CRavlinToolbar::LoadToolbar() {
    const std::optional<CToolbarButtons> buttons = m_definition->LoadToolbar();
    if (!buttons) {
        m_dialogs.ShowWarning(this, "Config toolbar failed", "Ravlin");
        return;
    }
    for (size_t i = 0; i < buttons->buttons.size(); ++i) {
        const CButtonDefinition& definition = buttons->buttons[i];
        QWidget* widget = nullptr;
        if (definition.kind == ButtonKind::Text) {
            auto* button = MakeTextButton(definition.text, this);
            const int id = definition.id;
            connect(button, &QPushButton::clicked, this, [this, id] { OnButtonClicked(id); });
            widget = button;
        } else {
            CRavlinButton* button = nullptr;
            if (definition.kind == ButtonKind::Menu) {
                auto* menuButton = new CRavlinMenuButton(m_dialogs, this);
                menuButton->SetMenu(m_menu.FindPopupByCaption(QString::fromUtf8(definition.name)));
                button = menuButton;
            } else {
                button = new CRavlinButton(this);
            }
            button->LoadDefaultImage(definition.picturePath, devicePixelRatioF());
            button->LoadFrames(definition.frameFolder, devicePixelRatioF());
            button->SetControlId(definition.id);
            button->onClick = [this](int id) { OnButtonClicked(id); };
            widget = button;
        }
        widget->setToolTip(definition.tooltip);
        widget->installEventFilter(this);
        widget->setFocusPolicy(Qt::NoFocus);
        widget->setGeometry(0, 0, 32, 32);
        widget->setVisible(definition.visible);
        // A later button of the same name takes the name; the earlier one stays where it is.
        const auto found = buttons->byName.find(definition.name);
        if (found != buttons->byName.end() && found->second == i)
            m_buttonsByName[QString::fromUtf8(definition.name)] = widget;
    }
}

QWidget* CRavlinToolbar::FindButton(const QString& name) const {
    auto it = m_buttonsByName.find(name);
    return it == m_buttonsByName.end() ? nullptr : it->second.data();
}

void CRavlinToolbar::SetVertical(bool vertical) {
    m_vertical = vertical;
    if (m_recordingIndicator)
        m_recordingIndicator->SetVertical(vertical);
    // The layout first: it measures the room the recording indicator takes this way round.
    LayoutButtons();
    const QSize size = ToolbarSize(vertical);
    const int width = size.width(), height = size.height();
    // A tab, or a toolbar on its way, comes back whole where it stood before it hid: keeping the
    // tab's corner would put a toolbar turned at the right edge almost off the screen.
    const bool wasPutAway = !m_slide.shown || m_slide.sliding;
    const QPoint corner =
        wasPutAway && m_slide.homeRect.isValid() ? m_slide.homeRect.topLeft() : pos();
    StopSlide();
    m_slide.shown = true;
    Trace("SertVertical %d\n", vertical ? 1 : 0);
    QRect turned(corner, QSize(width, height));
    // Turned, it must still lie wholly on its monitor.
    const QRect area = WorkAreaHere();
    if (isWindow() && area.isValid() && width > 0 && height > 0) {
        turned.moveLeft(std::clamp(turned.left(), area.left(),
                                   std::max(area.left(), area.left() + area.width() - width)));
        turned.moveTop(std::clamp(turned.top(), area.top(),
                                  std::max(area.top(), area.top() + area.height() - height)));
    }
    setGeometry(turned);
    LayoutButtons();
    UpdateButtonVisibility(m_slide.shown);
    UpdateShape();
    update();
}

void CRavlinToolbar::LayoutButtons() {
    if (!m_definition->HasRoot())
        return;
    const std::optional<CButtonListDefinition> list = m_definition->ReadButtonList(m_vertical);
    if (!list)
        Trace("Buttons elem not found!\n");
    Trace("buttons content size %d x %d\n", list ? list->contentWidth : 0,
          list ? list->contentHeight : 0);
    if (!list)
        return;
    QPoint at(list->x, list->y);
    // While recording, the indicator follows the stop button; the buttons after the stop
    // button's slot move along by what it needs. While the file is being saved it follows
    // the record button, which has taken the slot back.
    const bool withIndicator = m_indicatorShown && m_recordingIndicator;
    const char* const indicatorAnchor = m_owner.IsRecording() ? "stop" : "record";
    int shift = 0;
    std::optional<int> stopStart, indicatorEnd;
    const auto along = [this](QPoint& p) -> int& { return m_vertical ? p.ry() : p.rx(); };
    for (const CButtonDefinition& definition : list->buttons) {
        QWidget* widget = FindButton(QString::fromUtf8(definition.name));
        if (!widget)
            continue;
        int w = list->width, h = list->height;
        auto* picture = dynamic_cast<CRavlinButton*>(widget);
        if (picture && !definition.w)
            picture->SetDrawSize(list->contentWidth, list->contentHeight);
        if (definition.left)
            at.setX(*definition.left + (m_vertical ? 0 : shift));
        if (definition.top)
            at.setY(*definition.top + (m_vertical ? shift : 0));
        if (indicatorEnd && along(at) > *stopStart && along(at) < *indicatorEnd) {
            shift += *indicatorEnd - along(at);
            along(at) = *indicatorEnd;
        }
        if (definition.w)
            w = *definition.w;
        if (definition.h)
            h = *definition.h;
        if (auto* menu = dynamic_cast<CRavlinMenuButton*>(widget)) {
            (m_vertical ? h : w) += list->arrowPad;
            menu->SetArrowAtBottom(m_vertical);
        }
        widget->setGeometry(at.x(), at.y(), w, h);
        widget->update();
        if (withIndicator && definition.name == indicatorAnchor) {
            const int length = m_recordingIndicator->Length();
            stopStart = along(at);
            if (m_vertical)
                m_recordingIndicator->setGeometry(0, at.y() + h, list->x * 2 + w, length);
            else
                m_recordingIndicator->setGeometry(at.x() + w, at.y(), length, h);
            indicatorEnd = along(at) + (m_vertical ? h : w) + length;
        }
        // A hidden button gives its place to the next one.
        if (definition.visible)
            (m_vertical ? at.ry() : at.rx()) += m_vertical ? h : w;
    }
    m_indicatorExtra = shift;
}

void CRavlinToolbar::UpdateButtonVisibility(bool show) {
    for (auto& [name, button] : m_buttonsByName)
        if (button)
            button->setVisible(
                CToolbarCommands::IsVisible(name, show, m_owner.IsRecording(), m_owner.IsPaused()));
    if (m_recordingIndicator)
        m_recordingIndicator->setVisible(show && m_indicatorShown);
}

void CRavlinToolbar::ActivateToolbar(bool active) {
    Trace("ActivateToolbar %d\n", active ? 1 : 0);
    if (active == m_active)
        return;
    m_active = active;
    if (m_skin.HasInactive())
        update();
}

void CRavlinToolbar::UpdateShape() {
    if (size().isEmpty())
        return;
    // The magenta key becomes see-through: the window takes the shape of its skin, judged at
    // the screen's own density.
    setMask(m_skin.Shape(size(), m_vertical, m_active, m_slide.shown, m_slide.dockEdge,
                         devicePixelRatioF()));
}

void CRavlinToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_skin.Paint(painter, size(), m_vertical, m_active, m_slide.shown, m_slide.dockEdge);
}

void CRavlinToolbar::resizeEvent(QResizeEvent* event) {
    UpdateShape();
    QWidget::resizeEvent(event);
}

QRect CRavlinToolbar::WorkAreaHere() const {
    const QScreen* here = screen() ? screen() : QGuiApplication::primaryScreen();
    return here ? here->availableGeometry() : QRect();
}

void CRavlinToolbar::StopSlide() {
    m_slideTimer.stop();
    m_slide.sliding = false;
}

void CRavlinToolbar::CenterIn(const QRect& area) {
    StopSlide();
    const QSize size = ToolbarSize(m_vertical);
    const int width = size.width(), height = size.height();
    const QRect home(QPoint(area.left() + (area.width() - width) / 2, area.top() + 10),
                     QSize(width, height));
    m_slide.shown = true;
    m_slide.homeRect = home;
    setGeometry(home);
    UpdateButtonVisibility(true);
    UpdateShape();
    update();
}

void CRavlinToolbar::KeepOnScreen(const std::vector<QRect>& workAreas, const QRect& home) {
    if (!m_slide.shown || m_slide.sliding) {
        if (CScreenFit::IsWhole(geometry(), workAreas) &&
            (!m_slide.sliding || CScreenFit::IsWhole(m_slide.targetRect, workAreas)))
            return;
        CenterIn(home);
        return;
    }
    const QRect fitted = CScreenFit::Fit(geometry(), workAreas, home);
    if (fitted == geometry())
        return;
    m_slide.homeRect = fitted;
    setGeometry(fitted);
}

void CRavlinToolbar::HideToolbar() {
    Trace("HideToolbar");
    const bool start = m_slide.Hide(geometry(), WorkAreaHere(), m_vertical, m_clock());
    Trace("DockingEdge %d animating %d\n", m_slide.dockEdge, start ? 0 : 1);
    if (start) {
        Trace("StartAnim");
        m_slideTimer.start(CToolbarSlide::kTimerPeriodMs, this);
    }
}

void CRavlinToolbar::ShowToolbar() {
    if (m_slide.Show(geometry(), m_clock())) {
        Trace("StartAnim");
        m_slideTimer.start(CToolbarSlide::kTimerPeriodMs, this);
    }
}

void CRavlinToolbar::Toggle() {
    if (IsShown())
        HideToolbar();
    else
        ShowToolbar();
}

void CRavlinToolbar::AnimateStep(quint32 nowMs) {
    const CToolbarSlide::CStep step = m_slide.Step(nowMs);
    MoveTo(step.rect);
    if (step.finished) {
        UpdateButtonVisibility(m_slide.shown);
        m_slideTimer.stop();
        UpdateShape();
        update();
    }
}

void CRavlinToolbar::MoveTo(const QRect& rect) {
    setGeometry(rect);
    UpdateShape();
    repaint();
}

void CRavlinToolbar::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_slideTimer.timerId())
        AnimateStep(m_clock());
    else
        QWidget::timerEvent(event);
}

bool CRavlinToolbar::eventFilter(QObject* watched, QEvent* event) {
    // A press on a button gives the toolbar the keyboard, as a press on its skin does, so its
    // keys work.
    if (event->type() == QEvent::MouseButtonPress)
        m_owner.GiveKeyboardTo(this);
    return QWidget::eventFilter(watched, event);
}

void CRavlinToolbar::mousePressEvent(QMouseEvent* event) {
    m_owner.GiveKeyboardTo(this);
    if (event->button() != Qt::LeftButton)
        return;
    if (!m_slide.shown) {
        // A click on the tab brings the toolbar back.
        if (!m_slide.sliding)
            ShowToolbar();
        return;
    }
    // Anywhere on the skin: drag the toolbar.
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void CRavlinToolbar::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void CRavlinToolbar::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

void CRavlinToolbar::keyPressEvent(QKeyEvent* event) {
    // The overlay's keys (COverlayKeys), but for Ctrl+C and Backspace, so that a click on the
    // toolbar does not take them away; undo and redo included. Keys 1 to 4 go by their place
    // on the keyboard, whatever the layout prints on them.
    static constexpr CommandId kDigitCommands[] = {ID_PEN, ID_MARKER, ID_ERASER, ID_MOUSE};
    const int digit =
        CMainRowDigits::Digit(event->key(), event->nativeScanCode(), event->modifiers());
    CommandId command = digit ? kDigitCommands[digit - 1] : 0;
    switch (digit ? 0 : event->key()) {
    case Qt::Key_Left:
        command = ID_PREVIOUS_PAGE;
        break;
    case Qt::Key_Right:
        command = ID_NEXT_PAGE;
        break;
    case Qt::Key_Delete:
        command = ID_CLEAR;
        break;
    case Qt::Key_N:
        command = ID_NEW_PAGE;
        break;
    case Qt::Key_Z:
    case Qt::Key_Y:
        command = CToolbarCommands::ForUndoKey(event->key(), event->modifiers());
        break;
    case Qt::Key_Space:
        // Space never clicks a toolbar button.
        event->accept();
        return;
    case Qt::Key_Escape:
        if (event->modifiers().testFlag(Qt::ShiftModifier)) {
            // Ends the program at once, without the exit question.
            QCoreApplication::exit(0);
            return;
        }
        break;
    default:
        break;
    }
    if (command)
        m_owner.SendCommand(command);
    QWidget::keyPressEvent(event);
}

void CRavlinToolbar::OnButtonClicked(int controlId) {
    const std::optional<CToolbarAction> action = CToolbarCommands::ForControl(controlId);
    if (!action)
        return;
    if (action->finishTextFirst)
        m_owner.FinishTextEntry();
    if (action->hideToolbar) {
        HideToolbar();
        return;
    }
    // The record button's drop-down chooses the quality of the next recording: a choice there
    // sets it and moves the check mark; only the button's body starts a recording. The Stop
    // button sends the same command but has no drop-down: it must always stop.
    if (controlId == 1005) {
        auto* record = dynamic_cast<CRavlinMenuButton*>(FindButton("record"));
        const CommandId choice = record ? record->MenuResult() : 0;
        if (choice >= ID_QUALITY_HIGH && choice <= ID_QUALITY_LOW) {
            record->CheckItem(choice);
            m_owner.SendCommand(choice);
            return;
        }
    }
    if (action->dropDown) {
        auto* menu = dynamic_cast<CRavlinMenuButton*>(FindButton(action->dropDown));
        if (menu && menu->MenuResult() != 0) {
            m_owner.SendCommand(menu->MenuResult());
            return;
        }
    }
    m_owner.SendCommand(action->command);
}

void CRavlinToolbar::CheckMenuItem(const QString& name, CommandId id) {
    if (auto* menu = dynamic_cast<CRavlinMenuButton*>(FindButton(name)))
        menu->CheckItem(id);
}

void CRavlinToolbar::ShowNamed(const QString& name, bool show) {
    if (QWidget* button = FindButton(name))
        button->setVisible(show);
}

void CRavlinToolbar::SetRecordState(bool recording) {
    ShowNamed("record", !recording);
    ShowNamed("stop", recording);
    if (m_indicatorShown)
        LayoutButtons();
}

void CRavlinToolbar::SetPauseState(bool recording, bool paused) {
    ShowNamed("clip", !recording);
    ShowNamed("pause", recording && !paused);
    ShowNamed("resume", recording && paused);
}

void CRavlinToolbar::SetRecordingTime(const QString& time, bool dotLit, bool shown) {
    if (!m_recordingIndicator) {
        if (!shown)
            return;
        m_recordingIndicator = new CRecordingIndicator(this);
        m_recordingIndicator->SetVertical(m_vertical);
        m_recordingIndicator->installEventFilter(this);
    }
    m_recordingIndicator->SetTime(time, dotLit);
    if (shown == m_indicatorShown)
        return;
    m_indicatorShown = shown;
    m_recordingIndicator->setVisible(shown && m_slide.shown);
    LayoutButtons();
    // Grow or shrink from the corner where the toolbar stands; one put away comes back at the
    // new size.
    const QSize size = ToolbarSize(m_vertical);
    if (m_slide.homeRect.isValid())
        m_slide.homeRect.setSize(size);
    if (m_slide.shown && !m_slide.sliding) {
        // Grown near the edge of the screen, it moves in rather than hang off it.
        QRect grown(pos(), size);
        const QRect area = WorkAreaHere();
        if (isWindow() && area.isValid()) {
            grown.moveLeft(
                std::max(area.left(), std::min(grown.left(), area.right() + 1 - grown.width())));
            grown.moveTop(
                std::max(area.top(), std::min(grown.top(), area.bottom() + 1 - grown.height())));
        }
        setGeometry(grown);
        UpdateShape();
        update();
    }
}

void CRavlinToolbar::SetPageInfo(int index, int count) {
    if (auto* button = qobject_cast<QAbstractButton*>(FindButton("pageInfo")))
        button->setText(CToolbarCommands::PageInfo(index, count));
}

void CRavlinToolbar::OnCmdHorizontal() {
    Trace("OnCmdHorizontal");
    SetVertical(false);
}

void CRavlinToolbar::OnCmdVertical() {
    Trace("OnCmdVertical");
    SetVertical(true);
}
