// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orvane {

// The byte layout of a design file, both directions, over bytes in memory.
// Sixteen values, little-endian, no header; the box type is a length-prefixed
// byte string. Loading also accepts the 16-bit character form (FF FE FF) and
// turns it into UTF-8, the 8-bit character set of this system. The extension
// block (DesignExtension.h) follows the record.
class DesignFile {
public:
    // The one message a parse failure shows.
    static constexpr std::string_view kUnexpectedFormat = "Unexpected file format.";

    // The longest box type name a file may hold, in stored bytes. Real names
    // are a few letters; a longer prefix is a damaged or hostile file, refused
    // from the prefix alone so that nothing of that size is read or kept.
    static constexpr std::uint64_t kMaxTypeNameBytes = 64 * 1024;

    // Bytes of a design with the shortest string prefix, then its extension
    // block if it has one. Names longer than a 32-bit length can describe are
    // cut at that length.
    static std::vector<std::uint8_t> Store(const SpeakerDesign& design);

    // The design the bytes hold, or nothing when they end before the sixteenth
    // value or the type name is longer than kMaxTypeNameBytes. The bytes after
    // it are read as the extension block or kept as they are; they never make
    // the parse fail. Values are taken as they stand.
    static std::optional<SpeakerDesign> Parse(std::span<const std::uint8_t> bytes);

    // How many bytes a complete file starting with these bytes needs, so that
    // a reader fetches no more than that. While the string prefix is not
    // complete yet it is a lower bound: ask again with more bytes. A prefix
    // beyond kMaxTypeNameBytes needs nothing more: the file is refused.
    static std::uint64_t RequiredSize(std::span<const std::uint8_t> head);
};

} // namespace orvane
