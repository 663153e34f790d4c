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

enum class Character { Fine, Invalid, Control };

// The character at `p` (before `end`): how many bytes it takes, and whether
// it is invalid UTF-8 (overlong forms, surrogates and values past U+10FFFF
// included; one byte then) or a control character: C0 (but the tab and line
// breaks where `lineBreaks`), DEL, C1, and the bidirectional marks,
// embeddings, overrides and isolates.
Character Next(const unsigned char* p, const unsigned char* end, bool lineBreaks, int& length) {
    const unsigned char c = *p;
    length = 1;
    if (c < 0x80) {
        const bool allowed = lineBreaks && (c == '\t' || c == '\n' || c == '\r');
        return (c < 0x20 && !allowed) || c == 0x7f ? Character::Control : Character::Fine;
    }
    int size = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (c >= 0xc2 && c <= 0xdf) {
        size = 2;
        code = c & 0x1f;
        least = 0x80;
    } else if (c >= 0xe0 && c <= 0xef) {
        size = 3;
        code = c & 0x0f;
        least = 0x800;
    } else if (c >= 0xf0 && c <= 0xf4) {
        size = 4;
        code = c & 0x07;
        least = 0x10000;
    } else {
        return Character::Invalid;
    }
    if (end - p < size)
        return Character::Invalid;
    for (int i = 1; i < size; ++i) {
        if ((p[i] & 0xc0) != 0x80)
            return Character::Invalid;
        code = (code << 6) | (p[i] & 0x3f);
    }
    if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return Character::Invalid;
    length = size;
    if ((code >= 0x80 && code <= 0x9f) || code == 0x61c || code == 0x200e || code == 0x200f ||
        (code >= 0x202a && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069))
        return Character::Control;
    return Character::Fine;
}

// The first character that is not fine, or nothing.
std::optional<Character> FirstWrong(std::string_view text, bool lineBreaks) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    for (int length = 0; p < end; p += length) {
        if (const Character c = Next(p, end, lineBreaks, length); c != Character::Fine)
            return c;
    }
    return std::nullopt;
}

std::optional<std::string> CheckName(const std::string& value, const char* what) {
    if (value.empty())
        return std::string(what) + " is empty";
    if (value.size() > kMaxNameBytes)
        return std::string(what) + " is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    if (const std::optional<Character> wrong = FirstWrong(value, false)) {
        return std::string(what) + (*wrong == Character::Invalid ? " is not valid UTF-8"
                                                                 : " contains a control character");
    }
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

const char* KindName(DriverKind kind) {
    return kind == DriverKind::Radiator ? "radiator" : "driver";
}

std::optional<DriverKind> KindNamed(std::string_view name) {
    for (const DriverKind kind : {DriverKind::Driver, DriverKind::Radiator}) {
        if (CompareNoCase(name, KindName(kind)) == 0)
            return kind;
    }
    return std::nullopt;
}

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
        CheckOptional(entry.mms, "mms"),   CheckOptional(entry.displacement, "displacement"),
    };
    for (const std::optional<std::string>& reason : reasons) {
        if (reason)
            return reason;
    }
    if (entry.notes.size() > kMaxNotesBytes)
        return "notes are longer than " + std::to_string(kMaxNotesBytes) + " bytes";
    if (const std::optional<Character> wrong = FirstWrong(entry.notes, true)) {
        return *wrong == Character::Invalid ? "notes are not valid UTF-8"
                                            : "notes contain a control character";
    }
    return std::nullopt;
}

DriverQuery::DriverQuery(std::string_view query) {
    std::size_t pos = 0;
    while (pos < query.size()) {
        while (pos < query.size() && IsBlank(query[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < query.size() && !IsBlank(query[end]))
            ++end;
        if (end == pos)
            break;
        std::string word(query.substr(pos, end - pos));
        std::transform(word.begin(), word.end(), word.begin(), Fold);
        m_characters |= Characters(word);
        const char c = word.front();
        m_singles =
            m_singles && word.size() == 1 && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
        m_words.push_back(std::move(word));
        pos = end;
    }
}

std::uint64_t DriverQuery::Characters(std::string_view text) {
    std::uint64_t bits = 0;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(Fold(c));
        const unsigned bit = u >= 'a' && u <= 'z'   ? u - 'a'
                             : u >= '0' && u <= '9' ? 26 + (u - '0')
                                                    : 36 + u % 28;
        bits |= std::uint64_t{1} << bit;
    }
    return bits;
}

bool DriverQuery::Matches(std::string_view maker, std::string_view model,
                          std::string_view notes) const {
    return std::all_of(m_words.begin(), m_words.end(), [&](const std::string& word) {
        return ContainsNoCase(maker, word) || ContainsNoCase(model, word) ||
               ContainsNoCase(notes, word);
    });
}

bool DriverQuery::MatchesHaystack(std::string_view haystack) const {
    return std::all_of(m_words.begin(), m_words.end(), [&](const std::string& word) {
        return haystack.find(word) != std::string_view::npos;
    });
}

bool DriverQuery::Narrows(const DriverQuery& other) const {
    return std::all_of(other.m_words.begin(), other.m_words.end(), [&](const std::string& wide) {
        return std::any_of(m_words.begin(), m_words.end(), [&](const std::string& word) {
            return word.find(wide) != std::string::npos;
        });
    });
}

void DriverQuery::AppendHaystack(std::string& out, std::string_view maker, std::string_view model,
                                 std::string_view notes) {
    const std::size_t start = out.size();
    out.append(maker).append(1, '\n').append(model).append(1, '\n').append(notes);
    std::transform(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(),
                   out.begin() + static_cast<std::ptrdiff_t>(start), Fold);
}

std::string PrintableText(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    std::string printable;
    printable.reserve(text.size());
    for (int length = 0; p < end; p += length) {
        if (Next(p, end, false, length) == Character::Fine)
            printable.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
        else
            printable += "\xEF\xBF\xBD"; // U+FFFD
    }
    return printable;
}

bool DriverMatches(const DriverEntry& entry, std::string_view query) {
    return DriverQuery(query).Matches(entry.maker, entry.model, entry.notes);
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
