// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/DrawPlot.h"
#include "core/plot/GraphCurves.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

#include <cmath>

using namespace orvane;

using Kind = RecordingSurface::Kind;
using Ops = std::vector<RecordingSurface::Op>;

namespace {

const PenSpec kReferencePen{PenStyle::Dash, 1, {255, 0, 0}};
const PenSpec kCurvePen{PenStyle::Solid, 1, {0, 0, 255}};
const PenSpec kDashedCurvePen{PenStyle::Dash, 1, {0, 0, 255}};

// The analysis' reference driver, a vented box with a 3-inch port.
SpeakerDesign Analysed(BoxKind kind) {
    SpeakerDesign d = AnalysedDesign(kind);
    if (kind == BoxKind::Vented)
        d.m_extras.portDiameter = 3;
    return d;
}

struct Drawing {
    RecordingSurface surface;
    std::optional<GraphAxes> axes;
};

void Draw(Drawing& drawing, SpeakerDesign design, Graph graph, int dbPerDiv = 1) {
    DrawGraph(drawing.surface, design, StoredF1CountsAsEntered(design), graph,
              ScaleForDbPerDiv(dbPerDiv), 800, 600, drawing.axes);
}

// Level labels at the left edge (x 5), top to bottom as drawn: bottom first.
QStringList LeftLabels(const Ops& ops) {
    QStringList labels;
    for (const auto& op : ops) {
        if (op.kind == Kind::Text && op.x == 5)
            labels << QString::fromStdString(op.text);
    }
    return labels;
}

// Horizontal lines across the frame drawn in a pen: their y.
QList<int> LinesIn(const Ops& ops, const PenSpec& pen) {
    QList<int> ys;
    for (size_t i = 0; i + 1 < ops.size(); ++i) {
        const auto &m = ops[i], &l = ops[i + 1];
        if (m.kind == Kind::Move && l.kind == Kind::Line && l.pen == pen && m.x == 30 &&
            l.x == 770 && m.y == l.y)
            ys << m.y;
    }
    return ys;
}

const RecordingSurface::Op* TextAt(const Ops& ops, int x, int y) {
    for (const auto& op : ops) {
        if (op.kind == Kind::Text && op.x == x && op.y == y)
            return &op;
    }
    return nullptr;
}

} // namespace

class TestGraphs : public QObject {
    Q_OBJECT
private slots:
    void namesRoundTrip() {
        for (const Graph g : kAllGraphs)
            QCOMPARE(GraphFromName(GraphName(g)), std::optional(g));
        QCOMPARE(GraphName(Graph::MaxSpl), std::string_view("maxspl"));
        QVERIFY(!GraphFromName("Excursion"));
        QVERIFY(!GraphFromName(""));
    }

    // The response graph through DrawGraph is DrawPlot, op for op.
    void responseIsThePlot() {
        SpeakerDesign a = WithOutputFigures(ReferenceDesign(BoxKind::Vented));
        SpeakerDesign b = a;
        RecordingSurface plot;
        DrawPlot(plot, a, false, ScaleForDbPerDiv(2), 800, 600);
        Drawing graph;
        DrawGraph(graph.surface, b, false, Graph::Response, ScaleForDbPerDiv(2), 800, 600,
                  graph.axes);
        QCOMPARE(graph.surface.ops.size(), plot.ops.size());
        for (size_t i = 0; i < plot.ops.size(); ++i) {
            QCOMPARE(graph.surface.ops[i].kind, plot.ops[i].kind);
            QCOMPARE(graph.surface.ops[i].x, plot.ops[i].x);
            QCOMPARE(graph.surface.ops[i].y, plot.ops[i].y);
            QCOMPARE(graph.surface.ops[i].text, plot.ops[i].text);
            QVERIFY(graph.surface.ops[i].pen == plot.ops[i].pen);
        }
        QVERIFY(!graph.axes); // the response plot keeps no axes of its own
    }

