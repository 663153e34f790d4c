// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calc/Alignment.h"

#include "core/design/Fields.h"
#include "core/design/SpeakerDesign.h"
#include "core/model/Acoustics.h"
#include "core/model/PassiveRadiator.h"
#include "core/model/ResponseModel.h"
#include "core/text/Printf.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace orvane {

namespace Alignment {

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// The response grid: fine enough that a peak or a dip of the vented response
// (whose narrowest feature, at QL 7, spans some 10 % in frequency) shows as a
// local extreme of the samples; each extreme near the bound is then refined.
constexpr double kPointsPerDecade = 100;
// Far below the tuning range the level of every tuning searched falls with the
// fourth power of frequency, many tens of dB down: the grid starts at this
// fraction of Fs when that is above 1 Hz, so a high Fs costs no more points.
constexpr double kNegligibleRatio = 1e-4;
// Local extremes of the samples this close to the bound are refined.
constexpr double kRefineMargin = 0.5;
// The first pass over the tuning range, and the refinement around its best.
constexpr int kTuningSteps = 128;
constexpr int kInnerPoints = 4;
constexpr int kCandidates = 3;
constexpr double kTuningTolerance = 1e-8;     // relative
constexpr double kFrequencyTolerance = 1e-10; // relative
// Golden-section steps: the bracket shrinks to 1e-6 of itself, and the level
// at a smooth extreme is off by the square of that.
constexpr int kGoldenSteps = 28;

// f3 and the highest level of one vented tuning; f3 is NaN when the level is
// below -3 dB at the top of the band.
struct Figures {
    double f3 = kNan;
    double peak = kNan;
};

bool Meets(const Figures& f, double ripple) {
    return std::isfinite(f.f3) && f.peak <= ripple;
}

// Only a tuning that meets the bound counts; among those the lower f3 wins.
bool Better(const Figures& a, const Figures& b, double ripple) {
    return Meets(a, ripple) && (!Meets(b, ripple) || a.f3 < b.f3);
}

// Golden-section search on a log-frequency interval for the extreme of a
// smooth function; returns the best point evaluated (endpoints included).
template <typename F> double GoldenExtreme(double lo, double hi, bool maximum, F&& level) {
    constexpr double kInvPhi = 0.6180339887498949;
    double a = std::log(lo), b = std::log(hi);
    double c = b - kInvPhi * (b - a), d = a + kInvPhi * (b - a);
    const auto score = [&](double logF) {
        const double v = level(std::exp(logF));
        return maximum ? v : -v;
    };
    double fc = score(c), fd = score(d);
    double bestX = fc >= fd ? c : d, bestScore = std::max(fc, fd);
    for (int i = 0; i < kGoldenSteps; ++i) {
        if (fc >= fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - kInvPhi * (b - a);
            fc = score(c);
            if (fc > bestScore) {
                bestScore = fc;
                bestX = c;
            }
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + kInvPhi * (b - a);
            fd = score(d);
            if (fd > bestScore) {
                bestScore = fd;
                bestX = d;
            }
        }
    }
    return std::exp(bestX);
}

// One vented or passive-radiator box of fixed volume, its response examined
// through the program's response model at any tuning.
class TunedBox {
public:
    TunedBox(const Driver& driver, double volume, BoxKind kind = BoxKind::Vented,
             const DesignExtras& extras = {}) {
        m_design.m_boxType = std::string(BoxType::Name(kind));
        m_design.m_extras = extras;
        m_design.m_extras.prMass.reset();
        m_design.m_fs = driver.fs;
        m_design.m_qts = driver.qts;
        m_design.m_vas = driver.vas;
        m_design.m_v1 = volume;
        m_design.m_driverCount = static_cast<uint16_t>(driver.count);
        const double low = std::max(1.0, driver.fs * kNegligibleRatio);
        const double top = driver.fs * kTopRatio;
        const double span = std::log(top / low);
        const int steps =
            std::max(2, static_cast<int>(std::ceil(span / std::log(10.0) * kPointsPerDecade)));
        m_grid.reserve(static_cast<size_t>(steps) + 1);
        for (int i = 0; i < steps; ++i)
            m_grid.push_back(low * std::exp(span * i / steps));
        m_grid.push_back(top);
    }

    // The radiators of a passive-radiator box without added mass, or a
    // failure when their values do not make any.
    AnalysisResult<RadiatorValues> Radiators() const { return DeriveRadiatorValues(m_design); }

    // The mass per radiator that tunes the box to f1, in grams.
    Result<double, int> MassFor(double f1) const {
        const AnalysisResult<RadiatorValues> r = Radiators();
        if (!r)
            return Failure<int>{1, r.Message()};
        return MassForTuning(*r, Acoustics::AcousticCompliance(m_design.m_v1), f1);
    }

