#include "_PageContext.h"

#include "CBitmap.h"

#include <QPainter>

namespace {
QSize DeviceSize(const QSize& logicalSize, qreal ratio) {
    return QSize(qRound(logicalSize.width() * ratio), qRound(logicalSize.height() * ratio));
}
} // namespace

_PageContext::_PageContext(const QSize& logicalSize, qreal devicePixelRatio) {
    const QSize size = DeviceSize(logicalSize, devicePixelRatio);
    bitmap = CBitmap::CreateBitmap(size.width(), size.height());
    bitmap.setDevicePixelRatio(devicePixelRatio);
}

std::unique_ptr<_PageContext> _PageContext::MakePacked(const QSize& logicalSize,
                                                       qreal devicePixelRatio) {
    std::unique_ptr<_PageContext> page(new _PageContext());
    page->packed =
        CPackedImage::Filled(DeviceSize(logicalSize, devicePixelRatio), devicePixelRatio, 0);
    return page;
}

QImage _PageContext::Pack() {
    if (bitmap.isNull())
        return QImage();
    // Every way of writing to a QImage (a painter on it, bits(), scanLine()) detaches it first,
    // which changes its cache key: an unchanged key means the packed picture is still the
    // page, and paging through pages without drawing packs nothing.
    if (packed.IsNull() || bitmap.cacheKey() != m_unpackedKey) {
        packed = CPackedImage::Pack(bitmap);
        // A picture that cannot be packed stays as it is rather than being lost.
        if (packed.IsNull())
            return QImage();
    }
    return std::exchange(bitmap, QImage());
}

void _PageContext::Unpack(QImage reuse) {
    if (!IsPacked())
        return;
    bitmap = packed.Unpack(std::move(reuse));
    m_unpackedKey = bitmap.cacheKey();
}

size_t _PageContext::Bytes() const {
    return packed.Bytes() + static_cast<size_t>(bitmap.sizeInBytes());
}

void _PageContext::Resize(const QSize& logicalSize, qreal devicePixelRatio) {
    const QSize size = DeviceSize(logicalSize, devicePixelRatio);
    // The same display chosen again: stretching to the same size would change nothing, and
    // the pages put away need not be unpacked for it.
    const qreal ratio = IsPacked() ? packed.DevicePixelRatio() : bitmap.devicePixelRatio();
    if (size == Size() && ratio == devicePixelRatio)
        return;
    const bool wasPacked = IsPacked();
    Unpack();
    QImage stretched = CBitmap::CreateBitmap(size.width(), size.height());
    {
        QPainter painter(&stretched);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QImage old = bitmap;
        old.setDevicePixelRatio(1.0);
        painter.drawImage(stretched.rect(), old);
    }
    stretched.setDevicePixelRatio(devicePixelRatio);
    bitmap = stretched;
    if (wasPacked)
        Pack();
}
