// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Minimal JSON text builder for the tool's output. Doubles are written as
// "%.17g" writes them (G17); NaN and infinities as the strings "nan", "inf", "-inf".
namespace Json {

std::string Number(double value);
// A value that may be missing: a missing one is written as NaN ("nan").
std::string Number(std::optional<double> value);
std::string Integer(long long value);
std::string String(std::string_view text); // quoted and escaped
inline const char* Null() {
    return "null";
}

// Builds {"a": ..., "b": ...} from already-encoded values, keys in call order.
class Object {
public:
    Object& Add(std::string_view key, const std::string& encodedValue);
    std::string Str() const { return "{" + m_body + "}"; }

private:
    std::string m_body;
};

} // namespace Json

} // namespace orvane
