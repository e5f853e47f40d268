#include "CBalloonPopup.h"

#include "StackTier.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>

namespace {
constexpr int kWidth = 360;
constexpr int kMarginFromCorner = 16;
constexpr int kIconSize = 32;
constexpr int kMargin = 12;
constexpr int kSpacing = 8;
} // namespace

CBalloonPopup::CBalloonPopup(QWidget* parent) : QFrame(parent) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName("RavlinBalloon");
    // Our balloon stands where the tray's would: above the toolbar, below bubbles and popups.
    SetStackTier(this, EStackTier::Notice);
    setWindowTitle("Ravlin");
    setFixedWidth(kWidth);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet("#RavlinBalloon { background: #2B3038; border: 1px solid #E0A030; }"
                  "QLabel { color: #ECEFF4; font-size: 10pt; }");
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSize));
    m_title = new QLabel(this);
    m_title->setStyleSheet("QLabel { font-weight: bold; }");
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    // Wrapped labels of a known width: the balloon then grows to the whole text.
    const int textWidth = kWidth - 2 * kMargin - kIconSize - kSpacing;
    m_title->setFixedWidth(textWidth);
    m_text->setFixedWidth(textWidth);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    grid->setHorizontalSpacing(kSpacing);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_text, 1, 1);
    grid->setColumnStretch(1, 1);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

QString CBalloonPopup::Title() const {
    return m_title->text();
}

QString CBalloonPopup::Text() const {
    return m_text->text();
}

void CBalloonPopup::ShowBalloon(const QString& title, const QString& text, const QRect& area,
                                int durationMs) {
    m_title->setText(title);
    setWindowTitle(title);
    m_text->setText(text);
    setAccessibleName(title);
    setAccessibleDescription(text);
    adjustSize();
    // Top right, below the band where the toolbar starts, so it never covers its buttons.
    move(area.right() - width() - kMarginFromCorner + 1, area.top() + kBelowToolbarBand);
    show();
    raise();
    m_hideTimer.start(durationMs);
}

void CBalloonPopup::mousePressEvent(QMouseEvent* event) {
    event->accept();
    hide();
    emit Clicked();
}
