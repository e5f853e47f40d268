#pragma once
// The drawing tools by number: a row here is all a new tool needs besides its class, its
// command and its toolbar button.
#include "ITool.h"

#include <QRect>
#include <memory>
#include <vector>

class CMarkerTool;
class CRegionTool;
class CTextTool;
class CTextWindow;
class IDisplayServer;
class IToolHost;

class CToolRegistry {
public:
    static constexpr int kPen = 0;
    static constexpr int kMarker = 1;
    static constexpr int kEraser = 2;
    static constexpr int kRegion = 3;
    static constexpr int kText = 4;

    CToolRegistry(IToolHost& host, QRect& clipRegion, CTextWindow& textWindow,
                  IDisplayServer& displayServer);
    ~CToolRegistry();

    // The tool of a number; an unknown number gives the pen.
    ITool& At(int number);
    int Count() const { return static_cast<int>(m_tools.size()); }

    // The tools the overlay speaks to by name: the marker's paint follows the display, the
    // text is committed from the bubble, whichever tool is current.
    CMarkerTool& Marker() { return *m_marker; }
    CTextTool& Text() { return *m_text; }

    // The overlay's size changed.
    void Resize(const QSize& logicalSize, qreal devicePixelRatio);

private:
    std::vector<std::unique_ptr<ITool>> m_tools;
    CMarkerTool* m_marker = nullptr;
    CTextTool* m_text = nullptr;
};
