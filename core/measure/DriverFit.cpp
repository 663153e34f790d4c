// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/measure/DriverFit.h"

#include "core/model/Acoustics.h"
#include "core/text/Printf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane {

namespace {

constexpr double kPi = std::numbers::pi;
// The most √(f1·f2) may part from Fs before the peak counts as lopsided.
constexpr double kAsymmetry = 0.02;
constexpr double kPeakTop = 0.9; // share of Zmax − Re

// |Z| against ln f, through the data points: on each interval the cubic
// through its two points and one on either side, so that a peak a few
// points wide is found between the points.
class LogCurve {
public:
    explicit LogCurve(const ImpedanceCurve& curve) {
        for (const ImpedancePoint& p : curve.points) {
            x.push_back(std::log(p.frequency));
            y.push_back(p.ohms);
        }
    }
    std::size_t Size() const { return x.size(); }
    double operator()(double at) const {
        const auto upper = std::upper_bound(x.begin(), x.end(), at);
        const auto i = static_cast<std::size_t>(std::max<std::ptrdiff_t>(upper - x.begin(), 1)) - 1;
        const std::size_t first = std::min(i > 0 ? i - 1 : 0, Size() - 4);
        double sum = 0;
        for (std::size_t j = first; j < first + 4; ++j) {
            double term = y[j];
            for (std::size_t k = first; k < first + 4; ++k) {
                if (k != j)
                    term *= (at - x[k]) / (x[j] - x[k]);
            }
            sum += term;
        }
        return sum;
    }
    // Where the curve crosses `level` between points i and i + 1, which lie on
    // either side of it.
    double Crossing(std::size_t i, double level) const {
        double lo = x[i], hi = x[i + 1];
        const bool rising = y[i] < y[i + 1];
        for (int step = 0; step < 60; ++step) {
            const double mid = (lo + hi) / 2;
            ((*this)(mid) < level) == rising ? lo = mid : hi = mid;
        }
        return std::exp((lo + hi) / 2);
    }
    std::vector<double> x, y;
};

// The maximum of f on [lo, hi] by golden section.
template <class F> double Maximum(const F& f, double lo, double hi) {
    const double g = (std::sqrt(5.0) - 1) / 2;
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    double fa = f(a), fb = f(b);
    for (int step = 0; step < 80; ++step) {
        if (fa < fb) {
            lo = a, a = b, fa = fb, b = lo + g * (hi - lo), fb = f(b);
        } else {
            hi = b, b = a, fb = fa, a = hi - g * (hi - lo), fa = f(a);
        }
    }
    return (lo + hi) / 2;
}

double SquaredLogError(const ResonanceFit& fit, const std::vector<ImpedancePoint>& points) {
    double sum = 0;
    for (const ImpedancePoint& p : points) {
        if (!(p.ohms > 0))
            continue;
        const double d = std::log(std::abs(ModelImpedance(fit, p.frequency)) / p.ohms);
        sum += d * d;
    }
    return sum;
}

// Le from the points of the top decade that lie well above the resonance:
// the L that brings the model's |Z| closest to them in log terms, by a
// coarse scan and then golden section around its best step.
std::optional<double> FitLe(const ImpedanceCurve& curve, ResonanceFit fit) {
    const double top = curve.points.back().frequency;
    std::vector<ImpedancePoint> rise;
    double largest = 0; // H, the L that alone would give the |Z| seen
    for (const ImpedancePoint& p : curve.points) {
        if (p.frequency >= top / 10 && p.frequency >= 4 * fit.f2 && p.ohms > 0) {
            rise.push_back(p);
            largest = std::max(largest, p.ohms / (2 * kPi * p.frequency));
        }
    }
    if (rise.size() < 3)
        return std::nullopt;
    constexpr int kSteps = 64;
    const auto error = [&](double le) {
        fit.le = le;
        return -SquaredLogError(fit, rise);
    };
    int best = 0;
    double bestError = error(0);
    for (int i = 1; i <= kSteps; ++i) {
        const double e = error(largest * i / kSteps);
        if (e > bestError)
            best = i, bestError = e;
    }
    if (best == 0)
        return 0.0;
    return Maximum(error, largest * (best - 1) / kSteps, largest * (best + 1) / kSteps);
}

Failure<FitProblem> Unusable(FitProblem code, std::string message) {
    return {code, std::move(message)};
}

} // namespace

