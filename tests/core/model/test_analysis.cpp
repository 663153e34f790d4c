// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis checked by physics: against the response model, closed forms,
// scaling laws, and reference values worked out separately with complex
// arithmetic straight from the model's definitions.
#include "core/model/Analysis.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numbers>

using namespace orvane;

Q_DECLARE_METATYPE(SpeakerDesign)

namespace {

constexpr double kPi = std::numbers::pi;

Analysis Prepared(const SpeakerDesign& d) {
    AnalysisResult<Analysis> a = Analysis::Prepare(d);
    if (!a)
        qFatal("analysis cannot run: %s", std::string(a.Message()).c_str());
    return *std::move(a);
}

bool Near(double got, double expected, double relative) {
    return std::fabs(got - expected) <= relative * std::fabs(expected);
}

// The response curve as the program plots the design when it opens it.
ResponseCurve Response(SpeakerDesign d) {
    ApplyAutomaticValues(d, StoredF1CountsAsEntered(d));
    return ComputeCurve(d, ComputeSealedAlignment(d));
}

} // namespace

class TestAnalysis : public QObject {
    Q_OBJECT
private slots:
    void derivedDriver() {
        const Analysis a = Prepared(AnalysedDesign(BoxKind::Sealed));
        const DriverValues& d = a.Driver();
        const std::pair<double, double> values[] = {
            {d.sd, 0.0349070782},      {d.qes, 0.553901267},       {d.qms, 1.43962757},
            {d.mms, 0.0566994449},     {d.cms, 4.9638534e-4},      {d.rms, 7.42386003},
            {d.bl2OverRe, 19.2951239}, {d.bl.value(), 10.7596814}, {d.eta0, 0.00398107171}};
        for (const auto& [got, expected] : values)
            QVERIFY2(Near(got, expected, 1e-5), qPrintable(QString::number(got)));
        // An entered Qes wins over the efficiency and gives η0.
        SpeakerDesign withQes = AnalysedDesign(BoxKind::Sealed);
        withQes.m_extras.qes = 0.553901267;
        withQes.m_efficiency = 0;
        QVERIFY(Near(Prepared(withQes).Driver().eta0, 0.00398107171, 1e-5));
    }