    // The excursion axis: 0.5/1/2/5 mm per division from 0, fifteen divisions.
    void excursionAxis_data() {
        QTest::addColumn<int>("dbPerDiv");
        QTest::addColumn<QString>("labels");
        QTest::addColumn<int>("xmaxY");
        // 510 px for 7.5 mm: 68 px/mm, Xmax 6.35 mm at 600 - 30 - trunc(431.8).
        QTest::newRow("1") << 1 << "0.0,0.5,1.0,1.5,2.0,2.5,3.0,3.5,4.0,4.5,5.0,5.5,6.0,6.5,7.0,7.5"
                           << 139;
        // 34 px/mm: 600 - 30 - trunc(215.9).
        QTest::newRow("2") << 2
                           << "0.0,1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0,9.0,10.0,11.0,12.0,13.0,14.0,"
                              "15.0"
                           << 355;
        // 510/75 = 6.8 px/mm: 600 - 30 - trunc(43.18); the labels are 34 px apart.
        QTest::newRow("10") << 10
                            << "0.0,5.0,10.0,15.0,20.0,25.0,30.0,35.0,40.0,45.0,50.0,55.0,60.0,"
                               "65.0,70.0,75.0"
                            << 527;
    }
    void excursionAxis() {
        QFETCH(int, dbPerDiv);
        QFETCH(QString, labels);
        QFETCH(int, xmaxY);
        Drawing d;
        Draw(d, Analysed(BoxKind::Sealed), Graph::Excursion, dbPerDiv);
        QCOMPARE(LeftLabels(d.surface.ops).join(','), labels);
        QCOMPARE(LinesIn(d.surface.ops, kReferencePen), QList<int>{xmaxY});
        const auto* unit = TextAt(d.surface.ops, 34, 62);
        QVERIFY(unit != nullptr);
        QCOMPARE(unit->text, std::string("mm"));
    }

    // An Xmax above the preset's axis takes the next step that shows it:
    // 8 mm needs 1 mm per division at the first preset, 25 mm 2 mm.
    void excursionAxisShowsXmax_data() {
        QTest::addColumn<double>("xmaxInches");
        QTest::addColumn<int>("dbPerDiv");
        QTest::addColumn<double>("step");
        QTest::newRow("7.4 mm fits") << 7.4 / 25.4 << 1 << 0.5;
        QTest::newRow("8 mm") << 8 / 25.4 << 1 << 1.0;
        QTest::newRow("25 mm") << 25 / 25.4 << 1 << 2.0;
        QTest::newRow("25 mm at 5") << 25 / 25.4 << 5 << 2.0;
        QTest::newRow("100 mm, the largest step") << 100 / 25.4 << 1 << 5.0;
    }
    void excursionAxisShowsXmax() {
        QFETCH(double, xmaxInches);
        QFETCH(int, dbPerDiv);
        QFETCH(double, step);
        SpeakerDesign d = Analysed(BoxKind::Sealed);
        d.m_xmax = xmaxInches;
        QCOMPARE(AxesForGraph(ComputeGraphCurves(Graph::Excursion, d), dbPerDiv).left.step, step);
    }

    // 17 m/s on 2 m/s per division: 17 px per m/s, 600 - 30 - 289.
    void velocityReferenceAndChambers() {
        Drawing d;
        Draw(d, Analysed(BoxKind::Vented), Graph::Velocity);
        QCOMPARE(LinesIn(d.surface.ops, kReferencePen), QList<int>{281});
        QCOMPARE(LeftLabels(d.surface.ops).front(), QString("0"));
        QCOMPARE(LeftLabels(d.surface.ops).back(), QString("30"));

        // Both chambers of a 6th-order box with ports: chamber 2 dashed.
        SpeakerDesign six = Analysed(BoxKind::Bandpass6);
        six.m_extras.portDiameter = 2;
        six.m_extras.port2Diameter = 3;
        Drawing both;
        Draw(both, six, Graph::Velocity);
        const auto lines = both.surface.Of(Kind::Line);
        QVERIFY(std::any_of(lines.begin(), lines.end(),
                            [](const auto& op) { return op.pen == kDashedCurvePen; }));
        QVERIFY(std::any_of(lines.begin(), lines.end(),
                            [](const auto& op) { return op.pen == kCurvePen; }));
    }

