#include "CScreen.h"

#include "CMonotonicClock.h"

#include <QPainter>
#include <algorithm>
#include <bit>
#include <cstring>

CScreen::CScreen(IScreenGrabber& grabber, Clock clockMs)
    : m_grabber(grabber), m_clockMs(std::move(clockMs)) {
    if (!m_clockMs)
        m_clockMs = [] { return CMonotonicClock::NowMs(); };
}

void CScreen::SetCaptureRegion(const QRect& monitorRect, int left, int top, int width, int height) {
    QRect rect = (width == 0 || height == 0) ? monitorRect : QRect(left, top, width, height);
    rect.setWidth(std::max(2, rect.width() & ~1));
    rect.setHeight(std::max(2, rect.height() & ~1));
    m_captureRect = rect;
    SetFrameSize(rect.width(), rect.height());
}

bool CScreen::SetFrameSize(int width, int height) {
    if (width < 1 || height < 1)
        return false;
    m_frameSize = QSize(width, height);
    return true;
}

std::uint32_t CScreen::NowMs() const {
    return m_clockMs();
}

void CScreen::OnThreadCreate() {
    const std::uint32_t now = NowMs();
    m_pauseStartMs.store(now);
    m_baseTimeMs.store(now);
}

std::int64_t CScreen::RecordedMs() const {
    // The difference is taken modulo 2^32, so the clock's wrap-around costs nothing.
    return static_cast<std::int32_t>(NowMs() - m_baseTimeMs.load());
}

void CScreen::DrawPointer(QImage& picture, const QPoint& origin,
                          const IScreenGrabber::Pointer& pointer, int cursorSize) {
    if (!pointer.visible)
        return;
    QPainter painter(&picture);
    const QPoint at = pointer.position - origin;
    if (!pointer.image.isNull())
        painter.drawImage(at - pointer.hotSpot, pointer.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 0, 127));
    const QPoint corner = at - QPoint(cursorSize / 2, cursorSize / 2);
    painter.drawEllipse(QRect(corner, QSize(kHaloSize, kHaloSize)));
}

bool CScreen::FillBuffer(std::uint8_t* buffer, qsizetype size) {
    if (m_captureRect.isEmpty() || !buffer)
        return false;
    QImage picture = m_grabber.Grab(m_captureRect);
    if (picture.isNull() || picture.size() != m_captureRect.size())
        return false;
    if (m_recordPointer.load())
        DrawPointer(picture, m_captureRect.topLeft(), m_grabber.ReadPointer(),
                    m_grabber.CursorSize());

    // The frame has the capture rectangle's size: a straight copy into whole padded rows.
    const int width = std::min(picture.width(), m_frameSize.width());
    const qsizetype rowBytes = RowBytes(m_frameSize.width());
    const int rows = static_cast<int>(std::min<qsizetype>(m_frameSize.height(), size / rowBytes));
    for (int y = 0; y < std::min(rows, picture.height()); ++y) {
        const auto* source = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y));
        std::uint8_t* target = buffer + y * rowBytes;
        // Each pixel is stored as four bytes (blue, green, red, unused) whose last byte the
        // next pixel overwrites: one store a pixel instead of three. The row's last pixel is
        // stored byte by byte so nothing is written past the row.
        static_assert(std::endian::native == std::endian::little);
        int x = 0;
        for (; x + 1 < width; ++x)
            std::memcpy(target + 3 * x, source + x, 4);
        for (; x < width; ++x) {
            const std::uint32_t pixel = source[x];
            target[3 * x] = static_cast<std::uint8_t>(pixel);
            target[3 * x + 1] = static_cast<std::uint8_t>(pixel >> 8);
            target[3 * x + 2] = static_cast<std::uint8_t>(pixel >> 16);
        }
        std::memset(target + 3 * width, 0, static_cast<size_t>(rowBytes - 3 * width));
    }
    return true;
}
