// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/GraphCurves.h"

#include "core/chain/Stages.h"
#include "core/model/Analysis.h"
#include "core/model/DriverValues.h"
#include "core/model/ResponseModel.h"
#include "core/text/NumberText.h"
#include "core/text/Printf.h"
#include "core/units/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

constexpr int kDivisions = 15;

// How each graph shows its quantity: the one place for its unit, its label
// and read-out formats and its steps per Amplitude preset (1, 2, 5, 10).
struct GraphStyle {
    const char* subject; // of the missing-value sentence
    const char* unit;
    const char* labelFormat;
    const char* readoutFormat;
    double steps[4];
    bool decibels; // the preset's dB per division, the top above the highest value
};

const GraphStyle& StyleOf(Graph graph) {
    static const GraphStyle kResponse{"The response", "dB", "%.1f", "%.1f", {1, 2, 5, 10}, true};
    static const GraphStyle kSpl{"The SPL", "dB SPL", "%.0f", "%.1f", {1, 2, 5, 10}, true};
    static const GraphStyle kMaxSpl{"The maximum SPL", "dB SPL", "%.0f", "%.1f",
                                    {1, 2, 5, 10},     true};
    static const GraphStyle kExcursion{"Cone excursion", "mm",           "%.1f",
                                       "%.2f",           {0.5, 1, 2, 5}, false};
    static const GraphStyle kVelocity{"Port air velocity", "m/s", "%.0f", "%.1f",
                                      {2, 5, 10, 20},      false};
    static const GraphStyle kImpedance{"The impedance", "\u03a9",       "%.0f",
                                       "%.1f",          {2, 5, 10, 20}, false};
    static const GraphStyle kDelay{"Group delay", "ms", "%.0f", "%.1f", {2, 5, 10, 20}, false};
    static const GraphStyle kChain{"The signal chain", "dB", "%.0f", "%.1f", {1, 2, 5, 10}, true};
    switch (graph) {
    case Graph::Response:
        break;
    case Graph::Spl:
        return kSpl;
    case Graph::MaxSpl:
        return kMaxSpl;
    case Graph::Excursion:
        return kExcursion;
    case Graph::Velocity:
        return kVelocity;
    case Graph::Impedance:
        return kImpedance;
    case Graph::Delay:
        return kDelay;
    case Graph::Chain:
        return kChain;
    }
    return kResponse;
}

// The right-hand axes: the impedance's phase and the maximum power.
constexpr const char* kPhaseUnit = "\u00b0";
constexpr const char* kPhaseFormat = "%.0f";
constexpr const char* kPowerUnit = "W";
constexpr const char* kPowerFormat = "%g";
// Port air velocity above 5 % of the speed of sound is heard as chuffing.
constexpr double kPortVelocityLimit = 17;
// Beyond four times Xmax a driver is long broken: the axis need not show more.
constexpr double kExcursionCap = 4;

int PresetIndex(int dbPerDiv) {
    switch (dbPerDiv) {
    case 2:
        return 1;
    case 5:
        return 2;
    case 10:
        return 3;
    default:
        return 0;
    }
}

// What a problem asks for, to follow "… needs ".
const char* Wanted(AnalysisProblem problem) {
    switch (problem) {
    case AnalysisProblem::NoDriver:
        return "Fs, Qts and Vas above 0";
    case AnalysisProblem::NoDriverCount:
        return "at least one driver";
    case AnalysisProblem::NoConeDiameter:
        return "the cone diameter";
    case AnalysisProblem::NoQesOrEfficiency:
        return "Qes or the efficiency";
    case AnalysisProblem::QesNotAboveQts:
        return "Qes (entered, or from the efficiency) above Qts";
    case AnalysisProblem::NoVolume1:
        return "a volume V1 above 0";
    case AnalysisProblem::NoTuning1:
        return "a tuning F1 above 0";
    case AnalysisProblem::NoVolume2:
        return "a volume V2 above 0";
    case AnalysisProblem::NoTuning2:
        return "a tuning F2 above 0";
    case AnalysisProblem::NoPower:
        return "an input power above 0";
    case AnalysisProblem::NoQl:
        return "QL above 0";
    case AnalysisProblem::NoRe:
        return "Re";
    case AnalysisProblem::NoPort:
        return "a vented chamber with a port diameter";
    case AnalysisProblem::NoLimit:
        return "Pe or Xmax";
    case AnalysisProblem::NoRadiator:
        return "the passive radiator's Fs, Vas, Sd (or diameter) and Qms";
    case AnalysisProblem::None:
    case AnalysisProblem::UnknownBoxType:
    case AnalysisProblem::EmptySweep:
    case AnalysisProblem::TooExtreme:
    case AnalysisProblem::BadChain:
    case AnalysisProblem::ChainNeedsRe:
        break;
    }
    return "";
}

