// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"

#include <string>
#include <vector>

namespace orvane {

// A row of an import file that could not be taken, and why.
struct RefusedRow {
    long line = 0; // 1-based line of the file where the row starts
    std::string reason;
};

// What a reader made of an import file: the entries it could take (checked
// with NormaliseDriver), each with the line it came from, and the rows it
// refused.
struct ParsedDrivers {
    std::vector<DriverEntry> entries;
    std::vector<long> lines; // parallel to entries
    std::vector<RefusedRow> refused;

    void Take(DriverEntry entry, long line) {
        if (std::optional<std::string> reason = NormaliseDriver(entry)) {
            refused.push_back({line, std::move(*reason)});
            return;
        }
        entries.push_back(std::move(entry));
        lines.push_back(line);
    }
};

} // namespace orvane
