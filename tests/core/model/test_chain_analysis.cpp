// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis driven through a signal chain, checked by physics: the chain
// only scales the drive, so levels move by 20·log10|H| and excursion by |H|;
// a Linkwitz transform turns a sealed box into its target; a series
// resistance adds to Re, so the box behaves as one with Qes·(Re + Rs)/Re;
// wiring and voice coils follow Ohm's law.
#include "core/chain/Stages.h"
#include "core/model/Acoustics.h"
#include "core/model/Analysis.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <cmath>
#include <numbers>

using namespace orvane;

namespace {

FilterStage Stage(const char* text) {
    return *ParseStage(text);
}

// The spread of a − b over the sweep: 0 when they differ by a constant.
template <class A, class B> double Spread(const Analysis& a, A pick, B reference) {
    double low = INFINITY, high = -INFINITY;
    for (int64_t f = a.Sweep().first; f < a.Sweep().last; ++f) {
        const double d = pick(a.Row(int32_t(f))) - reference(double(f));
        low = std::min(low, d), high = std::max(high, d);
    }
    return high - low;
}

} // namespace

class TestChainAnalysis : public QObject {
    Q_OBJECT
private slots:
    // With Rs = 0 the chain is a factor H(f) on every driver's voltage: the
    // SPL gains 20·log10|H| + room gain, the excursion and port air grow by
    // |H|, the maximum SPL (no amplifier limit) stays what it was.
    void scalesByH() {
        for (const BoxKind kind : {BoxKind::Sealed, BoxKind::Vented}) {
            SpeakerDesign plain = AnalysedDesign(kind);
            plain.m_extras.le = 0.8, plain.m_extras.portDiameter = 3, plain.m_freqLow = 5;
            SpeakerDesign chained = plain;
            chained.m_extras.chain.stages = {
                Stage("hp:bw4:20"),          Stage("lp:lr4:300"),  Stage("hp:q:15:0.5"),
                Stage("lt:50:0.9:25:0.707"), Stage("peak:30:2:6"), Stage("lowshelf:40:0.707:6"),
                Stage("highshelf:200:1:-4"), Stage("gain:-3")};
            chained.m_extras.chain.roomGainFc = 40;
            const Analysis a = Prepared(plain), b = Prepared(chained);
            for (int32_t f = 5; f <= 2000; f += 3) {
                const AnalysisRow p = a.Row(f), c = b.Row(f);
                const std::complex<double> h = ChainFilter(chained.m_extras.chain.stages).At(f).h;
                const double room = RoomGainDb(chained.m_extras.chain, f);
                QVERIFY(std::fabs(c.chainDb - 20 * std::log10(std::abs(h)) - room) < 1e-9);
                QVERIFY(std::fabs(c.spl - p.spl - c.chainDb) < 1e-9);
                // The filters' delay, −dφ/dω, from their phase 0.01 Hz apart.
                const ChainFilter filter(chained.m_extras.chain.stages);
                const double slope = std::arg(filter.At(f + 0.005).h / filter.At(f - 0.005).h);
                QVERIFY(std::fabs(c.delay - p.delay + slope / (2 * kPi * 0.01) * 1000) < 1e-4);
                QVERIFY(std::fabs(c.excursion / p.excursion - std::abs(h)) < 1e-9 * std::abs(h));
                QVERIFY(kind == BoxKind::Sealed ||
                        std::fabs(c.port[0] / p.port[0] - std::abs(h)) < 1e-9 * std::abs(h));
                QVERIFY(std::fabs(c.maxSpl - room - p.maxSpl) < 1e-9);
                QVERIFY(std::fabs(c.ohms - p.ohms) < 1e-12 * p.ohms);
                QVERIFY(std::fabs(c.chainDegrees - std::arg(h) * 180 / kPi) < 1e-9);
            }
        }
    }