std::string Sentence(Graph graph, const std::string& wanted) {
    return std::string(StyleOf(graph).subject) + " needs " + wanted + ".";
}

// The sentence for an analysis that cannot run. A missing cone diameter
// comes with what the driver lacks besides, so one look tells the user both.
// What concerns the whole design, and a failure that names its values, is
// shown as the analysis says it.
std::string PrepareProblem(Graph graph, const SpeakerDesign& design,
                           const Failure<AnalysisProblem>& failure) {
    const AnalysisProblem problem = failure.code;
    if (*Wanted(problem) == '\0' || failure.message != AnalysisProblemText(problem))
        return failure.message;
    std::string wanted = Wanted(problem);
    if (problem == AnalysisProblem::NoConeDiameter) {
        // Only the driver's own values decide it; no sweep is needed.
        SpeakerDesign withCone = design;
        withCone.m_coneDiameter = 10;
        const AnalysisResult<DriverValues> again = DeriveDriverValues(withCone);
        if (!again && (again.ErrorCode() == AnalysisProblem::NoQesOrEfficiency ||
                       again.ErrorCode() == AnalysisProblem::QesNotAboveQts))
            wanted += std::string(" and ") + Wanted(again.ErrorCode());
    }
    return Sentence(graph, wanted);
}

GraphSeries SeriesOf(const GraphStyle& style, double (*pick)(const AnalysisRow&)) {
    GraphSeries s;
    s.unit = style.unit;
    s.format = style.readoutFormat;
    s.pick = pick;
    return s;
}

// The second quantity of a graph, dashed on the right-hand axis.
GraphSeries RightSeriesOf(double (*pick)(const AnalysisRow&), const char* unit,
                          const char* format) {
    GraphSeries s;
    s.right = true;
    s.dashed = true;
    s.unit = unit;
    s.format = format;
    s.pick = pick;
    return s;
}

std::string PowerText(double watts) {
    return Printf("%g W", watts);
}

// A series' highest finite value and where it lies (the first of equals).
struct Peak {
    double value = -std::numeric_limits<double>::infinity();
    int32_t frequency = 0;
    bool found = false;
    void Take(double v, int32_t f) {
        if (std::isfinite(v) && (!found || v > value)) {
            value = v;
            frequency = f;
            found = true;
        }
    }
};

// The impedance's Zmin above resonance: from the highest resonance peak (a
// point not below its neighbours, the sweep's last point excepted, where Le
// may make the curve highest) down to where the curve next rises, or to the
// sweep's end.
class ImpedanceMinimum {
public:
    void Take(double z, int32_t f) {
        if (!std::isfinite(z)) {
            m_count = 0; // a gap: what follows starts afresh
            return;
        }
        if (m_count >= 1) {
            if (m_descending && z > m_z) {
                m_minimum = {m_z, m_f};
                m_descending = false;
            }
            const bool peak = (m_count == 1 || m_z >= m_before) && m_z >= z;
            if (peak && (!m_peakFound || m_z > m_peak)) {
                m_peak = m_z;
                m_peakFound = true;
                m_descending = true;
            }
        }
        m_before = m_z;
        m_z = z;
        m_f = f;
        ++m_count;
    }
    // After the last point.
    std::optional<std::pair<double, int32_t>> Minimum() const {
        if (m_descending)
            return std::pair{m_z, m_f};
        return m_minimum;
    }

private:
    double m_before = 0, m_z = 0;
    int32_t m_f = 0;
    int64_t m_count = 0;
    double m_peak = 0;
    bool m_peakFound = false;
    bool m_descending = false;
    std::optional<std::pair<double, int32_t>> m_minimum;
};

// Runs `take(rows, count)` over the sweep a block at a time; stops early when
// it returns false.
template <class Take> void ForEachBlock(const Analysis& a, unsigned quantities, Take take) {
    std::vector<AnalysisRow> rows(kGraphBlock);
    const SweepRange sweep = a.Sweep();
    for (int64_t first = sweep.first; first < sweep.last;
         first += static_cast<int64_t>(kGraphBlock)) {
        const auto count =
            static_cast<std::size_t>(std::min<int64_t>(sweep.last - first, kGraphBlock));
        a.Rows(first, std::span(rows.data(), count), quantities);
        if (!take(rows.data(), count))
            return;
    }
}

