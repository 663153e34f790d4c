// SPDX-License-Identifier: GPL-3.0-or-later
// The graphs of the analysis: axes, reference lines, missing values,
// read-outs and figure lines.
#include "core/chain/Stages.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/GraphCurves.h"
#include "core/text/NumberText.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

#include <cmath>

using namespace orvane;

using Kind = RecordingSurface::Kind;
using Ops = std::vector<RecordingSurface::Op>;

namespace {

const PenSpec kReferencePen{PenStyle::Dash, 1, {255, 0, 0}};
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
    // Texts as "x,y text", level labels at the left edge bottom first.
    QStringList Texts() const {
        QStringList texts;
        for (const auto& op : surface.Of(Kind::Text))
            texts << QString("%1,%2 %3").arg(op.x).arg(op.y).arg(QString::fromStdString(op.text));
        return texts;
    }
    QString LeftLabels() const {
        return Texts()
            .filter(QRegularExpression("^5,"))
            .replaceInStrings(QRegularExpression("^\\S+ "), "")
            .join(',');
    }
    // The y of the horizontal lines across the frame in a pen.
    QList<int> LinesIn(const PenSpec& pen) const {
        QList<int> ys;
        for (size_t i = 0; i + 1 < surface.ops.size(); ++i) {
            const auto &m = surface.ops[i], &l = surface.ops[i + 1];
            if (m.kind == Kind::Move && l.kind == Kind::Line && l.pen == pen && m.x == 30 &&
                l.x == 770 && m.y == l.y)
                ys << m.y;
        }
        return ys;
    }
    bool Draws(const PenSpec& pen) const {
        const auto lines = surface.Of(Kind::Line);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const auto& op) { return op.pen == pen; });
    }
};

Drawing Draw(SpeakerDesign design, Graph graph, int dbPerDiv = 1, int width = 800) {
    Drawing d;
    DrawGraph(d.surface, design, StoredF1CountsAsEntered(design), graph, ScaleForDbPerDiv(dbPerDiv),
              width, 600, d.axes);
    return d;
}
GraphAxes Axes(Graph graph, const SpeakerDesign& design, int dbPerDiv = 1) {
    return AxesForGraph(ComputeGraphCurves(graph, design), dbPerDiv);
}

} // namespace

class TestGraphs : public QObject {
    Q_OBJECT
private slots:
    void namesRoundTrip() {
        for (const Graph g : kAllGraphs)
            QCOMPARE(GraphFromName(GraphName(g)), std::optional(g));
    }

    // The response graph through DrawGraph is DrawPlot, op for op, with no axes of its own.
    void responseIsThePlot() {
        SpeakerDesign a = WithOutputFigures(ReferenceDesign(BoxKind::Vented)), b = a;
        RecordingSurface plot;
        DrawPlot(plot, a, false, ScaleForDbPerDiv(2), 800, 600);
        Drawing graph = Draw(b, Graph::Response, 2);
        QCOMPARE(graph.surface.ops.size(), plot.ops.size());
        for (size_t i = 0; i < plot.ops.size(); ++i) {
            const auto &g = graph.surface.ops[i], &p = plot.ops[i];
            QVERIFY(g.kind == p.kind && g.x == p.x && g.y == p.y && g.text == p.text &&
                    g.pen == p.pen);
        }
        QVERIFY(!graph.axes);
    }

    // The excursion axis: 0.5/1/2/5 mm per division from 0, fifteen
    // divisions; Xmax 6.35 mm as a dashed red line.
    void excursionAxis_data() {
        QTest::addColumn<int>("dbPerDiv");
        QTest::addColumn<QString>("labels");
        QTest::addColumn<int>("xmaxY");
        // 510 units for 7.5 mm: 68 a mm, Xmax at 600 - 30 - trunc(431.8).
        QTest::newRow("1") << 1 << "0.0,0.5,1.0,1.5,2.0,2.5,3.0,3.5,4.0,4.5,5.0,5.5,6.0,6.5,7.0,7.5"
                           << 139;
        // 510/75 = 6.8 a mm: 600 - 30 - trunc(43.18).
        QTest::newRow("10")
            << 10 << "0.0,5.0,10.0,15.0,20.0,25.0,30.0,35.0,40.0,45.0,50.0,55.0,60.0,65.0,70.0,75.0"
            << 527;
    }
    void excursionAxis() {
        QFETCH(int, dbPerDiv);
        QFETCH(int, xmaxY);
        const Drawing d = Draw(Analysed(BoxKind::Sealed), Graph::Excursion, dbPerDiv);
        QTEST(d.LeftLabels(), "labels");
        QCOMPARE(d.LinesIn(kReferencePen), QList<int>{xmaxY});
        QVERIFY(d.Texts().contains("34,62 mm"));
    }

