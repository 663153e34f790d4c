// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/Printf.h"

#include "core/text/CLocaleScope.h"

#include <cstdarg>
#include <cstdio>

namespace orvane {

std::string Printf(const char* format, ...) {
    const CLocaleScope cLocale;
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    // "%.1f" of a level from a file can be hundreds of digits long.
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}

} // namespace orvane