std::complex<double> ModelImpedance(const ResonanceFit& fit, double frequency) {
    const double w = 2 * kPi * frequency;
    const std::complex<double> motional =
        (fit.zmax - fit.re) /
        std::complex<double>(1, fit.qms * (frequency / fit.fs - fit.fs / frequency));
    return std::complex<double>(fit.re, w * fit.le.value_or(0)) + motional;
}

Result<ResonanceFit, FitProblem> FitResonance(const ImpedanceCurve& curve, std::optional<double> re,
                                              std::vector<std::string>& warnings) {
    const LogCurve z(curve);
    if (z.Size() < kMinCurvePoints)
        return Unusable(FitProblem::NoPeak, "The curve has too few points for a fit.");
    const auto peak =
        static_cast<std::size_t>(std::max_element(z.y.begin(), z.y.end()) - z.y.begin());
    if (peak == 0 || peak + 1 == z.Size())
        return Unusable(FitProblem::NoPeak,
                        Printf("The impedance is highest at the end of the curve (%g Hz), not at "
                               "a resonance peak: measure a wider range.",
                               curve.points[peak].frequency));
    ResonanceFit fit;
    const double x = Maximum(z, z.x[peak - 1], z.x[peak + 1]);
    fit.fs = std::exp(x);
    fit.zmax = std::max(z(x), z.y[peak]);
    if (re) {
        fit.re = *re;
    } else {
        fit.re = *std::min_element(z.y.begin(), z.y.begin() + static_cast<std::ptrdiff_t>(peak));
    }
    if (!(fit.re > 0))
        return Unusable(FitProblem::NoRe, "Re must be above 0 \u03a9.");
    const double r0 = fit.zmax / fit.re;
    if (!(r0 > 1))
        return Unusable(FitProblem::NoPeak,
                        Printf("The peak of %g \u03a9 does not rise above Re %g \u03a9: no "
                               "resonance to fit.",
                               fit.zmax, fit.re));
    const double level = std::sqrt(fit.zmax * fit.re);
    // The peak's centre in log f, between where it crosses its top tenth, is
    // finer than its highest point between grid points: the peak is even in
    // log f at Le 0, and the crossings lie where the curve is steep.
    {
        const double top = fit.re + kPeakTop * (fit.zmax - fit.re);
        std::size_t lo = peak, hi = peak;
        while (lo > 0 && !(z.y[lo - 1] < top))
            --lo;
        while (hi + 1 < z.Size() && !(z.y[hi + 1] < top))
            ++hi;
        if (lo > 0 && hi + 1 < z.Size())
            fit.fs = std::sqrt(z.Crossing(lo - 1, top) * z.Crossing(hi, top));
    }
    std::size_t below = peak;
    while (below > 0 && !(z.y[below - 1] < level))
        --below;
    std::size_t above = peak;
    while (above + 1 < z.Size() && !(z.y[above + 1] < level))
        ++above;
    if (below == 0 || above + 1 == z.Size())
        return Unusable(
            FitProblem::NoFall,
            Printf("|Z| does not fall to %g \u03a9 (\u221a(Zmax\u00b7Re)) on %s side of "
                   "the peak: measure a wider range.",
                   level, below == 0 ? "the low" : "the high"));
    fit.f1 = z.Crossing(below - 1, level);
    fit.f2 = z.Crossing(above, level);
    fit.qms = fit.fs * std::sqrt(r0) / (fit.f2 - fit.f1);
    fit.qes = fit.qms / (r0 - 1);
    fit.qts = fit.qms * fit.qes / (fit.qms + fit.qes);
    if (!std::isfinite(fit.fs) || !std::isfinite(fit.qms) || !(fit.qes > 0) ||
        !std::isfinite(fit.qes))
        return Unusable(FitProblem::NoPeak, "The curve's values give no finite Fs and Q.");
    if (std::fabs(std::sqrt(fit.f1 * fit.f2) / fit.fs - 1) > kAsymmetry)
        warnings.push_back(Printf("The peak is lopsided: \u221a(f1\u00b7f2) = %.4g Hz is more than "
                                  "2 %% from Fs = %.4g Hz (voice-coil inductance, a box or "
                                  "noise).",
                                  std::sqrt(fit.f1 * fit.f2), fit.fs));
    fit.le = FitLe(curve, fit);
    fit.fitError = 100 * std::sqrt(SquaredLogError(fit, curve.points) /
                                   static_cast<double>(curve.points.size()));
    return fit;
}