    // The phase on the right: -90° at the bottom line, 90° at the top one,
    // right-aligned to the window's edge (6 units a character, less one).
    void impedanceRightScale() {
        Drawing d;
        Draw(d, Analysed(BoxKind::Sealed), Graph::Impedance);
        QVERIFY(d.axes && d.axes->right);
        const auto* bottom = TextAt(d.surface.ops, 800 - 3 - 17, 562);
        QVERIFY(bottom != nullptr);
        QCOMPARE(bottom->text, std::string("-90"));
        const auto* top = TextAt(d.surface.ops, 800 - 3 - 11, 52);
        QVERIFY(top != nullptr);
        QCOMPARE(top->text, std::string("90"));
        QVERIFY(TextAt(d.surface.ops, 34, 62) != nullptr); // "Ω"
        const auto lines = d.surface.Of(Kind::Line);
        QVERIFY(std::any_of(lines.begin(), lines.end(),
                            [](const auto& op) { return op.pen == kDashedCurvePen; }));
    }

    // Maximum power on a right-hand watt scale of 1-2-5 steps that holds it.
    void maximumSplWatts() {
        Drawing d;
        Draw(d, Analysed(BoxKind::Sealed), Graph::MaxSpl);
        QVERIFY(d.axes && d.axes->right);
        // Pe 100 W caps the power: 100/15 rounds up to a 10 W step.
        QCOMPARE(d.axes->right->step, 10.0);
        QCOMPARE(d.axes->right->span, 150.0);
        QCOMPARE(std::string(d.axes->right->unit), std::string("W"));
    }

    // A level in dB: the preset's step, the top the first line above the curve.
    void splAxisHoldsTheCurve_data() {
        QTest::addColumn<int>("dbPerDiv");
        QTest::newRow("1") << 1;
        QTest::newRow("5") << 5;
    }
    void splAxisHoldsTheCurve() {
        QFETCH(int, dbPerDiv);
        const SpeakerDesign design = Analysed(BoxKind::Sealed);
        const GraphCurves curves = ComputeGraphCurves(Graph::Spl, design);
        const Analysis a = *Analysis::Prepare(design);
        double largest = -1e9;
        for (int64_t f = a.Sweep().first; f < a.Sweep().last; ++f)
            largest = std::max(largest, a.Row(int32_t(f), Analysis::kSpl).spl);
        const GraphAxes axes = AxesForGraph(curves, dbPerDiv);
        QCOMPARE(axes.left.step, double(dbPerDiv));
        QCOMPARE(axes.left.span, 15.0 * dbPerDiv);
        const double top = axes.left.bottom + axes.left.span;
        QVERIFY(top >= largest);
        QVERIFY(top - largest < dbPerDiv);
        QCOMPARE(std::fmod(top, double(dbPerDiv)), 0.0);
    }

    // Curves drawn over a graph keep its axes, whatever the new design needs.
    void overlaysKeepTheAxes() {
        Drawing d;
        Draw(d, Analysed(BoxKind::Sealed), Graph::Spl);
        const GraphAxes first = *d.axes;
        SpeakerDesign louder = Analysed(BoxKind::Sealed);
        louder.m_extras.power = 100; // 20 dB more
        Draw(d, louder, Graph::Spl);
        QCOMPARE(d.axes->left.bottom, first.left.bottom);
        Drawing fresh;
        Draw(fresh, louder, Graph::Spl);
        QCOMPARE(fresh.axes->left.bottom, first.left.bottom + 20);
    }

