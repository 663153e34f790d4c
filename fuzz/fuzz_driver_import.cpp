// SPDX-License-Identifier: GPL-3.0-or-later
// The import readers on arbitrary bytes: the first byte picks the reader
// (even: CSV, odd: qspeakers XML), the rest is the file. Every entry taken
// must have passed the library's checks.
#include "core/library/DriverCsv.h"
#include "core/library/QspeakersXml.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    orvane::ParsedDrivers parsed;
    if (data[0] % 2 == 0)
        (void)orvane::DriverCsv::Parse(text, parsed);
    else
        (void)orvane::QspeakersXml::Parse(text, parsed);
    if (parsed.entries.size() != parsed.lines.size())
        std::abort();
    for (const orvane::DriverEntry& e : parsed.entries) {
        if (e.maker.empty() || e.model.empty() || !(e.fs > 0) || !(e.qts > 0) || !(e.vas > 0) ||
            !std::isfinite(e.fs) || !std::isfinite(e.qts) || !std::isfinite(e.vas))
            std::abort();
    }
    return 0;
}
