#include "RecordingSurface.h"
#include "sim/DrawPlot.h"
#include "sim/OutputLimits.h"

#include <QtTest>
#include <cmath>
#include <limits>

using Kind = RecordingSurface::Kind;

namespace {

const PenSpec kFramePen{PenStyle::Solid, 3, {0, 0, 0}};
const PenSpec kGridPen{PenStyle::Solid, 1, {0, 128, 0}};
const PenSpec kCurvePen{PenStyle::Solid, 1, {0, 0, 255}};
const PenSpec kZeroPen{PenStyle::Solid, 2, {0, 0, 0}};
const PenSpec kMinus3Pen{PenStyle::Dash, 1, {0, 128, 0}};
const FontSpec kLabelFont{"Arial", 12, 400};

SpeakerDesign Reference(std::string_view type) {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_v1 = 1.5;
    d.m_boxType = std::string(type);
    return d;
}

// Index of the first text drawn at the figure lines' place, or ops.size().
size_t FigureIndex(const std::vector<RecordingSurface::Op>& ops) {
    for (size_t i = 0; i < ops.size(); ++i)
        if (ops[i].kind == Kind::Text && ops[i].x == 450 && ops[i].y == 12)
            return i;
    return ops.size();
}

// The level lines: each MoveTo at the left frame with a LineTo to the right.
struct LevelLine {
    int y;
    std::optional<PenSpec> pen;
    std::string label;
    int labelX, labelY;
};

std::vector<LevelLine> LevelLines(const std::vector<RecordingSurface::Op>& ops, int width) {
    std::vector<LevelLine> lines;
    for (size_t i = 0; i + 2 < ops.size(); ++i) {
        const auto& m = ops[i];
        const auto& l = ops[i + 1];
        const auto& t = ops[i + 2];
        if (m.kind == Kind::Move && l.kind == Kind::Line && t.kind == Kind::Text && m.x == 30 &&
            l.x == width - 30 && m.y == l.y)
            lines.push_back({m.y, l.pen, t.text, t.x, t.y});
    }
    return lines;
}

struct FreqLine {
    int x;
    std::optional<PenSpec> pen;
    std::string label;
    int labelX, labelY;
};

std::vector<FreqLine> FreqLines(const std::vector<RecordingSurface::Op>& ops, int height) {
    std::vector<FreqLine> lines;
    for (size_t i = 0; i + 2 < ops.size(); ++i) {
        const auto& m = ops[i];
        const auto& l = ops[i + 1];
        const auto& t = ops[i + 2];
        if (m.kind == Kind::Move && l.kind == Kind::Line && t.kind == Kind::Text && m.y == 60 &&
            l.y == height - 30 && m.x == l.x)
            lines.push_back({m.x, l.pen, t.text, t.x, t.y});
    }
    return lines;
}

} // namespace

