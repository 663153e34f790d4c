// SPDX-License-Identifier: GPL-3.0-or-later
// The response plot on a recording surface: frame, grid, labels, figure
// lines and curve in client units.
#include "core/plot/DrawPlot.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <limits>

using namespace orvane;

using Kind = RecordingSurface::Kind;
using Ops = std::vector<RecordingSurface::Op>;

namespace {

const PenSpec kGridPen{PenStyle::Solid, 1, {0, 128, 0}};
const PenSpec kZeroPen{PenStyle::Solid, 2, {0, 0, 0}};

// The reference driver in 1.5 ft3, under any type name, over a frequency range.
SpeakerDesign Reference(std::string_view type, double low = 20, double high = 2000) {
    SpeakerDesign d = ReferenceDriver();
    d.m_v1 = 1.5, d.m_boxType = std::string(type), d.m_freqLow = low, d.m_freqHigh = high;
    return d;
}

// Grid lines of a drawing: a MoveTo, a LineTo across the frame (level lines
// from x 30 to width - 30, frequency lines from y 60 to height - 30), their label.
struct GridLine {
    int at; // y of a level line, x of a frequency line
    std::optional<PenSpec> pen;
    std::string label;
};
std::vector<GridLine> GridLines(const Ops& ops, bool level, int width = 800, int height = 600) {
    std::vector<GridLine> lines;
    for (size_t i = 4; i + 2 < ops.size(); ++i) {
        const auto &m = ops[i], &l = ops[i + 1], &t = ops[i + 2];
        if (m.kind == Kind::Move && l.kind == Kind::Line && t.kind == Kind::Text &&
            (level ? m.x == 30 && l.x == width - 30 && m.y == l.y
                   : m.y == 60 && l.y == height - 30 && m.x == l.x))
            lines.push_back({level ? m.y : m.x, l.pen, t.text});
    }
    return lines;
}
QString Labels(const std::vector<GridLine>& lines) {
    QStringList labels;
    for (const GridLine& l : lines)
        labels << QString::fromStdString(l.label);
    return labels.join(',');
}
// Index of the first figure line (drawn at 450, 12), or ops.size().
size_t FigureIndex(const Ops& ops) {
    size_t i = 0;
    while (i < ops.size() && !(ops[i].kind == Kind::Text && ops[i].x == 450 && ops[i].y == 12))
        ++i;
    return i;
}

} // namespace

class TestDrawPlot : public QObject {
    Q_OBJECT
private slots:
    // 800 x 600: the frame with its top edge open in the 3-wide pen; 34 units
    // per dB with 0 dB at y 230 in the 2-wide black pen and -3 dB dashed; a
    // decade 370 units wide; the figure lines in the caller's font, then one
    // curve point per hertz in blue; the caller's pen and font selected again.
    void example800x600() {
        RecordingSurface s;
        s.charWidth = 5; // "-10.0" as wide as in the label font's own metrics
        const FontSpec callers{"Caller", 20, 700};
        s.SelectFont(s.CreateFont(callers));
        SpeakerDesign d = Reference("Sealed");
        const AutoValue av = DrawPlot(s, d, false, PlotScale{}, 800, 600);
        QVERIFY(av.entry == AutoEntry::F1 && d.m_f1 == av.value);
        const Ops& ops = s.ops;
        QStringList frame;
        for (size_t i = 0; i < 4; ++i)
            frame << QString("%1 %2,%3").arg(int(ops[i].kind)).arg(ops[i].x).arg(ops[i].y);
        QCOMPARE(frame, QStringList({"0 30,60", "1 30,570", "1 770,570", "1 770,60"}));
        QCOMPARE(ops[1].pen, std::optional(PenSpec{PenStyle::Solid, 3, {0, 0, 0}}));
        const auto levels = GridLines(ops, true);
        QCOMPARE(Labels(levels),
                 "-10.0,-9.0,-8.0,-7.0,-6.0,-5.0,-4.0,-3.0,-2.0,-1.0,0.0,1.0,2.0,3.0,4.0,5.0");
        for (size_t g = 0; g < levels.size(); ++g) {
            QCOMPARE(levels[g].at, 570 - 34 * int(g));
            const PenSpec minus3{PenStyle::Dash, 1, {0, 128, 0}};
            QCOMPARE(levels[g].pen, std::optional(g == 10 ? kZeroPen : g == 7 ? minus3 : kGridPen));
        }
        const auto freqs = GridLines(ops, false);
        QCOMPARE(Labels(freqs), "20,30,40,50,60,70,80,90,100,200,300,400,500,600,700,800,900,1K");
        QVERIFY(freqs[0].at == 30 && freqs[8].at == 288); // 100 Hz: 30 + trunc(370 * log10(5))
        for (const auto& op : s.Of(Kind::Text))
            if (op.x == 5)
                QCOMPARE(op.font, std::optional(FontSpec{"Arial", 12, 400}));
        const size_t fig = FigureIndex(ops);
        QVERIFY(fig + 2 < ops.size());
        QCOMPARE(ops[fig].text, std::string("Qtc=0.69"));
        QVERIFY(ops[fig + 1].x == 450 && ops[fig + 1].y == 27);
        QVERIFY(ops[fig].font == callers && ops[fig + 1].font == callers);
        QCOMPARE(ops.size() - fig - 2, size_t(1980));
        QCOMPARE(ops[fig + 2].pen, std::optional(PenSpec{PenStyle::Solid, 1, {0, 0, 255}}));
        QVERIFY(!s.SelectedPen() && *s.SelectedFont() == callers);
    }

