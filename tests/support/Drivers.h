// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverLibrary.h"

#include <string>
#include <vector>

namespace orvane {

// A library entry with the values every driver has, the others not given.
inline DriverEntry Driver(std::string maker, std::string model, double fs = 30, double qts = 0.4,
                          double vas = 3) {
    DriverEntry e;
    e.maker = std::move(maker), e.model = std::move(model), e.fs = fs, e.qts = qts, e.vas = vas;
    return e;
}

// The names of every driver in the library, in its order.
inline std::vector<std::string> LibraryNames(const DriverLibrary& library) {
    std::vector<std::string> names;
    if (!library.ForEach({}, [&](const DriverEntry& e) { names.push_back(e.Name()); }))
        return {"<unreadable>"};
    return names;
}

} // namespace orvane