    // NaN: not checked (the quantity does not exist or the row leaves it out).
    void referenceValues_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<int>("frequency");
        // spl, excursion, port 1, port 2, ohms, degrees, delay, max power, max spl
        QTest::addColumn<QList<double>>("expected");
        const double n = NAN;
        const SpeakerDesign sealed = AnalysedDesign(BoxKind::Sealed);
        QTest::newRow("sealed 20")
            << sealed << 20
            << QList<double>{71.3620988, 1.01068208, n,          n,        7.0484474,
                             22.8404363, 4.90762921, 39.4746526, 87.325282};
        QTest::newRow("sealed 100")
            << sealed << 100 << QList<double>{87.6988851, 0.265163579, n, n, n, n, n, 100, n};
        SpeakerDesign vented = AnalysedDesign(BoxKind::Vented);
        vented.m_extras.portDiameter = 3;
        QTest::newRow("vented 30")
            << vented << 30
            << QList<double>{81.9251538, 0.497911151, 2.8117466, n, n, n, 15.2659854, n, n};
        // Two drivers with Le 1.5 mH, ports in both chambers.
        SpeakerDesign bp6 = AnalysedDesign(BoxKind::Bandpass6);
        bp6.m_driverCount = 2;
        bp6.m_extras.le = 1.5;
        bp6.m_extras.portDiameter = 3;
        bp6.m_extras.port2Diameter = 2;
        bp6.m_extras.ports2 = 2;
        QTest::newRow("bandpass6 60")
            << bp6 << 60
            << QList<double>{92.3911041, 0.249721549, 1.13640019, 2.87651298, 9.11214843,
                             22.1676523, 11.040575,   n,          n};
    }
    void referenceValues() {
        QFETCH(SpeakerDesign, design);
        QFETCH(int, frequency);
        QFETCH(QList<double>, expected);
        const Analysis a = Prepared(design);
        const auto i = std::size_t(frequency - a.Sweep().first);
        const auto port = [&](Chamber c) {
            const auto v = a.PortVelocity(c);
            return v ? (*v)[i].value : NAN;
        };
        const ImpedancePoint z = (*a.Impedance())[i];
        const MaximumOutputPoint m = (*a.MaximumOutput())[i];
        const double got[] = {a.Spl()[i].value,
                              a.Excursion()[i].value,
                              port(Chamber::One),
                              port(Chamber::Two),
                              z.ohms,
                              z.degrees,
                              a.GroupDelay()[i].value,
                              m.power,
                              m.spl};
        for (qsizetype k = 0; k < expected.size(); ++k) {
            if (!std::isnan(expected[k]))
                QVERIFY2(Near(got[k], expected[k], 1e-5),
                         qPrintable(QString("%1: %2").arg(k).arg(got[k], 0, 'g', 10)));
        }
    }

    // Without Le and with the response model's box loss, sealed and vented
    // boxes are the response model's filters: SPL = level + sensitivity.
    // Nearly lossless bandpass boxes follow the response model's shape.
    void followsResponseModel_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<double>("tolerance"); // dB, after one constant
        QTest::newRow("sealed") << AnalysedDesign(BoxKind::Sealed) << 1e-9;
        QTest::newRow("vented") << AnalysedDesign(BoxKind::Vented) << 1e-9;
        SpeakerDesign two = AnalysedDesign(BoxKind::Vented);
        two.m_driverCount = 2;
        two.m_f1 = 40; // a stored tuning is kept
        two.m_extras.power = 50;
        two.m_freqLow = 5;
        QTest::newRow("vented, two drivers, tuned, 50 W") << two << 1e-9;
        for (const BoxKind kind : {BoxKind::Bandpass4, BoxKind::Bandpass6}) {
            SpeakerDesign bp = AnalysedDesign(kind);
            bp.m_extras.ql = 1e5;
            QTest::newRow(BoxType::Name(kind).data()) << bp << 0.2;
        }
    }
    void followsResponseModel() {
        QFETCH(SpeakerDesign, design);
        QFETCH(double, tolerance);
        const AnalysisCurve spl = Prepared(design).Spl();
        const ResponseCurve level = Response(design);
        QCOMPARE(spl.size(), level.size());
        double low = INFINITY, high = -INFINITY;
        for (std::size_t i = 0; i < spl.size(); ++i) {
            QCOMPARE(spl[i].frequency, level[i].frequency);
            low = std::min(low, spl[i].value - level[i].level);
            high = std::max(high, spl[i].value - level[i].level);
        }
        QVERIFY2(high - low <= tolerance, qPrintable(QString::number(high - low)));
    }

    // The impedance peaks where the moving mass resonates with suspension and
    // box together; there only the mechanical losses are left.
    void impedancePeak_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::newRow("reference") << AnalysedDesign(BoxKind::Sealed);
        SpeakerDesign other = AnalysedDesign(BoxKind::Sealed);
        other.m_driverCount = 3;
        other.m_v1 = 2.5;
        other.m_extras.qes = 0.9;
        QTest::newRow("three drivers, Qes 0.9") << other;
    }
    void impedancePeak() {
        QFETCH(SpeakerDesign, design);
        const Analysis a = Prepared(design);
        const ImpedanceCurve z = *a.Impedance();
        const auto peak =
            std::max_element(z.begin(), z.end(), [](auto& l, auto& r) { return l.ohms < r.ohms; });
        const double fc = 30 * std::sqrt(1 + design.m_driverCount * 3 / design.m_v1);
        QCOMPARE(peak->frequency, int32_t(std::lround(fc)));
        QVERIFY(Near(peak->ohms, 6 * (1 + a.Driver().qms / a.Driver().qes), 0.005));
    }

    // A linear system: excursion grows with the square root of the power,
    // whether a force or a voltage through Le drives it.
    void excursionScalesWithPower() {
        SpeakerDesign withLe = AnalysedDesign(BoxKind::Bandpass6);
        withLe.m_extras.le = 1;
        for (SpeakerDesign d : {AnalysedDesign(BoxKind::Sealed), withLe}) {
            const AnalysisCurve at1 = Prepared(d).Excursion();
            d.m_extras.power = 250;
            const AnalysisCurve at250 = Prepared(d).Excursion();
            for (std::size_t i = 0; i < at1.size(); ++i)
                QVERIFY(Near(at250[i].value, at1[i].value * std::sqrt(250.0), 1e-12));
        }
    }

    // A sealed box is a second-order high-pass; its group delay has a closed form.
    void sealedGroupDelay() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Sealed);
        d.m_freqLow = 1;
        const double wc = 2 * kPi * 30 * std::sqrt(3.0), q = 0.4 * std::sqrt(3.0);
        for (const AnalysisPoint& p : Prepared(d).GroupDelay()) {
            const double w = 2 * kPi * p.frequency;
            const double tau = (wc / q) * (wc * wc + w * w) /
                               (std::pow(wc * wc - w * w, 2) + std::pow(w * wc / q, 2));
            QVERIFY2(Near(p.value, tau * 1000, 1e-6), qPrintable(QString::number(p.frequency)));
        }
    }

    // Well below the tuning the air in the box barely compresses: the ports
    // carry what the cone moves. At the tuning the port does the work and the
    // cone moves least.
    void ventedPort() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Vented);
        d.m_extras.portDiameter = 3;
        d.m_extras.ports = 2;
        d.m_extras.ql = 1e5;
        d.m_freqLow = 1;
        d.m_freqHigh = 60;
        Analysis a = Prepared(d);
        const double portArea = 2 * kPi * std::pow(1.5 * 0.0254, 2);
        const double coneFlow = a.Driver().sd * 2 * kPi * a.Excursion().front().value / 1000;
        QVERIFY(Near((*a.PortVelocity(Chamber::One)).front().value * portArea, coneFlow, 0.002));
        d.m_extras.ql.reset();
        a = Prepared(d);
        const AnalysisCurve x = a.Excursion();
        const auto least = std::min_element(x.begin() + 19, x.end(),
                                            [](auto& l, auto& r) { return l.value < r.value; });
        QCOMPARE(least->frequency, int32_t(std::lround(a.F1())));
    }

    void problems_data() {
        QTest::addColumn<SpeakerDesign>("design");
        QTest::addColumn<int>("problem");
        using P = AnalysisProblem;
        const auto add = [](const char* tag, BoxKind kind, P p, auto change) {
            SpeakerDesign d = AnalysedDesign(kind);
            change(d);
            QTest::newRow(tag) << d << int(p);
        };
        using D = SpeakerDesign&;
        const BoxKind sealed = BoxKind::Sealed;
        add("type", sealed, P::UnknownBoxType, [](D d) { d.m_boxType = "sealed"; });
        add("Vas NaN", sealed, P::NoDriver, [](D d) { d.m_vas = NAN; });
        add("no driver", sealed, P::NoDriverCount, [](D d) { d.m_driverCount = 0; });
        add("cone", sealed, P::NoConeDiameter, [](D d) { d.m_coneDiameter = 0; });
        add("no Qes", sealed, P::NoQesOrEfficiency, [](D d) { d.m_efficiency = -3; });
        add("Qes = Qts", sealed, P::QesNotAboveQts, [](D d) {
            d.m_efficiency = 0;
            d.m_extras.qes = 0.4;
        });
        add("efficiency 100", sealed, P::QesNotAboveQts, [](D d) { d.m_efficiency = 100; });
        add("V1", sealed, P::NoVolume1, [](D d) { d.m_v1 = 0; });
        add("F1", BoxKind::Bandpass4, P::NoTuning1, [](D d) { d.m_f1 = 0; });
        add("V2", BoxKind::Bandpass4, P::NoVolume2, [](D d) { d.m_v2 = -1; });
        add("F2", BoxKind::Bandpass6, P::NoTuning2, [](D d) { d.m_f2 = INFINITY; });
        add("power", sealed, P::NoPower, [](D d) { d.m_extras.power = 0; });
        add("vented QL", BoxKind::Vented, P::NoQl, [](D d) { d.m_extras.ql = -7; });
        add("sealed QL", sealed, P::None, [](D d) { d.m_extras.ql = -7; }); // no leak to model
    }
    void problems() {
        QFETCH(SpeakerDesign, design);
        QFETCH(int, problem);
        const AnalysisResult<Analysis> a = Analysis::Prepare(design);
        QCOMPARE(int(a.ErrorCode()), problem);
        QCOMPARE(bool(a), problem == int(AnalysisProblem::None));
        QCOMPARE(a.Message().empty(), bool(a));
    }

    // Quantities that need more than the analysis say what they miss.
    void quantityProblems() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Bandpass4);
        d.m_extras.re.reset();
        d.m_extras.pe.reset();
        d.m_xmax = 0;
        d.m_extras.portDiameter = 3;
        d.m_extras.ports = 0;
        d.m_extras.port2Diameter = 3; // the sealed chamber has no port
        const Analysis a = Prepared(d);
        QVERIFY(a.Impedance().Message() == "The impedance needs Re.");
        QCOMPARE(a.MaximumOutput().ErrorCode(), AnalysisProblem::NoLimit);
        QCOMPARE(a.PortVelocity(Chamber::One).ErrorCode(), AnalysisProblem::NoPort);
        QCOMPARE(a.PortVelocity(Chamber::Two).ErrorCode(), AnalysisProblem::NoPort);
        d.m_extras.ports.reset();
        QVERIFY(Prepared(d).PortVelocity(Chamber::One));
    }

    // The same frequencies as the response curve, whatever the range.
    void sweep() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Vented);
        for (const auto& [low, high] : {std::pair{20.9, 40.9}, {500.0, 100.0}, {-3.0, 3.0}}) {
            d.m_freqLow = low;
            d.m_freqHigh = high;
            const AnalysisCurve delay = Prepared(d).GroupDelay();
            const ResponseCurve level = Response(d);
            QCOMPARE(delay.size(), level.size());
            for (std::size_t i = 0; i < level.size(); ++i)
                QCOMPARE(delay[i].frequency, level[i].frequency);
        }
    }
};

QTEST_APPLESS_MAIN(TestAnalysis)
#include "test_analysis.moc"