    // What is missing, in one sentence in the plot area; no level axis.
    void missingValueSentence_data() {
        QTest::addColumn<int>("graph");
        QTest::addColumn<int>("what");
        QTest::addColumn<QString>("sentence");
        // what: 0 no cone diameter, Qes or efficiency; 1 no Re; 2 sealed; 3 no limit
        QTest::newRow("excursion") << int(Graph::Excursion) << 0
                                   << "Cone excursion needs the cone diameter and Qes or the "
                                      "efficiency.";
        QTest::newRow("impedance") << int(Graph::Impedance) << 1 << "The impedance needs Re.";
        QTest::newRow("velocity sealed")
            << int(Graph::Velocity) << 2
            << "Port air velocity needs a vented chamber with a port diameter.";
        QTest::newRow("max spl") << int(Graph::MaxSpl) << 3 << "The maximum SPL needs Pe or Xmax.";
        QTest::newRow("velocity, no port diameter")
            << int(Graph::Velocity) << 4
            << "Port air velocity needs a vented chamber with a port diameter. Enter the port "
               "diameter in Options \u25b8 Analysis Settings.";
    }
    void missingValueSentence() {
        QFETCH(int, graph);
        QFETCH(int, what);
        QFETCH(QString, sentence);
        SpeakerDesign design = Analysed(BoxKind::Sealed);
        if (what == 0) {
            design = ReferenceDesign(BoxKind::Sealed);
        } else if (what == 1) {
            design.m_extras.re.reset();
        } else if (what == 3) {
            design.m_extras.pe.reset();
            design.m_xmax = 0;
        } else if (what == 4) {
            design = AnalysedDesign(BoxKind::Vented);
        }
        Drawing d;
        Draw(d, design, static_cast<Graph>(graph));
        const auto* text = TextAt(d.surface.ops, 40, 70);
        QVERIFY(text != nullptr);
        QCOMPARE(QString::fromStdString(text->text), sentence);
        QVERIFY(LeftLabels(d.surface.ops).isEmpty());
        QVERIFY(!d.axes);
        // The frame and the frequency grid stay.
        QVERIFY(d.surface.Of(Kind::Line).size() > 3);
    }

    // The read-out at 20 Hz of the analysis's reference sealed box (SPL
    // 71.2675 dB, 0.999733 mm, 7.03558 Ω at 22.2784°, 4.90763 ms, 40.3441 W
    // for 87.3253 dB), rounded to whole hertz from the pointer's frequency.
    void readout_data() {
        QTest::addColumn<int>("graph");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<QString>("text");
        QTest::newRow("spl") << int(Graph::Spl) << 20.4 << "20 Hz   71.3 dB SPL";
        QTest::newRow("excursion") << int(Graph::Excursion) << 19.6 << "20 Hz   1.00 mm";
        QTest::newRow("impedance")
            << int(Graph::Impedance) << 20.0 << "20 Hz   7.0 \u03a9   22\u00b0";
        QTest::newRow("delay") << int(Graph::Delay) << 20.0 << "20 Hz   4.9 ms";
        QTest::newRow("max spl") << int(Graph::MaxSpl) << 20.0 << "20 Hz   87.3 dB SPL   40 W";
        QTest::newRow("below the sweep") << int(Graph::Spl) << 19.4 << "";
    }
    void readout() {
        QFETCH(int, graph);
        QFETCH(double, frequency);
        QFETCH(QString, text);
        const GraphCurves curves =
            ComputeGraphCurves(static_cast<Graph>(graph), Analysed(BoxKind::Sealed));
        QCOMPARE(QString::fromStdString(ReadoutText(curves, frequency)), text);
    }

    // The response read-out writes a true minus sign.
    void responseReadoutMinus() {
        SpeakerDesign d = ReferenceDesign(BoxKind::Sealed);
        ApplyAutomaticValues(d, false);
        const GraphCurves curves = ComputeGraphCurves(Graph::Response, d);
        const std::string text = ReadoutText(curves, 20);
        QVERIFY2(text.rfind("20 Hz   \u2212", 0) == 0, text.c_str());
        QVERIFY(text.size() > 3 && text.substr(text.size() - 3) == " dB");
    }

    // The pointer's x back to a frequency: the frame's edges are the range's
    // ends, a decade is 370 px on 800 x 600 over 20 to 2000 Hz.
    void frequencyAtPixel() {
        const SpeakerDesign d = ReferenceDesign(BoxKind::Sealed);
        QCOMPARE(*PlotFrequencyAt(d, 800, 600, 30, 300), 20.0);
        QVERIFY(std::fabs(*PlotFrequencyAt(d, 800, 600, 400, 300) - 200) < 1e-9);
        QVERIFY(std::fabs(*PlotFrequencyAt(d, 800, 600, 770, 300) - 2000) < 1e-9);
        QVERIFY(!PlotFrequencyAt(d, 800, 600, 29, 300));
        QVERIFY(!PlotFrequencyAt(d, 800, 600, 400, 59)); // the form above the plot
        QVERIFY(!PlotFrequencyAt(d, 800, 600, 400, 571));
    }

