#include "CStringFormat.h"

#include <Qt>

int CStringFormat::ToQtTextFlags() const {
    int flags = m_alignment == EStringAlignment::Center ? Qt::AlignHCenter : Qt::AlignLeft;
    flags |= m_lineAlignment == EStringAlignment::Center ? Qt::AlignVCenter : Qt::AlignTop;
    if ((m_flags & kStringFormatNoWrap) == 0)
        flags |= Qt::TextWordWrap;
    // Typed text is never cut off at the layout's edge: what MeasureString reports is what is
    // painted, so the caller can size the box to it.
    flags |= Qt::TextDontClip;
    return flags;
}
