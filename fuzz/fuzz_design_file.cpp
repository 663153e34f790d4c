// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the design-file loader. Whatever parses must store
// and parse again to the same record, bit for bit, and store to the same bytes.
#include "core/design/DesignFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto first = DesignFile::Parse(std::span(data, size));
    if (!first)
        return 0;
    const std::vector<std::uint8_t> stored = DesignFile::Store(*first);
    const auto second = DesignFile::Parse(stored);
    if (!second || !second->SameBits(*first))
        std::abort();
    if (DesignFile::Store(*second) != stored)
        std::abort();
    // The size a reader would fetch never exceeds what a valid file needs.
    if (DesignFile::RequiredSize(std::span(data, size)) > size)
        std::abort();
    return 0;
}
