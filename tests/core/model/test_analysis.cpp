// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis checked by physics: against the response model, closed forms,
// scaling laws, and values worked out apart in 40-digit arithmetic by a lumped
// model from textbook equations (Cms = Vas/(ρc²Sd²), η0 = 10^((dB − L)/10),
// L = 10 log10(ρc/(2π p0²)); chambers V/(ρc²) beside ports 1/(ωb²C) and leaks
// QL/(ωb C); a bandpass box radiating its ports alone; p = jωρU/2π at 1 m).
#include "core/design/Fields.h"
#include "core/model/Acoustics.h"
#include "core/model/Analysis.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <array>
#include <cmath>
#include <numbers>

using namespace orvane;
using D = SpeakerDesign&;

Q_DECLARE_METATYPE(SpeakerDesign)

namespace {

constexpr double kPi = std::numbers::pi;

bool Near(double got, double expected, double relative) {
    return std::fabs(got - expected) <= relative * std::fabs(expected);
}

SpeakerDesign With(BoxKind kind, auto change) {
    SpeakerDesign d = AnalysedDesign(kind);
    change(d);
    return d;
}

} // namespace

class TestAnalysis : public QObject {
    Q_OBJECT
private slots:
    // η0 and Qes from 88 dB through L = 112.0946 dB (the driver's other values
    // show in every quantity of referenceValues).
    void efficiency() {
        const DriverValues d = Prepared(AnalysedDesign(BoxKind::Sealed)).Driver();
        QVERIFY(Near(d.eta0, 0.003895280684, 1e-9) && Near(d.qes, 0.5661005816, 1e-9));
        QVERIFY(std::fabs(Acoustics::HalfSpaceLevel() - 112.094612426933) < 1e-12);
        // With Qes entered the model follows it: η0 = 4π²Fs³Vas/(c³Qes) = 0.0049003, 88.9968 dB.
        const SpeakerDesign both = With(BoxKind::Sealed, [](D d) { d.m_extras.qes = 0.45; });
        const DriverValues q = Prepared(both).Driver();
        QVERIFY(Near(q.eta0, 0.00490026813511, 1e-11) && !d.efficiencyMismatchDb);
        QVERIFY(q.efficiencyMismatchDb && Near(*q.efficiencyMismatchDb, 0.996810873, 1e-8));
    }

    // Values of the lumped model worked out apart: spl, excursion, port 1,
    // port 2, ohms, degrees, delay, max power, max spl; NaN: not checked.
    void referenceValues() {
        const auto check = [](const SpeakerDesign& design, int f, std::array<double, 9> expected) {
            const AnalysisRow r = Prepared(design).Row(f);
            const double got[] = {r.spl,     r.excursion, r.port[0],  r.port[1], r.ohms,
                                  r.degrees, r.delay,     r.maxPower, r.maxSpl};
            for (std::size_t k = 0; k < 9; ++k)
                QVERIFY2(std::isnan(expected[k]) || Near(got[k], expected[k], 1e-8),
                         qPrintable(QString("%1 Hz, %2: %3").arg(f).arg(k).arg(got[k])));
        };
        const double n = NAN;
        check(AnalysedDesign(BoxKind::Sealed), 20,
              {71.26748637, 0.9997328104, n, n, 7.035580527, 22.27843449, 4.907629213, 40.34405614,
               87.32528196});
        // Two drivers with Le 1.5 mH, ports in both chambers; wired in
        // parallel they present half of one driver's 9.029058465 Ω.
        check(With(BoxKind::Bandpass6,
                   [](D d) {
                       d.m_driverCount = 2, d.m_extras.le = 1.5, d.m_extras.portDiameter = 3;
                       d.m_extras.port2Diameter = 2, d.m_extras.ports2 = 2;
                   }),
              60,
              {92.29985902, 0.2471119594, 1.124524811, 2.846453429, 9.029058465 / 2, 21.62434917,
               11.05191952, 200, 115.310159});
    }

