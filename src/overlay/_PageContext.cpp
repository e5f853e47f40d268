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

void _PageContext::Resize(const QSize& logicalSize, qreal devicePixelRatio) {
    const QSize size = DeviceSize(logicalSize, devicePixelRatio);
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
}
