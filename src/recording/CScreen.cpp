#include "CScreen.h"

#include "CI420Rows.h"
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

int CScreen::BandRows() const {
    return std::max(2,
                    int(kGrabBandBytes / (qsizetype(std::max(1, m_captureRect.width())) * 4)) & ~1);
}

void CScreen::PrepareGrab() {
    if (!m_captureRect.isEmpty())
        m_grabber.Grab(
            QRect(m_captureRect.topLeft(),
                  QSize(m_captureRect.width(), std::min(BandRows(), m_captureRect.height()))));
}

void CScreen::OnThreadCreate() {
    m_wroteFrame = false;
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
    if (picture.width() < frame.width() || picture.height() < frame.height()) {
        // Whatever the picture does not cover stays black.
        std::memset(buffer, 16, static_cast<size_t>(layout.uOffset));
        std::memset(buffer + layout.uOffset, 128,
                    static_cast<size_t>(layout.bytes - layout.uOffset));
    }
    ConvertRows(picture, frame, 0, buffer);
}

void CScreen::ConvertRows(const QImage& picture, QSize frame, int top, std::uint8_t* buffer) {
    const I420Layout layout = I420(frame);
    std::uint8_t* const yPlane = buffer + qsizetype(top) * layout.yStride;
    std::uint8_t* const uPlane = buffer + layout.uOffset + qsizetype(top / 2) * layout.uvStride;
    std::uint8_t* const vPlane = buffer + layout.vOffset + qsizetype(top / 2) * layout.uvStride;
    const int width = std::min(picture.width(), frame.width());
    const int height = std::min(picture.height(), frame.height() - top);
    const int pairs = width / 2;
    for (int y = 0; y < height; y += 2) {
        const auto* row0 = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y));
        const auto* row1 =
            y + 1 < height ? reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y + 1))
                           : row0;
        std::uint8_t* y0 = yPlane + qsizetype(y) * layout.yStride;
        CI420Rows::Luma(row0, y0, width);
        if (y + 1 < height)
            CI420Rows::Luma(row1, y0 + layout.yStride, width);
        std::uint8_t* u = uPlane + qsizetype(y / 2) * layout.uvStride;
        std::uint8_t* v = vPlane + qsizetype(y / 2) * layout.uvStride;
        CI420Rows::Chroma(row0, row1, u, v, pairs);
        if (width % 2) {
            // An odd last column: its chroma from its own two pixels, counted twice.
            const std::uint32_t last[2] = {row0[width - 1], row0[width - 1]};
            const std::uint32_t below[2] = {row1[width - 1], row1[width - 1]};
            CI420Rows::Chroma(last, below, u + pairs, v + pairs, 1);
        }
    }
}

CScreen::Frame CScreen::FillI420(std::uint8_t* buffer, qsizetype size, bool readAnyway) {
    if (m_captureRect.isEmpty() || !buffer || size < I420Bytes())
        return Frame::Failed;
    const bool drawPointer = m_recordPointer.load();
    IScreenGrabber::Pointer pointer;
    if (drawPointer)
        pointer = m_grabber.ReadPointer();
    const bool samePointer =
        drawPointer == m_lastDrewPointer &&
        (!drawPointer ||
         (pointer.visible == m_lastPointer.visible &&
          (!pointer.visible || (pointer.position == m_lastPointer.position &&
                                pointer.hotSpot == m_lastPointer.hotSpot &&
                                pointer.image.cacheKey() == m_lastPointer.image.cacheKey()))));
    if (!readAnyway && m_wroteFrame && samePointer && !m_grabber.MayHaveChanged())
        return Frame::Unchanged;

    // A large screen is read in bands, each converted before the next is read: the grabber's
    // picture of the whole of 3840 x 2160 would be 33 MB beside the 12 MB frame. The bands are
    // read a millisecond or so apart.
    const int bandRows = BandRows();
    for (int top = 0; top < m_captureRect.height(); top += bandRows) {
        const QRect band(m_captureRect.x(), m_captureRect.y() + top, m_captureRect.width(),
                         std::min(bandRows, m_captureRect.height() - top));
        QImage picture = m_grabber.Grab(band);
        if (picture.isNull() || picture.size() != band.size())
            return Frame::Failed;
        if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32)
            picture = picture.convertToFormat(QImage::Format_RGB32);
        if (drawPointer)
            DrawPointer(picture, band.topLeft(), pointer, m_grabber.CursorSize());
        ConvertRows(picture, m_frameSize, top, buffer);
    }
    m_wroteFrame = true;
    m_lastDrewPointer = drawPointer;
    m_lastPointer = pointer;
    return Frame::Written;
}
