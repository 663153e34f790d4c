// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverEntry.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    const auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return Fold(a) == Fold(b); });
    return found != haystack.end() || needle.empty();
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::optional<std::string> CheckName(const std::string& value, const char* what) {
    if (value.empty())
        return std::string(what) + " is empty";
    if (value.size() > kMaxNameBytes)
        return std::string(what) + " is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    if (HasControlCharacter(value))
        return std::string(what) + " holds a control character";
    return std::nullopt;
}

std::optional<std::string> CheckRequired(double value, const char* what) {
    if (!std::isfinite(value) || !(value > 0))
        return std::string(what) + " must be a number above 0";
    return std::nullopt;
}

std::optional<std::string> CheckOptional(const std::optional<double>& value, const char* what,
                                         bool mayBeNegative = false) {
    if (!value)
        return std::nullopt;
    if (!std::isfinite(*value) || (!mayBeNegative && *value < 0))
        return std::string(what) +
               (mayBeNegative ? " must be a finite number" : " must be a number not below 0");
    return std::nullopt;
}

} // namespace

std::optional<std::string> NormaliseDriver(DriverEntry& entry) {
    entry.maker = Trimmed(entry.maker);
    entry.model = Trimmed(entry.model);
    const std::optional<std::string> reasons[] = {
        CheckName(entry.maker, "maker"),   CheckName(entry.model, "model"),
        CheckRequired(entry.fs, "fs"),     CheckRequired(entry.qts, "qts"),
        CheckRequired(entry.vas, "vas"),   CheckOptional(entry.coneDiameter, "cone diameter"),
        CheckOptional(entry.xmax, "xmax"), CheckOptional(entry.efficiency, "efficiency", true),
        CheckOptional(entry.re, "re"),     CheckOptional(entry.qes, "qes"),
        CheckOptional(entry.le, "le"),     CheckOptional(entry.pe, "pe"),
    };
    for (const std::optional<std::string>& reason : reasons) {
        if (reason)
            return reason;
    }
    if (entry.notes.size() > kMaxNotesBytes)
        return "notes are longer than " + std::to_string(kMaxNotesBytes) + " bytes";
    return std::nullopt;
}

bool DriverMatches(const DriverEntry& entry, std::string_view query) {
    std::size_t pos = 0;
    while (pos < query.size()) {
        while (pos < query.size() && IsBlank(query[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < query.size() && !IsBlank(query[end]))
            ++end;
        if (end == pos)
            break;
        const std::string_view word = query.substr(pos, end - pos);
        if (!ContainsNoCase(entry.maker, word) && !ContainsNoCase(entry.model, word) &&
            !ContainsNoCase(entry.notes, word))
            return false;
        pos = end;
    }
    return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Fold(a[i]));
        const auto y = static_cast<unsigned char>(Fold(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace orvane