    // Without Le and with the response model's box loss, sealed and vented
    // boxes are the response model's filters: SPL = level + the efficiency +
    // 10 log10(N·P), so an 88 dB driver plays 88.000 dB at 1 W in the
    // passband. Nearly lossless bandpass boxes follow its shape.
    void followsResponseModel() {
        const std::pair<SpeakerDesign, double> rows[] = {
            {AnalysedDesign(BoxKind::Sealed), 88.0},
            {AnalysedDesign(BoxKind::Vented), 88.0},
            // Two drivers at 50 W: 88 + 10 log10(100). A stored tuning is kept.
            {With(BoxKind::Vented,
                  [](D d) { d.m_driverCount = 2, d.m_f1 = 40, d.m_extras.power = 50; }),
             108.0},
            {With(BoxKind::Bandpass6, [](D d) { d.m_extras.ql = 1e5; }), NAN}};
        for (auto [design, constant] : rows) {
            design.m_freqLow = 5;
            const Analysis a = Prepared(design);
            ApplyAutomaticValues(design, StoredF1CountsAsEntered(design));
            const ResponseCurve level = ComputeCurve(design, ComputeSealedAlignment(design));
            // The same frequencies as the response curve.
            QVERIFY(a.Sweep().Count() == qint64(level.size()) &&
                    a.Sweep().first == level.front().frequency);
            double low = INFINITY, high = -INFINITY;
            for (const CurvePoint& p : level) {
                const double d = a.Row(p.frequency, Analysis::kSpl).spl - p.level;
                low = std::min(low, d), high = std::max(high, d);
            }
            QVERIFY(std::isnan(constant) ? high - low <= 0.2
                                         : high - constant <= 1e-9 && constant - low <= 1e-9);
        }
    }

    // A bandpass box radiates through its ports alone: far above the
    // passband the cone's mass, the chamber's compliance and the port's mass
    // each take 6 dB/octave, the pressure's ω gives one back: 12 with QL 7.
    void bandpassSlope() {
        for (const auto& [kind, from] :
             {std::pair{BoxKind::Bandpass4, 600}, {BoxKind::Bandpass6, 900}}) {
            const Analysis a = Prepared(With(kind, [](D d) { d.m_freqHigh = 2000; }));
            const double fall = a.Row(from).spl - a.Row(2 * from).spl;
            QVERIFY2(std::fabs(fall - 12) <= 0.2, qPrintable(QString::number(fall)));
        }
    }

    // Pe is each driver's: four of 100 W take 400 W where Xmax allows more,
    // 10 log10(400/50) dB above their level at 50 W. Linear, through Le: the
    // excursion grows with the root of the power, the limits stay put.
    void maximumOutput() {
        SpeakerDesign d = With(BoxKind::Vented, [](D d) {
            d.m_driverCount = 4, d.m_v1 = 8, d.m_extras.power = 50, d.m_extras.le = 1;
        });
        const AnalysisRow at100 = Prepared(d).Row(100), at20 = Prepared(d).Row(20);
        QCOMPARE(at100.maxPower, 400.0);
        QVERIFY(std::fabs(at100.maxSpl - at100.spl - 10 * std::log10(8.0)) < 1e-12 &&
                at20.maxPower < 400);
        for (const double power : {0.1, 1e5}) {
            d.m_extras.power = power;
            const AnalysisRow r = Prepared(d).Row(20);
            QVERIFY(Near(r.maxPower, at20.maxPower, 1e-14) && Near(r.maxSpl, at20.maxSpl, 1e-14));
            QVERIFY(Near(r.excursion, at20.excursion * std::sqrt(power / 50), 1e-12));
        }
        d.m_xmax /= 10; // 0.6 mm: a hundredth of the power
        QVERIFY(Near(Prepared(d).Row(20).maxPower, at20.maxPower / 100, 1e-12));
    }

