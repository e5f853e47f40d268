#include "CTextWindow.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {
constexpr QRgb kColourKey = 0xFF00FF00;
constexpr int kFieldHeight = 22;
} // namespace

CTextWindow::CTextWindow() {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());
    setFixedSize(kWidth, kHeight);
    setWindowOpacity(230.0 / 255.0);

    edit = new QLineEdit(this);
    edit->setObjectName("edit");
    okButton = new QPushButton("OK", this);
    okButton->setObjectName("ok");
    const int c = arrowHeight + (kHeight - arrowHeight - kFieldHeight) / 2;
    edit->setGeometry(20, c, 350, kFieldHeight);
    okButton->setGeometry(390, c, 70, kFieldHeight);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& t) { OnEdited(t); });
    connect(okButton, &QPushButton::clicked, this, [this] { Commit(); });
    edit->installEventFilter(this);
    okButton->installEventFilter(this);
    UpdateShape();
}

void CTextWindow::OnEdited(const QString& text) {
    // The field does not scroll: what does not fit is not typed.
    const int room = edit->contentsRect().width() - 8;
    if (edit->fontMetrics().horizontalAdvance(text) > room) {
        const int cursor = edit->cursorPosition() - (text.size() - m_accepted.size());
        edit->setText(m_accepted);
        edit->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(m_accepted.size())));
        return;
    }
    m_accepted = text;
    if (onTextChanged)
        onTextChanged(text);
}

void CTextWindow::ClearText() {
    m_accepted.clear();
    edit->clear();
}

void CTextWindow::Commit() {
    if (onCommit)
        onCommit();
}

void CTextWindow::Cancel() {
    if (onCancel)
        onCancel();
}

bool CTextWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Commit();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Cancel();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CTextWindow::SetArrowDirection(int direction) {
    arrowDirection = direction;
    int c = (height() - arrowHeight - kFieldHeight) / 2;
    if (direction != 1)
        c += arrowHeight;
    edit->setGeometry(20, c, 350, kFieldHeight);
    okButton->setGeometry(390, c, 70, kFieldHeight);
    UpdateShape();
    update();
}

QImage CTextWindow::Render() const {
    QImage image(size(), QImage::Format_ARGB32);
    image.fill(kColourKey);
    const int w = width(), h = height(), a = arrowWidth, b = arrowHeight;
    QPolygon bubble;
    if (arrowDirection == 0)
        bubble << QPoint(0, 0) << QPoint(a, b) << QPoint(w, b) << QPoint(w, h) << QPoint(0, h);
    else if (arrowDirection == 1)
        bubble << QPoint(0, 0) << QPoint(w, 0) << QPoint(w, h - b) << QPoint(a, h - b)
               << QPoint(0, h);
    if (!bubble.isEmpty()) {
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPolygon(bubble);
    }
    return image;
}

void CTextWindow::UpdateShape() {
    // The green key becomes see-through: shape the window to the rest.
    const QImage image = Render();
    setMask(QBitmap::fromImage(image.createMaskFromColor(kColourKey, Qt::MaskInColor)));
}

void CTextWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

void CTextWindow::resizeEvent(QResizeEvent* event) {
    UpdateShape();
    QWidget::resizeEvent(event);
}
