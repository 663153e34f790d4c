// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/NumberText.h"

#include "core/text/CLocaleScope.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

namespace {

// Drops trailing zeros after the point but keeps the point itself.
void TrimFraction(std::string& digits) {
    const std::size_t point = digits.find('.');
    if (point == std::string::npos)
        return;
    std::size_t end = digits.size();
    while (end > point + 1 && digits[end - 1] == '0')
        --end;
    digits.resize(end);
}

} // namespace

std::string EntryNumber(double value) {
    constexpr int kSignificantDigits = 15;
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";

    CLocaleScope cLocale;
    // The exponent after rounding to 15 digits decides the notation, so that
    // 999999999999999.9 counts as 1e15.
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.*e", kSignificantDigits - 1, value);
    const char* e = std::strchr(sci, 'e');
    const int exponent = e != nullptr ? std::atoi(e + 1) : 0;

    if (exponent >= -1 && exponent <= 14) {
        char plain[64];
        std::snprintf(plain, sizeof plain, "%#.*f", kSignificantDigits - 1 - exponent, value);
        std::string text = plain; // '#' keeps the point even without decimals
        TrimFraction(text);
        return text;
    }
    std::string mantissa(sci, e != nullptr ? static_cast<std::size_t>(e - sci) : std::strlen(sci));
    TrimFraction(mantissa);
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + tail;
}

std::string ShownEntryNumber(double value) {
    constexpr int kShownDigits = 4;
    if (!std::isfinite(value) || value == 0)
        return EntryNumber(value);
    const int wholeDigits = static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    const int keep = std::clamp(std::max(kShownDigits, wholeDigits), 1, 15);
    CLocaleScope cLocale;
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.*e", keep - 1, value);
    return EntryNumber(std::strtod(rounded, nullptr));
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
