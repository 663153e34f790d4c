// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <locale.h>

namespace orvane {

// QApplication switches the process to the desktop's locale, where printf
// writes and strtod/scanf expect a decimal comma. Numbers in this program
// always use the point: every conversion runs inside one of these, which puts
// the current thread into the "C" locale and restores the previous one.
class CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous{};
};

} // namespace orvane
