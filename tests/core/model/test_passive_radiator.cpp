// SPDX-License-Identifier: GPL-3.0-or-later
// The passive-radiator box checked by physics: its tuning against figures
// worked out by hand, its limits against the vented box and the compliance
// divider, its response against the analysis, and its notch.
#include "core/model/Acoustics.h"
#include "core/model/Analysis.h"
#include "core/model/PassiveRadiator.h"
#include "core/units/Units.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <cmath>
#include <numbers>

using namespace orvane;

namespace {

constexpr double kPi = std::numbers::pi;

// A radiator of moving mass `mms` (kg), compliance `cms` (m/N) and area `sd`
// (m²) in the design's terms: Vas = ρc²·Sd²·Cms, Fs = 1/(2π√(Mms·Cms)).
void SetRadiator(SpeakerDesign& d, double sd, double mms, double cms, double qms, int count) {
    using namespace Acoustics;
    const double vas = kAirDensity * kSpeedOfSound * kSpeedOfSound * sd * sd * cms;
    d.m_extras.prVas = vas / Units::kCubicMetresPerCubicFoot;
    d.m_extras.prFs = 1 / (2 * kPi * std::sqrt(mms * cms));
    d.m_extras.prSd = sd / (Units::kMetresPerInch * Units::kMetresPerInch);
    d.m_extras.prQms = qms;
    d.m_extras.prCount = static_cast<std::uint16_t>(count);
}

// The example of the radiator's makers: driver Fs 30 Hz, Qms 5, Qes 0.40
// (Qts 0.37037), Vas 50 L, Sd 220 cm², Re 6 Ω in 40 L with QL 7; two
// radiators of Sd 235.1 cm², Mms 132 g, Cms 0.93 mm/N, Qms 9.4.
SpeakerDesign Example() {
    SpeakerDesign d;
    d.m_boxType = std::string(BoxType::PassiveRadiator), d.m_fs = 30, d.m_qts = 5 * 0.4 / 5.4;
    d.m_vas = 50 / Units::kLitresPerCubicFoot;
    d.m_coneDiameter =
        std::sqrt(0.0220 / kPi) / Units::kEffectiveRadiusShare / Units::kMetresPerInch;
    d.m_v1 = 40 / Units::kLitresPerCubicFoot;
    d.m_extras.qes = 0.4, d.m_extras.re = 6, d.m_freqLow = 5, d.m_freqHigh = 400;
    SetRadiator(d, 0.02351, 0.132, 0.93e-3, 9.4, 2);
    return d;
}

double Cab(const SpeakerDesign& d) {
    return Acoustics::AcousticCompliance(d.m_v1);
}

} // namespace

class TestPassiveRadiator : public QObject {
    Q_OBJECT
private slots:
    // By hand, ρ0 1.18, c 345: Vas_p = ρc²·Sd²·Cms = 140449.5·0.02351²·0.93e-3
    // = 72.20 L; Fp = 1/(2π√(0.132·0.93e-3)) = 14.36 Hz; δ = 2·72.20/40 =
    // 3.610; Fb = Fp·√4.610 = 30.84 Hz. For 28 Hz: Cab = 0.040/140449.5 =
    // 2.8480e-7, Cap = 2·0.93e-3·0.02351² = 1.02806e-6, Ceff = 2.2303e-7,
    // m = 2·0.02351²/((2π·28)²·Ceff) − 0.132 = 0.02815 kg. A target above Fb
    // would need negative mass.
    void tuning() {
        const SpeakerDesign d = Example();
        const RadiatorValues r = *DeriveRadiatorValues(d);
        QVERIFY(std::fabs(*d.m_extras.prVas * Units::kLitresPerCubicFoot - 72.20) < 0.005);
        const RadiatorTuning t = TuningOf(r, Cab(d));
        QVERIFY(std::fabs(t.fp - 14.36) < 0.005 && std::fabs(t.delta - 3.610) < 0.0005);
        QVERIFY(std::fabs(t.fb - 30.84) < 0.005);
        const Result<double, int> mass = MassForTuning(r, Cab(d), 28);
        QVERIFY(mass && std::fabs(*mass - 28.15) < 0.01 && !MassForTuning(r, Cab(d), 31));
    }

    // With the radiators' compliance and losses gone (Cmp → ∞, Rmp → 0,
    // the mass kept) the radiators are a port of mass M/(Np·Sd²): the vented
    // box of the same Fb, in every quantity the two share.
    void vanishingSuspensionIsVentedBox() {
        SpeakerDesign pr = Example();
        SetRadiator(pr, 0.02351, 0.132, 1e9, 1e12, 2);
        pr.m_xmax = 0.2;
        SpeakerDesign vented = pr;
        vented.m_boxType = std::string(BoxType::Vented);
        vented.m_f1 = TuningOf(*DeriveRadiatorValues(pr), Cab(pr)).fb;
        const Analysis a = Prepared(pr), b = Prepared(vented);
        QVERIFY(std::fabs(a.F1() - vented.m_f1) < 1e-9);
        for (int32_t f = 5; f < 400; f += 7) {
            const AnalysisRow x = a.Row(f), y = b.Row(f);
            QVERIFY2(std::fabs(x.spl - y.spl) < 1e-6, qPrintable(QString::number(f)));
            QVERIFY(std::fabs(x.excursion / y.excursion - 1) < 1e-7);
            QVERIFY(std::fabs(x.ohms / y.ohms - 1) < 1e-7 && std::fabs(x.delay - y.delay) < 1e-6);
        }
    }