    // The step of the left axis: an Xmax above the preset's axis takes the
    // next step that shows it; graphs without a reference line show their
    // highest value (an impedance peak of 21.6 Ω fits 2 Ω, Re 30 Ω needs 10).
    void axisSteps_data() {
        QTest::addColumn<int>("graph");
        QTest::addColumn<double>("xmaxMm");
        QTest::addColumn<double>("re");
        QTest::addColumn<int>("dbPerDiv");
        QTest::addColumn<double>("step");
        const int x = int(Graph::Excursion), z = int(Graph::Impedance);
        QTest::newRow("7.4 mm fits") << x << 7.4 << 6.0 << 1 << 0.5;
        QTest::newRow("7.5 mm just fits") << x << 7.5 << 6.0 << 1 << 0.5;
        QTest::newRow("8 mm") << x << 8.0 << 6.0 << 1 << 1.0;
        QTest::newRow("25 mm") << x << 25.0 << 6.0 << 1 << 2.0;
        QTest::newRow("25 mm at 5") << x << 25.0 << 6.0 << 5 << 2.0;
        QTest::newRow("100 mm, the largest step") << x << 100.0 << 6.0 << 1 << 5.0;
        QTest::newRow("impedance peak") << z << 6.35 << 6.0 << 1 << 2.0;
        QTest::newRow("impedance Re 30") << z << 6.35 << 30.0 << 1 << 10.0;
        QTest::newRow("impedance at 10") << z << 6.35 << 6.0 << 10 << 20.0;
        QTest::newRow("delay at 10") << int(Graph::Delay) << 6.35 << 6.0 << 10 << 20.0;
        QTest::newRow("maximum SPL at 10") << int(Graph::MaxSpl) << 6.35 << 6.0 << 10 << 10.0;
    }
    void axisSteps() {
        QFETCH(int, graph);
        QFETCH(double, xmaxMm);
        QFETCH(double, re);
        QFETCH(int, dbPerDiv);
        SpeakerDesign d = Analysed(BoxKind::Sealed);
        d.m_xmax = xmaxMm / 25.4;
        d.m_extras.re = re;
        QTEST(Axes(Graph(graph), d, dbPerDiv).left.step, "step");
    }

    // 17 m/s on 2 m/s per division: 17 units per m/s, 600 - 30 - 289. Both
    // chambers of a 6th-order box with ports, chamber 2 dashed.
    void velocity() {
        const Drawing d = Draw(Analysed(BoxKind::Vented), Graph::Velocity);
        QCOMPARE(d.LinesIn(kReferencePen), QList<int>{281});
        QCOMPARE(d.LeftLabels(), "0,2,4,6,8,10,12,14,16,18,20,22,24,26,28,30");
        SpeakerDesign six = Analysed(BoxKind::Bandpass6);
        six.m_extras.portDiameter = 2;
        six.m_extras.port2Diameter = 3;
        const Drawing both = Draw(six, Graph::Velocity);
        QVERIFY(both.Draws(kDashedCurvePen) && both.Draws({PenStyle::Solid, 1, {0, 0, 255}}));
        // The figure names the fastest port where there are two.
        const QString one = QString::fromStdString(
            ComputeGraphCurves(Graph::Velocity, Analysed(BoxKind::Vented)).figure);
        const QString two = QString::fromStdString(ComputeGraphCurves(Graph::Velocity, six).figure);
        QVERIFY2(one.startsWith("Port velocity ") && one.endsWith(" Hz"), qPrintable(one));
        QVERIFY2(two.startsWith("Port velocity ") && two.contains(" Hz (port "), qPrintable(two));
    }

