// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/chain/Stages.h"
#include "core/design/SpeakerDesign.h"
#include "core/model/AnalysisProblem.h"
#include "core/model/DriverValues.h"
#include "core/model/PassiveRadiator.h"
#include "core/model/ResponseModel.h"

#include <complex>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvane {

// Every quantity of the analysis at one whole frequency. What was not asked
// for, and what the design lacks (Analysis::Has), is NaN.
struct AnalysisRow {
    int32_t frequency = 0;
    double spl = 0;          // dB SPL at the input power
    double excursion = 0;    // mm, peak
    double port[2] = {0, 0}; // m/s, peak air velocity in the ports of chamber 1 and 2
    double ohms = 0;         // one driver's input impedance: magnitude
    double degrees = 0;      // and phase, -180 to 180
    double delay = 0;        // ms, group delay of the sound pressure
    double maxPower = 0; // W, all drivers: the smaller of N·Pe and the power that reaches Xmax (the
                         // radiators' too)
    double maxSpl = 0;       // dB SPL at that power
    double radiator = 0;     // mm, peak excursion of each passive radiator
    double chainDb = 0;      // dB, the signal chain's gain 20·log10|H| with the room gain
    double chainDegrees = 0; // the phase of H, -180 to 180
};

// The chambers of a box: V1/F1, and V2/F2 of a bandpass box.
enum class Chamber { One, Two };

// The lumped-parameter analysis of a design: the N drivers, moving together
// in one box and driven through the signal chain, at 1 m in half space. The
// amplifier's output is H(f)·V0 (V0 the input voltage, or √(P·Re_load) for
// an input power P), the drivers as wired (S in series, P strings) load it
// through the series resistance Rs, and each driver takes 1/S of what
// reaches the load. Without a chain that is the input power shared equally. It
// runs on the design after the automatic values of the response model (a
// stored F1 of at least 0.1 counts as an entered tuning) and visits the same
// frequencies as the response curve. It keeps nothing per frequency: callers
// ask for rows, a block at a time, and use them as they come.
class Analysis {
public:
    // The quantities of a row, as bits: a caller asks for those it uses.
    enum Quantity : unsigned {
        kSpl = 1U << 0,
        kExcursion = 1U << 1,
        kPort1 = 1U << 2,
        kPort2 = 1U << 3,
        kImpedance = 1U << 4,
        kDelay = 1U << 5,
        kMaximum = 1U << 6,
        kRadiator = 1U << 7,
        kChain = 1U << 8,
        kAll = (1U << 9) - 1,
    };

    // The analysis of a design, or the first thing missing or wrong.
    static AnalysisResult<Analysis> Prepare(const SpeakerDesign& design);

    const DriverValues& Driver() const { return m_driver; }
    // W, the drive as a power: the input power, or V0²/Re_load for a voltage.
    double Power() const { return m_power; }
    // Ω, the DC resistance of the drivers as wired; nothing without Re.
    std::optional<double> LoadResistance() const;
    double Ql() const { return m_ql; }
    double F1() const { return m_f1; } // Hz, after the automatic values
    double F2() const { return m_f2; }
    SweepRange Sweep() const { return m_sweep; }
    // A passive-radiator box's radiators and box compliance (m⁵/N).
    const std::optional<RadiatorValues>& Radiators() const { return m_radiatorValues; }
    double BoxCompliance() const { return m_chambers[0].compliance; }

    // Whether the design has what a quantity needs: a vented chamber with a
    // port diameter for its port velocity (NoPort), Re for the impedance
    // (NoRe), Pe or Xmax for the maximum output (NoLimit), passive radiators
    // for their excursion (NoRadiator).
    // (NoLimit also when the amplifier has no limit.)
    AnalysisResult<void> Has(Quantity quantity) const;