class TestDrawPlot : public QObject {
    Q_OBJECT
private slots:
    void example800x600() {
        RecordingSurface s;
        SpeakerDesign d = Reference("Sealed");
        const AutoValue av = DrawPlot(s, d, false, PlotScale{}, 800, 600);
        QCOMPARE(av.entry, AutoEntry::F1);
        QVERIFY(std::fabs(av.value - 51.96) < 0.01);
        QCOMPARE(d.m_f1, av.value);

        // Frame with its top edge open, in the 3-wide black pen.
        const auto& ops = s.ops;
        QVERIFY(ops.size() > 4);
        QCOMPARE(ops[0].kind, Kind::Move);
        QCOMPARE(QPoint(ops[0].x, ops[0].y), QPoint(30, 60));
        const QPoint corners[] = {{30, 570}, {770, 570}, {770, 60}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(ops[1 + i].kind, Kind::Line);
            QCOMPARE(QPoint(ops[1 + i].x, ops[1 + i].y), corners[i]);
            QCOMPARE(ops[1 + i].pen, std::optional(kFramePen));
        }

        // Level grid: pxPerDb 34, labels -10.0 .. 5.0 at x = 5 in the label font.
        const auto levels = LevelLines(ops, 800);
        QCOMPARE(levels.size(), size_t(16));
        for (int g = 0; g < 16; ++g) {
            const LevelLine& l = levels[size_t(g)];
            QCOMPARE(l.y, 600 - 34 * g - 30);
            char label[16];
            std::snprintf(label, sizeof label, "%.1f", -10.0 + g);
            QCOMPARE(QString::fromStdString(l.label), QString(label));
            QCOMPARE(l.labelX, 5);
            QCOMPARE(l.labelY, l.y - 8);
            const PenSpec expected = g == 10 ? kZeroPen : g == 7 ? kMinus3Pen : kGridPen;
            QCOMPARE(l.pen, std::optional(expected));
        }
        QCOMPARE(levels[10].y, 230);
        for (const auto& op : s.Of(Kind::Text))
            if (op.x == 5)
                QCOMPARE(op.font, std::optional(kLabelFont));

        // Frequency grid: 20..90, 100..900, 1K; 100 Hz at x = 288; fHigh has no line.
        const auto freqs = FreqLines(ops, 600);
        QStringList labels;
        for (const auto& f : freqs)
            labels << QString::fromStdString(f.label);
        QCOMPARE(labels.join(','), QString("20,30,40,50,60,70,80,90,100,200,300,400,500,600,700,"
                                           "800,900,1K"));
        QCOMPARE(freqs[0].x, 30); // fLow on the left frame line
        QCOMPARE(freqs[8].x, 288);
        QCOMPARE(freqs[8].labelX, 283);
        QCOMPARE(freqs[8].labelY, 575);
        QCOMPARE(freqs[17].x, int(std::trunc(std::log10(1000.0 / 20) * 370)) + 30);
        for (const auto& f : freqs)
            QCOMPARE(f.pen, std::optional(kGridPen)); // the pen the topmost level line left

        // Figure lines in the surface's own font, then the curve in blue.
        const size_t fig = FigureIndex(ops);
        QVERIFY(fig + 1 < ops.size());
        const SealedAlignment a = ComputeSealedAlignment(d);
        const FigureTexts texts = FigureLines(d, a, ComputeOutputLimits(d, a)).value();
        QCOMPARE(ops[fig].text, texts.line1);
        QCOMPARE(QPoint(ops[fig + 1].x, ops[fig + 1].y), QPoint(450, 27));
        QCOMPARE(ops[fig + 1].text, texts.line2);
        QVERIFY(!ops[fig].font && !ops[fig + 1].font);
        const size_t curveOps = ops.size() - fig - 2;
        QCOMPARE(curveOps, size_t(1980));
        QCOMPARE(ops[fig + 2].kind, Kind::Move);
        QCOMPARE(ops[fig + 2].pen, std::optional(kCurvePen));
        // 1000 Hz: x as the grid's, y from the level.
        const double level = LevelAt(d, a, 1000).value();
        const auto& p1000 = ops[fig + 2 + 980];
        QCOMPARE(p1000.x, freqs[17].x);
        QCOMPARE(p1000.y, 600 - int(std::trunc((level + 10) * 34)) - 30);
        QCOMPARE(p1000.kind, Kind::Line);

        // The caller's pen is selected again and every created object is gone:
        // a new pen reuses the first slot.
        QVERIFY(s.SelectedPen() == nullptr);
        QVERIFY(s.SelectedFont() == nullptr);
        QCOMPARE(s.CreatePen(kGridPen), 1);
        QCOMPARE(s.CreateFont(kLabelFont), 1);
    }