    // Without a leak the box is a compliance divider below every resonance:
    // the radiators take Cap/(Cab + Cap) = δ/(1 + δ) of the cones' volume
    // displacement, the rest compresses the air. The error falls as f².
    void lowFrequencyShare() {
        SpeakerDesign d = Example();
        d.m_extras.ql = 1e12;
        const Analysis a = Prepared(d);
        const double delta = TuningOf(*DeriveRadiatorValues(d), Cab(d)).delta;
        const double cone = 0.0220, radiators = 2 * 0.02351;
        const auto error = [&](int32_t f) {
            const AnalysisRow r = a.Row(f);
            return r.radiator * radiators / (r.excursion * cone) / (delta / (1 + delta)) - 1;
        };
        QVERIFY(std::fabs(error(1)) < 0.01 && std::fabs(error(2) / error(1) - 4) < 0.05);
    }

    // The radiators resonate alone at Fp: their branch is their resistance
    // Rap alone, short-circuiting the box, so what leaves it is ∝ Rap ∝
    // 1/Qms there: a dip between its neighbours that deepens 20 dB for ten
    // times the Qms, while the passband stays.
    void notchAtFp() {
        SpeakerDesign d = Example();
        const double fp = TuningOf(*DeriveRadiatorValues(d), Cab(d)).fp;
        const std::vector<double> at = {fp / 1.15, fp, fp * 1.15, 200};
        d.m_extras.prQms = 94;
        const std::vector<double> level = LevelsAt(d, {}, at);
        QVERIFY2(level[1] < level[0] - 10 && level[1] < level[2] - 10,
                 qPrintable(QString("%1 %2 %3").arg(level[0]).arg(level[1]).arg(level[2])));
        d.m_extras.prQms = 940;
        const std::vector<double> deeper = LevelsAt(d, {}, at);
        QVERIFY(std::fabs(deeper[1] - level[1] + 20) < 0.1);
        QVERIFY(std::fabs(deeper[3] - level[3]) < 0.01);
    }

    // The response curve is the analysis' SPL at 1 W with the passband's
    // level 10·log10(N·η0) + L taken off, whatever the number of drivers.
    void responseIsAnalysisRelative() {
        for (const int drivers : {1, 3}) {
            SpeakerDesign d = Example();
            d.m_driverCount = static_cast<std::uint16_t>(drivers);
            const Analysis a = Prepared(d);
            ApplyAutomaticValues(d, true);
            const double passband =
                10 * std::log10(drivers * a.Driver().eta0) + Acoustics::HalfSpaceLevel();
            for (const CurvePoint& p : ComputeCurve(d, {})) {
                const double spl = a.Row(p.frequency, Analysis::kSpl).spl;
                QVERIFY2(std::fabs(spl - passband - p.level) < 1e-9,
                         qPrintable(QString::number(p.frequency)));
            }
        }
    }

    // The build rule: the radiators should displace twice what the drivers do
    // at Xmax. Driver 220 cm² × 10 mm = 220 cm³; two radiators of 235.1 cm²
    // × 10 mm = 470.2 cm³ (2.14x), × 8 mm 376.2 cm³ (1.71x). An Sd given as
    // a cone diameter under the effective-radius rule judges the same.
    void displacementRule_data() {
        QTest::addColumn<double>("radiatorXmax"); // mm; 0: not given
        QTest::addColumn<bool>("byDiameter");
        QTest::addColumn<QString>("warning");
        QTest::newRow("enough") << 10.0 << false << "";
        QTest::newRow("short") << 8.0 << false << "radiators displace 1.7x the drivers (want 2x)";
        QTest::newRow("short, by diameter")
            << 8.0 << true << "radiators displace 1.7x the drivers (want 2x)";
    }
    void displacementRule() {
        QFETCH(double, radiatorXmax);
        QFETCH(bool, byDiameter);
        SpeakerDesign d = Example();
        d.m_xmax = 10 / Units::kMillimetresPerInch;
        if (radiatorXmax > 0)
            d.m_extras.prXmax = radiatorXmax / Units::kMillimetresPerInch;
        if (byDiameter) {
            d.m_extras.prDiameter =
                std::sqrt(*d.m_extras.prSd / kPi) / Units::kEffectiveRadiusShare;
            d.m_extras.prSd.reset();
        }
        QTEST(QString::fromStdString(RadiatorDisplacementWarning(d)), "warning");
    }
};

QTEST_APPLESS_MAIN(TestPassiveRadiator)
#include "test_passive_radiator.moc"
