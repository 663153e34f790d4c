// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace orvane {

// The driver library's dialogs show volumes and lengths through here only:
// the library stores the record's units (ft³, inches), and the one place
// that turns them into what the user reads and types is this one.
namespace LibraryUnits {

enum class Quantity {
    Volume,   // Vas
    Diameter, // cone diameter
    Excursion // Xmax
};

// The unit's name as labels and column headers show it: "ft3", "in".
QString Label(Quantity quantity);
// A stored value as shown, and a shown value as stored.
double ToDisplay(Quantity quantity, double stored);
double FromDisplay(Quantity quantity, double shown);

} // namespace LibraryUnits

} // namespace orvane