    void presets_data() {
        QTest::addColumn<int>("dbPerDiv");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("dashed");
        QTest::newRow("1") << 1 << "-10.0"
                           << "5.0" << 16 << true;
        QTest::newRow("2") << 2 << "-20.0"
                           << "10.0" << 16 << false;
        QTest::newRow("5") << 5 << "-50.0"
                           << "25.0" << 16 << false;
        QTest::newRow("10") << 10 << "-100.0"
                            << "50.0" << 16 << false;
        QTest::newRow("other is 1") << 3 << "-10.0"
                                    << "5.0" << 16 << true;
    }
    void presets() {
        QFETCH(int, dbPerDiv);
        RecordingSurface s;
        SpeakerDesign d = Reference("Sealed");
        const PlotScale scale = ScaleForDbPerDiv(dbPerDiv);
        DrawPlot(s, d, false, scale, 800, 600);
        const auto levels = LevelLines(s.ops, 800);
        QFETCH(int, count);
        QCOMPARE(int(levels.size()), count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QCOMPARE(QString::fromStdString(levels.front().label), first);
        QCOMPARE(QString::fromStdString(levels.back().label), last);
        bool anyDashed = false, zeroLine = false;
        for (const auto& op : s.ops) {
            anyDashed = anyDashed || (op.pen && op.pen->style == PenStyle::Dash);
        }
        for (const auto& l : levels)
            if (l.label == "0.0")
                zeroLine = l.pen == std::optional(kZeroPen) && l.y == 230;
        QTEST(anyDashed, "dashed");
        QVERIFY(zeroLine); // every preset puts 0 dB at the same height
    }

    // The vertical lines use whatever pen the topmost level line left.
    void verticalLinesKeepLastLevelPen_data() {
        QTest::addColumn<double>("bottom");
        QTest::addColumn<double>("span");
        QTest::addColumn<int>("style"); // 0 grid, 1 zero, 2 minus-3
        QTest::newRow("top line 0 dB") << -15.0 << 15.0 << 1;
        QTest::newRow("top line -3 dB") << -18.0 << 15.0 << 2;
        QTest::newRow("no level lines") << -10.0 << -1.0 << 0;
        QTest::newRow("default") << -10.0 << 15.0 << 0;
    }
    void verticalLinesKeepLastLevelPen() {
        QFETCH(double, bottom);
        QFETCH(double, span);
        QFETCH(int, style);
        RecordingSurface s;
        SpeakerDesign d = Reference("Sealed");
        DrawPlot(s, d, false, PlotScale{bottom, span, 1}, 800, 600);
        const auto freqs = FreqLines(s.ops, 600);
        QCOMPARE(freqs.size(), size_t(18));
        const PenSpec expected[] = {kGridPen, kZeroPen, kMinus3Pen};
        for (const auto& f : freqs)
            QCOMPARE(f.pen, std::optional(expected[style]));
        if (span < 0)
            QVERIFY(LevelLines(s.ops, 800).empty());
    }

    // A point below the scale (or not a number) only moves; the first
    // frequency always moves; everything else draws, above the scale too.
    void curveMoveDrawRule_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("v1");
        QTest::addColumn<double>("v2");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("f2");
        QTest::addColumn<double>("bottom");
        QTest::addColumn<int>("entries"); // times the curve comes in from below
        QTest::addColumn<int>("exits");   // times it drops below the scale
        QTest::newRow("sealed enters from below")
            << "Sealed" << 1.5 << 0.0 << 0.0 << 0.0 << -10.0 << 1 << 0;
        QTest::newRow("vented leaves through the bottom")
            << "Vented" << 2.0 << 0.0 << 40.0 << 0.0 << 1.0 << 1 << 1;
        // Peaks at 44 and 165 Hz with a dip to 2 dB at 79 Hz between them.
        QTest::newRow("bandpass6 gap between two peaks")
            << "Bandpass6" << 3.0 << 0.5 << 40.0 << 150.0 << 4.0 << 2 << 2;
        QTest::newRow("above the top, unclipped")
            << "Vented" << 2.0 << 0.0 << 40.0 << 0.0 << -40.0 << 0 << 0;
        QTest::newRow("equal tunings, every level -inf")
            << "Bandpass6" << 1.0 << 1.5 << 40.0 << 40.0 << -10.0 << 0 << 0;
    }
    void curveMoveDrawRule() {
        QFETCH(QString, type);
        QFETCH(double, bottom);
        QFETCH(int, entries);
        QFETCH(int, exits);
        RecordingSurface s;
        SpeakerDesign d = Reference(type.toStdString());
        QFETCH(double, v1);
        QFETCH(double, v2);
        QFETCH(double, f1);
        QFETCH(double, f2);
        d.m_v1 = v1;
        d.m_v2 = v2;
        d.m_f1 = f1;
        d.m_f2 = f2;
        const PlotScale scale{bottom, 15.0, 1};
        DrawPlot(s, d, true, scale, 800, 600); // a vented box keeps its entered tuning
        const SealedAlignment a =
            d.Kind() == BoxKind::Sealed ? ComputeSealedAlignment(d) : SealedAlignment{};
        const ResponseCurve curve = ComputeCurve(d, a);
        const size_t fig = FigureIndex(s.ops);
        QCOMPARE(s.ops.size() - fig - 2, curve.size());
        const double pxPerDb = 510 / 15.0;
        int in = 0, out = 0, above = 0;
        for (size_t i = 0; i < curve.size(); ++i) {
            const auto& op = s.ops[fig + 2 + i];
            const bool inScale = curve[i].level >= bottom;
            QCOMPARE(op.kind, inScale && i > 0 ? Kind::Line : Kind::Move);
            if (std::isfinite(curve[i].level))
                QCOMPARE(op.y, 600 - int(std::trunc((curve[i].level - bottom) * pxPerDb)) - 30);
            above += op.y < 60;
            if (i == 0)
                continue;
            const bool wasIn = curve[i - 1].level >= bottom;
            in += !wasIn && inScale;
            out += wasIn && !inScale;
            if (!wasIn && inScale) // entering: drawn from the point below the frame
                QVERIFY(s.ops[fig + 1 + i].y >= 570);
        }
        QCOMPARE(in, entries);
        QCOMPARE(out, exits);
        if (bottom == -40.0)
            QVERIFY(above > 0); // levels above the scale are drawn above the graph
    }

