// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/DesignExtension.h"

#include "core/chain/Stages.h"
#include "core/design/Fields.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>
#include <string>

namespace orvane::DesignExtension {

namespace {

// The numbers and counts of the extras, and of their signal chain, in tag
// order after the name.
template <class Owner> struct Field {
    Tag tag;
    std::optional<double> Owner::*number;
    std::optional<std::uint16_t> Owner::*count;
};
constexpr Field<DesignExtras> kFields[] = {
    {Tag::Re, &DesignExtras::re, nullptr},
    {Tag::Qes, &DesignExtras::qes, nullptr},
    {Tag::Le, &DesignExtras::le, nullptr},
    {Tag::Pe, &DesignExtras::pe, nullptr},
    {Tag::Power, &DesignExtras::power, nullptr},
    {Tag::Ql, &DesignExtras::ql, nullptr},
    {Tag::PortDiameter, &DesignExtras::portDiameter, nullptr},
    {Tag::Ports, nullptr, &DesignExtras::ports},
    {Tag::Port2Diameter, &DesignExtras::port2Diameter, nullptr},
    {Tag::Ports2, nullptr, &DesignExtras::ports2},
    {Tag::Thickness, &DesignExtras::thickness, nullptr},
    {Tag::Kerf, &DesignExtras::kerf, nullptr},
    {Tag::DriverDisplacement, &DesignExtras::driverDisplacement, nullptr},
    {Tag::BracingDisplacement, &DesignExtras::bracingDisplacement, nullptr},
    {Tag::RadiatorDisplacement, &DesignExtras::radiatorDisplacement, nullptr},
    {Tag::PortWall, &DesignExtras::portWall, nullptr},
    {Tag::PortShape, nullptr, &DesignExtras::portShape},
    {Tag::SlotWidth, &DesignExtras::slotWidth, nullptr},
    {Tag::SlotHeight, &DesignExtras::slotHeight, nullptr},
    {Tag::PortEnds, nullptr, &DesignExtras::portEnds},
    {Tag::Cutout, &DesignExtras::cutout, nullptr},
    {Tag::Shape, &DesignExtras::shape, nullptr},
    {Tag::OuterWidth, &DesignExtras::outerWidth, nullptr},
    {Tag::OuterHeight, &DesignExtras::outerHeight, nullptr},
    {Tag::PrFs, &DesignExtras::prFs, nullptr},
    {Tag::PrVas, &DesignExtras::prVas, nullptr},
    {Tag::PrSd, &DesignExtras::prSd, nullptr},
    {Tag::PrDiameter, &DesignExtras::prDiameter, nullptr},
    {Tag::PrQms, &DesignExtras::prQms, nullptr},
    {Tag::PrXmax, &DesignExtras::prXmax, nullptr},
    {Tag::PrCount, nullptr, &DesignExtras::prCount},
    {Tag::PrMass, &DesignExtras::prMass, nullptr},
    {Tag::PrTune, &DesignExtras::prTune, nullptr},
    {Tag::ShapeHeight, &DesignExtras::shapeHeight, nullptr},
    {Tag::ShapeDepth, &DesignExtras::shapeDepth, nullptr},
    {Tag::SheetLength, &DesignExtras::sheetLength, nullptr},
    {Tag::SheetWidth, &DesignExtras::sheetWidth, nullptr},
};
constexpr Field<SignalChain> kChainFields[] = {
    {Tag::Voltage, &SignalChain::voltage, nullptr},
    {Tag::SeriesResistance, &SignalChain::seriesResistance, nullptr},
    {Tag::AmpPower, &SignalChain::ampPower, nullptr},
    {Tag::AmpVoltage, &SignalChain::ampVoltage, nullptr},
    {Tag::Coils, nullptr, &SignalChain::coils},
    {Tag::CoilWiring, nullptr, &SignalChain::coilWiring},
    {Tag::RoomGainFc, &SignalChain::roomGainFc, nullptr},
    {Tag::RoomGainMax, &SignalChain::roomGainMax, nullptr},
};

std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return v;
}

void Put(std::vector<std::uint8_t>& out, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutEntry(std::vector<std::uint8_t>& out, Tag tag, std::span<const std::uint8_t> value) {
    Put(out, static_cast<std::uint16_t>(tag), 2);
    Put(out, value.size(), 2);
    out.insert(out.end(), value.begin(), value.end());
}

// The name cut to what an entry holds, never inside a UTF-8 sequence.
std::span<const std::uint8_t> NameBytes(const std::string& name) {
    std::size_t size = name.size();
    if (size > kMaxNameBytes) {
        size = kMaxNameBytes;
        while (size > 0 && (static_cast<unsigned char>(name[size]) & 0xC0) == 0x80)
            --size;
    }
    return {reinterpret_cast<const std::uint8_t*>(name.data()), size};
}

// One entry of a table into its owner: nothing when the tag is not the
// table's, false when its size is wrong or the tag came before.
template <class Owner, std::size_t N>
std::optional<bool> ReadField(const Field<Owner> (&table)[N], Tag tag,
                              std::span<const std::uint8_t> value, Owner& owner) {
    for (const Field<Owner>& f : table) {
        if (f.tag != tag)
            continue;
        if (f.number) {
            if (value.size() != 8 || (owner.*f.number).has_value())
                return false;
            owner.*f.number = std::bit_cast<double>(LittleEndian(value));
        } else {
            if (value.size() != 2 || (owner.*f.count).has_value())
                return false;
            owner.*f.count = static_cast<std::uint16_t>(LittleEndian(value));
        }
        return true;
    }
    return std::nullopt;
}

template <class Owner, std::size_t N>
void AppendFields(const Field<Owner> (&table)[N], const Owner& owner,
                  std::vector<std::uint8_t>& payload) {
    for (const Field<Owner>& f : table) {
        std::vector<std::uint8_t> value;
        if (f.number && owner.*f.number)
            Put(value, std::bit_cast<std::uint64_t>(*(owner.*f.number)), 8);
        else if (f.count && owner.*f.count)
            Put(value, *(owner.*f.count), 2);
        else
            continue;
        PutEntry(payload, f.tag, value);
    }
}

bool ReadWiring(std::span<const std::uint8_t> value, SignalChain& chain) {
    if (value.size() != kWiringBytes || chain.wiring || value[0] > 2)
        return false;
    Wiring w{static_cast<WiringKind>(value[0]),
             static_cast<std::uint16_t>(LittleEndian(value.subspan(2, 2))),
             static_cast<std::uint16_t>(LittleEndian(value.subspan(4, 2)))};
    if (w.kind == WiringKind::Grid && (w.series == 0 || w.strings == 0))
        return false;
    chain.wiring = w;
    return true;
}

bool ReadStages(std::span<const std::uint8_t> value, SignalChain& chain) {
    if (value.empty() || value.size() % kStageBytes != 0 ||
        value.size() / kStageBytes > kMaxStages || !chain.stages.empty())
        return false;
    for (; !value.empty(); value = value.subspan(kStageBytes)) {
        FilterStage st;
        st.kind = static_cast<StageKind>(value[0]);
        st.shape = static_cast<StageShape>(value[1]);
        st.order = value[2];
        double* const numbers[] = {&st.frequency, &st.q, &st.gainDb, &st.targetFrequency,
                                   &st.targetQ};
        for (std::size_t i = 0; i < std::size(numbers); ++i)
            *numbers[i] = std::bit_cast<double>(LittleEndian(value.subspan(4 + 8 * i, 8)));
        if (!CheckStage(st))
            return false;
        chain.stages.push_back(st);
    }
    return true;
}

void AppendChain(const SignalChain& chain, std::vector<std::uint8_t>& payload) {
    AppendFields(kChainFields, chain, payload);
    if (chain.wiring) {
        std::vector<std::uint8_t> value;
        Put(value, static_cast<std::uint8_t>(chain.wiring->kind), 2);
        Put(value, chain.wiring->series, 2);
        Put(value, chain.wiring->strings, 2);
        PutEntry(payload, Tag::Wiring, value);
    }
    if (!chain.stages.empty()) {
        std::vector<std::uint8_t> value;
        for (const FilterStage& st : chain.stages) {
            value.push_back(static_cast<std::uint8_t>(st.kind));
            value.push_back(static_cast<std::uint8_t>(st.shape));
            value.push_back(st.order);
            value.push_back(0);
            for (const double v : {st.frequency, st.q, st.gainDb, st.targetFrequency, st.targetQ})
                Put(value, std::bit_cast<std::uint64_t>(v), 8);
        }
        PutEntry(payload, Tag::Stages, value);
    }
}

// One known entry into the extras; false when its size is wrong or the tag
// came before. Unknown tags are left to the caller.
bool ReadKnown(Tag tag, std::span<const std::uint8_t> value, DesignExtras& extras, bool& known) {
    known = true;
    if (tag == Tag::Name) {
        if (extras.name)
            return false;
        extras.name.emplace(reinterpret_cast<const char*>(value.data()), value.size());
        return true;
    }
    if (tag == Tag::Wiring)
        return ReadWiring(value, extras.chain);
    if (tag == Tag::Stages)
        return ReadStages(value, extras.chain);
    if (const std::optional<bool> read = ReadField(kFields, tag, value, extras))
        return *read;
    if (const std::optional<bool> read = ReadField(kChainFields, tag, value, extras.chain))
        return *read;
    known = false;
    return true;
}

// The build's radiator count of an earlier version is the radiator count
// now, when the file does not state that too and it is a count prCount
// takes; the entry then leaves the unknown ones. Anything else stays as read.
void AdoptLegacyRadiators(std::vector<std::uint8_t>& unknown, std::size_t at,
                          DesignExtras& extras) {
    const auto count = static_cast<std::uint16_t>(
        LittleEndian(std::span<const std::uint8_t>(unknown).subspan(at + 4, 2)));
    const FieldBounds& takes = Fields::Info(FieldId::PrCount).bounds;
    if (extras.prCount || count < takes.low || count > takes.high)
        return;
    extras.prCount = count;
    unknown.erase(unknown.begin() + static_cast<std::ptrdiff_t>(at),
                  unknown.begin() + static_cast<std::ptrdiff_t>(at + 6));
}

// A well-formed block spanning all of `tail`, or false. `unknown` collects
// the entries with unknown tags; it never grows beyond the tail's size.
bool ReadBlock(std::span<const std::uint8_t> tail, DesignExtras& extras,
               std::vector<std::uint8_t>& unknown) {
    if (tail.size() < kHeaderSize ||
        !std::equal(std::begin(kMagic), std::end(kMagic), tail.begin()) || tail[4] != kVersion)
        return false;
    const std::uint64_t payloadSize = LittleEndian(tail.subspan(5, 4));
    if (payloadSize != tail.size() - kHeaderSize)
        return false;
    std::span<const std::uint8_t> rest = tail.subspan(kHeaderSize);
    // Where the one legacy radiator count sits among the unknown entries.
    std::optional<std::size_t> legacyAt;
    int legacyEntries = 0;
    while (!rest.empty()) {
        if (rest.size() < 4)
            return false;
        const auto tag = static_cast<Tag>(LittleEndian(rest.first(2)));
        const std::size_t size = LittleEndian(rest.subspan(2, 2));
        if (size > rest.size() - 4)
            return false;
        bool known = false;
        if (!ReadKnown(tag, rest.subspan(4, size), extras, known))
            return false;
        if (!known && tag == Tag::LegacyRadiators && size == 2 && legacyEntries++ == 0)
            legacyAt = unknown.size();
        if (!known)
            unknown.insert(unknown.end(), rest.begin(), rest.begin() + 4 + size);
        rest = rest.subspan(4 + size);
    }
    if (legacyAt && legacyEntries == 1)
        AdoptLegacyRadiators(unknown, *legacyAt, extras);
    return true;
}

} // namespace

void Read(std::span<const std::uint8_t> tail, SpeakerDesign& design) {
    design.m_extras = {};
    design.m_keptExtension = {};
    if (tail.empty())
        return;
    DesignExtras extras;
    std::vector<std::uint8_t> unknown;
    if (ReadBlock(tail, extras, unknown)) {
        design.m_extras = std::move(extras);
        design.m_keptExtension.blockRead = true;
        design.m_keptExtension.unknownEntries = std::move(unknown);
    } else {
        design.m_keptExtension.unreadable.assign(tail.begin(), tail.end());
    }
}

void Append(const SpeakerDesign& design, std::vector<std::uint8_t>& out) {
    const DesignExtras& extras = design.m_extras;
    const KeptExtension& kept = design.m_keptExtension;
    if (!extras.AnySet()) {
        // Nothing of ours to write: what could not be read goes back as it was.
        if (!kept.unreadable.empty()) {
            out.insert(out.end(), kept.unreadable.begin(), kept.unreadable.end());
            return;
        }
        if (kept.unknownEntries.empty())
            return;
    }
    std::vector<std::uint8_t> payload;
    if (extras.name)
        PutEntry(payload, Tag::Name, NameBytes(*extras.name));
    AppendFields(kFields, extras, payload);
    AppendChain(extras.chain, payload);
    // Unknown entries came from a payload that fitted the length field; only
    // a name added to an all but full block could push it past.
    if (payload.size() + kept.unknownEntries.size() <= std::numeric_limits<std::uint32_t>::max())
        payload.insert(payload.end(), kept.unknownEntries.begin(), kept.unknownEntries.end());
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    out.push_back(kVersion);
    Put(out, payload.size(), 4);
    out.insert(out.end(), payload.begin(), payload.end());
}

} // namespace orvane::DesignExtension