    // A label whose ink would run into the last one drawn on its axis is left
    // out, its grid line kept. Worked out by hand for the recording surface's
    // 6-unit characters (ink 1 unit in from either end) and 12-unit lines.
    void crowdedLabelsAreLeftOut_data() {
        QTest::addColumn<double>("fLow");
        QTest::addColumn<double>("fHigh");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("frequencies");
        QTest::addColumn<QString>("levels");
        QTest::addColumn<int>("lines"); // every level and frequency line, labelled or not
        const QString all =
            "-10.0,-9.0,-8.0,-7.0,-6.0,-5.0,-4.0,-3.0,-2.0,-1.0,0.0,1.0,2.0,3.0,4.0,5.0";
        QTest::newRow("widest range") << 10.0 << 20000.0 << 800 << 300
                                      << "10,20,30,40,50,60,70,80,90,100,200,300,400,500,600,800,"
                                         "1K,2K,3K,4K,5K,6K,7K,8K,9K,10K"
                                      << all << 16 + 28;
        QTest::newRow("small window")
            << 20.0 << 2000.0 << 400 << 200 << "20,30,40,50,60,70,80,100,200,300,400,500,700,900"
            << "-10.0,-8.0,-6.0,-4.0,-2.0,0.0,2.0,4.0" << 16 + 18;
        QTest::newRow("smallest window")
            << 20.0 << 2000.0 << 800 << 150
            << "20,30,40,50,60,70,80,90,100,200,300,400,500,600,700,800,900,1K"
            << "-10.0,-7.0,-4.0,-1.0,2.0,5.0" << 16 + 18;
    }
    void crowdedLabelsAreLeftOut() {
        QFETCH(double, fLow);
        QFETCH(double, fHigh);
        QFETCH(int, width);
        QFETCH(int, height);
        RecordingSurface s;
        SpeakerDesign d = Reference("odd", fLow, fHigh); // the grid alone
        DrawPlot(s, d, false, PlotScale{}, width, height);
        QStringList frequencies, levels;
        for (const auto& op : s.Of(Kind::Text)) {
            if (op.x <= 5)
                levels << QString::fromStdString(op.text);
            else if (op.y == height - 25)
                frequencies << QString::fromStdString(op.text);
        }
        QTEST(frequencies.join(','), "frequencies");
        QTEST(levels.join(','), "levels");
        int lines = 0;
        for (size_t i = 4; i + 1 < s.ops.size(); ++i)
            lines += s.ops[i].kind == Kind::Move && s.ops[i + 1].kind == Kind::Line;
        QTEST(lines, "lines");
    }

    // 10 dB per division keeps 0 dB where it was, in its pen, and has no -3 dB line.
    void preset10dB() {
        RecordingSurface s;
        SpeakerDesign d = Reference("Sealed");
        DrawPlot(s, d, false, ScaleForDbPerDiv(10), 800, 600);
        const auto levels = GridLines(s.ops, true);
        QCOMPARE(Labels(levels), "-100.0,-90.0,-80.0,-70.0,-60.0,-50.0,-40.0,-30.0,-20.0,-10.0,0.0,"
                                 "10.0,20.0,30.0,40.0,50.0");
        QVERIFY(levels[10].at == 230 && levels[10].pen == kZeroPen);
        for (const auto& op : s.ops)
            QVERIFY(!op.pen || op.pen->style != PenStyle::Dash);
    }

