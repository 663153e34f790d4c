// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumericText.h"

#include "core/numeric/Saturate.h"
#include "core/text/CLocaleScope.h"
#include "core/text/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orvane {

namespace {

constexpr qsizetype kStrictLength = 31;
constexpr qsizetype kScanLength = 19;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
// scanf skips every white-space character of the "C" locale.
bool IsScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The first `count` characters as bytes. Anything outside ASCII cannot be part
// of a number, so it becomes a character no rule accepts.
std::string Head(const QString& text, qsizetype count) {
    std::string out;
    const QString head = text.left(count);
    out.reserve(static_cast<size_t>(head.size()));
    for (QChar ch : head)
        out.push_back(ch.unicode() < 0x80 ? static_cast<char>(ch.unicode()) : '\x7f');
    return out;
}

// Length of the longest prefix of s[pos..] that is a decimal floating-point
// number: optional sign, digits with an optional point (at least one digit),
// optional exponent. 0 when there is none.
size_t FloatLength(const std::string& s, size_t pos) {
    size_t i = pos;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i - pos;
}

// Length of an optional sign followed by at least one digit; 0 when none.
size_t IntegerLength(const std::string& s, size_t pos) {
    size_t i = pos;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const size_t start = i;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    return i == start ? 0 : i - pos;
}

// Converts a prefix already known to be a decimal number. An overflow to
// infinity is not a number.
std::optional<double> ConvertFloat(const std::string& number) {
    CLocaleScope cLocale;
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size())
        return std::nullopt;
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

// Converts sign-and-digits, saturating at the 32-bit limits.
int32_t ConvertInteger(const std::string& number) {
    return ParseInt32Saturating(number).value_or(0);
}

struct StrictToken {
    std::string number;
    bool leadingZeroDigit = false;
};

// The strict rule shared by numbers and integers: blanks around, the number,
// nothing else in the first 31 characters.
template <typename LengthFn>
std::optional<StrictToken> StrictToken31(const QString& text, LengthFn length) {
    const std::string s = Head(text, kStrictLength);
    size_t pos = 0;
    while (pos < s.size() && IsBlank(s[pos]))
        ++pos;
    const size_t n = length(s, pos);
    if (n == 0)
        return std::nullopt;
    size_t rest = pos + n;
    while (rest < s.size() && IsBlank(s[rest]))
        ++rest;
    if (rest != s.size())
        return std::nullopt;
    return StrictToken{s.substr(pos, n), s[pos] == '0'};
}

template <typename LengthFn>
std::optional<std::string> ScanToken19(const QString& text, LengthFn length) {
    const std::string s = Head(text, kScanLength);
    size_t pos = 0;
    while (pos < s.size() && IsScanSpace(s[pos]))
        ++pos;
    const size_t n = length(s, pos);
    if (n == 0)
        return std::nullopt;
    return s.substr(pos, n);
}

} // namespace

namespace NumericText {

QString FormatNumber(double value) {
    return QString::fromStdString(EntryNumber(value));
}

QString FormatShown(double value) {
    return QString::fromStdString(ShownEntryNumber(value));
}

QString FormatInteger(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    return QString::fromLatin1(buffer);
}

std::optional<double> ReadNumber(const QString& text) {
    const auto token = StrictToken31(text, FloatLength);
    if (!token)
        return std::nullopt;
    const auto value = ConvertFloat(token->number);
    // A zero counts only when it was written as one: not "", "-0", "+0" or ".0".
    if (!value || (*value == 0 && !token->leadingZeroDigit))
        return std::nullopt;
    return value;
}

std::optional<int32_t> ReadInteger(const QString& text) {
    const auto token = StrictToken31(text, IntegerLength);
    if (!token)
        return std::nullopt;
    const int32_t value = ConvertInteger(token->number);
    if (value == 0 && !token->leadingZeroDigit)
        return std::nullopt;
    return value;
}

std::optional<double> ScanNumber(const QString& text) {
    const auto token = ScanToken19(text, FloatLength);
    if (!token)
        return std::nullopt;
    return ConvertFloat(*token);
}

std::optional<int32_t> ScanInteger(const QString& text) {
    const auto token = ScanToken19(text, IntegerLength);
    if (!token)
        return std::nullopt;
    return ConvertInteger(*token);
}

} // namespace NumericText

} // namespace orvane
