// SPDX-License-Identifier: GPL-3.0-or-later
// Impedance curves in, driver values out, and the curve files: the reader's
// rules, the fit checked against curves the analysis synthesises for a known
// driver (free air is a sealed box so large that fc/Fs − 1 = Vas/(2·Vb) is
// below 1e-7), and the export read back.
//
// The driver: Re 6 Ω, Fs 30 Hz, Qms 5, Qes 0.40, Vas 50 L, Sd 220 cm². By
// hand: Zmax = Re·(1 + Qms/Qes) = 81 Ω; |Z| = √(81·6) where Qms·|f/Fs − Fs/f|
// = √(r0 − 1)… solved, f1 = 20.94 Hz, f2 = 42.98 Hz. Cms = Vas/(ρc²Sd²) =
// 7.3554e-4 m/N, Mms = 1/((2πFs)²Cms) = 38.264 g; with 20 g more,
// Fs′ = Fs·√(38.264/58.264) = 24.31 Hz, and Qms, Qes grow by √(58.264/38.264).
#include "core/measure/CurveExport.h"
#include "core/measure/DriverFit.h"
#include "core/measure/ImpedanceCurve.h"
#include "core/model/Acoustics.h"
#include "core/model/Analysis.h"
#include "core/plot/FitPlot.h"
#include "core/units/Units.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>

using namespace orvane;

namespace {

constexpr double kSd = 0.022;  // m²
constexpr double kVas = 0.050; // m³

SpeakerDesign Driver(double leMh, double fs = 30, double qms = 5, double qes = 0.4,
                     double boxLitres = 1e9) {
    SpeakerDesign d;
    d.m_fs = fs;
    d.m_qts = qms * qes / (qms + qes);
    d.m_vas = kVas / Units::kCubicMetresPerCubicFoot;
    d.m_coneDiameter =
        std::sqrt(kSd / std::numbers::pi) / Units::kEffectiveRadiusShare / Units::kMetresPerInch;
    d.m_v1 = boxLitres / Units::kLitresPerCubicFoot;
    d.m_extras.re = 6;
    d.m_extras.qes = qes;
    if (leMh > 0)
        d.m_extras.le = leMh;
    return d;
}

// The design's impedance as its ZMA file gives it, read back, with Gaussian
// noise of `noise` (a fraction) on |Z|.
ImpedanceCurve Curve(const SpeakerDesign& d, double noise = 0) {
    CurveExportOptions o;
    o.format = CurveFormat::Zma;
    Result<std::string, ExportProblem> text = CurveFileText(d, o);
    if (!text)
        qFatal("no curve: %s", text.Message().c_str());
    Result<ImpedanceCurve, CurveProblem> curve = ParseImpedanceText(*text);
    if (!curve)
        qFatal("curve unread: %s", curve.Message().c_str());
    std::mt19937 random(29);
    std::normal_distribution<double> gauss(0, noise);
    for (ImpedancePoint& p : curve->points)
        p.ohms *= 1 + (noise > 0 ? gauss(random) : 0);
    return *curve;
}

bool Near(double got, double expected, double relative) {
    return std::fabs(got - expected) <= relative * std::fabs(expected);
}

QByteArray Lines(const char* separator, int count = 5) {
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += QByteArray::number(10 * i) + separator + QByteArray::number(5 + i) + separator +
                QByteArray::number(-i) + "\r\n";
    return text;
}

} // namespace

