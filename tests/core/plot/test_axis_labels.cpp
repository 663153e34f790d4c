// SPDX-License-Identifier: GPL-3.0-or-later
// The axis labels under the metrics of fonts other than the label font's
// metric twin, and on scaled displays: no label runs into another or into
// the frame, and a label is left out only where it would.
#include "core/plot/DrawPlot.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

using namespace orvane;

namespace {

// Proportional metrics at the label size: advances of digits, '.', '-' and
// 'K', and the blank (bearing) before and after each text's ink. "arial"
// is Liberation Sans at 11 px (0.556, 0.278, 0.333, 0.667 em), "wide" a
// face with 7-unit digits as DejaVu Sans has at that size.
struct Metrics {
    double digit, point, minus, k, bearing;
};
const Metrics kArial{6.116, 3.058, 3.663, 7.337, 0.5};
const Metrics kWide{7.0, 3.5, 4.0, 7.6, 0.9};

class FontSurface : public RecordingSurface {
public:
    FontSurface(Metrics metrics, double scale) : m_metrics(metrics), m_scale(scale) {}
    TextExtent MeasureText(std::string_view text) const override {
        double advance = 0;
        for (const char c : text)
            advance += c == '.'   ? m_metrics.point
                       : c == '-' ? m_metrics.minus
                       : c == 'K' ? m_metrics.k
                                  : m_metrics.digit;
        return {m_metrics.bearing, advance - m_metrics.bearing, 13};
    }
    double DisplayScale() const override { return m_scale; }

private:
    Metrics m_metrics;
    double m_scale;
};

struct Label {
    int x;
    double left, right; // ink, to whole units
    double end;         // where the ink ends, exactly
};

} // namespace

class TestAxisLabels : public QObject {
    Q_OBJECT
private slots:
    void layout_data() {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("omitted"); // the frequency labels left out, * any
        // Worked out by hand. At scale 1 in the label font's metrics every
        // label stays, touching ones included (800, 900, 1K at x 617, 636,
        // 653; 900's ink ends at 653.85); in a wider face 900's background
        // would hide 1.1 units of 800's ink (to 637.1); on a scaled display
        // 900 comes too close to 800, and in the wider face 800 to 700 (ink
        // to 616.1) and 1K to 900.
        QTest::newRow("arial") << false << 1.0 << 800 << "";
        QTest::newRow("wide") << true << 1.0 << 800 << "900";
        QTest::newRow("arial 1.5") << false << 1.5 << 800 << "900";
        QTest::newRow("wide 1.25") << true << 1.25 << 800 << "800,1K";
        QTest::newRow("arial, cascaded") << false << 1.0 << 560 << "*";
        QTest::newRow("wide 1.5, cascaded") << true << 1.5 << 560 << "*";
    }
    void layout() {
        QFETCH(bool, wide);
        QFETCH(double, scale);
        QFETCH(int, width);
        FontSurface s(wide ? kWide : kArial, scale);
        SpeakerDesign d = ReferenceDriver();
        d.m_boxType = "odd"; // the grid alone
        DrawPlot(s, d, false, PlotScale{}, width, 600);

        // Every frequency line, with the label it would carry.
        const char* const all[] = {"20",  "30",  "40",  "50",  "60",  "70",  "80",  "90",  "100",
                                   "200", "300", "400", "500", "600", "700", "800", "900", "1K"};
        std::vector<Label> lines;
        for (size_t i = 0; i + 1 < s.ops.size(); ++i) {
            const auto &m = s.ops[i], &l = s.ops[i + 1];
            if (m.y == 60 && l.y == 570 && m.x == l.x && m.x > 30) {
                const TextExtent e = s.MeasureText(all[lines.size() + 1]);
                lines.push_back({m.x - 5, std::round(m.x - 5 + e.left),
                                 std::round(m.x - 5 + e.right), m.x - 5 + e.right});
            }
        }
        QCOMPARE(lines.size(), std::size(all) - 1); // 20 Hz is on the frame

        std::vector<Label> frequencies;
        QStringList leftOut, levels;
        size_t next = 0;
        const auto clash = [scale](const Label& a, const Label& b) {
            return scale == 1 ? b.left < a.right || b.x + 1 < a.end
                              : std::min<double>(b.left, b.x) < a.right + 2;
        };
        // Labels up to (not including) `until` that were not drawn are left
        // out only where they would have run into the last one drawn.
        const auto skipTo = [&](size_t until) {
            for (; next < until; ++next) {
                QVERIFY(next > 0 && !frequencies.empty());
                QVERIFY(clash(frequencies.back(), lines[next - 1]));
                leftOut << all[next];
            }
        };
        for (const auto& op : s.Of(RecordingSurface::Kind::Text)) {
            const TextExtent e = s.MeasureText(op.text);
            if (op.y == 575) {
                skipTo(size_t(std::find(std::begin(all), std::end(all), op.text) - all));
                ++next;
                frequencies.push_back(
                    {op.x, std::round(op.x + e.left), std::round(op.x + e.right), op.x + e.right});
                QVERIFY(frequencies.size() < 2 ||
                        !clash(frequencies.end()[-2], frequencies.back()));
            } else {
                levels << QString::fromStdString(op.text);
                // At x 5 unless that runs it into the frame at x 30.
                QVERIFY(op.x + e.right <= 30 && op.x >= 0);
                QVERIFY(op.x == 5 || op.x + 1 + e.right > 30);
            }
        }
        skipTo(std::size(all));
        QFETCH(QString, omitted);
        if (omitted != "*")
            QCOMPARE(leftOut.join(','), omitted);
        QCOMPARE(levels.size(), 16);
    }
};

QTEST_APPLESS_MAIN(TestAxisLabels)
#include "test_axis_labels.moc"