double Spl(const AnalysisRow& r) {
    return r.spl;
}
double MaxSpl(const AnalysisRow& r) {
    return r.maxSpl;
}
double MaxPower(const AnalysisRow& r) {
    return r.maxPower;
}
double Excursion(const AnalysisRow& r) {
    return r.excursion;
}
double Port1(const AnalysisRow& r) {
    return r.port[0];
}
double Port2(const AnalysisRow& r) {
    return r.port[1];
}
double Ohms(const AnalysisRow& r) {
    return r.ohms;
}
double Degrees(const AnalysisRow& r) {
    return r.degrees;
}
double Delay(const AnalysisRow& r) {
    return r.delay;
}
double Radiator(const AnalysisRow& r) {
    return r.radiator;
}
double ChainDb(const AnalysisRow& r) {
    return r.chainDb;
}
double ChainDegrees(const AnalysisRow& r) {
    return r.chainDegrees;
}

// The series of a graph the design has, and the quantities they read.
void AddSeries(GraphCurves& c, const Analysis& a) {
    const GraphStyle& style = StyleOf(c.graph);
    switch (c.graph) {
    case Graph::Response:
        break;
    case Graph::Spl:
        c.series.push_back(SeriesOf(style, Spl));
        c.quantities = Analysis::kSpl;
        break;
    case Graph::MaxSpl: {
        if (const AnalysisResult<void> has = a.Has(Analysis::kMaximum); !has) {
            c.missing = Sentence(c.graph, Wanted(has.ErrorCode()));
            return;
        }
        c.series.push_back(SeriesOf(style, MaxSpl));
        c.series.push_back(RightSeriesOf(MaxPower, kPowerUnit, "%.0f"));
        c.quantities = Analysis::kMaximum;
        break;
    }
    case Graph::Excursion:
        c.series.push_back(SeriesOf(style, Excursion));
        c.quantities = Analysis::kExcursion;
        if (a.Has(Analysis::kRadiator)) {
            c.series.back().label = "(driver)";
            GraphSeries s = SeriesOf(style, Radiator);
            s.dashed = true;
            s.label = "(radiator)";
            c.series.push_back(std::move(s));
            c.quantities |= Analysis::kRadiator;
        }
        break;
    case Graph::Velocity:
        for (const bool second : {false, true}) {
            const Analysis::Quantity port = second ? Analysis::kPort2 : Analysis::kPort1;
            if (!a.Has(port))
                continue;
            GraphSeries s = SeriesOf(style, second ? Port2 : Port1);
            s.dashed = second;
            s.label = second ? "(port 2)" : "(port 1)";
            c.series.push_back(std::move(s));
            c.quantities |= port;
        }
        if (c.series.empty()) {
            // A vented chamber lacks only its port's size, which the user can give.
            const AnalysisResult<void> has = a.Has(Analysis::kPort1);
            const std::string& text = has.Message();
            const std::size_t more = text.find(". ");
            c.missing = Sentence(c.graph, Wanted(AnalysisProblem::NoPort)) +
                        (more == std::string::npos ? "" : text.substr(more + 1));
        }
        break;
    case Graph::Impedance: {
        if (const AnalysisResult<void> has = a.Has(Analysis::kImpedance); !has) {
            c.missing = Sentence(c.graph, Wanted(has.ErrorCode()));
            return;
        }
        c.series.push_back(SeriesOf(style, Ohms));
        c.series.push_back(RightSeriesOf(Degrees, kPhaseUnit, kPhaseFormat));
        c.quantities = Analysis::kImpedance;
        break;
    }
    case Graph::Delay:
        c.series.push_back(SeriesOf(style, Delay));
        c.quantities = Analysis::kDelay;
        break;
    case Graph::Chain:
        c.series.push_back(SeriesOf(style, ChainDb));
        c.series.push_back(RightSeriesOf(ChainDegrees, kPhaseUnit, kPhaseFormat));
        c.series.back().wraps = true;
        c.quantities = Analysis::kChain;
        break;
    }
}