Result<DriverFit, FitProblem> FitDriver(const ImpedanceCurve& curve, const FitRequest& request) {
    using namespace Acoustics;
    DriverFit out;
    out.reEntered = request.re.has_value();
    Result<ResonanceFit, FitProblem> free = FitResonance(curve, request.re, out.warnings);
    if (!free)
        return free.Error();
    out.freeAir = *free;
    const ResonanceFit& fa = out.freeAir;
    if (!out.reEntered)
        out.warnings.push_back(Printf("Re is taken as the least |Z| below the resonance, %g "
                                      "\u03a9; a DC reading is better.",
                                      fa.re));
    if (!fa.le)
        out.warnings.push_back("Le needs the curve to reach at least four times f2: not fitted.");
    if (request.sd && *request.sd > 0)
        out.sd = request.sd;
    if (request.second == SecondMeasurement::None || request.secondCurve == nullptr)
        return out;

    std::vector<std::string> notes;
    Result<ResonanceFit, FitProblem> second = FitResonance(*request.secondCurve, fa.re, notes);
    if (!second)
        return Unusable(FitProblem::SecondCurve, "The second curve: " + second.Message());
    for (const std::string& note : notes)
        out.warnings.push_back("The second curve: " + note);
    out.second = *second;
    const double ws = 2 * kPi * fa.fs;
    const double rhoC2 = kAirDensity * kSpeedOfSound * kSpeedOfSound;
    if (request.second == SecondMeasurement::AddedMass) {
        const double ratio = fa.fs / second->fs;
        if (!(ratio > 1) || !(request.addedMass > 0))
            return Unusable(FitProblem::SecondCurve,
                            Printf("With the added mass the driver resonates at %g Hz, not below "
                                   "Fs %g Hz: check the curves' order and the mass.",
                                   second->fs, fa.fs));
        out.mms = request.addedMass / (ratio * ratio - 1);
        out.cms = 1 / (ws * ws * *out.mms);
        if (out.sd)
            out.vas = rhoC2 * *out.sd * *out.sd * *out.cms;
    } else {
        const double factor = second->fs * second->qes / (fa.fs * fa.qes) - 1;
        if (!(factor > 0) || !(request.testBox > 0))
            return Unusable(FitProblem::SecondCurve,
                            Printf("In the test box the driver resonates at %g Hz with Qes %.3g, "
                                   "which gives no Vas (fc\u00b7Qec must exceed Fs\u00b7Qes).",
                                   second->fs, second->qes));
        out.vas = request.testBox * factor;
        if (out.sd) {
            out.cms = *out.vas / (rhoC2 * *out.sd * *out.sd);
            out.mms = 1 / (ws * ws * *out.cms);
        }
    }
    if (out.mms)
        out.bl = std::sqrt(ws * *out.mms * fa.re / fa.qes);
    if (out.vas)
        out.eta0 = 4 * kPi * kPi * fa.fs * fa.fs * fa.fs * *out.vas /
                   (kSpeedOfSound * kSpeedOfSound * kSpeedOfSound * fa.qes);
    if (!out.sd)
        out.warnings.push_back("Vas, Mms and Cms need Sd: give the cone diameter or Sd.");
    return out;
}

} // namespace orvane
