#pragma once
// The region selection: a drag draws the clip region, tinted with its size in the middle while
// dragging. The region is the overlay's; at the release the host takes it.
#include "ITool.h"
#include "IToolHost.h"

class CRegionTool : public ITool {
public:
    CRegionTool(IToolHost& host, QRect& region) : m_host(host), m_region(region) {}

    bool WritesPage() const override { return false; }
    void Press(const QPoint& at) override;
    void Move(const QPoint& at) override;
    void Release(const QPoint& at) override;
    void Cancel() override;
    bool WantsTicks() const override { return m_dragging; }
    void Tick(std::uint32_t nowMs) override;
    QCursor Cursor() override { return QCursor(Qt::CrossCursor); }

    // A region with negative width or height turned into the same area with positive ones.
    static QRect Normalised(const QRect& region);

private:
    IToolHost& m_host;
    QRect& m_region;
    bool m_dragging = false;
};
