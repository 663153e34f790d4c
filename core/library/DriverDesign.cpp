// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverDesign.h"

namespace orvane {

namespace {

std::optional<double> GivenUnlessZero(double value) {
    return value == 0 ? std::nullopt : std::optional<double>(value);
}

} // namespace

void UseDriver(const DriverEntry& entry, SpeakerDesign& design) {
    design.m_fs = entry.fs;
    design.m_qts = entry.qts;
    design.m_vas = entry.vas;
    design.m_coneDiameter = entry.coneDiameter.value_or(0);
    design.m_xmax = entry.xmax.value_or(0);
    design.m_efficiency = entry.efficiency.value_or(0);
    DesignExtras& extras = design.m_extras;
    extras.name = entry.Name();
    extras.re = entry.re;
    extras.qes = entry.qes;
    extras.le = entry.le;
    extras.pe = entry.pe;
    // A build value of the design: only a driver that knows it changes it.
    if (entry.displacement)
        extras.driverDisplacement = entry.displacement;
}

DriverEntry DriverFromDesign(const SpeakerDesign& design) {
    DriverEntry entry;
    entry.fs = design.m_fs;
    entry.qts = design.m_qts;
    entry.vas = design.m_vas;
    entry.coneDiameter = GivenUnlessZero(design.m_coneDiameter);
    entry.xmax = GivenUnlessZero(design.m_xmax);
    entry.efficiency = GivenUnlessZero(design.m_efficiency);
    const DesignExtras& extras = design.m_extras;
    entry.re = extras.re;
    entry.qes = extras.qes;
    entry.le = extras.le;
    entry.pe = extras.pe;
    entry.displacement = extras.driverDisplacement;
    return entry;
}

} // namespace orvane