    Figures Evaluate(double f1) {
        if (m_design.Kind() == BoxKind::PassiveRadiator) {
            const Result<double, int> mass = MassFor(f1);
            if (!mass)
                return {};
            m_design.m_extras.prMass = *mass;
        }
        m_design.m_f1 = f1;
        const std::vector<double> levels = LevelsAt(m_design, SealedAlignment{}, m_grid);
        if (levels.size() != m_grid.size() ||
            !std::all_of(levels.begin(), levels.end(), [](double v) { return std::isfinite(v); }))
            return {};
        return {F3(levels), Peak(levels)};
    }

private:
    double Level(double f) const {
        const std::vector<double> v = LevelsAt(m_design, SealedAlignment{}, std::span(&f, 1));
        return v.empty() ? kNan : v.front();
    }

    // The highest level: the largest sample, and each local maximum of the
    // samples near it refined between its neighbours.
    double Peak(const std::vector<double>& levels) const {
        const double sampled = *std::max_element(levels.begin(), levels.end());
        double peak = sampled;
        const auto level = [this](double f) { return Level(f); };
        for (size_t j = 1; j + 1 < levels.size(); ++j) {
            if (levels[j] >= levels[j - 1] && levels[j] >= levels[j + 1] &&
                levels[j] > sampled - kRefineMargin) {
                const double f = GoldenExtreme(m_grid[j - 1], m_grid[j + 1], true, level);
                peak = std::max(peak, Level(f));
            }
        }
        return peak;
    }

    // The lowest frequency above which the level stays at or above -3 dB: the
    // highest point found below -3 dB (a sample, or a dip between samples
    // refined to its minimum), then the crossing just above it.
    double F3(const std::vector<double>& levels) const {
        const size_t n = levels.size();
        if (levels[n - 1] < kF3Level)
            return kNan;
        size_t above = 0; // the sample above the highest point below -3 dB
        double below = 0; // that point; 0 while none was found
        for (size_t k = n - 1; k-- > 0;) {
            if (levels[k] < kF3Level) {
                above = k + 1;
                below = m_grid[k];
                break;
            }
        }
        const auto level = [this](double f) { return Level(f); };
        for (size_t j = std::max<size_t>(above, 1); j + 1 < n; ++j) {
            if (levels[j] <= levels[j - 1] && levels[j] <= levels[j + 1] &&
                levels[j] < kF3Level + kRefineMargin) {
                const double f = GoldenExtreme(m_grid[j - 1], m_grid[j + 1], false, level);
                if (Level(f) < kF3Level && f > below) {
                    below = f;
                    above = j + 1;
                }
            }
        }
        if (below == 0)
            return m_grid.front(); // at or above -3 dB over the whole band
        double lo = below, hi = m_grid[above];
        while (hi / lo - 1 > kFrequencyTolerance) {
            const double mid = std::sqrt(lo * hi);
            if (mid <= lo || mid >= hi)
                break;
            (Level(mid) < kF3Level ? lo : hi) = mid;
        }
        return hi;
    }

