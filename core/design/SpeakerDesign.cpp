// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/SpeakerDesign.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace orvane {

namespace {

bool SameDouble(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameDouble(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || SameDouble(*a, *b));
}

bool SameStage(const FilterStage& a, const FilterStage& b) {
    return a.kind == b.kind && a.shape == b.shape && a.order == b.order &&
           SameDouble(a.frequency, b.frequency) && SameDouble(a.q, b.q) &&
           SameDouble(a.gainDb, b.gainDb) && SameDouble(a.targetFrequency, b.targetFrequency) &&
           SameDouble(a.targetQ, b.targetQ);
}

bool SameChain(const SignalChain& a, const SignalChain& b) {
    return SameDouble(a.voltage, b.voltage) && SameDouble(a.seriesResistance, b.seriesResistance) &&
           SameDouble(a.ampPower, b.ampPower) && SameDouble(a.ampVoltage, b.ampVoltage) &&
           a.wiring == b.wiring && a.coils == b.coils && a.coilWiring == b.coilWiring &&
           std::equal(a.stages.begin(), a.stages.end(), b.stages.begin(), b.stages.end(),
                      SameStage) &&
           SameDouble(a.roomGainFc, b.roomGainFc) && SameDouble(a.roomGainMax, b.roomGainMax);
}

bool SameExtras(const DesignExtras& a, const DesignExtras& b) {
    return a.name == b.name && SameDouble(a.re, b.re) && SameDouble(a.qes, b.qes) &&
           SameDouble(a.le, b.le) && SameDouble(a.pe, b.pe) && SameDouble(a.power, b.power) &&
           SameDouble(a.ql, b.ql) && SameDouble(a.portDiameter, b.portDiameter) &&
           a.ports == b.ports && SameDouble(a.port2Diameter, b.port2Diameter) &&
           a.ports2 == b.ports2 && SameDouble(a.thickness, b.thickness) &&
           SameDouble(a.kerf, b.kerf) && SameDouble(a.driverDisplacement, b.driverDisplacement) &&
           SameDouble(a.bracingDisplacement, b.bracingDisplacement) &&
           SameDouble(a.radiatorDisplacement, b.radiatorDisplacement) &&
           SameDouble(a.portWall, b.portWall) && a.portShape == b.portShape &&
           SameDouble(a.slotWidth, b.slotWidth) && SameDouble(a.slotHeight, b.slotHeight) &&
           a.portEnds == b.portEnds && SameDouble(a.cutout, b.cutout) &&
           SameDouble(a.shape, b.shape) && SameDouble(a.outerWidth, b.outerWidth) &&
           SameDouble(a.outerHeight, b.outerHeight) && SameDouble(a.prFs, b.prFs) &&
           SameDouble(a.prVas, b.prVas) && SameDouble(a.prSd, b.prSd) &&
           SameDouble(a.prDiameter, b.prDiameter) && SameDouble(a.prQms, b.prQms) &&
           SameDouble(a.prXmax, b.prXmax) && a.prCount == b.prCount &&
           SameDouble(a.prMass, b.prMass) && SameDouble(a.prTune, b.prTune) &&
           SameDouble(a.shapeHeight, b.shapeHeight) && SameDouble(a.shapeDepth, b.shapeDepth) &&
           SameDouble(a.sheetLength, b.sheetLength) && SameDouble(a.sheetWidth, b.sheetWidth) &&
           SameChain(a.chain, b.chain);
}

} // namespace

bool DesignExtras::AnySet() const {
    return name || re || qes || le || pe || power || ql || portDiameter || ports || port2Diameter ||
           ports2 || thickness || kerf || driverDisplacement || bracingDisplacement ||
           radiatorDisplacement || portWall || portShape || slotWidth || slotHeight || portEnds ||
           cutout || shape || outerWidth || outerHeight || prFs || prVas || prSd || prDiameter ||
           prQms || prXmax || prCount || prMass || prTune || shapeHeight || shapeDepth ||
           sheetLength || sheetWidth || chain.AnySet();
}

bool SpeakerDesign::SameBits(const SpeakerDesign& o) const {
    const double mine[] = {m_fs,        m_qts,  m_vas,          m_v1,        m_f1,
                           m_v2,        m_f2,   m_freqLow,      m_freqHigh,  m_reserved1,
                           m_reserved2, m_xmax, m_coneDiameter, m_efficiency};
    const double theirs[] = {o.m_fs,           o.m_qts,       o.m_vas,       o.m_v1,
                             o.m_f1,           o.m_v2,        o.m_f2,        o.m_freqLow,
                             o.m_freqHigh,     o.m_reserved1, o.m_reserved2, o.m_xmax,
                             o.m_coneDiameter, o.m_efficiency};
    for (size_t i = 0; i < std::size(mine); ++i) {
        if (!SameDouble(mine[i], theirs[i]))
            return false;
    }
    return m_boxType == o.m_boxType && m_driverCount == o.m_driverCount &&
           SameExtras(m_extras, o.m_extras);
}

namespace BoxType {

BoxKind Classify(std::string_view name) {
    if (name == Sealed)
        return BoxKind::Sealed;
    if (name == Vented)
        return BoxKind::Vented;
    if (name == Bandpass4)
        return BoxKind::Bandpass4;
    if (name == Bandpass6)
        return BoxKind::Bandpass6;
    if (name == PassiveRadiator)
        return BoxKind::PassiveRadiator;
    return BoxKind::Unknown;
}

std::string_view Name(BoxKind kind) {
    switch (kind) {
    case BoxKind::Sealed:
        return Sealed;
    case BoxKind::Vented:
        return Vented;
    case BoxKind::Bandpass4:
        return Bandpass4;
    case BoxKind::Bandpass6:
        return Bandpass6;
    case BoxKind::PassiveRadiator:
        return PassiveRadiator;
    case BoxKind::Unknown:
        break;
    }
    return {};
}

} // namespace BoxType

} // namespace orvane
