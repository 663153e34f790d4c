// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/AnalysisProblem.h"
#include "core/model/DriverValues.h"
#include "core/model/ResponseModel.h"

#include <complex>
#include <cstdint>
#include <vector>

namespace orvane {

// One value per whole hertz of the sweep.
struct AnalysisPoint {
    int32_t frequency;
    double value;
};
using AnalysisCurve = std::vector<AnalysisPoint>;

struct ImpedancePoint {
    int32_t frequency;
    double ohms;    // magnitude
    double degrees; // phase, -180 to 180
};
using ImpedanceCurve = std::vector<ImpedancePoint>;

struct MaximumOutputPoint {
    int32_t frequency;
    double power; // W: the smaller of Pe and the power that reaches Xmax
    double spl;   // dB at that power
};
using MaximumOutputCurve = std::vector<MaximumOutputPoint>;

// The chambers of a box: V1/F1, and V2/F2 of a bandpass box.
enum class Chamber { One, Two };

// The lumped-parameter analysis of a design: the N drivers, moving together
// in one box and sharing the input power equally, at 1 m in half space. It
// runs on the design after the automatic values of the response model (a
// stored F1 of at least 0.1 counts as an entered tuning) and visits the same
// frequencies as the response curve. Each quantity family has one function;
// the quantities that need more than the analysis itself say what is missing.
class Analysis {
public:
    // The analysis of a design, or the first thing missing or wrong.
    static AnalysisResult<Analysis> Prepare(const SpeakerDesign& design);

    const DriverValues& Driver() const { return m_driver; }
    double Power() const { return m_power; } // W, total input power
    double Ql() const { return m_ql; }
    double F1() const { return m_f1; } // Hz, after the automatic values
    double F2() const { return m_f2; }
    SweepRange Sweep() const { return m_sweep; }

    AnalysisCurve Spl() const;       // dB SPL at the input power
    AnalysisCurve Excursion() const; // mm, peak
    // m/s, peak air velocity in the ports of a vented chamber with a port
    // diameter; NoPort otherwise.
    AnalysisResult<AnalysisCurve> PortVelocity(Chamber chamber) const;
    // One driver's input impedance; NoRe without Re.
    AnalysisResult<ImpedanceCurve> Impedance() const;
    AnalysisCurve GroupDelay() const; // ms, of the sound pressure
    // NoLimit without Pe and Xmax.
    AnalysisResult<MaximumOutputCurve> MaximumOutput() const;

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
    // The state of the system at one frequency.
    struct State {
        double omega;                        // rad/s
        std::complex<double> coneVelocity;   // m/s, one driver
        std::complex<double> radiated;       // m³/s, what leaves the box
        std::complex<double> chamber[2];     // acoustic impedance of each vented chamber
        std::complex<double> mechanicalLoad; // Zm + N·Sd²·Zb, one driver
    };

    Analysis() = default;
    State At(double frequency) const;
    static std::complex<double> Pressure(const State& state);
    static double SplOf(const State& state, double powerRatio);
    static double ExcursionOf(const State& state);
    template <class Point, class Make> std::vector<Point> Sample(Make make) const;

    BoxKind m_kind = BoxKind::Unknown;
    DriverValues m_driver;
    double m_count = 1; // drivers
    double m_power = 0; // W
    double m_ql = 0;
    double m_f1 = 0, m_f2 = 0;
    double m_stiffness = 0; // N/m, 1/Cms
    double m_le = 0;        // H; 0 for the force drive
    double m_drive = 0;     // N (force drive) or Bl·V in T·m·V (with Le)
    double m_xmax = 0;      // mm; 0 when not given
    double m_pe = 0;        // W; 0 when not given
    ChamberCircuit m_chambers[2];
    SweepRange m_sweep;
    std::vector<State> m_states; // one per point of the sweep
};

} // namespace orvane
