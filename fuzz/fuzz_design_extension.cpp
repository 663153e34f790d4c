// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes as what follows a design's record. The record always
// loads. What the tail held is written back: the same bytes while the program
// read none of its own values from them, and always a file that loads to the
// same design. Setting a value replaces what could not be read and keeps the
// entries with unknown tags.
#include "core/design/DesignFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace orvane;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::uint8_t> record = DesignFile::Store(SpeakerDesign{});
    std::vector<std::uint8_t> file = record;
    file.insert(file.end(), data, data + size);

    const auto first = DesignFile::Parse(file);
    Check(first && first->m_boxType == "Sealed");
    const KeptExtension& kept = first->m_keptExtension;
    const std::vector<std::uint8_t> stored = DesignFile::Store(*first);
    // An empty block is the one thing that goes away: it holds nothing.
    const bool emptyBlock = kept.blockRead && kept.unknownEntries.empty();
    if (!first->m_extras.AnySet() && !emptyBlock)
        Check(stored == file);

    const auto second = DesignFile::Parse(stored);
    Check(second && second->SameBits(*first));
    Check(second->m_keptExtension.unknownEntries == kept.unknownEntries);
    Check(DesignFile::Store(*second) == stored);

    SpeakerDesign changed = *first;
    changed.m_extras.ports2 = 3;
    const auto third = DesignFile::Parse(DesignFile::Store(changed));
    Check(third && third->SameBits(changed) && third->m_keptExtension.unreadable.empty());
    Check(third->m_keptExtension.unknownEntries == kept.unknownEntries);
    return 0;
}
