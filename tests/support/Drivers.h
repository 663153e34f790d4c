// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"

#include <string>

namespace orvane {

// A library entry with the values every driver has, the others not given.
inline DriverEntry Driver(std::string maker, std::string model, double fs = 30, double qts = 0.4,
                          double vas = 3) {
    DriverEntry e;
    e.maker = std::move(maker);
    e.model = std::move(model);
    e.fs = fs;
    e.qts = qts;
    e.vas = vas;
    return e;
}

} // namespace orvane