// One pass over the sweep for each series' highest value and the figure.
void Summarise(GraphCurves& c, const Analysis& a, const SpeakerDesign& design) {
    std::vector<Peak> peaks(c.series.size());
    Peak loudest; // the SPL at the input power, for the maximum SPL's f3
    ImpedanceMinimum zmin;
    const unsigned quantities = c.quantities | (c.graph == Graph::MaxSpl ? Analysis::kSpl : 0U);
    ForEachBlock(a, quantities, [&](const AnalysisRow* rows, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t s = 0; s < c.series.size(); ++s)
                peaks[s].Take(c.series[s].pick(rows[i]), rows[i].frequency);
            loudest.Take(rows[i].spl, rows[i].frequency);
            if (c.graph == Graph::Impedance)
                zmin.Take(rows[i].ohms, rows[i].frequency);
        }
        return true;
    });
    for (std::size_t s = 0; s < c.series.size(); ++s)
        c.series[s].largest = peaks[s].value;
    if (peaks.empty() || !peaks[0].found)
        return;
    const Peak& peak = peaks[0];
    switch (c.graph) {
    case Graph::Response:
        break;
    case Graph::Spl:
        c.figure = Printf("Peak SPL %.1f dB at %d Hz at ", peak.value, peak.frequency) +
                   PowerText(a.Power());
        break;
    case Graph::MaxSpl:
        // What the box can play at the low end of its passband: at f3, where
        // the level at the input power first comes within 3 dB of its highest.
        if (const std::optional<AnalysisRow> row = RowAtF3(a, loudest.value))
            c.figure = Printf("Maximum SPL %.1f dB at f3 %d Hz (%.0f W; lumped model, "
                              "thermal and excursion limits)",
                              row->maxSpl, row->frequency, row->maxPower);
        break;
    case Graph::Excursion:
        c.figure = Printf("Peak excursion %.1f mm at %d Hz", peak.value, peak.frequency);
        if (IsGiven(design.m_xmax))
            c.figure += Printf(" (Xmax %.2f mm)", design.m_xmax * Units::kMillimetresPerInch);
        if (peaks.size() > 1 && peaks[1].found) {
            c.figure += Printf("; radiator %.1f mm at %d Hz", peaks[1].value, peaks[1].frequency);
            if (IsGiven(design.m_extras.prXmax))
                c.figure +=
                    Printf(" (Xmax %.2f mm)", *design.m_extras.prXmax * Units::kMillimetresPerInch);
        }
        c.figure += " at " + PowerText(a.Power());
        break;
    case Graph::Velocity: {
        std::size_t fastest = 0;
        for (std::size_t s = 1; s < peaks.size(); ++s) {
            if (peaks[s].found && peaks[s].value > peaks[fastest].value)
                fastest = s;
        }
        c.figure = Printf("Port velocity %.0f m/s at %d Hz", peaks[fastest].value,
                          peaks[fastest].frequency);
        if (c.series.size() > 1)
            c.figure += " " + c.series[fastest].label;
        break;
    }
    case Graph::Impedance:
        if (const auto low = zmin.Minimum())
            c.figure = Printf("Zmin %.1f \u03a9 at %d Hz", low->first, low->second);
        break;
    case Graph::Delay:
        c.figure = Printf("Peak group delay %.1f ms at %d Hz", peak.value, peak.frequency);
        break;
    case Graph::Chain: {
        const std::vector<FilterStage>& stages = design.m_extras.chain.stages;
        c.figure = stages.empty() ? std::string("No filters") : "Filters";
        for (std::size_t i = 0; i < stages.size(); ++i)
            c.figure += (i == 0 ? " " : ", ") + StageText(stages[i]);
        c.figure += Printf("; highest %.1f dB at %d Hz", peak.value, peak.frequency);
        break;
    }
    }
}

// The 1, 2, 5 times a power of ten at or above x.
double NiceStep(double x) {
    if (!(x > 0) || !std::isfinite(x))
        return 1;
    const double decade = std::pow(10.0, std::floor(std::log10(x)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * decade >= x * (1 - 1e-12))
            return m * decade;
    }
    return 10 * decade;
}

double Largest(const GraphCurves& curves, bool right) {
    double largest = -std::numeric_limits<double>::infinity();
    for (const GraphSeries& s : curves.series) {
        if (s.right == right)
            largest = std::max(largest, s.largest);
    }
    return largest;
}

// A number as the read-out writes it, with a true minus sign.
std::string Value(const char* format, double value) {
    std::string text = Printf(format, value);
    if (!text.empty() && text[0] == '-')
        text.replace(0, 1, "\u2212");
    return text;
}

} // namespace