    // The rows at the whole frequencies first, first + 1, …, one per row.
    // Above 0 Hz only: a row at or below it has no finite values.
    void Rows(int64_t first, std::span<AnalysisRow> rows, unsigned quantities) const;
    AnalysisRow Row(int32_t frequency, unsigned quantities = kAll) const;
    // Whether every quantity of a row that the design has is finite.
    bool Finite(const AnalysisRow& row) const;

    // At any frequency above 0 Hz, for curves exported at fractions of an
    // octave: the sound pressure at 1 m in half space at the input power (Pa,
    // RMS, with its minimum phase; a positive voltage gives a positive
    // pressure; the room gain as a level), and the drivers' impedance as
    // wired (Ω; needs Re, Has).
    std::complex<double> PressureAt(double frequency) const;
    std::complex<double> ImpedanceAt(double frequency) const;

private:
    // A chamber as an acoustic circuit: compliance, and for a vented one its
    // port mass and leakage resistance in parallel.
    struct ChamberCircuit {
        bool vented = false;
        double compliance = 0;        // m⁵/N
        double inverseCompliance = 0; // N/m⁵
        double inversePortMass = 0;   // m⁴/kg
        double leakConductance = 0;   // m⁵/(N·s), 1/R of the leakage
        double portArea = 0;          // m², all ports together; 0 without a port diameter
    };
    // The state of the system at one frequency, driven with 1 W in all.
    struct State {
        double omega;                        // rad/s
        std::complex<double> coneVelocity;   // m/s, one driver
        std::complex<double> radiated;       // m³/s, what leaves the box
        std::complex<double> chamber[2];     // acoustic impedance of each vented chamber
        std::complex<double> mechanicalLoad; // Zm + N·Sd²·Zb, one driver
        std::complex<double> radiators;      // acoustic admittance of the passive radiators
    };

    Analysis() = default;
    State At(double frequency) const;
    AnalysisRow RowOf(int32_t frequency, unsigned quantities) const;
    static std::complex<double> Pressure(const State& state);
    static double SplOf(const State& state, double power);
    static double ExcursionOf(const State& state); // mm at 1 W
    std::complex<double> ImpedanceOf(const State& state) const;
    ChainFilter::Point ChainAt(double frequency) const;

    BoxKind m_kind = BoxKind::Unknown;
    DriverValues m_driver;
    double m_count = 1; // drivers
    double m_power = 0; // W, the drive V0²/Re_load
    double m_rootPower = 0;
    double m_series = 1;    // S: drivers in series per string
    double m_loadScale = 1; // S/P: the load's impedance over one driver's
    double m_source = 0;    // Ω, Rs·P/S: the series resistance as each driver sees it
    double m_ampLimit = 0;  // W of drive at which |V_amp| reaches the amplifier's limit
                            // for |H| = 1; infinite without one
    ChainFilter m_filter;   // H(f)
    RoomCurve m_room;       // the room gain
    bool m_chained = false; // with filters or room gain
    double m_ql = 0;
    double m_f1 = 0, m_f2 = 0;
    double m_stiffness = 0;   // N/m, 1/Cms
    double m_le = 0;          // H; 0 for the force drive
    double m_drive = 0;       // N (force drive) or Bl·V in T·m·V (with Le), at 1 W
    double m_xmax = 0;        // mm; 0 when not given
    double m_thermal = 0;     // W, N·Pe; 0 when Pe is not given
    unsigned m_available = 0; // the quantities the design has
    ChamberCircuit m_chambers[2];
    // A passive-radiator box: its radiators, in place of chamber 1's port.
    std::optional<RadiatorValues> m_radiatorValues;
    std::optional<RadiatorBranch> m_radiators;
    SweepRange m_sweep;
};

// The row (with kSpl and kMaximum) at f3, where the level at the input power
// first comes within 3 dB of its highest (`loudest` when the caller knows
// it), with a finite maximum SPL: what the box can play at the low end of its
// passband. Nothing when no row qualifies.
std::optional<AnalysisRow> RowAtF3(const Analysis& analysis,
                                   std::optional<double> loudest = std::nullopt);

} // namespace orvane
