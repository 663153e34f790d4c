// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/NumberText.h"

#include <charconv>
#include <system_error>

namespace orvane {

// std::to_chars with a precision is specified as printf with that precision
// in the C locale, without printf's format parsing and locale look-ups: at a
// million numbers that is most of the time the output takes. The shortest
// round-trip form would be faster still but writes other text.
char* FormatG17(char* first, char* last, double value) {
    const std::to_chars_result result =
        std::to_chars(first, last, value, std::chars_format::general, 17);
    return result.ec == std::errc() ? result.ptr : first;
}

std::string G17(double value) {
    char buffer[kG17MaxChars];
    return {buffer, FormatG17(buffer, buffer + sizeof buffer, value)};
}

} // namespace orvane