class TestMeasure : public QObject {
    Q_OBJECT
private slots:
    void reader_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("points"); // -1: refused
        QTest::addColumn<QString>("message");
        QTest::newRow("blanks") << Lines("  ") << 5 << "";
        QTest::newRow("tabs") << Lines("\t") << 5 << "";
        QTest::newRow("commas") << Lines(", ") << 5 << "";
        QTest::newRow("semicolons") << Lines(";") << 5 << "";
        QTest::newRow("comments, headers, BOM")
            << "\xEF\xBB\xBF* Orvane\n# x\n; 1 2 3\n\"Freq\";\"Ohm\"\nFreq Hz Ohm\n\n" + Lines(" ")
            << 5 << "";
        QTest::newRow("no phase") << QByteArray("1 5\n2 6\n3 7\n4 6\n5 5\n") << 5 << "";
        QTest::newRow("no ohms") << "1 5 0\n2\n" + Lines(" ") << -1 << "Line 2:";
        QTest::newRow("bad phase") << "1 5 x\n" + Lines(" ") << -1 << "Line 1:";
        QTest::newRow("negative") << "-1 5 0\n" + Lines(" ") << -1 << "Line 1:";
        QTest::newRow("falling") << Lines(" ") + "20 5\n" << -1 << "Line 6: the frequency 20 Hz";
        QTest::newRow("too few") << Lines(" ", 4) << -1 << "only 4 impedance points";
        QTest::newRow("none") << QByteArray("* nothing\n") << -1 << "no impedance points";
        QTest::newRow("too many") << Lines(" ", int(kMaxCurvePoints) + 1) << -1
                                  << "more than 200000 points";
    }
    void reader() {
        QFETCH(QByteArray, text);
        QFETCH(int, points);
        QFETCH(QString, message);
        const Result<ImpedanceCurve, CurveProblem> curve =
            ParseImpedanceText(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(curve ? int(curve->points.size()) : -1, points);
        QVERIFY2(QString::fromStdString(curve.Message()).contains(message),
                 curve.Message().c_str());
        if (curve && !QByteArray(QTest::currentDataTag()).startsWith("no phase")) {
            const ImpedancePoint& p = curve->points[4];
            QVERIFY(curve->hasPhase && p.frequency == 50 && p.ohms == 10 && p.degrees == -5);
        }
    }

    void readerFiles() {
        QTemporaryDir dir;
        const QString big = dir.filePath("big.zma");
        WriteBytes(big, QByteArray(int(kMaxCurveBytes) + 1, ' '));
        const Result<ImpedanceCurve, CurveProblem> tooLarge = ReadImpedanceFile(big.toStdString());
        QVERIFY(!tooLarge && tooLarge.ErrorCode() == CurveProblem::TooLarge);
    }

    // The fit of the driver's own curve: exactly at Le 0; with Le 0.5 mH the
    // peak leans (a bias, bounded here); with 1 % noise it stays put.
    void fit_data() {
        QTest::addColumn<double>("le");    // mH
        QTest::addColumn<double>("noise"); // fraction
        QTest::addColumn<double>("tolerance");
        QTest::newRow("exact") << 0.0 << 0.0 << 1e-4;      // Qms 0.002 % low
        QTest::newRow("Le 0.5 mH") << 0.5 << 0.0 << 4e-3;  // Q 0.3 % high
        QTest::newRow("noise 1 %") << 0.0 << 0.01 << 0.02; // Q 1.1 % high
        QTest::newRow("Le and noise") << 0.5 << 0.01 << 0.02;
    }
    void fit() {
        QFETCH(double, le);
        QFETCH(double, noise);
        QFETCH(double, tolerance);
        FitRequest request;
        request.re = 6;
        const Result<DriverFit, FitProblem> fit = FitDriver(Curve(Driver(le), noise), request);
        QVERIFY2(fit, fit.Message().c_str());
        const ResonanceFit& r = fit->freeAir;
        QVERIFY(Near(r.fs, 30, tolerance) && Near(r.qms, 5, tolerance) &&
                Near(r.qes, 0.4, tolerance) && Near(r.qts, 5 * 0.4 / 5.4, tolerance));
        QVERIFY(Near(r.zmax, 81, tolerance) && Near(r.f1, 20.94, std::max(tolerance, 2e-4)) &&
                Near(r.f2, 42.98, std::max(tolerance, 2e-4)));
        QVERIFY(r.le && std::fabs(*r.le - le * 1e-3) < 1e-5);
        QVERIFY(r.fitError < (noise > 0 ? 2 : 0.2)); // %
    }

    // Vas from a second curve, within 0.1 %: with 20 g added (the same Vas,
    // Fs, Qms and Qes moved as the header works out), and in a 20 L box.
    void sizeFromSecondCurve_data() {
        QTest::addColumn<int>("method");
        QTest::newRow("added mass") << int(SecondMeasurement::AddedMass);
        QTest::newRow("test box") << int(SecondMeasurement::TestBox);
    }
    void sizeFromSecondCurve() {
        QFETCH(int, method);
        const double grown = std::sqrt(58.2643 / 38.2643); // (Mms + 20 g)/Mms
        QCOMPARE(std::round(30 / grown * 100), 2431.0);
        const ImpedanceCurve second = method == int(SecondMeasurement::AddedMass)
                                          ? Curve(Driver(0, 30 / grown, 5 * grown, 0.4 * grown))
                                          : Curve(Driver(0, 30, 5, 0.4, 20));
        FitRequest request;
        request.re = 6, request.sd = kSd, request.second = SecondMeasurement(method);
        request.addedMass = 0.020, request.testBox = 0.020, request.secondCurve = &second;
        const Result<DriverFit, FitProblem> fit = FitDriver(Curve(Driver(0)), request);
        QVERIFY2(fit, fit.Message().c_str());
        QVERIFY2(fit->vas && Near(*fit->vas, kVas, 1e-3), QByteArray::number(*fit->vas * 1000));
        QVERIFY(fit->mms && Near(*fit->mms, 0.0382643, 2e-3));
        // Bl = √(2πFs·Mms·Re/Qes) = 10.4014 T·m; η0 = 4π²Fs³Vas/(c³Qes) = 0.32447 %.
        QVERIFY(fit->bl && Near(*fit->bl, 10.4014, 2e-3));
        QVERIFY(fit->eta0 && Near(*fit->eta0, 0.00324471, 2e-3));
    }

    // What the fit says beside its values, and second curves that give no size.
    void notes_data() {
        QTest::addColumn<double>("le");  // mH
        QTest::addColumn<double>("top"); // Hz, where the curve is cut; 0: whole
        QTest::addColumn<bool>("reGiven");
        QTest::addColumn<int>("second");      // SecondMeasurement
        QTest::addColumn<double>("secondFs"); // Hz, of the second curve
        QTest::addColumn<QString>("note");    // in a warning, or the refusal
        QTest::newRow("Re off the curve") << 0.0 << 0.0 << false << 0 << 0.0 << "least |Z|";
        QTest::newRow("cut below 4 f2") << 0.0 << 160.0 << true << 0 << 0.0 << "Le needs";
        QTest::newRow("lopsided") << 20.0 << 150.0 << true << 0 << 0.0 << "lopsided";
        QTest::newRow("no Sd") << 0.0 << 0.0 << true << 1 << 24.0 << "need Sd";
        QTest::newRow("mass taken off") << 0.0 << 0.0 << true << 1 << 33.0 << "not below Fs 30";
        QTest::newRow("box of no size") << 0.0 << 0.0 << true << 2 << 30.0 << "gives no Vas";
    }
    void notes() {
        QFETCH(double, le);
        QFETCH(double, top);
        QFETCH(bool, reGiven);
        QFETCH(int, second);
        QFETCH(double, secondFs);
        QFETCH(QString, note);
        ImpedanceCurve curve = Curve(Driver(le));
        if (top > 0)
            std::erase_if(curve.points,
                          [top](const ImpedancePoint& p) { return p.frequency > top; });
        const ImpedanceCurve other = Curve(Driver(0, secondFs > 0 ? secondFs : 30));
        FitRequest request;
        if (reGiven)
            request.re = 6;
        request.second = SecondMeasurement(second);
        request.addedMass = request.testBox = 0.02;
        request.secondCurve = &other;
        const Result<DriverFit, FitProblem> fit = FitDriver(curve, request);
        const QString said = QString::fromStdString(
            fit ? std::accumulate(fit->warnings.begin(), fit->warnings.end(), std::string())
                : fit.Message());
        QVERIFY2(said.contains(note), qPrintable(said));
        QCOMPARE(bool(fit), !note.startsWith("not") && !note.startsWith("gives"));
        if (!reGiven) // the least |Z| below the peak, here the curve's first point
            QCOMPARE(fit->freeAir.re, curve.points.front().ohms);
    }

    // Five points, only the peak's above √(Zmax·Re): the crossings are still
    // found between the points either side of the peak, Fs between them.
    void coarseCurve() {
        ResonanceFit m;
        m.fs = 30, m.re = 6, m.zmax = 81, m.qms = 5, m.qes = 0.4;
        ImpedanceCurve curve;
        for (const double f : {10.0, 19.0, 30.0, 50.0, 100.0})
            curve.points.push_back({f, std::abs(ModelImpedance(m, f)), 0});
        std::vector<std::string> notes;
        const Result<ResonanceFit, FitProblem> fit = FitResonance(curve, 6.0, notes);
        QVERIFY(fit && fit->f1 > 19 && fit->f1 < fit->fs && fit->fs < fit->f2 && fit->f2 < 50);
    }

    // Curves without a usable resonance are refused with a sentence.
    void unusable_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("re");
        QTest::addColumn<QString>("message");
        QTest::newRow("rising") << QByteArray("1 5\n2 6\n3 7\n4 8\n5 9\n") << 0.0
                                << "at the end of the curve (5 Hz)";
        QTest::newRow("r0 below 1")
            << QByteArray("1 5\n2 6\n3 7\n4 6\n5 5\n") << 8.0 << "does not rise above Re 8";
        QTest::newRow("no fall") << QByteArray("1 6.9\n2 6.95\n3 7\n4 3\n5 3\n") << 3.0
                                 << "the low side";
    }
    void unusable() {
        QFETCH(QByteArray, text);
        QFETCH(double, re);
        QFETCH(QString, message);
        const Result<ImpedanceCurve, CurveProblem> curve = ParseImpedanceText(text.toStdString());
        FitRequest request;
        if (re > 0)
            request.re = re;
        const Result<DriverFit, FitProblem> fit = FitDriver(*curve, request);
        QVERIFY(!fit);
        QVERIFY2(QString::fromStdString(fit.Message()).contains(message), fit.Message().c_str());
    }

    // The files: comment header, "f value degrees" rows 1/48 octave apart,
    // read back exactly; the level scales with drive and distance as a point
    // source does; a sealed box's pressure is in phase with the voltage far
    // above its resonance and near 180° far below (a second-order high pass).
    void exportFiles() {
        const SpeakerDesign d = Driver(0, 30, 5, 0.4, 40);
        CurveExportOptions o;
        o.format = CurveFormat::Zma;
        const Result<std::string, ExportProblem> zma = CurveFileText(d, o);
        const Result<ImpedanceCurve, CurveProblem> back = ParseImpedanceText(*zma);
        QVERIFY(back && back->hasPhase && back->points.size() == 527); // ⌊48·log2 2000⌋ + 1
        const Analysis a = *Analysis::Prepare(d);
        for (std::size_t i : {std::size_t{0}, std::size_t{200}, std::size_t{526}}) {
            const ImpedancePoint& p = back->points[i];
            QCOMPARE(p.frequency, 10 * std::exp2(double(i) / 48));
            QCOMPARE(p.ohms, std::abs(a.ImpedanceAt(p.frequency)));
        }
        const QStringList lines = QString::fromStdString(*zma).split('\n');
        QVERIFY(lines[0].startsWith("* Orvane ") && lines[2].startsWith("* Box: Sealed"));
        QCOMPARE(lines.filter(QRegularExpression("^[^ *]+ [^ ]+ [^ ]+$")).size(), 527);

        o.format = CurveFormat::Frd;
        const ImpedanceCurve near = *ParseImpedanceText(*CurveFileText(d, o));
        o.voltage = 2.83, o.distance = 2, o.fullSpace = true;
        const ImpedanceCurve far = *ParseImpedanceText(*CurveFileText(d, o));
        // 2.83 V into 6 Ω is 1.3348 W: +1.2542 dB; twice as far −6.0206 dB,
        // full space −6.0206 dB.
        for (std::size_t i = 0; i < far.points.size(); i += 50) {
            QVERIFY(std::fabs(far.points[i].ohms - near.points[i].ohms + 10.7870) < 1e-3);
            QVERIFY(std::fabs(far.points[i].degrees - near.points[i].degrees) < 1e-9);
        }
        QVERIFY(std::fabs(near.points.back().degrees) < 1 && near.points[0].degrees > 150);

        SpeakerDesign noRe = d;
        noRe.m_extras.re.reset();
        o.format = CurveFormat::Zma;
        o.voltage.reset();
        QVERIFY(!CurveFileText(noRe, o));
        o.pointsPerOctave = 0;
        QVERIFY(!CurveFileText(d, o));
        QTemporaryDir dir;
        const std::string path = dir.filePath("out.frd").toStdString();
        o.pointsPerOctave = 12;
        QVERIFY(ExportCurveFile(path, d, o) && ReadImpedanceFile(path));
        QVERIFY(!ExportCurveFile(dir.filePath("none/out.frd").toStdString(), d, o));
    }
    // The fit picture: the curve spans the frame; the model 19 % above it puts the residual
    // 19/20 of the way to "+20 %", the dashed model above the curve; else both on zero.
    void fitPlot() {
        ResonanceFit fit;
        fit.fs = 30, fit.re = 6, fit.zmax = 81, fit.qms = 5, fit.qes = 0.4;
        ImpedanceCurve curve;
        for (const double f : {10.0, 30.0, 1000.0})
            curve.points.push_back({f, std::abs(ModelImpedance(fit, f)), 0});
        curve.points[1].ohms /= 1.19;
        RecordingSurface s;
        const FitTrace trace{&curve, &fit};
        DrawImpedanceFit(s, 800, 1200, std::span(&trace, 1));
        const auto& o = s.ops;
        // Two frames drawn first, each a move and four lines from its top left.
        const int left = o[0].x, right = o[1].x, top = o[0].y, split = o[2].y;
        const double lowTop = o[5].y, bottom = o[7].y, zero = (lowTop + bottom) / 2;
        QVERIFY(left < right && top < split && split < lowTop && lowTop < bottom);
        std::vector<RecordingSurface::Op> lines; // |Z|, residual, model: three points each
        for (std::size_t i = 10; i < o.size(); ++i)
            if (o[i].kind != RecordingSurface::Kind::Text &&
                (o[i].pen->style == PenStyle::Solid || o[i].pen->color.red == 200))
                lines.push_back(o[i]);
        QCOMPARE(lines.size(), std::size_t(9));
        QVERIFY(lines[0].x == left && lines[2].x == right &&
                std::abs(lines[1].y - (split - (split - top) / 1.1)) <= 0.5);
        QCOMPARE(lines[3].y, qRound(zero));
        QVERIFY(std::fabs(lines[4].y - (zero - 0.95 * (bottom - lowTop) / 2)) <= 0.5);
        QVERIFY(lines[6].y == lines[0].y && lines[8].y == lines[2].y && lines[7].y < lines[1].y);
        // 100 Hz under the frame, centred on its line halfway across.
        const auto texts = s.Of(RecordingSurface::Kind::Text);
        const auto hundred =
            std::find_if(texts.begin(), texts.end(), [](auto& t) { return t.text == "100"; });
        QVERIFY(hundred->y > bottom && std::abs(hundred->x + 9 - (left + right) / 2.0) <= 1);
    }
};

QTEST_GUILESS_MAIN(TestMeasure)
#include "test_measure.moc"
