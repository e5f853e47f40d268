#pragma once
// What the tools need of the overlay: the page to write to, the values to draw with, the layer
// to preview on, and the scene the page is shown over.
#include "GraphicsTypes.h"

#include <QRect>

class CCanvas;
class CPreviewLayer;
struct CToolValues;

class IToolHost {
public:
    virtual CCanvas& Canvas() = 0;
    virtual CPreviewLayer& Previews() = 0;
    virtual const CToolValues& Values() const = 0;
    // The overlay's rectangle on the virtual desktop.
    virtual QRect OverlayRect() const = 0;
    // The desktop shows through (true), or a board of BackgroundColour covers it.
    virtual bool IsDesktopScene() const = 0;
    virtual ARGB BackgroundColour() const = 0;
    // The region selection ended with `region` (normalised, overlay coordinates).
    virtual void RegionSelected(const QRect& region) = 0;

protected:
    ~IToolHost() = default;
};