    // Right-hand scales: the phase, -90° at the bottom line and 90° at the
    // top, right-aligned to the window's edge (6 units a character, less
    // one), drawn dashed; the maximum power on a watt scale of 1-2-5 steps
    // that holds Pe (30 W: a 2 W step, 100 W: 10 W, 300 W: 20 W).
    void rightScales() {
        const Drawing z = Draw(Analysed(BoxKind::Sealed), Graph::Impedance);
        QVERIFY(z.axes && z.axes->right && z.Draws(kDashedCurvePen));
        QVERIFY(z.Texts().contains("780,562 -90") && z.Texts().contains("786,52 90"));
        QVERIFY(z.Texts().contains("34,62 \u03a9"));
        SpeakerDesign c = Analysed(BoxKind::Sealed); // a phase turning 360°: drawn in parts
        c.m_extras.chain.stages = {*ParseStage("hp:bw4:40")};
        const Ops ops = Draw(c, Graph::Chain).surface.ops;
        for (size_t i = 1; i < ops.size(); ++i)
            QVERIFY(ops[i].kind != Kind::Line || ops[i].pen != kDashedCurvePen ||
                    std::abs(ops[i].y - ops[i - 1].y) < 255);
        const Drawing w = Draw(Analysed(BoxKind::Sealed), Graph::MaxSpl);
        QVERIFY(w.axes && w.axes->right);
        QVERIFY(w.axes->right->step == 10.0 && w.axes->right->span == 150.0);
        QCOMPARE(std::string(w.axes->right->unit), std::string("W"));
        for (const auto& [pe, step] : {std::pair{30.0, 2.0}, {300.0, 20.0}}) {
            SpeakerDesign d = Analysed(BoxKind::Sealed);
            d.m_extras.pe = pe;
            QCOMPARE(Axes(Graph::MaxSpl, d).right->step, step);
        }
    }

    // A level in dB: the preset's step, the top the first line above the
    // curve; curves drawn over a graph keep its axes.
    void splAxis() {
        const SpeakerDesign design = Analysed(BoxKind::Sealed);
        for (const Graph graph : {Graph::Spl, Graph::MaxSpl}) {
            const GraphCurves curves = ComputeGraphCurves(graph, design);
            std::vector<double> values;
            curves.Values(curves.sweep.first, std::size_t(curves.sweep.last - curves.sweep.first),
                          values);
            const double largest = *std::max_element(
                values.begin(), values.begin() + (curves.sweep.last - curves.sweep.first));
            for (const int dbPerDiv : {1, 5}) {
                const LevelAxis axis = AxesForGraph(curves, dbPerDiv).left;
                const double top = axis.bottom + axis.span;
                QVERIFY(axis.step == dbPerDiv && axis.span == 15.0 * dbPerDiv);
                QVERIFY(top >= largest && top - largest < dbPerDiv &&
                        std::fmod(top, dbPerDiv) == 0);
            }
        }
        Drawing d = Draw(design, Graph::Spl);
        const double first = d.axes->left.bottom;
        SpeakerDesign louder = design;
        louder.m_extras.power = 100; // 20 dB more: wholly above the top, left out
        DrawGraph(d.surface, louder, false, Graph::Spl, ScaleForDbPerDiv(1), 800, 600, d.axes);
        QCOMPARE(d.axes->left.bottom, first);
        const auto lines = d.surface.Of(Kind::Line);
        QVERIFY(std::all_of(lines.begin(), lines.end(), [](const auto& op) { return op.y >= 60; }));
        // 3 dB louder: the part above the top runs to the frame's edge.
        SpeakerDesign twice = design;
        twice.m_extras.power = 2;
        Drawing both = Draw(design, Graph::Spl);
        DrawGraph(both.surface, twice, false, Graph::Spl, ScaleForDbPerDiv(1), 800, 600, both.axes);
        const auto edge = both.surface.Of(Kind::Line);
        QVERIFY(std::any_of(edge.begin(), edge.end(), [](const auto& op) {
            return op.y == 60 && op.x > 30 && op.pen == PenSpec{PenStyle::Solid, 1, {0, 0, 255}};
        }));
        QCOMPARE(Draw(louder, Graph::Spl).axes->left.bottom, first + 20);
        // A louder curve widens the axes to its own; a quieter one needs nothing.
        const auto wider = WiderAxes(*d.axes, ComputeGraphCurves(Graph::Spl, louder), 1);
        QVERIFY(wider && wider->left.bottom == first + 20 && wider->left.step == 1);
        QVERIFY(!WiderAxes(*wider, ComputeGraphCurves(Graph::Spl, design), 1));
    }

