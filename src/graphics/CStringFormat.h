// How a string sits in its layout rectangle: horizontal and vertical alignment, and whether it
// may wrap.
#pragma once

#include "GraphicsTypes.h"

class CStringFormat {
public:
    CStringFormat() = default;

    void SetAlignment(EStringAlignment alignment) { m_alignment = alignment; }
    EStringAlignment Alignment() const { return m_alignment; }

    void SetLineAlignment(EStringAlignment alignment) { m_lineAlignment = alignment; }
    EStringAlignment LineAlignment() const { return m_lineAlignment; }

    // kStringFormatNoWrap, or 0.
    void SetFormatFlags(int flags) { m_flags = flags; }
    int FormatFlags() const { return m_flags; }

    // The Qt::AlignmentFlag and Qt::TextFlag bits for QPainter::drawText and QFontMetricsF.
    int ToQtTextFlags() const;

private:
    EStringAlignment m_alignment = EStringAlignment::Near;
    EStringAlignment m_lineAlignment = EStringAlignment::Near;
    int m_flags = 0;
};
