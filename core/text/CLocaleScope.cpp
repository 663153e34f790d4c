// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/CLocaleScope.h"

namespace orvane {

CLocaleScope::CLocaleScope() {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale != locale_t{})
        m_previous = uselocale(cLocale);
}

CLocaleScope::~CLocaleScope() {
    if (m_previous != locale_t{})
        uselocale(m_previous);
}

} // namespace orvane
