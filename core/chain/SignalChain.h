// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

// What lies between the signal and the drivers' terminals, stored with a
// design. Every part is optional: a design that sets none is driven by its
// flat input power alone, as a design without a chain always was.

// One filter stage. Which values a stage uses depends on its kind; the others
// stay 0 and are stored as 0.
enum class StageKind : std::uint8_t {
    HighPass,
    LowPass,
    LinkwitzTransform, // zeros at (frequency, q), poles at (targetFrequency, targetQ)
    Peak,
    LowShelf,
    HighShelf,
    Gain,
};

// The response of a high-pass or low-pass stage.
enum class StageShape : std::uint8_t {
    Butterworth,   // order 1 to 4
    LinkwitzRiley, // order 2 or 4: a Butterworth of half the order, squared
    SecondOrderQ,  // order 2 with the stage's Q
};

struct FilterStage {
    StageKind kind = StageKind::Gain;
    StageShape shape = StageShape::Butterworth;
    std::uint8_t order = 0;     // high-pass and low-pass
    double frequency = 0;       // Hz: corner, centre, or a transform's f0
    double q = 0;               // a second order's Q, an equaliser's, or a transform's Q0
    double gainDb = 0;          // peak, shelves, gain
    double targetFrequency = 0; // Hz, a transform's fp
    double targetQ = 0;         // a transform's Qp

    friend bool operator==(const FilterStage&, const FilterStage&) = default;
};

inline constexpr std::size_t kMaxStages = 8;

// How the N drivers of a design are connected to the amplifier: S in series
// per string, P strings in parallel, S·P = N.
enum class WiringKind : std::uint8_t { Parallel, Series, Grid };

struct Wiring {
    WiringKind kind = WiringKind::Parallel;
    std::uint16_t series = 1;  // S, for a grid
    std::uint16_t strings = 1; // P, for a grid

    friend bool operator==(const Wiring&, const Wiring&) = default;
};

// How a driver's two voice coils are connected (stored as these numbers).
enum class CoilWiring : std::uint16_t { Series = 0, Parallel = 1, One = 2 };

struct SignalChain {
    // Drive: an input voltage (V rms at the amplifier's output) in place of
    // the design's input power.
    std::optional<double> voltage;
    std::optional<double> seriesResistance; // Ω, amplifier output and cable
    // The amplifier's limit: rated power into the load's DC resistance, or
    // its largest output voltage (V rms). Both given, the lower holds.
    std::optional<double> ampPower;
    std::optional<double> ampVoltage;
    std::optional<Wiring> wiring;            // parallel when unset
    std::optional<std::uint16_t> coils;      // 1 or 2 voice coils (1 when unset)
    std::optional<std::uint16_t> coilWiring; // a CoilWiring, with two coils
    std::vector<FilterStage> stages;         // in signal order, at most kMaxStages
    // Room gain: a level of min(max, -20·log10|HP2(f; fc, 1/√2)|) dB.
    std::optional<double> roomGainFc;  // Hz; none when unset
    std::optional<double> roomGainMax; // dB (20 when unset)

    bool AnySet() const {
        return voltage || seriesResistance || ampPower || ampVoltage || wiring || coils ||
               coilWiring || !stages.empty() || roomGainFc || roomGainMax;
    }
};

} // namespace orvane
