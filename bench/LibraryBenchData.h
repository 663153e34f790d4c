// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverCsv.h"

#include <string>
#include <vector>

namespace orvane {

// Made-up drivers with the spread of a real catalogue: some forty makers,
// model numbers, values in datasheet ranges, a note on some.
inline std::vector<DriverEntry> BenchDrivers(int count = 10000) {
    static const char* const kMakers[] = {
        "Dayton Audio", "SEAS",      "Scan-Speak", "SB Acoustics", "Peerless", "Monacor",
        "Visaton",      "Eminence",  "Faital Pro", "B&C",          "Beyma",    "Celestion",
        "Jensen",       "Tang Band", "Fountek",    "Audax",        "Morel",    "Vifa",
        "Wavecor",      "Purifi",    "Accuton",    "ETON",         "Fostex",   "Markaudio",
        "Mivoc",        "Sica",      "RCF",        "18 Sound",     "JBL",      "Alpine",
        "Kicker",       "Rockford",  "Hertz",      "Audio System", "Ciare",    "Lavoce",
        "Precision",    "Oberton",   "PRV Audio",  "Selenium"};
    static const char* const kNotes[] = {
        "",           "", "woofer", "paper cone", "aluminium cone", "subwoofer, dual voice coil",
        "full range", ""};
    std::vector<DriverEntry> drivers;
    drivers.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const long long n = i; // the products below pass 2^31
        DriverEntry e;
        e.maker = kMakers[i % 40];
        e.model = std::string(1, char('A' + i % 26)) + std::to_string(100 + i / 40) + "-" +
                  std::to_string(4 << (i % 2));
        e.fs = 18 + static_cast<double>(n * 7919 % 900) / 10.0;
        e.qts = 0.2 + static_cast<double>(n * 104729 % 80) / 100.0;
        e.vas = 0.1 + static_cast<double>(n * 1299709 % 1000) / 100.0;
        e.coneDiameter = 4 + i % 14;
        e.xmax = 0.1 + (i % 30) / 100.0;
        e.efficiency = 84 + i % 14;
        if (i % 3 != 0) {
            e.re = 3 + (i % 50) / 10.0;
            e.pe = 50 + 25 * (i % 20);
        }
        e.notes = kNotes[i % 8];
        drivers.push_back(std::move(e));
    }
    return drivers;
}

} // namespace orvane
