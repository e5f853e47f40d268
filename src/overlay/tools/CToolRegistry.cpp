#include "CToolRegistry.h"

#include "CEraserTool.h"
#include "CMarkerTool.h"
#include "CPenTool.h"
#include "CRegionTool.h"
#include "CTextTool.h"

CToolRegistry::CToolRegistry(IToolHost& host, QRect& clipRegion, CTextWindow& textWindow,
                             IDisplayServer& displayServer) {
    auto marker = std::make_unique<CMarkerTool>(host);
    auto text = std::make_unique<CTextTool>(host, textWindow, displayServer);
    m_marker = marker.get();
    m_text = text.get();
    // In the order of their numbers.
    m_tools.push_back(std::make_unique<CPenTool>(host));
    m_tools.push_back(std::move(marker));
    m_tools.push_back(std::make_unique<CEraserTool>(host));
    m_tools.push_back(std::make_unique<CRegionTool>(host, clipRegion));
    m_tools.push_back(std::move(text));
}

CToolRegistry::~CToolRegistry() = default;

ITool& CToolRegistry::At(int number) {
    if (number < 0 || number >= Count())
        number = kPen;
    return *m_tools[static_cast<size_t>(number)];
}

void CToolRegistry::Resize(const QSize& logicalSize, qreal devicePixelRatio) {
    m_marker->Resize(logicalSize, devicePixelRatio);
}