    // An axis holds the reference line and the curve's peak, the excursion's
    // up to four times Xmax: at 200 W the port's 40 m/s needs 5 m/s a
    // division; 2 mm Xmax caps the excursion's 24 mm at 8 mm, so 1 mm.
    void axisHoldsThePeak_data() {
        QTest::addColumn<int>("graph");
        QTest::addColumn<double>("xmaxMm");
        QTest::addColumn<double>("step");
        QTest::newRow("velocity") << int(Graph::Velocity) << 6.35 << 5.0;
        QTest::newRow("excursion, capped") << int(Graph::Excursion) << 2.0 << 1.0;
        QTest::newRow("excursion, Xmax above") << int(Graph::Excursion) << 20.0 << 2.0;
    }
    void axisHoldsThePeak() {
        QFETCH(int, graph);
        QFETCH(double, xmaxMm);
        SpeakerDesign d = Analysed(BoxKind::Vented);
        d.m_extras.power = 200;
        d.m_xmax = xmaxMm / 25.4;
        const GraphCurves curves = ComputeGraphCurves(Graph(graph), d);
        const LevelAxis axis = AxesForGraph(curves, 1).left;
        QTEST(axis.step, "step");
        const double cap = graph == int(Graph::Excursion) ? 4 * xmaxMm : 1e9;
        QVERIFY(axis.span >= std::min(curves.series[0].largest, cap) &&
                axis.span >= *curves.reference);
    }

    // What is missing, in one sentence in the plot area; no level axis; the
    // frame and the frequency grid stay.
    void missingValueSentence_data() {
        QTest::addColumn<int>("graph");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("excursion")
            << int(Graph::Excursion)
            << "Cone excursion needs the cone diameter and Qes or the efficiency.";
        QTest::newRow("impedance") << int(Graph::Impedance) << "The impedance needs Re.";
        QTest::newRow("velocity")
            << int(Graph::Velocity)
            << "Port air velocity needs a vented chamber with a port diameter.";
        QTest::newRow("max spl") << int(Graph::MaxSpl) << "The maximum SPL needs Pe or Xmax.";
        QTest::newRow("excursion, Qes at Qts") << int(Graph::Excursion)
                                               << "Cone excursion needs the cone diameter and Qes "
                                                  "(entered, or from the efficiency) above Qts.";
        QTest::newRow("velocity, no port diameter")
            << int(Graph::Velocity)
            << "Port air velocity needs a vented chamber with a port diameter. Enter the port "
               "diameter in Options \u25b8 Analysis Settings.";
    }
    void missingValueSentence() {
        QFETCH(int, graph);
        SpeakerDesign design = Analysed(BoxKind::Sealed);
        if (graph == int(Graph::Excursion))
            design = ReferenceDesign(BoxKind::Sealed);
        if (QTest::currentDataTag() == QByteArray("excursion, Qes at Qts"))
            design.m_extras.qes = design.m_qts;
        if (QTest::currentDataTag() == QByteArray("velocity, no port diameter"))
            design = AnalysedDesign(BoxKind::Vented);
        design.m_extras.re.reset();
        design.m_extras.pe.reset();
        design.m_xmax = 0;
        const Drawing d = Draw(design, Graph(graph));
        QFETCH(QString, sentence);
        QVERIFY2(d.Texts().contains("40,70 " + sentence), qPrintable(d.Texts().join('|')));
        QVERIFY(d.LeftLabels().isEmpty() && !d.axes && d.surface.Of(Kind::Line).size() > 3);
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
        const GraphCurves curves = ComputeGraphCurves(Graph(graph), Analysed(BoxKind::Sealed));
        QTEST(QString::fromStdString(ReadoutText(curves, frequency)), "text");
    }

    // The response read-out writes a true minus sign; the pointer's x goes
    // back to a frequency, the frame's edges being the range's ends (a decade
    // is 370 units on 800 x 600 over 20 to 2000 Hz).
    void responseReadoutAndPointer() {
        SpeakerDesign d = ReferenceDesign(BoxKind::Sealed);
        ApplyAutomaticValues(d, false);
        const QString text =
            QString::fromStdString(ReadoutText(ComputeGraphCurves(Graph::Response, d), 20));
        QVERIFY2(text.startsWith("20 Hz   \u2212") && text.endsWith(" dB"), qPrintable(text));
        QCOMPARE(*PlotFrequencyAt(d, 800, 600, 30, 300), 20.0);
        QVERIFY(std::fabs(*PlotFrequencyAt(d, 800, 600, 400, 300) - 200) < 1e-9);
        QVERIFY(std::fabs(*PlotFrequencyAt(d, 800, 600, 770, 570) - 2000) < 1e-9);
        for (const auto& [x, y] : {std::pair{29, 300}, {400, 59}, {400, 571}, {771, 300}})
            QVERIFY(!PlotFrequencyAt(d, 800, 600, x, y));
    }