void GraphCurves::Values(int64_t first, std::size_t count, std::vector<double>& values) const {
    values.resize(series.size() * count);
    if (analysis) {
        std::vector<AnalysisRow> rows(count);
        analysis->Rows(first, rows, quantities);
        for (std::size_t s = 0; s < series.size(); ++s) {
            for (std::size_t i = 0; i < count; ++i)
                values[s * count + i] = series[s].pick(rows[i]);
        }
        return;
    }
    if (series.empty())
        return;
    std::vector<double> frequencies(count);
    for (std::size_t i = 0; i < count; ++i)
        frequencies[i] = static_cast<double>(first + static_cast<int64_t>(i));
    const SealedAlignment alignment =
        design.Kind() == BoxKind::Sealed ? ComputeSealedAlignment(design) : SealedAlignment{};
    const std::vector<double> levels = LevelsAt(design, alignment, frequencies);
    std::copy(levels.begin(), levels.end(), values.begin());
}

GraphCurves ComputeGraphCurves(Graph graph, const SpeakerDesign& design) {
    GraphCurves c;
    c.graph = graph;
    c.sweep = ComputeSweepRange(design);
    if (graph == Graph::Response) {
        if (design.Kind() != BoxKind::Unknown)
            c.series.push_back(SeriesOf(StyleOf(Graph::Response), nullptr));
        c.design = design;
        return c;
    }
    AnalysisResult<Analysis> analysis = Analysis::Prepare(design);
    if (!analysis) {
        c.missing = PrepareProblem(graph, design, analysis.Error());
        return c;
    }
    AddSeries(c, *analysis);
    if (!c.missing.empty()) {
        c.series.clear();
        return c;
    }
    if (graph == Graph::Excursion && IsGiven(design.m_xmax))
        c.reference = design.m_xmax * Units::kMillimetresPerInch;
    if (graph == Graph::Velocity)
        c.reference = kPortVelocityLimit;
    Summarise(c, *analysis, design);
    c.analysis = *std::move(analysis);
    return c;
}

GraphAxes AxesForGraph(const GraphCurves& curves, int dbPerDiv) {
    const GraphStyle& style = StyleOf(curves.graph);
    int preset = PresetIndex(dbPerDiv);
    // The axis holds the reference line (Xmax, the velocity limit) and the
    // curve's peak, up to a cap where the curve runs away (excursion far
    // below the port's tuning): a larger step where the preset's would
    // leave either out.
    double mustShow = Largest(curves, false);
    if (curves.graph == Graph::Excursion && curves.reference)
        mustShow = std::min(mustShow, kExcursionCap * *curves.reference);
    if (curves.reference)
        mustShow =
            std::isfinite(mustShow) ? std::max(mustShow, *curves.reference) : *curves.reference;
    while (!style.decibels && std::isfinite(mustShow) && preset < 3 &&
           mustShow > kDivisions * style.steps[preset])
        ++preset;
    const double step = style.steps[preset];
    GraphAxes axes;
    axes.left.step = step;
    axes.left.span = kDivisions * step;
    axes.left.format = style.labelFormat;
    axes.left.unit = style.unit;
    if (style.decibels) {
        const double largest = Largest(curves, false);
        const double top = std::isfinite(largest) ? std::ceil(largest / step) * step : 100;
        axes.left.bottom = top - axes.left.span;
    }
    if (curves.graph == Graph::Impedance)
        axes.right = LevelAxis{-90, 180, 12, kPhaseFormat, kPhaseUnit};
    if (curves.graph == Graph::Chain) // a chain of filters turns through the whole circle
        axes.right = LevelAxis{-180, 360, 24, kPhaseFormat, kPhaseUnit};
    if (curves.graph == Graph::MaxSpl) {
        const double watts = NiceStep(Largest(curves, true) / kDivisions);
        axes.right = LevelAxis{0, kDivisions * watts, watts, kPowerFormat, kPowerUnit};
    }
    return axes;
}

std::optional<GraphAxes> WiderAxes(const GraphAxes& axes, const GraphCurves& curves, int dbPerDiv) {
    if (!curves.missing.empty() || curves.series.empty())
        return std::nullopt;
    const GraphAxes wanted = AxesForGraph(curves, dbPerDiv);
    const auto top = [](const LevelAxis& a) { return a.bottom + a.span; };
    GraphAxes wider = axes;
    bool widened = false;
    if (top(wanted.left) > top(axes.left)) {
        wider.left = wanted.left;
        widened = true;
    }
    if (axes.right && wanted.right && top(*wanted.right) > top(*axes.right)) {
        wider.right = wanted.right;
        widened = true;
    }
    if (!widened)
        return std::nullopt;
    return wider;
}