    SpeakerDesign m_design;
    std::vector<double> m_grid;
};

struct Sample {
    double f1 = 0;
    Figures figures;
};

// Shrinks a bracket around the best tuning found, keeping the best sample and
// its neighbours, until the bracket is within the tolerance. Works alike for
// a smooth minimum of f3, the edge of the tunings that meet the ripple, and
// the jump of f3 where a dip of the response touches -3 dB.
Sample Refine(TunedBox& box, Sample lo, Sample best, Sample hi, double ripple) {
    for (int pass = 0; pass < 64 && hi.f1 / lo.f1 - 1 > kTuningTolerance; ++pass) {
        std::array<Sample, kInnerPoints + 2> points;
        points.front() = lo;
        points.back() = hi;
        const double ratio = std::log(hi.f1 / lo.f1);
        for (int i = 1; i <= kInnerPoints; ++i) {
            const double f1 = lo.f1 * std::exp(ratio * i / (kInnerPoints + 1));
            points[static_cast<size_t>(i)] = {f1, box.Evaluate(f1)};
        }
        size_t b = 0;
        for (size_t i = 1; i < points.size(); ++i) {
            if (Better(points[i].figures, points[b].figures, ripple))
                b = i;
        }
        if (Better(points[b].figures, best.figures, ripple))
            best = points[b];
        lo = points[b == 0 ? 0 : b - 1];
        hi = points[std::min(b + 1, points.size() - 1)];
    }
    return best;
}

Row RowOf(double volume, const Sample& s) {
    return {volume, s.f1, s.figures.f3, s.figures.peak};
}

Failure<Problem> Fail(Problem problem) {
    return {problem, ProblemText(problem)};
}

// The driver, the volume and the ripple of a search, or what is wrong.
Result<void, Problem> Checked(const Driver& driver, double volume, double ripple) {
    if (Result<void, Problem> checked = CheckDriver(driver); !checked)
        return checked;
    if (!(volume > 0) || !std::isfinite(volume))
        return Fail(Problem::BadVolume);
    if (!(ripple >= 0) || !std::isfinite(ripple))
        return Fail(Problem::BadRipple);
    return {};
}

// The tuning in [lowest, highest] with the lowest f3 that meets the ripple.
RowResult Search(TunedBox& box, double volume, double lowest, double highest, double ripple) {
    // First pass: equal ratios over the whole tuning range.
    const double span = std::log(highest / lowest);
    std::vector<Sample> pass(kTuningSteps + 1);
    for (int i = 0; i <= kTuningSteps; ++i) {
        const double f1 = lowest * std::exp(span * i / kTuningSteps);
        pass[static_cast<size_t>(i)] = {f1, box.Evaluate(f1)};
    }
    const auto neighbours = [&](size_t i) {
        return std::pair{pass[i == 0 ? 0 : i - 1], pass[std::min(i + 1, pass.size() - 1)]};
    };

    // Candidates: tunings that meet the bound and that no neighbour beats,
    // the lowest f3 first. f3 is not unimodal in F1 (a dip of the response
    // crossing -3 dB makes it jump), so more than one is refined.
    std::vector<size_t> candidates;
    for (size_t i = 0; i < pass.size(); ++i) {
        const auto [before, after] = neighbours(i);
        if (Meets(pass[i].figures, ripple) && !Better(before.figures, pass[i].figures, ripple) &&
            !Better(after.figures, pass[i].figures, ripple))
            candidates.push_back(i);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](size_t a, size_t b) { return pass[a].figures.f3 < pass[b].figures.f3; });
    if (candidates.size() > kCandidates)
        candidates.resize(kCandidates);

    Sample best;
    for (size_t i : candidates) {
        const auto [lo, hi] = neighbours(i);
        const Sample s = Refine(box, lo, pass[i], hi, ripple);
        if (Better(s.figures, best.figures, ripple))
            best = s;
    }
    if (candidates.empty()) {
        // No tuning of the first pass meets the bound; the window of those
        // that do may be narrower than its steps. Look where the peak is
        // lowest.
        size_t k = 0;
        for (size_t i = 1; i < pass.size(); ++i) {
            if (pass[i].figures.peak < pass[k].figures.peak || std::isnan(pass[k].figures.peak))
                k = i;
        }
        const auto [lo, hi] = neighbours(k);
        const double f1 = GoldenExtreme(lo.f1, hi.f1, false, [&box](double f) {
            const double peak = box.Evaluate(f).peak;
            return std::isnan(peak) ? std::numeric_limits<double>::infinity() : peak;
        });
        const Sample s{f1, box.Evaluate(f1)};
        if (Meets(s.figures, ripple))
            best = Refine(box, lo, s, hi, ripple);
    }
    if (!Meets(best.figures, ripple))
        return Fail(Problem::NoTuning);
    return RowOf(volume, best);
}

} // namespace

std::string ProblemText(Problem problem) {
    switch (problem) {
    case Problem::None:
        break;
    case Problem::BadDriver:
        return "The driver needs an Fs from 1 Hz to 1 MHz, a Qts and a Vas above zero, and 1 to "
               "65535 drivers.";
    case Problem::QtcOutOfRange: {
        const FieldBounds& b = Fields::Info(FieldId::Qtc).bounds;
        return Fields::RangeSentence(b.low, b.high, b.zeroAllowed);
    }
    case Problem::QtcNotAboveQts:
        return "The target Qtc must be above the driver's Qts.";
    case Problem::BadVolume:
        return "The box volume must be above zero.";
    case Problem::BadRipple:
        return "The ripple must be zero or more.";
    case Problem::NoTuning:
        return "No tuning keeps the response of this box within the ripple.";
    case Problem::NoRadiator:
        return "The radiators need an Fs, a Vas, an Sd (or a diameter) and a Qms above 0.";
    case Problem::NoMass:
        return "No added mass of 0 g or more tunes this box within the range searched.";
    }
    return {};
}