    // Figures that a builder reads first. A figure line too long for the
    // window goes on two lines, broken at a blank, where the response plot
    // has its two; the first part fits (6 units a character, less one).
    void figureLines() {
        const std::string excursion =
            ComputeGraphCurves(Graph::Excursion, Analysed(BoxKind::Sealed)).figure;
        QVERIFY2(excursion.rfind("Peak excursion ", 0) == 0 &&
                     excursion.find("(Xmax 6.35 mm) at 1 W") != std::string::npos,
                 excursion.c_str());
        // Without Le the magnitude falls toward Re above resonance.
        QCOMPARE(ComputeGraphCurves(Graph::Impedance, Analysed(BoxKind::Sealed)).figure,
                 std::string("Zmin 6.0 \u03a9 at 1999 Hz"));
        const std::string most =
            ComputeGraphCurves(Graph::MaxSpl, Analysed(BoxKind::Sealed)).figure;
        QVERIFY2(most.rfind("Maximum SPL ", 0) == 0 &&
                     most.find(" dB at f3 ") != std::string::npos &&
                     most.ends_with(" W; lumped model, thermal and excursion limits)"),
                 most.c_str());
        // With Le the magnitude rises again above its minimum: Zmin is where it turns.
        SpeakerDesign z = Analysed(BoxKind::Sealed);
        z.m_extras.le = 1;
        z.m_freqHigh = 20001;
        int at = 0;
        QVERIFY(std::sscanf(ComputeGraphCurves(Graph::Impedance, z).figure.c_str(),
                            "Zmin 6.%*d \u03a9 at %d Hz", &at) == 1);
        const Analysis a = *Analysis::Prepare(z);
        QVERIFY(a.Row(at - 1).ohms > a.Row(at).ohms && a.Row(at + 1).ohms > a.Row(at).ohms);
        QVERIFY(Draw(Analysed(BoxKind::Sealed), Graph::Excursion, 1, 1200)
                    .Texts()
                    .contains("450,12 " + QString::fromStdString(excursion)));
        const QStringList texts = Draw(Analysed(BoxKind::Sealed), Graph::Excursion, 1, 700).Texts();
        const QString first = texts.filter(QRegularExpression("^450,12 ")).value(0).mid(7);
        const QString second = texts.filter(QRegularExpression("^450,27 ")).value(0).mid(7);
        QCOMPARE(first + " " + second, QString::fromStdString(excursion));
        QVERIFY(6 * first.size() - 1 <= 700 - 454); // the longest first part that fits
        QVERIFY(6 * (first.size() + 1 + second.indexOf(' ')) - 1 > 700 - 454);
        const int exact = 454 + 6 * int(excursion.size()) - 1; // where it just fits
        QVERIFY(Draw(Analysed(BoxKind::Sealed), Graph::Excursion, 1, exact)
                    .Texts()
                    .contains("450,12 " + QString::fromStdString(excursion)));
    }

    // Two designs' excursion as CSV: each under its own heading, to the bit,
    // and empty cells below the second one's sweep.
    void graphCsv() {
        SpeakerDesign a = Analysed(BoxKind::Sealed), b = a;
        b.m_freqLow = a.m_freqLow + 10;
        const GraphCurves ca = ComputeGraphCurves(Graph::Excursion, a);
        const QStringList rows =
            QString::fromStdString(GraphCsv({ca, ComputeGraphCurves(Graph::Excursion, b)}))
                .split('\n');
        QCOMPARE(rows[0], "frequency (Hz),excursion (mm),excursion (mm) 2");
        std::vector<double> v;
        ca.Values(ca.sweep.first + 12, 1, v);
        QCOMPARE(rows[13], QString("%1,%2,%2")
                               .arg(ca.sweep.first + 12)
                               .arg(QString::fromStdString(ShortestText(v[0]))));
        QVERIFY(rows[1].endsWith(',') && rows[1].count(',') == 2);
    }
};

QTEST_APPLESS_MAIN(TestGraphs)
#include "test_graphs.moc"