    // The impedance peaks where the moving mass resonates with suspension and
    // box together, with only the mechanical losses left: Re (1 + Qms/Qes),
    // over N for N drivers in parallel.
    void closedForms() {
        for (const SpeakerDesign& design :
             {AnalysedDesign(BoxKind::Sealed), With(BoxKind::Sealed, [](D d) {
                  d.m_driverCount = 3, d.m_v1 = 2.5, d.m_extras.qes = 0.9;
              })}) {
            const Analysis a = Prepared(design);
            const auto fc =
                int32_t(std::lround(30 * std::sqrt(1 + design.m_driverCount * 3 / design.m_v1)));
            const double peak = a.Row(fc).ohms;
            QVERIFY(peak > a.Row(fc - 1).ohms && peak > a.Row(fc + 1).ohms);
            QVERIFY(Near(peak, 6 * (1 + a.Driver().qms / a.Driver().qes) / design.m_driverCount,
                         0.005));
        }
        // A sealed box is a second-order high-pass: its group delay in closed
        // form. (Excursion grows with the root of the power: maximumOutput.)
        const Analysis a = Prepared(With(BoxKind::Sealed, [](D d) { d.m_freqLow = 1; }));
        const double wc = 2 * kPi * 30 * std::sqrt(3.0), q = 0.4 * std::sqrt(3.0);
        for (int32_t f = 1; f < 2000; ++f) {
            const double w = 2 * kPi * f;
            const double tau = (wc / q) * (wc * wc + w * w) /
                               (std::pow(wc * wc - w * w, 2) + std::pow(w * wc / q, 2));
            QVERIFY(Near(a.Row(f, Analysis::kDelay).delay, tau * 1000, 1e-6));
        }
        // Well below the tuning the air in the box barely compresses: the
        // ports carry what the cone moves. At the tuning the cone moves least.
        SpeakerDesign d = With(BoxKind::Vented, [](D d) {
            d.m_extras.portDiameter = 3, d.m_extras.ports = 2, d.m_extras.ql = 1e5, d.m_freqLow = 1;
        });
        const AnalysisRow at1 = Prepared(d).Row(1);
        const double coneFlow = Prepared(d).Driver().sd * 2 * kPi * at1.excursion / 1000;
        QVERIFY(Near(at1.port[0] * 2 * kPi * std::pow(1.5 * 0.0254, 2), coneFlow, 0.002));
        d.m_extras.ql.reset();
        const Analysis v = Prepared(d);
        const auto fb = int32_t(std::lround(v.F1()));
        QVERIFY(v.Row(fb).excursion < v.Row(fb - 1).excursion &&
                v.Row(fb).excursion < v.Row(fb + 1).excursion);
    }

    // What the field table says is in force while a value is unset is what
    // the analysis uses: unset and set to that fallback analyse alike.
    void fallbacksInForce() {
        for (const BoxKind kind : {BoxKind::Vented, BoxKind::PassiveRadiator, BoxKind::Bandpass6})
            for (const FieldInfo& f : Fields::All()) {
                if (!f.fallback || f.home != FieldHome::Extension)
                    continue;
                SpeakerDesign unset = AnalysedDesign(kind), set = unset;
                Fields::SetNumber(unset, f.id, std::nullopt);
                Fields::SetNumber(set, f.id, f.fallback);
                const AnalysisResult<Analysis> a = Analysis::Prepare(unset),
                                               b = Analysis::Prepare(set);
                QCOMPARE(a.ErrorCode(), b.ErrorCode());
                for (const int32_t hz : {20, 60, 200}) {
                    const AnalysisRow x = a ? a->Row(hz) : AnalysisRow{}, y = b ? b->Row(hz) : x;
                    QVERIFY2(x.spl == y.spl && x.ohms == y.ohms && x.maxSpl == y.maxSpl &&
                                 x.excursion == y.excursion,
                             f.key.data());
                }
            }
    }

