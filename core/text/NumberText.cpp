// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orvane {

// std::to_chars with a precision writes what printf writes with that precision
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

std::string ShortestText(double value) {
    char buffer[kG17MaxChars];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, result.ec == std::errc() ? result.ptr : buffer};
}

bool ReadNumberText(std::string_view text, double& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return false; // one sign only
    }
    double value = 0;
    const std::from_chars_result result =
        std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return false;
    out = value;
    return true;
}

} // namespace orvane