    // A point below the scale only moves, and so does the first one; the
    // point after a gap draws up from below the frame. The bandpass peaks at 44
    // and 165 Hz with a dip to 2 dB at 79 Hz between them.
    void curveMoveDrawAroundAGap() {
        SpeakerDesign d = Reference("Bandpass6");
        d.m_v1 = 3, d.m_v2 = 0.5, d.m_f1 = 40, d.m_f2 = 150;
        RecordingSurface s;
        DrawPlot(s, d, false, PlotScale{4, 15, 1}, 800, 600);
        const size_t fig = FigureIndex(s.ops);
        QCOMPARE(s.ops.size() - fig - 2, size_t(1980));
        QCOMPARE(s.ops[fig + 2].kind, Kind::Move);
        int entries = 0, exits = 0;
        for (size_t i = fig + 3; i < s.ops.size(); ++i) {
            const auto &prev = s.ops[i - 1], &op = s.ops[i];
            QVERIFY(op.kind == Kind::Line || op.y >= 570);
            entries += prev.kind == Kind::Move && op.kind == Kind::Line;
            exits += prev.kind == Kind::Line && op.kind == Kind::Move;
        }
        QVERIFY(entries == 2 && exits == 2);
    }

    // An unknown type: the grid alone, F1 untouched; the frequency lines keep
    // the pen the topmost level line (here 0 dB) left selected.
    void unknownTypeDrawsOnlyTheGrid() {
        RecordingSurface s;
        SpeakerDesign d = Reference("sealed");
        d.m_f1 = 7;
        QCOMPARE(DrawPlot(s, d, false, PlotScale{-15, 15, 1}, 800, 600).entry, AutoEntry::None);
        QCOMPARE(d.m_f1, 7.0);
        QCOMPARE(GridLines(s.ops, true).back().label, std::string("0.0"));
        for (const auto& f : GridLines(s.ops, false))
            QCOMPARE(f.pen, std::optional(kZeroPen));
        QCOMPARE(s.ops.size(), size_t(4 + 16 * 3 + 18 * 3)); // no figure lines, no curve
    }

    // Whatever a file or a caller hands in, the drawing ends soon: a grid
    // has at most 10000 lines.
    void absurdValuesTerminate() {
        RecordingSurface grid;
        SpeakerDesign odd = Reference("odd");
        DrawPlot(grid, odd, false, PlotScale{-10, 1e300, 1}, 800, 600);
        size_t level = 0;
        for (size_t i = 4; i + 1 < grid.ops.size(); ++i)
            level +=
                grid.ops[i].kind == Kind::Move && grid.ops[i].x == 30 && grid.ops[i + 1].x == 770;
        QCOMPARE(level, size_t(10000));
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
        const struct {
            double fLow, fHigh, fs;
            PlotScale scale;
            int size;
        } cases[] = {{nan, nan, 30, {}, 800},
                     {-1e300, 1e300, 30, {}, 800},
                     {20, 2000, 1e300, {}, 800},
                     {20, 2000, 30, {-10, 1e300, 1}, 800},
                     {20, 2000, 30, {nan, 15, 1}, 800},
                     {20, 2000, 30, {-10, 15, 0}, 800},
                     {20, 2000, 30, {-10, 1e300, big}, 800},
                     {20, 2000, 30, {}, big},
                     {20, 2000, 30, {}, small}};
        for (const auto& c : cases) {
            for (const char* type : {"Sealed", "Vented", "Bandpass4", "Bandpass6", "odd"}) {
                RecordingSurface s(true);
                SpeakerDesign d = Reference(type, c.fLow, c.fHigh);
                d.m_fs = c.fs;
                DrawPlot(s, d, false, c.scale, c.size, c.size);
                // Frame, at most 10000 lines per grid, two figure lines, a bounded sweep.
                QVERIFY(s.count <= 4 + 3 * 10000 + 3 * 10000 + 2 + kMaxSweepPoints);
                QVERIFY(s.SelectedPen() == nullptr);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestDrawPlot)
#include "test_draw_plot.moc"
