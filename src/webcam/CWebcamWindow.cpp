#include "CWebcamWindow.h"

#include "CFont.h"
#include "CMicrophoneLevel.h"
#include "CSoundLevel.h"
#include "CWebcamCapture.h"
#include "IDialogs.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {
constexpr QRgb kBorderColour = 0xFF808080;
constexpr QRgb kStripRestWithSound = 0xFF000000;
constexpr QRgb kStripRestWithoutSound = 0xFFD3D3D3;
} // namespace

CWebcamWindow::CWebcamWindow(IDialogs& dialogs)
    : m_dialogs(dialogs), m_capture(std::make_unique<CWebcamCapture>()),
      m_microphone(std::make_unique<CMicrophoneLevel>()) {
    // Like the overlay and the toolbar, it bypasses the window manager and floats above
    // everything; the program keeps it stacked above the overlay.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());
    setCursor(Qt::SizeAllCursor);

    const CMenuResource menu = CMenuResource::Load(134);
    if (const CMenuPopup* popup = menu.FindPopupByCaption(QStringLiteral("webcam")))
        m_sizeMenu = *popup;
    for (CMenuItem& item : m_sizeMenu.items)
        item.checked = item.id == m_sizeCommand;
}

CWebcamWindow::~CWebcamWindow() {
    StopPreview();
}

int CWebcamWindow::Level() const {
    return m_microphone->Level();
}

QSize CWebcamWindow::SizeFor(CommandId id) {
    // Each window is 8 pixels taller than its picture, for the level strip.
    switch (id) {
    case ID_WEBCAM_SMALL:
        return QSize(160, 128);
    case ID_WEBCAM_MEDIUM:
        return QSize(240, 188);
    case ID_WEBCAM_LARGE:
        return QSize(360, 278);
    default:
        return QSize();
    }
}

QRect CWebcamWindow::StartGeometry(CommandId sizeCommand) const {
    // The primary screen need not start at 0, 0 when there are several.
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect workArea = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = SizeFor(sizeCommand);
    const QSize medium = SizeFor(ID_WEBCAM_MEDIUM);
    return QRect(QPoint(workArea.x() + workArea.width() - kRightMargin - medium.width(),
                        workArea.y() + kTopMargin),
                 size);
}

void CWebcamWindow::Create() {
    setGeometry(StartGeometry(m_sizeCommand));
    create();
}

void CWebcamWindow::Destroy() {
    m_refreshTimer.stop();
    StopPreview();
    m_shown = false;
    hide();
}

bool CWebcamWindow::ToggleWebcam() {
    if (m_shown) {
        StopPreview();
        m_shown = false;
        hide();
        m_refreshTimer.stop();
    } else {
        show();
        raise();
        m_shown = true;
        StartPreview();
        m_refreshTimer.start(kRefreshPeriodMs, this);
        if (onShown)
            onShown();
    }
    update();
    return m_shown;
}

void CWebcamWindow::StartPreview() {
    // Every showing opens the webcam anew: it may have been plugged in or freed meanwhile.
    m_webcam = m_capture->Start();
    m_sound = m_microphone->Start();
}

void CWebcamWindow::StopPreview() {
    // The webcam is given back while the window is hidden, so other programs can use it; the
    // next showing opens it again.
    m_capture->Stop();
    m_microphone->Stop();
}

void CWebcamWindow::OnTimer() {
    if (m_webcam && !m_capture->Poll())
        m_webcam = false; // the feed went away: the text replaces a frozen picture
    if (m_sound && !m_microphone->Poll())
        m_sound = false;
    update();
}

void CWebcamWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_refreshTimer.timerId())
        OnTimer();
    else
        QWidget::timerEvent(event);
}

QRect CWebcamWindow::PictureRect() const {
    const QRect client = rect().adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth);
    return QRect(client.left(), client.top(), client.width(),
                 std::max(0, client.height() - kLevelStripHeight));
}

void CWebcamWindow::paintEvent(QPaintEvent*) {
    if (!isVisible())
        return;
    QPainter painter(this);
    Draw(painter);
}

void CWebcamWindow::Draw(QPainter& painter) {
    painter.fillRect(rect(), QColor(kBorderColour));
    const QRect client = rect().adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth);
    painter.fillRect(client, Qt::black);
    const QRect picture = PictureRect();
    if (m_webcam) {
        const QImage& frame = m_capture->Frame();
        if (!frame.isNull()) {
            // Stretched without smoothing: 20 pictures a second need no better.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.drawImage(picture, frame);
        }
    } else {
        const CFont font(QStringLiteral("Arial"), 15.0f, false);
        painter.setFont(font.ToQFont());
        painter.setPen(QColor(0xFFFFFFFF));
        QString text = QString::fromLatin1(kNoWebcamText);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        painter.drawText(client, Qt::AlignCenter, text);
    }

    const int level = Level();
    const QRect strip(client.left(), client.bottom() + 1 - kLevelStripHeight, client.width(),
                      kLevelStripHeight);
    const int levelWidth = strip.width() * level / 100;
    painter.fillRect(QRect(strip.left(), strip.top(), levelWidth, strip.height()),
                     QColor::fromRgba(CSoundLevel::LevelColour(level)));
    painter.fillRect(
        QRect(strip.left() + levelWidth, strip.top(), strip.width() - levelWidth, strip.height()),
        QColor::fromRgba(m_sound ? kStripRestWithSound : kStripRestWithoutSound));
}

void CWebcamWindow::OnCmdSize(CommandId id) {
    const QSize size = SizeFor(id);
    if (!size.isValid())
        return;
    m_sizeCommand = id;
    for (CMenuItem& item : m_sizeMenu.items)
        item.checked = !item.separator && item.id == id;
    // The top-left corner stays where it is.
    setGeometry(QRect(geometry().topLeft(), size));
    update();
    if (onSizeChanged)
        onSizeChanged(id);
}

void CWebcamWindow::OnLButtonDown(const QPoint& screenPoint) {
    m_dragging = true;
    m_dragStart = screenPoint;
    m_originAtDragStart = pos();
    // Captured, so that a fast drag keeps moving the window when the pointer leaves it.
    if (isVisible())
        grabMouse();
}

void CWebcamWindow::OnMouseMove(const QPoint& screenPoint) {
    if (!m_dragging)
        return;
    move(m_originAtDragStart + (screenPoint - m_dragStart));
}

void CWebcamWindow::OnLButtonUp() {
    if (!m_dragging)
        return;
    m_dragging = false;
    releaseMouse();
}

void CWebcamWindow::OnRButtonUp(const QPoint& screenPoint) {
    const CommandId chosen = m_dialogs.TrackPopupMenu(this, m_sizeMenu, screenPoint);
    OnCmdSize(chosen);
}

void CWebcamWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->globalPosition().toPoint());
    event->accept();
}

void CWebcamWindow::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event->globalPosition().toPoint());
    event->accept();
}

void CWebcamWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonUp();
    else if (event->button() == Qt::RightButton)
        OnRButtonUp(event->globalPosition().toPoint());
    event->accept();
}