    // A sealed box is a second-order high-pass at fc, Qtc (30·√3 Hz, 0.4·√3
    // for the reference box); the transform from there to 25 Hz, Q 0.707
    // leaves exactly that target's high-pass.
    void linkwitzTransform() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Sealed);
        d.m_freqLow = 5;
        FilterStage lt;
        lt.kind = StageKind::LinkwitzTransform;
        lt.frequency = 30 * std::sqrt(3.0), lt.q = 0.4 * std::sqrt(3.0);
        lt.targetFrequency = 25, lt.targetQ = 0.707;
        d.m_extras.chain.stages = {lt};
        const auto target = [](double f) {
            const double x = f / 25, q = 0.707; // |s²/(s² + s/Q + 1)| at s = jx
            return 20 * std::log10(x * x / std::hypot(1 - x * x, x / q));
        };
        QVERIFY(Spread(
                    Prepared(d), [](const AnalysisRow& r) { return r.spl; }, target) < 1e-9);
    }

    // Rs in series with Re damps as a larger Re: the box with Rs has the
    // shape of one whose driver has Qes·(Re + Rs)/Re (and the Qts that goes
    // with it, Qms unchanged), the level moved by a constant.
    void seriesResistance() {
        SpeakerDesign a = AnalysedDesign(BoxKind::Sealed);
        a.m_extras.qes = 0.5; // Qms = 0.4·0.5/0.1 = 2
        a.m_extras.chain.seriesResistance = 2;
        SpeakerDesign b = AnalysedDesign(BoxKind::Sealed);
        b.m_extras.qes = 0.5 * 8 / 6;
        b.m_qts = *b.m_extras.qes * 2 / (*b.m_extras.qes + 2);
        const Analysis withRs = Prepared(a), equivalent = Prepared(b);
        const auto spl = [&](double f) { return equivalent.Row(int32_t(f)).spl; };
        QVERIFY(Spread(
                    withRs, [](const AnalysisRow& r) { return r.spl; }, spl) < 1e-9);
        // The load's impedance leaves Rs out.
        a.m_extras.chain.seriesResistance.reset();
        QCOMPARE(withRs.Row(500).ohms, Prepared(a).Row(500).ohms);
    }

    // Two drivers in twice the box against one: at 2.83 V in parallel each
    // has the full voltage (+6.02 dB), in series half (±0); at 1 W each
    // takes half the power either way (+3.01 dB). The load is Z/2 or 2Z.
    void wiring() {
        const struct {
            WiringKind kind;
            bool voltage;
            double db, ohms;
        } cases[] = {{WiringKind::Parallel, true, 6.0206, 0.5},
                     {WiringKind::Series, true, 0, 2},
                     {WiringKind::Parallel, false, 3.0103, 0.5},
                     {WiringKind::Series, false, 3.0103, 2}};
        for (const auto& c : cases) {
            SpeakerDesign one = AnalysedDesign(BoxKind::Sealed);
            if (c.voltage)
                one.m_extras.chain.voltage = 2.83;
            SpeakerDesign two = one;
            two.m_driverCount = 2, two.m_v1 *= 2, two.m_extras.chain.wiring = Wiring{c.kind, 1, 1};
            const Analysis a = Prepared(one), b = Prepared(two);
            for (const int32_t f : {20, 52, 400})
                QVERIFY(std::fabs(b.Row(f).spl - a.Row(f).spl - c.db) < 1e-4 &&
                        std::fabs(b.Row(f).ohms / a.Row(f).ohms - c.ohms) < 1e-12);
            // A voltage is a power into the load's DC resistance.
            QVERIFY(!c.voltage || std::fabs(b.Power() - 2.83 * 2.83 / (6 * c.ohms)) < 1e-12);
        }
    }

    // Two coils of 4 Ω and 10 T·m, Mms 150 g, Fs 25 Hz: Qes = 2π·25·0.15·Re/Bl²
    // is 0.4712 with both (8 Ω, 20 T·m or 2 Ω, 10 T·m), 0.9425 on one.
    void voiceCoils() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Sealed);
        d.m_fs = 25, d.m_qts = 0.3, d.m_extras.re = 4;
        d.m_extras.qes = 2 * kPi * 25 * 0.15 * 8 / 400;
        // Vas from Mms 150 g: Cms = 1/(ωs²·Mms), Vas = ρc²Sd²·Cms.
        const double sd = Prepared(d).Driver().sd, ws = 2 * kPi * 25;
        d.m_vas = Acoustics::kAirDensity * std::pow(Acoustics::kSpeedOfSound * sd, 2) /
                  (ws * ws * 0.15) / Units::kCubicMetresPerCubicFoot;
        const double expected[][3] = {{0.4712, 20, 8}, {0.4712, 10, 2}, {0.9425, 10, 4}};
        for (std::uint16_t wiring = 0; wiring < 3; ++wiring) { // series, parallel, one
            d.m_extras.chain.coils = 2, d.m_extras.chain.coilWiring = wiring;
            const DriverValues v = Prepared(d).Driver();
            const double* e = expected[wiring];
            QVERIFY(std::fabs(v.qes - e[0]) < 5e-5 && std::fabs(*v.bl - e[1]) < 1e-9 &&
                    std::fabs(*v.re - e[2]) < 1e-12);
        }
    }

    // The amplifier's limit caps the drive at Pa/|H|², and so lowers the
    // maximum SPL where it is reached first.
    void amplifierLimit() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Sealed);
        d.m_extras.chain.ampPower = 10;
        const AnalysisRow flat = Prepared(d).Row(200);
        d.m_extras.chain.stages = {Stage("gain:6")};
        const AnalysisRow boosted = Prepared(d).Row(200);
        QVERIFY(std::fabs(flat.maxPower - 10) < 1e-12);
        QVERIFY(std::fabs(boosted.maxPower - 10 / std::pow(10, 0.6)) < 1e-12);
        QVERIFY(std::fabs(boosted.maxSpl - flat.maxSpl) < 1e-9);
        d.m_extras.chain.ampPower.reset(), d.m_extras.chain.ampVoltage = 2; // 4 V² / 6 Ω
        QVERIFY(std::fabs(Prepared(d).Row(200).maxPower - 4.0 / 6 / std::pow(10, 0.6)) < 1e-12);
    }

    // A voltage without Re has no watts; a grid the drivers outgrew, no S and P.
    void problems() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Sealed);
        d.m_extras.re.reset(), d.m_extras.chain.voltage = 2.83;
        QCOMPARE(Analysis::Prepare(d).ErrorCode(), AnalysisProblem::ChainNeedsRe);
        d.m_extras.re = 6, d.m_driverCount = 3;
        d.m_extras.chain.wiring = Wiring{WiringKind::Grid, 2, 2};
        QCOMPARE(Analysis::Prepare(d).ErrorCode(), AnalysisProblem::BadChain);
    }

private:
    static constexpr double kPi = std::numbers::pi;
};

QTEST_APPLESS_MAIN(TestChainAnalysis)
#include "test_chain_analysis.moc"
