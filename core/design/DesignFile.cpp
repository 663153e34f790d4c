// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/DesignFile.h"

#include "core/design/DesignExtension.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace orvane {

namespace {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559);

// Fixed part before the string: seven doubles.
constexpr std::uint64_t kHeadSize = 7 * 8;
// Fixed part after the string: the count and seven doubles.
constexpr std::uint64_t kTailSize = 2 + 7 * 8;

class ByteWriter {
public:
    explicit ByteWriter(std::size_t reserve) { m_bytes.reserve(reserve); }

    void Unsigned(std::uint64_t v, int size) {
        for (int i = 0; i < size; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Double(double v) { Unsigned(std::bit_cast<std::uint64_t>(v), 8); }
    void Bytes(const char* data, std::size_t size) {
        m_bytes.insert(m_bytes.end(), data, data + size);
    }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads forward over the bytes; every read first checks what is left, so a
// read past the end fails without touching memory it does not own.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint64_t Left() const { return m_bytes.size() - m_pos; }
    std::size_t Pos() const { return m_pos; }

    bool Unsigned(int size, std::uint64_t& out) {
        if (Left() < static_cast<std::uint64_t>(size))
            return false;
        out = 0;
        for (int i = 0; i < size; ++i)
            out |= static_cast<std::uint64_t>(m_bytes[m_pos + i]) << (8 * i);
        m_pos += size;
        return true;
    }
    bool Double(double& out) {
        std::uint64_t bits = 0;
        if (!Unsigned(8, bits))
            return false;
        out = std::bit_cast<double>(bits);
        return true;
    }
    std::span<const std::uint8_t> Take(std::size_t size) {
        const auto part = m_bytes.subspan(m_pos, size);
        m_pos += size;
        return part;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

struct StringPrefix {
    std::uint64_t length = 0; // characters
    bool wide = false;        // 16-bit characters
};

enum class PrefixRead { Ok, Short };

// One length prefix: a byte below FF is the length; otherwise a 16-bit value
// follows: FFFF announces a 32-bit length, FFFE 16-bit characters with the
// prefix read again, anything else is the length.
PrefixRead ReadPrefix(ByteReader& in, StringPrefix& out) {
    out = {};
    for (;;) {
        std::uint64_t b = 0;
        if (!in.Unsigned(1, b))
            return PrefixRead::Short;
        if (b < 0xFF) {
            out.length = b;
            return PrefixRead::Ok;
        }
        std::uint64_t w = 0;
        if (!in.Unsigned(2, w))
            return PrefixRead::Short;
        if (w == 0xFFFE) {
            out.wide = true;
            continue;
        }
        if (w == 0xFFFF)
            return in.Unsigned(4, out.length) ? PrefixRead::Ok : PrefixRead::Short;
        out.length = w;
        return PrefixRead::Ok;
    }
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 little-endian to UTF-8. A surrogate without its partner becomes
// U+FFFD, so the result is always valid UTF-8.
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kReplacement = 0xFFFD;
    std::string out;
    // At most three bytes of output per 16-bit unit.
    out.reserve(bytes.size() / 2 * 3);
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) -> std::uint32_t {
        return static_cast<std::uint32_t>(bytes[2 * i]) |
               static_cast<std::uint32_t>(bytes[2 * i + 1]) << 8;
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < units) {
                const std::uint32_t low = unit(i + 1);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
            AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

} // namespace

std::vector<std::uint8_t> DesignFile::Store(const SpeakerDesign& d) {
    const std::size_t n =
        std::min<std::size_t>(d.m_boxType.size(), std::numeric_limits<std::uint32_t>::max());
    ByteWriter out(kHeadSize + 7 + n + kTailSize);
    for (const double v : {d.m_fs, d.m_vas, d.m_qts, d.m_v1, d.m_freqLow, d.m_freqHigh, d.m_f1})
        out.Double(v);
    if (n < 0xFF) {
        out.Unsigned(n, 1);
    } else if (n < 0xFFFE) {
        out.Unsigned(0xFF, 1);
        out.Unsigned(n, 2);
    } else {
        // 65534 and up: FFFE would read as the 16-bit character mark.
        out.Unsigned(0xFF, 1);
        out.Unsigned(0xFFFF, 2);
        out.Unsigned(n, 4);
    }
    out.Bytes(d.m_boxType.data(), n);
    out.Unsigned(d.m_driverCount, 2);
    for (const double v :
         {d.m_reserved2, d.m_reserved1, d.m_xmax, d.m_coneDiameter, d.m_efficiency, d.m_v2, d.m_f2})
        out.Double(v);
    std::vector<std::uint8_t> bytes = out.Take();
    DesignExtension::Append(d, bytes);
    return bytes;
}

std::optional<SpeakerDesign> DesignFile::Parse(std::span<const std::uint8_t> bytes) {
    SpeakerDesign d;
    ByteReader in(bytes);
    for (double* field :
         {&d.m_fs, &d.m_vas, &d.m_qts, &d.m_v1, &d.m_freqLow, &d.m_freqHigh, &d.m_f1}) {
        if (!in.Double(*field))
            return std::nullopt;
    }
    StringPrefix prefix;
    if (ReadPrefix(in, prefix) != PrefixRead::Ok)
        return std::nullopt;
    // The length is checked before anything is taken, so a huge prefix costs
    // nothing.
    const std::uint64_t size = prefix.wide ? prefix.length * 2 : prefix.length;
    if (size > kMaxTypeNameBytes || size > in.Left())
        return std::nullopt;
    const auto text = in.Take(static_cast<std::size_t>(size));
    if (prefix.wide)
        d.m_boxType = Utf16ToUtf8(text);
    else
        d.m_boxType.assign(reinterpret_cast<const char*>(text.data()), text.size());
    std::uint64_t count = 0;
    if (!in.Unsigned(2, count))
        return std::nullopt;
    d.m_driverCount = static_cast<std::uint16_t>(count);
    for (double* field : {&d.m_reserved2, &d.m_reserved1, &d.m_xmax, &d.m_coneDiameter,
                          &d.m_efficiency, &d.m_v2, &d.m_f2}) {
        if (!in.Double(*field))
            return std::nullopt;
    }
    DesignExtension::Read(bytes.subspan(in.Pos()), d);
    return d;
}

std::uint64_t DesignFile::RequiredSize(std::span<const std::uint8_t> head) {
    // Any complete file has at least one more prefix byte and the tail after
    // what is missing, so this bound is never beyond the true size.
    const std::uint64_t lowerBound =
        std::max<std::uint64_t>(head.size(), kHeadSize) + 1 + kTailSize;
    if (head.size() < kHeadSize)
        return lowerBound;
    ByteReader in(head.subspan(kHeadSize));
    StringPrefix prefix;
    if (ReadPrefix(in, prefix) != PrefixRead::Ok)
        return lowerBound;
    const std::uint64_t size = prefix.wide ? prefix.length * 2 : prefix.length;
    if (size > kMaxTypeNameBytes)
        return kHeadSize + in.Pos();
    return kHeadSize + in.Pos() + size + kTailSize;
}

} // namespace orvane
