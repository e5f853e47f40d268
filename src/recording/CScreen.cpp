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
    m_lastPicture = QImage();
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

CScreen::I420Layout CScreen::I420(QSize frame) {
    I420Layout layout;
    const int width = std::max(0, frame.width());
    const int height = std::max(0, frame.height());
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    layout.yStride = (width + 3) & ~3;
    layout.uvStride = (chromaWidth + 3) & ~3;
    layout.uOffset = qsizetype(layout.yStride) * ((height + 1) & ~1);
    layout.vOffset = layout.uOffset + qsizetype(layout.uvStride) * chromaHeight;
    layout.bytes = layout.vOffset + qsizetype(layout.uvStride) * chromaHeight;
    return layout;
}

void CScreen::ConvertToI420(const QImage& picture, QSize frame, std::uint8_t* buffer) {
    const I420Layout layout = I420(frame);
    std::uint8_t* const yPlane = buffer;
    std::uint8_t* const uPlane = buffer + layout.uOffset;
    std::uint8_t* const vPlane = buffer + layout.vOffset;
    const int width = std::min(picture.width(), frame.width());
    const int height = std::min(picture.height(), frame.height());
    if (width < frame.width() || height < frame.height()) {
        // Whatever the picture does not cover stays black.
        std::memset(yPlane, 16, static_cast<size_t>(layout.uOffset));
        std::memset(uPlane, 128, static_cast<size_t>(layout.bytes - layout.uOffset));
    }
    // Integer BT.601, limited range, each chroma sample from the mean of its 2 x 2 pixels.
    const auto luma = [](std::uint32_t p) {
        const int r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
        return static_cast<std::uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
    };
    for (int y = 0; y < height; y += 2) {
        const auto* row0 = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y));
        const auto* row1 =
            y + 1 < height ? reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y + 1))
                           : row0;
        std::uint8_t* y0 = yPlane + qsizetype(y) * layout.yStride;
        std::uint8_t* y1 = y + 1 < height ? y0 + layout.yStride : nullptr;
        std::uint8_t* u = uPlane + qsizetype(y / 2) * layout.uvStride;
        std::uint8_t* v = vPlane + qsizetype(y / 2) * layout.uvStride;
        for (int x = 0; x < width; x += 2) {
            const int x1 = x + 1 < width ? x + 1 : x;
            const std::uint32_t p00 = row0[x], p01 = row0[x1], p10 = row1[x], p11 = row1[x1];
            y0[x] = luma(p00);
            if (x1 != x)
                y0[x1] = luma(p01);
            if (y1) {
                y1[x] = luma(p10);
                if (x1 != x)
                    y1[x1] = luma(p11);
            }
            const int r = int((p00 >> 16 & 0xFF) + (p01 >> 16 & 0xFF) + (p10 >> 16 & 0xFF) +
                              (p11 >> 16 & 0xFF));
            const int g =
                int((p00 >> 8 & 0xFF) + (p01 >> 8 & 0xFF) + (p10 >> 8 & 0xFF) + (p11 >> 8 & 0xFF));
            const int b = int((p00 & 0xFF) + (p01 & 0xFF) + (p10 & 0xFF) + (p11 & 0xFF));
            u[x / 2] = static_cast<std::uint8_t>(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
            v[x / 2] = static_cast<std::uint8_t>(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
        }
    }
}

CScreen::Frame CScreen::FillI420(std::uint8_t* buffer, qsizetype size) {
    if (m_captureRect.isEmpty() || !buffer || size < I420Bytes())
        return Frame::Failed;
    QImage picture = m_grabber.Grab(m_captureRect);
    if (picture.isNull() || picture.size() != m_captureRect.size())
        return Frame::Failed;
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    if (m_recordPointer.load())
        DrawPointer(picture, m_captureRect.topLeft(), m_grabber.ReadPointer(),
                    m_grabber.CursorSize());

    // The whole picture is compared, not a sample of it: a pen stroke of a few pixels is
    // exactly what a presentation recording must not lose. The grab may live in memory the
    // next grab overwrites, so the kept copy is our own.
    const qsizetype bytes = picture.sizeInBytes();
    if (m_lastPicture.size() == picture.size() && m_lastPicture.format() == picture.format() &&
        m_lastPicture.bytesPerLine() == picture.bytesPerLine() &&
        std::memcmp(m_lastPicture.constBits(), picture.constBits(), static_cast<size_t>(bytes)) ==
            0)
        return Frame::Unchanged;
    if (m_lastPicture.size() != picture.size() || m_lastPicture.format() != picture.format() ||
        m_lastPicture.bytesPerLine() != picture.bytesPerLine())
        m_lastPicture = QImage(picture.size(), picture.format());
    std::memcpy(m_lastPicture.bits(), picture.constBits(), static_cast<size_t>(bytes));
    ConvertToI420(m_lastPicture, m_frameSize, buffer);
    return Frame::Written;
}