Result<void, Problem> CheckDriver(const Driver& driver) {
    const bool ok = driver.fs >= 1 && driver.fs <= 1e6 && driver.qts > 0 &&
                    std::isfinite(driver.qts) && driver.vas > 0 && std::isfinite(driver.vas) &&
                    driver.count >= 1 && driver.count <= 65535;
    if (!ok)
        return Fail(Problem::BadDriver);
    return {};
}

RowResult Sealed(const Driver& driver, double qtc) {
    if (Result<void, Problem> checked = CheckDriver(driver); !checked)
        return checked.Error();
    if (const FieldBounds& b = Fields::Info(FieldId::Qtc).bounds; !(qtc >= b.low && qtc <= b.high))
        return Fail(Problem::QtcOutOfRange);
    if (!(qtc > driver.qts))
        return Fail(Problem::QtcNotAboveQts);
    // The closed box raises the driver's Q and resonance by the same factor.
    const double ratio = qtc / driver.qts;
    Row row;
    row.v1 = driver.count * driver.vas / (ratio * ratio - 1);
    row.f1 = driver.fs * ratio;
    // |H|^2 = x^2 / ((1 - x)^2 + x / Q^2) with x = (f / fc)^2 equals L at f3:
    // (1 - L) x^2 + L (2 - 1/Q^2) x - L = 0, whose one positive root is taken
    // in the form free of cancellation.
    const double l = std::pow(10.0, kF3Level / 10);
    const double b = l * (2 - 1 / (qtc * qtc));
    const double root = std::sqrt(b * b + 4 * l * (1 - l));
    const double x = b >= 0 ? 2 * l / (b + root) : (root - b) / (2 * (1 - l));
    row.f3 = row.f1 * std::sqrt(x);
    // Above Q^2 = 1/2 the response peaks at 4 Q^4 / (4 Q^2 - 1); below it
    // rises towards the passband level and never passes it.
    row.peak =
        qtc * qtc > 0.5 ? 20 * std::log10(qtc) - 10 * std::log10(1 - 1 / (4 * qtc * qtc)) : 0.0;
    if (!(row.v1 > 0) || !std::isfinite(row.v1) || !std::isfinite(row.f1) || !std::isfinite(row.f3))
        return Fail(Problem::QtcNotAboveQts);
    return row;
}

RowResult Vented(const Driver& driver, double volume, double ripple) {
    if (Result<void, Problem> checked = Checked(driver, volume, ripple); !checked)
        return checked.Error();
    TunedBox box(driver, volume);
    return Search(box, volume, driver.fs * kLowestTuningRatio, driver.fs * kHighestTuningRatio,
                  ripple);
}

RowResult PassiveRadiator(const Driver& driver, const DesignExtras& radiators, double volume,
                          double ripple) {
    if (Result<void, Problem> checked = Checked(driver, volume, ripple); !checked)
        return checked.Error();
    TunedBox box(driver, volume, BoxKind::PassiveRadiator, radiators);
    const AnalysisResult<RadiatorValues> bare = box.Radiators();
    if (!bare)
        return Fail(Problem::NoRadiator);
    // Mass lowers the tuning: the bare radiators give the highest one.
    const double bareTuning = TuningOf(*bare, Acoustics::AcousticCompliance(volume)).fb;
    const double highest = std::min(driver.fs * kHighestTuningRatio, bareTuning);
    const double lowest = driver.fs * kLowestTuningRatio;
    if (!(highest > lowest))
        return Failure<Problem>{
            Problem::NoMass,
            Printf("Without added mass these radiators tune this box to %.1f Hz, below the "
                   "lowest tuning searched (%.1f Hz): no mass of 0 g or more works.",
                   highest, lowest)};
    RowResult row = Search(box, volume, lowest, highest, ripple);
    if (row) {
        const Result<double, int> mass = box.MassFor(row->f1);
        if (!mass)
            return Fail(Problem::NoMass);
        // At the bare tuning (to the search's tolerance) no mass is added,
        // whatever the rounding says.
        row->prMass = row->f1 >= bareTuning * (1 - kTuningTolerance) ? 0 : *mass;
    }
    return row;
}

std::array<double, kTableRows> TableVolumes(const Driver& driver) {
    std::array<double, kTableRows> volumes{};
    const double compliance = driver.count * driver.vas;
    const int middle = kTableRows / 2;
    for (int i = 0; i < kTableRows; ++i)
        volumes[static_cast<size_t>(i)] = compliance * std::pow(2.0, (i - middle) / 2.0);
    return volumes;
}

std::vector<RowResult> VentedTable(const Driver& driver, double ripple) {
    std::vector<RowResult> rows;
    for (const double volume : TableVolumes(driver))
        rows.push_back(Vented(driver, volume, ripple));
    return rows;
}

} // namespace Alignment

} // namespace orvane
