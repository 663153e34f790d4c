// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/DrawSurface.h"

namespace orvane {

PenHandle DrawSurface::SelectPen(PenHandle pen) {
    if (!m_pens.Valid(pen))
        return m_pen;
    const PenHandle previous = m_pen;
    m_pen = pen;
    ApplyPen(m_pens.Find(pen));
    return previous;
}

bool DrawSurface::DeletePen(PenHandle pen) {
    return pen != m_pen && m_pens.Delete(pen);
}

FontHandle DrawSurface::SelectFont(FontHandle font) {
    if (!m_fonts.Valid(font))
        return m_font;
    const FontHandle previous = m_font;
    m_font = font;
    ApplyFont(m_fonts.Find(font));
    return previous;
}

bool DrawSurface::DeleteFont(FontHandle font) {
    return font != m_font && m_fonts.Delete(font);
}

} // namespace orvane
