// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/library/DriverEntry.h"

namespace orvane {

// "Use": the design's driver becomes the entry's. Every driver value is
// replaced, so nothing of an earlier driver lingers: values the entry does
// not know become 0 in the record (its "not given") and unset among the
// extras. The box, the range and the analysis settings stay, and so does the
// driver displacement unless the entry gives one.
void UseDriver(const DriverEntry& entry, SpeakerDesign& design);

// The design's driver as an entry (without maker and model): the record's 0
// for cone diameter, Xmax and efficiency means "not given".
DriverEntry DriverFromDesign(const SpeakerDesign& design);

} // namespace orvane