namespace {

// A CSV column's name: the quantity, then its unit.
std::string ColumnName(Graph graph, const GraphSeries& series) {
    std::string name;
    switch (graph) {
    case Graph::Response:
        name = "response";
        break;
    case Graph::Spl:
        name = "SPL";
        break;
    case Graph::MaxSpl:
        name = series.right ? "maximum power" : "maximum SPL";
        break;
    case Graph::Excursion:
        name = "excursion";
        break;
    case Graph::Velocity:
        name = series.dashed ? "port 2 velocity" : "port 1 velocity";
        break;
    case Graph::Impedance:
        name = series.right ? "phase" : "impedance";
        break;
    case Graph::Delay:
        name = "group delay";
        break;
    case Graph::Chain:
        name = series.right ? "chain phase" : "chain gain";
        break;
    }
    return name + " (" + series.unit + ")";
}

} // namespace

std::string GraphCsv(const std::vector<GraphCurves>& drawings) {
    std::string csv = "frequency (Hz)";
    int64_t first = std::numeric_limits<int64_t>::max();
    int64_t last = std::numeric_limits<int64_t>::min();
    for (std::size_t d = 0; d < drawings.size(); ++d) {
        for (const GraphSeries& series : drawings[d].series)
            csv += "," + ColumnName(drawings[d].graph, series) +
                   (d == 0 ? "" : " " + std::to_string(d + 1));
        if (!drawings[d].series.empty() && drawings[d].sweep.Count() > 0) {
            first = std::min<int64_t>(first, drawings[d].sweep.first);
            last = std::max(last, drawings[d].sweep.last);
        }
    }
    csv += '\n';
    // The part of [from, to) that lies in a drawing's own sweep.
    const auto within = [](const GraphCurves& c, int64_t from, int64_t to) {
        if (c.series.empty() || c.sweep.Count() == 0)
            return std::pair<int64_t, int64_t>{from, from};
        const int64_t start = std::clamp<int64_t>(from, c.sweep.first, c.sweep.last);
        return std::pair{start, std::clamp<int64_t>(to, start, c.sweep.last)};
    };
    std::vector<std::vector<double>> values(drawings.size());
    for (int64_t block = first; block < last; block += static_cast<int64_t>(kGraphBlock)) {
        const int64_t end = std::min<int64_t>(last, block + static_cast<int64_t>(kGraphBlock));
        for (std::size_t d = 0; d < drawings.size(); ++d) {
            const auto [from, to] = within(drawings[d], block, end);
            drawings[d].Values(from, static_cast<std::size_t>(to - from), values[d]);
        }
        for (int64_t f = block; f < end; ++f) {
            csv += std::to_string(f);
            for (std::size_t d = 0; d < drawings.size(); ++d) {
                const auto [from, to] = within(drawings[d], block, end);
                const auto count = static_cast<std::size_t>(to - from);
                for (std::size_t s = 0; s < drawings[d].series.size(); ++s) {
                    csv += ',';
                    if (f < from || f >= to)
                        continue;
                    const double v = values[d][s * count + static_cast<std::size_t>(f - from)];
                    if (std::isfinite(v))
                        csv += ShortestText(v);
                }
            }
            csv += '\n';
        }
    }
    return csv;
}

std::string ReadoutText(const GraphCurves& curves, double frequency) {
    if (curves.series.empty() || !std::isfinite(frequency))
        return {};
    const auto f = static_cast<int64_t>(std::llround(std::clamp(frequency, -1e9, 1e9)));
    if (f < curves.sweep.first || f >= curves.sweep.last)
        return {};
    std::vector<double> values;
    curves.Values(f, 1, values);
    std::string text;
    for (std::size_t s = 0; s < curves.series.size(); ++s) {
        const GraphSeries& series = curves.series[s];
        text += "   " + Value(series.format, values[s]);
        // A degree sign follows its number directly.
        text +=
            std::string(series.unit) == kPhaseUnit ? series.unit : std::string(" ") + series.unit;
        if (!series.label.empty())
            text += " " + series.label;
    }
    return Printf("%lld Hz", static_cast<long long>(f)) + text;
}

} // namespace orvane
