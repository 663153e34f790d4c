// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/GraphCurves.h"

#include "core/model/Analysis.h"
#include "core/model/DriverValues.h"
#include "core/model/ResponseModel.h"
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
    case AnalysisProblem::None:
    case AnalysisProblem::UnknownBoxType:
        break;
    }
    return "";
}

std::string Sentence(Graph graph, const std::string& wanted) {
    return std::string(StyleOf(graph).subject) + " needs " + wanted + ".";
}

// The sentence for an analysis that cannot run. A missing cone diameter
// comes with what the driver lacks besides, so one look tells the user both.
std::string PrepareProblem(Graph graph, const SpeakerDesign& design, AnalysisProblem problem) {
    if (problem == AnalysisProblem::UnknownBoxType)
        return std::string(AnalysisProblemText(problem));
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

GraphSeries SeriesOf(const GraphStyle& style, std::vector<GraphPoint> points) {
    GraphSeries s;
    s.points = std::move(points);
    s.unit = style.unit;
    s.format = style.readoutFormat;
    return s;
}

std::vector<GraphPoint> PointsOf(const AnalysisCurve& curve) {
    std::vector<GraphPoint> points;
    points.reserve(curve.size());
    for (const AnalysisPoint& p : curve)
        points.push_back({p.frequency, p.value});
    return points;
}

// The point of the largest (or smallest) finite value; null for none.
const GraphPoint* Extreme(const std::vector<GraphPoint>& points, bool largest) {
    const GraphPoint* best = nullptr;
    for (const GraphPoint& p : points) {
        if (!std::isfinite(p.value))
            continue;
        if (best == nullptr || (largest ? p.value > best->value : p.value < best->value))
            best = &p;
    }
    return best;
}

std::string PowerText(double watts) {
    return Printf("%g W", watts);
}

void AddResponse(GraphCurves& c, const SpeakerDesign& design) {
    const SealedAlignment alignment =
        design.Kind() == BoxKind::Sealed ? ComputeSealedAlignment(design) : SealedAlignment{};
    std::vector<GraphPoint> points;
    if (design.Kind() != BoxKind::Unknown) {
        const ResponseCurve curve = ComputeCurve(design, alignment);
        points.reserve(curve.size());
        for (const CurvePoint& p : curve)
            points.push_back({p.frequency, p.level});
    }
    c.series.push_back(SeriesOf(StyleOf(Graph::Response), std::move(points)));
}

void AddSpl(GraphCurves& c, const Analysis& a) {
    c.series.push_back(SeriesOf(StyleOf(Graph::Spl), PointsOf(a.Spl())));
    if (const GraphPoint* peak = Extreme(c.series[0].points, true))
        c.figure = Printf("Peak SPL %.1f dB at %d Hz at ", peak->value, peak->frequency) +
                   PowerText(a.Power());
}

void AddMaxSpl(GraphCurves& c, const Analysis& a) {
    const AnalysisResult<MaximumOutputCurve> output = a.MaximumOutput();
    if (!output) {
        c.missing = Sentence(c.graph, Wanted(output.ErrorCode()));
        return;
    }
    std::vector<GraphPoint> spl;
    std::vector<GraphPoint> power;
    spl.reserve(output->size());
    power.reserve(output->size());
    for (const MaximumOutputPoint& p : *output) {
        spl.push_back({p.frequency, p.spl});
        power.push_back({p.frequency, p.power});
    }
    const GraphStyle& style = StyleOf(Graph::MaxSpl);
    c.series.push_back(SeriesOf(style, std::move(spl)));
    GraphSeries watts = SeriesOf(style, std::move(power));
    watts.right = true;
    watts.dashed = true;
    watts.unit = kPowerUnit;
    watts.format = "%.0f";
    c.series.push_back(std::move(watts));
    // What the box can play at the low end of its passband: at f3, where the
    // level at the input power first comes within 3 dB of its highest.
    const AnalysisCurve atInput = a.Spl();
    double loudest = -std::numeric_limits<double>::infinity();
    for (const AnalysisPoint& p : atInput) {
        if (std::isfinite(p.value))
            loudest = std::max(loudest, p.value);
    }
    for (std::size_t i = 0; i < atInput.size() && i < c.series[0].points.size(); ++i) {
        if (!(atInput[i].value >= loudest - 3))
            continue;
        const GraphPoint& at = c.series[0].points[i];
        c.figure = Printf("Maximum SPL %.1f dB at f3 %d Hz (%.0f W)", at.value, at.frequency,
                          c.series[1].points[i].value);
        break;
    }
}

void AddExcursion(GraphCurves& c, const Analysis& a, const SpeakerDesign& design) {
    c.series.push_back(SeriesOf(StyleOf(Graph::Excursion), PointsOf(a.Excursion())));
    const bool xmaxGiven = IsGiven(design.m_xmax);
    const double xmaxMm = design.m_xmax * Units::kMillimetresPerInch;
    if (xmaxGiven)
        c.reference = xmaxMm;
    if (const GraphPoint* peak = Extreme(c.series[0].points, true)) {
        c.figure = Printf("Peak excursion %.1f mm at %d Hz", peak->value, peak->frequency);
        if (xmaxGiven)
            c.figure += Printf(" (Xmax %.2f mm)", xmaxMm);
        c.figure += " at " + PowerText(a.Power());
    }
}

void AddVelocity(GraphCurves& c, const Analysis& a) {
    const GraphStyle& style = StyleOf(Graph::Velocity);
    const GraphPoint* fastest = nullptr;
    const char* fastestPort = "";
    for (const auto& [chamber, label] :
         {std::pair{Chamber::One, "(port 1)"}, std::pair{Chamber::Two, "(port 2)"}}) {
        const AnalysisResult<AnalysisCurve> v = a.PortVelocity(chamber);
        if (!v)
            continue;
        GraphSeries s = SeriesOf(style, PointsOf(*v));
        s.dashed = chamber == Chamber::Two;
        s.label = label;
        c.series.push_back(std::move(s));
    }
    if (c.series.empty()) {
        c.missing = Sentence(c.graph, Wanted(AnalysisProblem::NoPort));
        return;
    }
    for (const GraphSeries& s : c.series) {
        const GraphPoint* peak = Extreme(s.points, true);
        if (peak != nullptr && (fastest == nullptr || peak->value > fastest->value)) {
            fastest = peak;
            fastestPort = s.label.c_str();
        }
    }
    c.reference = kPortVelocityLimit;
    if (fastest != nullptr) {
        c.figure = Printf("Port velocity %.0f m/s at %d Hz", fastest->value, fastest->frequency);
        if (c.series.size() > 1)
            c.figure += std::string(" ") + fastestPort;
    }
}

void AddImpedance(GraphCurves& c, const Analysis& a) {
    const AnalysisResult<ImpedanceCurve> z = a.Impedance();
    if (!z) {
        c.missing = Sentence(c.graph, Wanted(z.ErrorCode()));
        return;
    }
    std::vector<GraphPoint> ohms;
    std::vector<GraphPoint> degrees;
    ohms.reserve(z->size());
    degrees.reserve(z->size());
    for (const ImpedancePoint& p : *z) {
        ohms.push_back({p.frequency, p.ohms});
        degrees.push_back({p.frequency, p.degrees});
    }
    c.series.push_back(SeriesOf(StyleOf(Graph::Impedance), std::move(ohms)));
    GraphSeries phase = SeriesOf(StyleOf(Graph::Impedance), std::move(degrees));
    phase.right = true;
    phase.dashed = true;
    phase.unit = kPhaseUnit;
    phase.format = kPhaseFormat;
    c.series.push_back(std::move(phase));
    // Zmin is the lowest magnitude above the resonance peak.
    const std::vector<GraphPoint>& m = c.series[0].points;
    if (const GraphPoint* peak = Extreme(m, true)) {
        const std::vector<GraphPoint> above(m.begin() + (peak - m.data()), m.end());
        if (const GraphPoint* low = Extreme(above, false))
            c.figure = Printf("Zmin %.1f \u03a9 at %d Hz", low->value, low->frequency);
    }
}

void AddDelay(GraphCurves& c, const Analysis& a) {
    c.series.push_back(SeriesOf(StyleOf(Graph::Delay), PointsOf(a.GroupDelay())));
    if (const GraphPoint* peak = Extreme(c.series[0].points, true))
        c.figure = Printf("Peak group delay %.1f ms at %d Hz", peak->value, peak->frequency);
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
        if (s.right != right)
            continue;
        if (const GraphPoint* p = Extreme(s.points, true))
            largest = std::max(largest, p->value);
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

GraphCurves ComputeGraphCurves(Graph graph, const SpeakerDesign& design) {
    GraphCurves c;
    c.graph = graph;
    if (graph == Graph::Response) {
        AddResponse(c, design);
        return c;
    }
    const AnalysisResult<Analysis> analysis = Analysis::Prepare(design);
    if (!analysis) {
        c.missing = PrepareProblem(graph, design, analysis.ErrorCode());
        return c;
    }
    switch (graph) {
    case Graph::Response:
        break;
    case Graph::Spl:
        AddSpl(c, *analysis);
        break;
    case Graph::MaxSpl:
        AddMaxSpl(c, *analysis);
        break;
    case Graph::Excursion:
        AddExcursion(c, *analysis, design);
        break;
    case Graph::Velocity:
        AddVelocity(c, *analysis);
        break;
    case Graph::Impedance:
        AddImpedance(c, *analysis);
        break;
    case Graph::Delay:
        AddDelay(c, *analysis);
        break;
    }
    return c;
}

GraphAxes AxesForGraph(const GraphCurves& curves, int dbPerDiv) {
    const GraphStyle& style = StyleOf(curves.graph);
    int preset = PresetIndex(dbPerDiv);
    // A graph with a reference line (Xmax, the velocity limit) is read
    // against it, the others against their highest value: a larger step
    // where the preset's would leave that out.
    const double mustShow = curves.reference ? *curves.reference : Largest(curves, false);
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
    if (curves.graph == Graph::MaxSpl) {
        const double watts = NiceStep(Largest(curves, true) / kDivisions);
        axes.right = LevelAxis{0, kDivisions * watts, watts, kPowerFormat, kPowerUnit};
    }
    return axes;
}

std::string ReadoutText(const GraphCurves& curves, double frequency) {
    if (curves.series.empty() || curves.series[0].points.empty() || !std::isfinite(frequency))
        return {};
    const auto f = static_cast<int64_t>(std::llround(std::clamp(frequency, -1e9, 1e9)));
    std::string text;
    for (const GraphSeries& s : curves.series) {
        if (s.points.empty())
            continue;
        const int64_t index = f - s.points.front().frequency;
        if (index < 0 || index >= static_cast<int64_t>(s.points.size()))
            return {};
        const double value = s.points[static_cast<std::size_t>(index)].value;
        text += "   " + Value(s.format, value);
        // A degree sign follows its number directly.
        text += std::string(s.unit) == kPhaseUnit ? s.unit : std::string(" ") + s.unit;
        if (!s.label.empty())
            text += " " + s.label;
    }
    return Printf("%lld Hz", static_cast<long long>(f)) + text;
}

} // namespace orvane