    void figureLinesUseTheSurfacesPreviousFont() {
        RecordingSurface s;
        const FontHandle callers = s.CreateFont({"Caller", 20, 700});
        s.SelectFont(callers);
        SpeakerDesign d = Reference("Vented");
        DrawPlot(s, d, false, PlotScale{}, 800, 600);
        const size_t fig = FigureIndex(s.ops);
        QVERIFY(fig + 1 < s.ops.size());
        QCOMPARE(s.ops[fig].font, std::optional(FontSpec{"Caller", 20, 700}));
        QCOMPARE(s.ops[fig + 1].font, std::optional(FontSpec{"Caller", 20, 700}));
        QCOMPARE(s.ops[fig].text, std::string(16, ' '));
        QCOMPARE(s.SelectedFont()->family, std::string("Caller"));
        // Labels were in the label font, not the caller's.
        QCOMPARE(s.ops[6].font, std::optional(kLabelFont));
    }

    void unknownTypeDrawsNoCurveAndNoFigures() {
        RecordingSurface s;
        SpeakerDesign d = Reference("sealed");
        d.m_f1 = 7;
        const AutoValue av = DrawPlot(s, d, false, PlotScale{}, 800, 600);
        QCOMPARE(av.entry, AutoEntry::None);
        QCOMPARE(d.m_f1, 7.0);
        QCOMPARE(FigureIndex(s.ops), s.ops.size());
        for (const auto& op : s.ops)
            QVERIFY(op.pen != std::optional(kCurvePen));
        // The grid is still there: 16 level lines and 18 frequency lines.
        QCOMPARE(LevelLines(s.ops, 800).size(), size_t(16));
        QCOMPARE(FreqLines(s.ops, 600).size(), size_t(18));
        QCOMPARE(s.ops.size(), size_t(4 + 16 * 3 + 18 * 3));
    }

    // Decade steps keep growing by ten above 100000 Hz.
    void decadeStepAboveTheProgramsRange() {
        RecordingSurface s;
        SpeakerDesign d = Reference("nothing");
        d.m_freqLow = 90000;
        d.m_freqHigh = 1000001;
        DrawPlot(s, d, false, PlotScale{}, 800, 600);
        QStringList labels;
        for (const auto& f : FreqLines(s.ops, 600))
            labels << QString::fromStdString(f.label);
        QCOMPARE(labels.join(','),
                 QString("90K,100K,200K,300K,400K,500K,600K,700K,800K,900K,1000K"));

        // Above a million the step is a million: 2.9 MHz gets no line.
        RecordingSurface s2;
        d.m_freqLow = 2800000;
        d.m_freqHigh = 3100000;
        DrawPlot(s2, d, false, PlotScale{}, 800, 600);
        const auto lines = FreqLines(s2.ops, 600);
        QCOMPARE(lines.size(), size_t(1));
        QCOMPARE(lines[0].label, std::string("3000K"));

        // Below zero (a range only a file can hold) the step is 10.
        RecordingSurface s3;
        d.m_freqLow = -35;
        d.m_freqHigh = 21;
        DrawPlot(s3, d, false, PlotScale{}, 800, 600);
        labels.clear();
        for (const auto& op : s3.Of(Kind::Text))
            if (op.y == 575)
                labels << QString::fromStdString(op.text);
        QCOMPARE(labels.join(','), QString("-30,-20,-10,0,10,20"));
    }

