// SPDX-License-Identifier: GPL-3.0-or-later
// From net volume to panels: volume bookkeeping, shapes, end corrections,
// pipe resonance, the cut list and the sheet layout, by closed forms.
#include "core/calc/BuildCalc.h"
#include "core/calc/PortCalc.h"
#include "core/plot/BuildDrawing.h"
#include "tests/support/RecordingSurface.h"

#include <QtTest>
#include <cmath>
#include <numbers>

using namespace orvane;
using namespace orvane::BuildCalc;

namespace {

constexpr double kMm = 1 / 25.4;        // inches per millimetre
constexpr double kL = 1 / 28.316846592; // cubic feet per litre
constexpr double kPi = std::numbers::pi;

SpeakerDesign Vented(double v1, double f1, double portDiameter) {
    SpeakerDesign d;
    d.m_boxType = "Vented", d.m_fs = 30, d.m_qts = 0.4, d.m_vas = 3, d.m_driverCount = 1;
    d.m_v1 = v1, d.m_f1 = f1, d.m_coneDiameter = 8;
    d.m_extras.portDiameter = portDiameter;
    return d;
}

// The tuning at which the Port Calculator gives a port of `length`:
// L = D·(2116.609·D/(V·f²) − 0.7315) solved for f.
double TuningFor(double v, double diameter, double length) {
    return std::sqrt(2116.609 * diameter * diameter / (v * (length + 0.7315 * diameter)));
}

// The drawing read back as strokes (a move and the lines after it): each
// one's bounding box, line count and first operation.
struct Stroke {
    int x0, y0, x1, y1, lines;
    std::size_t op;
};
std::vector<Stroke> Strokes(const RecordingSurface& s) {
    std::vector<Stroke> out;
    for (std::size_t i = 0; i < s.ops.size(); ++i) {
        const RecordingSurface::Op& o = s.ops[i];
        if (o.kind == RecordingSurface::Kind::Move)
            out.push_back({o.x, o.y, o.x, o.y, 0, i});
        else if (o.kind == RecordingSurface::Kind::Line)
            out.back() = {std::min(out.back().x0, o.x), std::min(out.back().y0, o.y),
                          std::max(out.back().x1, o.x), std::max(out.back().y1, o.y),
                          out.back().lines + 1,         out.back().op};
    }
    return out;
}

} // namespace

class TestBuildCalc : public QObject {
    Q_OBJECT

private slots:
    // The worked example: 50 L net, one Ø100 mm port with a 3 mm
    // wall, 446.9 mm long through an 18 mm baffle, displaces
    // π·53²·428.9 mm³ = 3.785 L; with 1.2 L of driver and 0.4 L of bracing
    // the gross volume is 55.385 L, and the inner box holds exactly that.
    void referenceVolumes() {
        const double v = 50 * kL;
        SpeakerDesign d = Vented(v, TuningFor(v, 100 * kMm, 446.9 * kMm), 100 * kMm);
        Inputs in;
        in.thickness = 18 * kMm, in.portWall = 3 * kMm;
        in.driverDisplacement = 1.2 * kL, in.bracingDisplacement = 0.4 * kL;
        in.outerWidth = 346 * kMm, in.outerHeight = 537.6 * kMm; // deep enough to fold it
        const Result<Plan> plan = Compute(d, in);
        QVERIFY(plan);
        QCOMPARE(plan->ports.size(), std::size_t(1));
        QVERIFY(std::abs(plan->ports[0].length / kMm - 446.9) < 1e-9);
        QVERIFY(std::abs(plan->displacement.ports / kL - 3.785) < 5e-4);
        QVERIFY(std::abs(plan->grossVolume / kL - 55.385) < 5e-4);
        QVERIFY(std::abs(plan->inner.Volume() - plan->displacement.Total() - v) < 1e-12);
        QVERIFY(plan->ports[0].folded);
    }

