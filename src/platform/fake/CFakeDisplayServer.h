#pragma once
// A display server for tests: compositing and stacking changes are raised by the test, and what
// the program asked for is recorded.
#include "CShapeRequests.h"
#include "IDisplayServer.h"

class CFakeDisplayServer : public IDisplayServer {
public:
    bool IsCompositing() const override { return compositing; }
    void SetCompositingChangedHandler(std::function<void(bool)> handler) override {
        onCompositing = std::move(handler);
    }
    void SetStackingChangedHandler(std::function<void()> handler) override {
        onStacking = std::move(handler);
    }
    void KeepOnTop(const std::vector<WId>& bottomToTop) override {
        keepOnTopCalls.push_back(bottomToTop);
    }
    void KeepBelow(WId window, WId above) override { keepBelowCalls.push_back({window, above}); }
    void SetBoundingShape(WId, const std::optional<QRegion>& region) override {
        shape = region;
        ++shapeCalls;
        // Sent as the X11 server's implementation sends it: in requests under the limit.
        shapeRequestBytes.clear();
        if (region)
            for (const CShapeRequests::CBatch& batch :
                 CShapeRequests::Split(static_cast<int>(region->rectCount()), mostRequestBytes))
                shapeRequestBytes.push_back(batch.Bytes());
    }
    void SyncWithScreen() override { ++syncCalls; }
    void Flush() override { ++flushCalls; }
    void GiveKeyboardFocus(WId window) override { focusedWindow = window; }
    QImage GrabScreen(const QRect& rect) override {
        ++grabCalls;
        lastGrab = rect;
        QImage image(rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(screenColour);
        return image;
    }

    // Test side.
    void SetCompositing(bool on) {
        compositing = on;
        if (onCompositing)
            onCompositing(on);
    }

    bool compositing = true;
    QColor screenColour = QColor(30, 90, 160);
    std::function<void(bool)> onCompositing;
    std::function<void()> onStacking;
    std::vector<std::vector<WId>> keepOnTopCalls;
    std::vector<std::pair<WId, WId>> keepBelowCalls;
    std::optional<QRegion> shape;
    int shapeCalls = 0;
    // The most bytes a request may take: 65535 four-byte units, a server without big requests.
    size_t mostRequestBytes = 65535 * 4;
    std::vector<size_t> shapeRequestBytes; // the requests the last shape took

    int syncCalls = 0;
    int flushCalls = 0;
    WId focusedWindow = 0;
    int grabCalls = 0;
    QRect lastGrab;
};