    // Whatever a design file or a caller hands in, the drawing ends, and it
    // ends soon: the sweep and the grids are bounded.
    void absurdValuesTerminate_data() {
        QTest::addColumn<double>("fLow");
        QTest::addColumn<double>("fHigh");
        QTest::addColumn<double>("fs");
        QTest::addColumn<double>("bottom");
        QTest::addColumn<double>("span");
        QTest::addColumn<int>("perDiv");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
        QTest::newRow("NaN range") << nan << nan << 30.0 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("inf range") << -inf << inf << 30.0 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("1e300 range") << -1e300 << 1e300 << 30.0 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("equal ends") << 100.0 << 100.0 << 30.0 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("reversed") << 2000.0 << 20.0 << 30.0 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("zero low") << 0.0 << 2000.0 << 30.0 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("NaN driver") << 20.0 << 2000.0 << nan << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("huge driver") << 20.0 << 2000.0 << 1e300 << -10.0 << 15.0 << 1 << 800 << 600;
        QTest::newRow("span inf") << 20.0 << 2000.0 << 30.0 << -10.0 << inf << 1 << 800 << 600;
        QTest::newRow("span 1e300") << 20.0 << 2000.0 << 30.0 << -10.0 << 1e300 << 1 << 800 << 600;
        QTest::newRow("span NaN") << 20.0 << 2000.0 << 30.0 << -10.0 << nan << 1 << 800 << 600;
        QTest::newRow("span 0") << 20.0 << 2000.0 << 30.0 << -10.0 << 0.0 << 1 << 800 << 600;
        QTest::newRow("bottom NaN") << 20.0 << 2000.0 << 30.0 << nan << 15.0 << 1 << 800 << 600;
        QTest::newRow("bottom -1e300")
            << 20.0 << 2000.0 << 30.0 << -1e300 << 15.0 << 1 << 800 << 600;
        QTest::newRow("step 0") << 20.0 << 2000.0 << 30.0 << -10.0 << 15.0 << 0 << 800 << 600;
        QTest::newRow("step negative")
            << 20.0 << 2000.0 << 30.0 << -10.0 << 15.0 << -5 << 800 << 600;
        QTest::newRow("step max") << 20.0 << 2000.0 << 30.0 << -10.0 << 1e300 << big << 800 << 600;
        QTest::newRow("size max") << 20.0 << 2000.0 << 30.0 << -10.0 << 15.0 << 1 << big << big;
        QTest::newRow("size min") << 20.0 << 2000.0 << 30.0 << -10.0 << 15.0 << 1 << small << small;
        QTest::newRow("size 0") << 20.0 << 2000.0 << 30.0 << -10.0 << 15.0 << 1 << 0 << 0;
    }
    void absurdValuesTerminate() {
        QFETCH(double, fLow);
        QFETCH(double, fHigh);
        QFETCH(double, fs);
        QFETCH(double, bottom);
        QFETCH(double, span);
        QFETCH(int, perDiv);
        QFETCH(int, w);
        QFETCH(int, h);
        for (const char* type : {"Sealed", "Vented", "Bandpass4", "Bandpass6", "odd"}) {
            RecordingSurface s(true);
            SpeakerDesign d = Reference(type);
            d.m_freqLow = fLow;
            d.m_freqHigh = fHigh;
            d.m_fs = fs;
            DrawPlot(s, d, false, PlotScale{bottom, span, perDiv}, w, h);
            // Frame, at most 10000 lines in each grid, two figure lines and a
            // bounded sweep.
            QVERIFY(s.count <= 4 + 3 * 10000 + 3 * 10000 + 2 + kMaxSweepPoints);
            QVERIFY(s.SelectedPen() == nullptr);
        }
    }
};

QTEST_APPLESS_MAIN(TestDrawPlot)
#include "test_draw_plot.moc"
