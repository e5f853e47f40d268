#include "CRecordingIndicator.h"

#include <QPainter>

namespace {
constexpr int kDotDiameter = 16;
constexpr int kVerticalDotDiameter = 14;
const QColor kDotRed(229, 40, 40);
const QColor kText(240, 240, 240);
} // namespace

CRecordingIndicator::CRecordingIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Recorded time"));
}

void CRecordingIndicator::SetTime(const QString& time, bool dotLit) {
    if (time == m_time && dotLit == m_dotLit)
        return;
    m_time = time;
    m_dotLit = dotLit;
    update();
}

void CRecordingIndicator::SetVertical(bool vertical) {
    m_vertical = vertical;
    update();
}

QRect CRecordingIndicator::DotRect() const {
    if (m_vertical)
        return QRect((width() - kVerticalDotDiameter) / 2, 4, kVerticalDotDiameter,
                     kVerticalDotDiameter);
    return QRect(4, (height() - kDotDiameter) / 2, kDotDiameter, kDotDiameter);
}

void CRecordingIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect dot = DotRect();
    if (m_dotLit) {
        painter.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
        painter.setBrush(kDotRed);
    } else {
        // Out, the dot keeps a faint ring so the time does not jump about.
        painter.setPen(QPen(QColor(255, 255, 255, 90), 1.5));
        painter.setBrush(Qt::NoBrush);
    }
    painter.drawEllipse(QRectF(dot).adjusted(0.75, 0.75, -0.75, -0.75));

    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(m_vertical ? 8 : 13);
    painter.setFont(font);
    painter.setPen(kText);
    const QRect text = m_vertical ? QRect(0, dot.bottom() + 3, width(), height() - dot.bottom() - 3)
                                  : QRect(dot.right() + 6, 0, width() - dot.right() - 6, height());
    painter.drawText(
        text, (m_vertical ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter),
        m_time);
}