    // Figures that a builder reads first.
    void figureLines() {
        const GraphCurves excursion =
            ComputeGraphCurves(Graph::Excursion, Analysed(BoxKind::Sealed));
        QVERIFY2(excursion.figure.rfind("Peak excursion ", 0) == 0, excursion.figure.c_str());
        QVERIFY(excursion.figure.find("(Xmax 6.35 mm) at 1 W") != std::string::npos);
        SpeakerDesign z = Analysed(BoxKind::Sealed);
        const GraphCurves impedance = ComputeGraphCurves(Graph::Impedance, z);
        // Without Le the magnitude falls toward Re above resonance; with Le it
        // rises again, to 126 Ω at 20 kHz: Zmin is where it turns.
        QCOMPARE(impedance.figure, std::string("Zmin 6.0 \u03a9 at 1999 Hz"));
        z.m_extras.le = 1;
        z.m_freqHigh = 20001;
        int at = 0;
        QVERIFY(std::sscanf(ComputeGraphCurves(Graph::Impedance, z).figure.c_str(),
                            "Zmin 6.%*d \u03a9 at %d Hz", &at) == 1);
        const Analysis a = *Analysis::Prepare(z);
        QVERIFY(a.Row(at - 1).ohms > a.Row(at).ohms && a.Row(at + 1).ohms > a.Row(at).ohms);
        // At f3 of the SPL at 1 W, where Xmax allows less than Pe.
        const GraphCurves most = ComputeGraphCurves(Graph::MaxSpl, Analysed(BoxKind::Sealed));
        QVERIFY2(most.figure.rfind("Maximum SPL ", 0) == 0 &&
                     most.figure.find(" dB at f3 ") != std::string::npos &&
                     most.figure.ends_with(" W; lumped model, thermal and excursion limits)"),
                 most.figure.c_str());
    }

    // A figure line too long for the window goes on two lines, broken at a
    // blank, where the response plot has its two.
    void figureLineWraps() {
        const SpeakerDesign design = Analysed(BoxKind::Sealed);
        const std::string figure = ComputeGraphCurves(Graph::Excursion, design).figure;
        for (const int width : {1200, 700}) {
            RecordingSurface surface;
            std::optional<GraphAxes> axes;
            SpeakerDesign d = design;
            DrawGraph(surface, d, true, Graph::Excursion, ScaleForDbPerDiv(1), width, 600, axes);
            const auto* first = TextAt(surface.ops, 450, 12);
            const auto* second = TextAt(surface.ops, 450, 27);
            QVERIFY(first != nullptr);
            if (width == 1200) {
                QCOMPARE(first->text, figure);
                QVERIFY(second == nullptr);
                continue;
            }
            QVERIFY(second != nullptr);
            QCOMPARE(first->text + " " + second->text, figure);
            // 6 units a character, less one: the first part fits 700 - 454.
            QVERIFY(6.0 * static_cast<double>(first->text.size()) - 1 <= 246);
        }
    }

    // Graphs without a reference line show their highest value: an
    // impedance peak of 21.6 Ω fits 2 Ω per division, Re 30 Ω needs 10.
    void impedanceAxisHoldsThePeak() {
        SpeakerDesign d = Analysed(BoxKind::Sealed);
        QCOMPARE(AxesForGraph(ComputeGraphCurves(Graph::Impedance, d), 1).left.step, 2.0);
        d.m_extras.re = 30;
        QCOMPARE(AxesForGraph(ComputeGraphCurves(Graph::Impedance, d), 1).left.step, 10.0);
    }
};

QTEST_APPLESS_MAIN(TestGraphs)
#include "test_graphs.moc"
