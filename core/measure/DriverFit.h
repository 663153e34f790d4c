// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "core/measure/ImpedanceCurve.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// A driver's resonance as one impedance curve shows it.
struct ResonanceFit {
    double fs = 0;   // Hz, at the peak of |Z|
    double re = 0;   // Ω, entered or the least |Z| below the peak
    double zmax = 0; // Ω, |Z| at the peak
    double f1 = 0;   // Hz, below and above the peak where |Z| = √(Zmax·Re)
    double f2 = 0;
    double qms = 0;
    double qes = 0;
    double qts = 0;
    std::optional<double> le; // H, from the rise above the resonance
    double fitError = 0;      // %, RMS difference of the model's |Z| from the curve's
};

// What a curve lacks for a fit.
enum class FitProblem { NoPeak, NoFall, SecondCurve, NoRe };

// The second measurement that gives the driver's size.
enum class SecondMeasurement { None, AddedMass, TestBox };

struct FitRequest {
    std::optional<double> re; // Ω, a DC reading; else taken from the curve
    std::optional<double> sd; // m²; Vas, Mms and Cms need it
    SecondMeasurement second = SecondMeasurement::None;
    double addedMass = 0;                        // kg, with AddedMass
    double testBox = 0;                          // m³, with TestBox
    const ImpedanceCurve* secondCurve = nullptr; // with either
};

// The driver's Thiele/Small values. Those the second measurement gives (and
// Sd, for Vas, Mms and Cms) are empty without it.
struct DriverFit {
    ResonanceFit freeAir;
    std::optional<ResonanceFit> second; // the curve with the mass or in the box
    bool reEntered = false;
    std::optional<double> sd;   // m²
    std::optional<double> vas;  // m³
    std::optional<double> mms;  // kg
    std::optional<double> cms;  // m/N
    std::optional<double> bl;   // T·m
    std::optional<double> eta0; // reference efficiency, a fraction
    std::vector<std::string> warnings;
};

// Fits the resonance of one curve: Fs at the peak of |Z| and Zmax there
// (interpolated), f1 and f2 where |Z| falls to √(Zmax·Re) (interpolated in
// log f), Qms = Fs·√r0/(f2 − f1) with r0 = Zmax/Re, Qes = Qms/(r0 − 1), Le by
// least squares on the top decade. Fails with a sentence for a curve without
// a usable peak. Notes what the user should know in `warnings`.
Result<ResonanceFit, FitProblem> FitResonance(const ImpedanceCurve& curve, std::optional<double> re,
                                              std::vector<std::string>& warnings);

// The whole fit: the resonance, and with a second measurement Mms (added mass:
// Mms = m/((Fs/Fs′)² − 1)) or Vas (test box: Vas = Vt·(fc·Qec/(Fs·Qes) − 1)),
// then Cms, Vas or Mms through Sd, Bl and η0.
Result<DriverFit, FitProblem> FitDriver(const ImpedanceCurve& curve, const FitRequest& request);

// The impedance the fitted values give: Re + jωLe + Res/(1 + jQms(f/Fs − Fs/f)),
// Res = Zmax − Re.
std::complex<double> ModelImpedance(const ResonanceFit& fit, double frequency);

} // namespace orvane