    // W : H : D = 1 : r : 1/r, or the fixed outer sizes less two panels;
    // the inner box always holds the gross volume.
    void shapes_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("outerWidth"); // 0: free
        QTest::addColumn<double>("outerHeight");
        QTest::addColumn<double>("customHeight"); // W : H : D = 1 : h : d; 0: none
        QTest::addColumn<double>("customDepth");
        QTest::newRow("golden") << 1.618 << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("root 2") << 1.414 << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("width") << 1.26 << 14.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("height") << 1.618 << 0.0 << 24.0 << 0.0 << 0.0;
        QTest::newRow("both") << 1.618 << 14.0 << 24.0 << 0.0 << 0.0;
        QTest::newRow("custom") << 1.618 << 0.0 << 0.0 << 1.5 << 0.8;
        QTest::newRow("custom width") << 1.618 << 14.0 << 0.0 << 1.5 << 0.8;
        QTest::newRow("custom height") << 1.618 << 0.0 << 24.0 << 2.0 << 0.5;
    }
    void shapes() {
        QFETCH(double, ratio);
        QFETCH(double, outerWidth);
        QFETCH(double, outerHeight);
        QFETCH(double, customHeight);
        QFETCH(double, customDepth);
        Inputs in;
        in.ratio = ratio;
        if (customHeight > 0)
            in.shapeHeight = customHeight, in.shapeDepth = customDepth;
        if (outerWidth > 0)
            in.outerWidth = outerWidth;
        if (outerHeight > 0)
            in.outerHeight = outerHeight;
        SpeakerDesign d = Vented(2, 0, 0);
        const Result<Plan> plan = Compute(d, in);
        QVERIFY(plan);
        const Box& b = plan->inner;
        QVERIFY(std::abs(b.Volume() / 2 - 1) < 1e-12);
        if (outerWidth > 0)
            QCOMPARE(b.width, outerWidth - 1.5);
        if (outerHeight > 0)
            QCOMPARE(b.height, outerHeight - 1.5);
        // What is not fixed keeps W : H : D = 1 : r : 1/r, or the custom one.
        const double h = customHeight > 0 ? customHeight : ratio;
        const double depth = customHeight > 0 ? customDepth : 1 / ratio;
        if (outerHeight == 0)
            QVERIFY(std::abs(b.height / b.depth / (h / depth) - 1) < 1e-12);
        if (outerWidth == 0)
            QVERIFY(std::abs(b.width / b.depth * depth - 1) < 1e-12);
        QCOMPARE(plan->outer.depth, b.depth + 1.5);
    }

    // An inner 310 × 501.6 × 356.2 mm box in 18 mm panels (front and back
    // cover all) is 346 × 537.6 × 392.2 mm outside; its panels hold
    // 72.95297 − 55.38768 = 17.56529 L of wood, the outer less the inner volume.
    void panelsTileTheBox() {
        const double inner = 310 * 501.6 * 356.2 / 1e6 * kL;
        SpeakerDesign d = Vented(inner, 0, 0);
        Inputs in;
        in.thickness = 18 * kMm, in.outerWidth = 346 * kMm, in.outerHeight = 537.6 * kMm;
        const Result<Plan> plan = Compute(d, in);
        QVERIFY(plan && std::abs(plan->outer.depth / kMm - 392.2) < 1e-9);
        QVERIFY(std::abs(plan->woodVolume / kL - 17.56529) < 5e-6);
        QVERIFY(std::abs(plan->woodVolume - (plan->outer.Volume() - plan->inner.Volume())) < 1e-12);
        double count = 0;
        for (const Panel& p : plan->panels)
            count += p.count;
        QCOMPARE(count, 6.0);
    }

    // L_eff = L + k·D with k the sum of the two ends' corrections, each
    // 0.85·r flanged (Rayleigh) or 0.613·r free (Levine and Schwinger): the
    // tube the Port Calculator gives (one flanged end) keeps its effective
    // length, so the others differ from it by the change in k.
    void endCorrections_data() {
        QTest::addColumn<int>("ends");
        QTest::addColumn<double>("inner"); // per radius
        QTest::addColumn<double>("outer");
        QTest::newRow("both flanged") << int(PortEnds::BothFlanged) << 0.85 << 0.85;
        QTest::newRow("one flanged") << int(PortEnds::OneFlanged) << 0.613 << 0.85;
        QTest::newRow("free") << int(PortEnds::Free) << 0.613 << 0.613;
    }
    void endCorrections() {
        QFETCH(int, ends);
        QFETCH(double, inner);
        QFETCH(double, outer);
        const double k = (inner + outer) / 2; // per diameter
        QVERIFY(std::abs(EndCorrection(PortEnds(ends)) - k) < 1e-12);
        Inputs in;
        in.portEnds = PortEnds(ends);
        const SpeakerDesign d = Vented(4, 30, 4);
        const Result<Plan> plan = Compute(d, in);
        QVERIFY(plan && plan->ports.size() == 1);
        const Port& p = plan->ports[0];
        const double tube = PortCalc::Compute(4.0, 1, 4, 30)->length;
        QVERIFY(std::abs(p.length - (tube + (0.7315 - k) * 4)) < 1e-9);
        QVERIFY(std::abs(p.effectiveLength - p.length - p.endCorrection) < 1e-12);
    }

    // The first pipe resonance, open at both ends, c / (2·L_eff) with
    // c = 345 m/s; flagged when it lies within two octaves above Fb.
    void pipeResonance_data() {
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("tuning");
        QTest::addColumn<double>("diameter");
        QTest::addColumn<double>("outer"); // width and height; 0: free
        QTest::addColumn<bool>("flagged");
        // 6 in at 40 Hz in 1 ft³: L_eff = 47.6 in, 142 Hz, in a deep box.
        QTest::newRow("long port") << 1.0 << 40.0 << 6.0 << 10.0 << true;
        QTest::newRow("short port") << 4.0 << 30.0 << 3.0 << 0.0 << false;
    }
    void pipeResonance() {
        QFETCH(double, volume);
        QFETCH(double, tuning);
        QFETCH(double, diameter);
        QFETCH(double, outer);
        Inputs in;
        if (outer > 0)
            in.outerWidth = in.outerHeight = outer;
        const Result<Plan> plan = Compute(Vented(volume, tuning, diameter), in);
        QVERIFY(plan && plan->ports.size() == 1);
        const Port& p = plan->ports[0];
        QVERIFY(std::abs(p.resonance * 2 * p.effectiveLength * 0.0254 - 345) < 1e-9);
        QTEST(p.resonanceNearTuning, "flagged");
        QCOMPARE(p.resonanceNearTuning, p.resonance < 4 * tuning);
        QCOMPARE(ResonanceWarning(p),
                 "Port resonance at " + std::to_string(std::lround(p.resonance)) + " Hz");
    }

    // A bandpass box stacks its two chambers around the baffle they share.
    void bandpassChambers() {
        SpeakerDesign d = Vented(1, 50, 3);
        d.m_boxType = "Bandpass4", d.m_v2 = 0.5;
        Inputs in;
        in.driverDisplacement = 0.05;
        const Result<Plan> plan = Compute(d, in);
        QVERIFY(plan && plan->chambers.size() == 2);
        const Box& a = plan->chambers[0];
        const Box& b = plan->chambers[1];
        QVERIFY(std::abs(a.height + b.height + in.thickness - plan->inner.height) < 1e-9);
        QVERIFY(std::abs(b.Volume() - 0.55) < 1e-9); // V2 and the driver's body
        QVERIFY(std::abs(a.Volume() - 1 - plan->displacement.ports) < 1e-9);
    }

    // Impossible requests name their conflict.
    void refusals_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("tuning");
        QTest::addColumn<double>("outerWidth");
        QTest::addColumn<QString>("names");
        QTest::newRow("narrow") << "Vented" << 2.0 << 0.0 << 8.0 << "driver cut-out";
        QTest::newRow("long port") << "Vented" << 0.2 << 20.0 << 0.0 << "even folded once";
        QTest::newRow("no volume") << "Sealed" << 0.0 << 0.0 << 0.0 << "volume above 0";
        QTest::newRow("no type") << "Horn" << 1.0 << 0.0 << 0.0 << "box type";
    }
    void refusals() {
        QFETCH(QString, type);
        QFETCH(double, volume);
        QFETCH(double, tuning);
        QFETCH(double, outerWidth);
        QFETCH(QString, names);
        SpeakerDesign d = Vented(volume, tuning, 3);
        d.m_boxType = type.toStdString();
        Inputs in;
        if (outerWidth > 0)
            in.outerWidth = outerWidth; // 8 in: less than 0.9·8 in + 2·0.75 in
        const Result<Plan> plan = Compute(d, in);
        QVERIFY(!plan);
        QVERIFY2(QString::fromStdString(plan.Error().message).contains(names),
                 plan.Error().message.c_str());
        if (outerWidth > 0) // 9.2 in holds the cut-out and two panels
            QVERIFY((in.outerWidth = 9.2, Compute(d, in)));
    }

    // Every part lies on a sheet, none overlaps another with its kerf, and
    // all of them are there.
    void layout_data() {
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("sheetLength");
        QTest::addColumn<double>("sheetWidth");
        QTest::newRow("one sheet") << 2.0 << 96.0 << 48.0;
        QTest::newRow("small sheets") << 6.0 << 40.0 << 30.0;
    }
    void layout() {
        QFETCH(double, volume);
        QFETCH(double, sheetLength);
        QFETCH(double, sheetWidth);
        const Result<Plan> plan = Compute(Vented(volume, 0, 0), Inputs{});
        QVERIFY(plan);
        const double kerf = plan->kerf;
        const Result<std::vector<Sheet>> sheets =
            LayOut(plan->panels, kerf, sheetLength, sheetWidth);
        QVERIFY(sheets);
        int placed = 0;
        int wanted = 0;
        for (const Panel& p : plan->panels)
            wanted += p.count;
        // The parts with their kerf and the offcuts tile each sheet: inside
        // it, apart from each other, and adding up to its area.
        for (const Sheet& s : *sheets) {
            std::vector<PlacedPart> tiles = Offcuts(s, kerf, sheetLength, sheetWidth);
            placed += int(s.parts.size());
            for (PlacedPart p : s.parts)
                tiles.push_back({p.name, p.x, p.y, p.length + kerf, p.width + kerf});
            double area = 0;
            for (std::size_t i = 0; i < tiles.size(); ++i) {
                const PlacedPart& a = tiles[i];
                area += a.length * a.width;
                QVERIFY(a.x >= 0 && a.y >= 0 && a.x + a.length <= sheetLength + 1e-9 &&
                        a.y + a.width <= sheetWidth + 1e-9);
                for (std::size_t j = 0; j < i; ++j) {
                    const PlacedPart& b = tiles[j];
                    QVERIFY(a.x >= b.x + b.length - 1e-9 || b.x >= a.x + a.length - 1e-9 ||
                            a.y >= b.y + b.width - 1e-9 || b.y >= a.y + a.width - 1e-9);
                }
            }
            QVERIFY(std::abs(area / (sheetLength * sheetWidth) - 1) < 1e-12);
        }
        QCOMPARE(placed, wanted);
        QVERIFY(!LayOut(plan->panels, kerf, 10, 10)); // a panel larger than the sheet
    }

    // The drawing is to scale: a page twice the size doubles it; the port
    // lies in the chamber it tunes, a folded one beside itself; texts are
    // centred (the recording surface's are 6 units a character): the width
    // under its line, each part's cut-list number on the part.
    void drawing() {
        const double v = 50 * kL;
        SpeakerDesign d = Vented(v, TuningFor(v, 100 * kMm, 446.9 * kMm), 100 * kMm);
        Inputs in;
        in.thickness = 18 * kMm, in.sheetLength = 1000 * kMm, in.sheetWidth = 600 * kMm;
        in.outerWidth = 346 * kMm, in.outerHeight = 537.6 * kMm; // the port folds
        for (const char* type : {"Vented", "Bandpass4"}) {
            d.m_boxType = type, d.m_v2 = 0.5;
            const Result<Plan> p = Compute(d, in);
            QVERIFY(p && p->sheets.size() > 1);
            RecordingSurface s;
            BuildDrawing::DrawPage(s, 1600, 2262, *p, 1, 0, UnitSystem::Imperial);
            QCOMPARE(s.ops[0].ext, (std::array<int, 4>{1000, 1000, 2000, 2000}));
            const auto centre = [](auto& o) { return o.x + 3.0 * double(o.text.size()); };
            const std::vector<Stroke> k = Strokes(s);
            const Stroke& front = k[0];
            const Stroke& side =
                *std::find_if(k.begin(), k.end(), [&](auto& o) { return o.x0 > front.x1; });
            const double scale = (front.x1 - front.x0) / p->outer.width;
            const double t = p->thickness, top = p->chambers.empty() ? 0 : p->chambers[0].height;
            std::vector<Stroke> inside; // the side view's parts: none overlaps another
            auto it = k.begin();
            for (; it->y0 <= front.y1; ++it) { // up to the first dimension
                if (top && it->lines == 48 && std::abs(it->x1 - it->x0 - 100 * kMm * scale) <= 2)
                    QVERIFY(it->y0 > front.y0 + t * scale && it->y1 < front.y0 + (t + top) * scale);
                for (const Stroke& o : inside)
                    QVERIFY(std::min(o.x1, it->x1) - std::max(o.x0, it->x0) <= 1 ||
                            std::min(o.y1, it->y1) - std::max(o.y0, it->y0) <= 1);
                if (it->lines == 4 && it->x0 >= side.x0 && it->op != side.op)
                    inside.push_back(*it);
            }
            const std::string width = BuildDrawing::Length(p->outer.width, UnitSystem::Imperial);
            QVERIFY(std::any_of(s.ops.begin(), s.ops.end(), [&](auto& o) {
                return o.text == width && std::abs(centre(o) - (front.x0 + front.x1) / 2.0) <= 1 &&
                       o.y > (it->y0 + it->y1) / 2; // under its line
            }));
            for (std::size_t i = 0; i < p->sheets.size(); ++i) {
                const auto title = [&](std::size_t n) {
                    return std::find_if(s.ops.begin(), s.ops.end(), [&](auto& o) {
                        return o.text.starts_with("Sheet " + std::to_string(n + 1) + " of ");
                    });
                };
                const auto at = title(i), next = title(i + 1);
                const Stroke& sheet = *std::find_if(k.rbegin(), k.rend(), [&](auto& o) {
                    return o.op < std::size_t(next - s.ops.begin());
                });
                const double ks = (sheet.x1 - sheet.x0) / p->sheetLength;
                for (const PlacedPart& part : p->sheets[i].parts) {
                    const auto panel = std::find_if(p->panels.begin(), p->panels.end(),
                                                    [&](auto& x) { return x.name == part.name; });
                    const std::string number = std::to_string(panel - p->panels.begin() + 1);
                    const double cx = sheet.x0 + (part.x + part.length / 2) * ks,
                                 cy = sheet.y0 + (part.y + part.width / 2) * ks;
                    QVERIFY(std::any_of(at, next, [&](auto& o) {
                        return o.text == number && std::abs(centre(o) - cx) <= 1.5 &&
                               std::abs(o.y + 6 - cy) <= 1.5;
                    }));
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestBuildCalc)
#include "test_build_calc.moc"
