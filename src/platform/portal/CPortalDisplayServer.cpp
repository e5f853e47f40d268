#include "CPortalDisplayServer.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

CPortalDisplayServer::CPortalDisplayServer(std::unique_ptr<IDisplayServer> x11,
                                           std::function<unsigned long()> parentWindow,
                                           std::unique_ptr<CPortalScreenshot> screenshot)
    : m_x11(std::move(x11)), m_parentWindow(std::move(parentWindow)),
      m_screenshot(screenshot ? std::move(screenshot) : std::make_unique<CPortalScreenshot>()) {}

void CPortalDisplayServer::SetStackingChangedHandler(std::function<void()> handler) {
    m_x11->SetStackingChangedHandler(std::move(handler));
}

void CPortalDisplayServer::KeepOnTop(const std::vector<WId>& bottomToTop) {
    m_x11->KeepOnTop(bottomToTop);
}

void CPortalDisplayServer::KeepBelow(WId window, WId above) {
    m_x11->KeepBelow(window, above);
}

void CPortalDisplayServer::SetBoundingShape(WId window, const std::optional<QRegion>& region) {
    m_x11->SetBoundingShape(window, region);
}

void CPortalDisplayServer::Flush() {
    m_x11->Flush();
}

void CPortalDisplayServer::GiveKeyboardFocus(WId window) {
    m_x11->GiveKeyboardFocus(window);
}

void CPortalDisplayServer::PointerPassesThrough(WId window, bool passes) {
    m_x11->PointerPassesThrough(window, passes);
}

void CPortalDisplayServer::SyncWithScreen() {
    m_x11->SyncWithScreen();
}

QSize CPortalDisplayServer::ScreenSize() const {
    if (m_screenSize.isValid())
        return m_screenSize;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect virtualArea = screen->virtualGeometry();
    const qreal ratio = screen->devicePixelRatio();
    return QSize(qRound((virtualArea.x() + virtualArea.width()) * ratio),
                 qRound((virtualArea.y() + virtualArea.height()) * ratio));
}

QRect CPortalDisplayServer::MapToPicture(const QRect& rect, const QSize& screenSize,
                                         const QSize& pictureSize) {
    if (screenSize.isEmpty() || pictureSize.isEmpty())
        return {};
    const double sx = double(pictureSize.width()) / screenSize.width();
    const double sy = double(pictureSize.height()) / screenSize.height();
    const int left = int(std::floor(rect.x() * sx));
    const int top = int(std::floor(rect.y() * sy));
    const int right = int(std::ceil((rect.x() + rect.width()) * sx));
    const int bottom = int(std::ceil((rect.y() + rect.height()) * sy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
        .intersected(QRect(QPoint(0, 0), pictureSize));
}

QImage CPortalDisplayServer::GrabScreen(const QRect& rect) {
    m_grabError.clear();
    const QImage desktop =
        m_screenshot->Take(m_parentWindow ? m_parentWindow() : 0, &m_grabError);
    if (desktop.isNull())
        return {};
    const QRect part = MapToPicture(rect, ScreenSize(), desktop.size());
    if (part.isEmpty()) {
        m_grabError = QStringLiteral("The desktop's screenshot does not cover the screen's area "
                                     "(%1 x %2 pixels).")
                          .arg(desktop.width())
                          .arg(desktop.height());
        return {};
    }
    return desktop.copy(part).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