    // What the analysis, or a quantity of it (by bit), cannot have, and why.
    void problems_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<unsigned>("quantity"); // 0: the analysis
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("sentence"); // empty: the problem's own
        using P = AnalysisProblem;
        const auto add = [](const char* tag, BoxKind kind, P p, auto change, QString text = {},
                            unsigned quantity = 0) {
            QTest::newRow(tag) << With(kind, change) << quantity << int(p) << text;
        };
        const BoxKind sealed = BoxKind::Sealed, bp4 = BoxKind::Bandpass4;
        add("type", sealed, P::UnknownBoxType, [](D d) { d.m_boxType = "sealed"; });
        add("Vas NaN", sealed, P::NoDriver, [](D d) { d.m_vas = NAN; });
        add("cone", sealed, P::NoConeDiameter, [](D d) { d.m_coneDiameter = 0; });
        add("no Qes", sealed, P::NoQesOrEfficiency, [](D d) { d.m_efficiency = -3; });
        add("Qes = Qts", sealed, P::QesNotAboveQts, [](D d) { d.m_extras.qes = 0.4; });
        add(
            "92 dB", sealed, P::QesNotAboveQts, [](D d) { d.m_efficiency = 92, d.m_qts = 0.34; },
            "The efficiency of 92 dB implies Qes 0.23, not above Qts 0.34: enter the driver's Qes "
            "in Electrical Parameters, or check the efficiency (a sensitivity quoted at 2.83 V is "
            "higher than at 1 W for drivers below 8 \u03a9).");
        add("V1", sealed, P::NoVolume1, [](D d) { d.m_v1 = 0; });
        add("F1", bp4, P::NoTuning1, [](D d) { d.m_f1 = 0; });
        add("V2", bp4, P::NoVolume2, [](D d) { d.m_v2 = -1; });
        add("F2", BoxKind::Bandpass6, P::NoTuning2, [](D d) { d.m_f2 = INFINITY; });
        add("power", sealed, P::NoPower, [](D d) { d.m_extras.power = 0; });
        add("radiator", BoxKind::PassiveRadiator, P::NoRadiator,
            [](D d) { d.m_extras.prSd.reset(); });
        add("open circuit", sealed, P::BadChain,
            [](D d) { d.m_extras.chain.seriesResistance = INFINITY; });
        add("vented QL", BoxKind::Vented, P::NoQl, [](D d) { d.m_extras.ql = -7; });
        add("sealed QL", sealed, P::None, [](D d) { d.m_extras.ql = -7; }); // no leak to model
        add("0 Hz only", sealed, P::EmptySweep, [](D d) { d.m_freqLow = -5, d.m_freqHigh = 1; });
        add("Vas 1e300", sealed, P::TooExtreme, [](D d) { d.m_vas = 1e300; });
        // A vented chamber without a port diameter says where to enter it.
        const auto none = [](D d) { d.m_extras.re.reset(), d.m_extras.pe.reset(), d.m_xmax = 0; };
        add("port", bp4, P::NoPort, none,
            "The port air velocity needs a vented chamber with a port diameter. Enter the port "
            "diameter in Options \u25b8 Analysis Settings.",
            Analysis::kPort1);
        add("sealed port", bp4, P::NoPort, none, {}, Analysis::kPort2);
        add("Re", bp4, P::NoRe, none, {}, Analysis::kImpedance);
        add("limit", bp4, P::NoLimit, none, {}, Analysis::kMaximum);
    }
    void problems() {
        QFETCH(SpeakerDesign, design);
        QFETCH(unsigned, quantity);
        QFETCH(int, problem);
        QFETCH(QString, sentence);
        const AnalysisResult<Analysis> a = Analysis::Prepare(design);
        QCOMPARE(bool(a), problem == int(AnalysisProblem::None) || quantity != 0);
        const AnalysisResult<void> has =
            quantity ? a->Has(Analysis::Quantity(quantity)) : AnalysisResult<void>(a.Error());
        QCOMPARE(int(has.ErrorCode()), problem);
        QCOMPARE(has.Message(), sentence.isEmpty() ? AnalysisProblemText(AnalysisProblem(problem))
                                                   : sentence.toStdString());
    }

    // Extreme values a file or the command line can hold: the analysis runs
    // with every figure finite, or refuses; it never yields NaN or infinity.
    void extremesStayFinite_data() {
        QTest::addColumn<int>("field");
        for (int field = 0; field < 17; ++field)
            QTest::addRow("%d", field) << field;
    }
    void extremesStayFinite() {
        QFETCH(int, field);
        for (const double value : {1e-300, 1e-9, 1e9, 1e300})
            for (const BoxKind kind : {BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6}) {
                SpeakerDesign d = AnalysedDesign(kind);
                DesignExtras& x = d.m_extras;
                x.le = 1, x.portDiameter = 3, x.port2Diameter = 2, x.ql = 7, x.power = 1;
                double* fields[] = {
                    &d.m_fs,          &d.m_qts,     &d.m_vas,  &d.m_v1,           &d.m_f1,
                    &d.m_v2,          &d.m_f2,      &d.m_xmax, &d.m_coneDiameter, &d.m_efficiency,
                    &*x.re,           &*x.le,       &*x.pe,    &*x.power,         &*x.ql,
                    &*x.portDiameter, &d.m_freqHigh};
                *fields[field] = value;
                const AnalysisResult<Analysis> a = Analysis::Prepare(d);
                for (int32_t f = 20; a && f < std::min<int64_t>(a->Sweep().last, 5000); ++f)
                    QVERIFY2(a->Finite(a->Row(f)), qPrintable(QString("%1 %2").arg(value).arg(f)));
            }
    }
};

QTEST_APPLESS_MAIN(TestAnalysis)
#include "test_analysis.moc"
