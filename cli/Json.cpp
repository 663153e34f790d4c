// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Json.h"

#include "core/text/NumberText.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace orvane {

namespace Json {

std::string Number(std::optional<double> value) {
    return Number(value.value_or(std::numeric_limits<double>::quiet_NaN()));
}

std::string Number(double value) {
    if (std::isnan(value))
        return "\"nan\"";
    if (std::isinf(value))
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    return G17(value);
}

std::string Integer(long long value) {
    return std::to_string(value);
}

namespace {

// Length of the well-formed UTF-8 sequence starting at text[i], or 0.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = at(i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

// Type names come from files as raw bytes; JSON must be valid UTF-8, so a
// byte that starts no well-formed sequence is written as U+FFFD.
std::string String(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(text, i);
            if (length == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

Object& Object::Add(std::string_view key, const std::string& encodedValue) {
    if (!m_body.empty())
        m_body += ", ";
    m_body += String(key) + ": " + encodedValue;
    return *this;
}

} // namespace Json

} // namespace orvane
