// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli response, analyze and align: what the built tool prints of the
// core's figures, and that it never prints a number that is none; and the
// usage errors of these and of drivers.
#include "core/calc/Alignment.h"
#include "core/design/DesignFile.h"
#include "tests/support/CliRun.h"
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QtTest>
#include <cmath>

using namespace orvane;
using D = SpeakerDesign&;
using Row = Alignment::Row;

namespace {

// An alignment as the tool writes it; a row without a tuning has its volume.
QByteArray AlignmentJson(const Alignment::RowResult& r, double volume) {
    const auto n = [&r](double Row::*f) {
        return r ? QByteArray::number((*r).*f, 'g', 17) : "null";
    };
    return "{\"v1\": " + QByteArray::number(r ? r->v1 : volume, 'g', 17) +
           ", \"f1\": " + n(&Row::f1) + ", \"f3\": " + n(&Row::f3) +
           ", \"peak\": " + n(&Row::peak) + "}";
}

const QByteArray kLeftOut = "Rows at 0 Hz and below are left out: no level exists there.\n";

} // namespace

class TestCliAnalysis : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // A design file of the analysis' reference driver in a box of a type.
    QString Design(BoxKind kind, const std::function<void(SpeakerDesign&)>& change) {
        SpeakerDesign d = AnalysedDesign(kind);
        change(d);
        const QString path = m_dir.filePath(QString::number(++m_files) + ".spk");
        WriteBytes(path, DesignFile::Store(d));
        return path;
    }
    int m_files = 0;

private slots:
    // The alignment finder answers as the core does; a request without an
    // answer exits 1 with the reason alone on stderr, a wrong line 2.
    void lines_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        const QString driver = "align --fs 30 --qts 0.4 --vas 3 ";
        QTest::newRow("vented two drivers 1 dB")
            << driver + "--drivers 2 --type Vented --ripple 1 --volume 5" << 0
            << AlignmentJson(Alignment::Vented({30, 0.4, 3, 2}, 5, 1), 0);
        QByteArray table = "[";
        const auto volumes = Alignment::TableVolumes({30, 0.4, 3, 1});
        const auto rows = Alignment::VentedTable({30, 0.4, 3, 1}, 0.5);
        for (size_t i = 0; i < rows.size(); ++i)
            table += (i == 0 ? "" : ", ") + AlignmentJson(rows[i], volumes[i]);
        QTest::newRow("vented table, flag first")
            << "align --table --fs 30 --qts 0.4 --vas 3 --type Vented" << 0 << table + "]";
        QTest::newRow("Qtc 1e155") << driver + "--type Sealed --qtc 1e155" << 1 << QByteArray();
        for (const char* wrong :
             {"--qtc 0.7", "--type Horn --volume 2", "--type Vented --volume 2 --table",
              "--type Vented", "--type Vented --volume 2 --ripple 3",
              "--drivers 0 --type Vented --volume 2",
              "align --fs 30 --qts 0.4 --type Sealed --qtc 1", "analyze x.spk --power 0",
              "analyze x.spk --power 1W", "response", "fit a.zma --added-mass 20",
              "fit a.zma --sd 1 --cone-diameter 8", "export x.spk --format wav -o y",
              "export x.spk --format frd", "drivers export -o lib.sqlite", "drivers remove SEAS",
              "new -o x --driver A --driver-id 1"})
            QTest::newRow(wrong) << (wrong[0] == '-' ? driver + wrong : QString(wrong)) << 2
                                 << QByteArray();
    }
    void lines() {
        QFETCH(QString, args);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        const CliRun r = RunCli(args.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out.isEmpty() ? out : out + "\n");
        QCOMPARE(r.err.isEmpty(), code == 0); // a sentence, or the usage
        QVERIFY(code != 1 || (r.err.endsWith(".\n") && r.err.count('\n') == 1));
        QVERIFY(code != 2 || r.err.contains("usage:"));
    }

    // A row per hertz above 0 Hz, saying once that lower ones are left out;
    // never "nan" or "inf". The sealed response is -10.11 dB at 30 Hz; four
    // drivers of Pe 100 W take 400 W at 100 Hz; what a design lacks is empty.
    void tables() {
        const CliRun response =
            RunCli({"response", Design(BoxKind::Sealed, [](D d) { d.m_freqLow = 0; })});
        const CliRun analyze = RunCli({"analyze", Design(BoxKind::Vented, [](D d) {
                                           d.m_driverCount = 4, d.m_v1 = 8, d.m_freqLow = -2;
                                           d.m_extras.portDiameter = 3;
                                       })});
        for (const CliRun& r : {response, analyze})
            QVERIFY(r.code == 0 && r.err == kLeftOut && r.out.count('\n') == 2000 &&
                    !r.out.contains("nan") && !r.out.contains("inf"));
        QVERIFY(analyze.out.startsWith("frequency_hz,spl_db,excursion_mm,port1_velocity_m_s,"));
        const QList<QByteArray> at30 = response.out.split('\n')[30].split(',');
        QVERIFY(at30[0] == "30" && std::fabs(at30[1].toDouble() + 10.11) < 0.005);
        const QList<QByteArray> at100 = analyze.out.split('\n')[100].split(',');
        QCOMPARE(at100[0] + "," + at100[4] + "," + at100[8], QByteArray("100,,400"));
        QVERIFY(std::fabs(at100[9].toDouble() - 120.4917475) < 1e-7 && at100[9].size() >= 18);
    }

    // The chain through new, set and analyze: four drivers 2x2 (the load is
    // one driver's impedance), two 6 Ω coils in parallel (3 Ω, which the load
    // nears at the top of the range without Le), hp:bw4:20 (−3.0103 dB at 20 Hz),
    // a gain of −3 dB and a room gain capped at 6 dB (10·log10(1 + 2⁴) =
    // 12.3 dB at 20 Hz): −0.0103 dB at 20 Hz. With Rs = 0 the SPL moves by
    // just that against the design without a chain.
    void chain() {
        const QString plain = Design(BoxKind::Sealed, [](D d) { d.m_driverCount = 4, d.m_v1 = 6; });
        const QString path = m_dir.filePath("chain.spk");
        QFile::copy(plain, path);
        QCOMPARE(RunCli({"set", path, "--wiring", "2x2", "--coils", "2", "--coil-wiring",
                         "parallel", "--filter", "peak:30:2:6", "--amp-power", "50"})
                         .code +
                     RunCli({"set", path, "--clear-filters", "--filter", "hp:bw4:20", "--filter",
                             "gain:-3", "--room-gain", "40:6"})
                         .code,
                 0);
        const QList<QByteArray> lines = RunCli({"analyze", path}).out.split('\n');
        const QList<QByteArray> row = lines[1].split(','), high = lines.end()[-2].split(',');
        const QList<QByteArray> base = RunCli({"analyze", plain}).out.split('\n')[1].split(',');
        QVERIFY(row[0] == "20" && std::fabs(row[10].toDouble() + 0.0103) < 1e-4);
        QVERIFY(std::fabs(row[1].toDouble() - base[1].toDouble() - row[10].toDouble()) < 1e-9);
        QVERIFY(std::fabs(high[5].toDouble() / 3 - 1) < 0.01);
        const QJsonObject extended =
            QJsonDocument::fromJson(RunCli({"info", path}).out).object()["extended"].toObject();
        QCOMPARE(extended["chain"].toArray(), QJsonArray({"hp:bw4:20", "gain:-3"}));
        QVERIFY(extended["wiring"] == "2x2" && extended["coils"]["wiring"] == "parallel" &&
                extended["amplifier"]["power"] == 50 && extended["roomGain"]["max"] == 6);
        // A stage it cannot read is refused, naming it.
        const CliRun bad = RunCli({"set", path, "--filter", "lp:lr3:80"});
        QVERIFY(bad.code == 1 && bad.err.contains("\"lp:lr3:80\": the response must be"));
    }

    // --summary prints the model's η0 and the entered efficiency set against
    // it, to 17 digits (the values: test_analysis).
    void analyzeSummary() {
        const QString path = Design(BoxKind::Sealed, [](D d) { d.m_extras.qes = 0.45; });
        const QJsonObject o =
            QJsonDocument::fromJson(RunCli({"analyze", path, "--summary", "--power", "2"}).out)
                .object();
        QVERIFY(std::fabs(o["eta0"].toDouble() / 0.00490026813511 - 1) < 1e-11 && o["power"] == 2);
        QVERIFY(std::fabs(o["efficiencyMismatchDb"].toDouble() - 0.996810873) < 1e-8);
    }

    // Exit 1 and one sentence: figures that would overflow, a range without
    // a frequency above 0 Hz, a table that could not be written in full.
    void cannotRun_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("change"); // 0 a reversed range, 1 power 1e300 W, 2 type "Horn"
        QTest::addColumn<QByteArray>("err");
        const QByteArray empty = "The frequency range holds no whole hertz above 0 Hz: set it";
        for (const char* command : {"response", "analyze", "analyze --summary", "plot"})
            QTest::addRow("%s, reversed range", command) << command << 0 << empty;
        QTest::newRow("power 1e300")
            << "analyze" << 1 << QByteArray("The design's values are too extreme to analyse.\n");
        QTest::newRow("Horn") << "response" << 2 << QByteArray("The response knows only the box");
        const QByteArray full = "orvane-cli: cannot write the output: No space left on device\n";
        for (const char* command : {"response", "analyze"})
            QTest::addRow("%s to a full disk", command) << command << 3 << full;
    }
    void cannotRun() {
        QFETCH(QString, command);
        QFETCH(int, change);
        const QString path = Design(BoxKind::Sealed, [&](D d) {
            d.m_freqLow = change == 0 ? 3000 : 20, d.m_extras.power = change == 1 ? 1e300 : 1;
            d.m_boxType = change == 2 ? "Horn" : "Sealed";
        });
        QStringList args = command.split(' ');
        args.insert(1, path);
        if (command == "plot")
            args << "-o" << m_dir.filePath("p.png");
        QProcess p;
        p.setStandardOutputFile(change == 3 ? "/dev/full" : QProcess::nullDevice());
        p.start(QStringLiteral(ORVANE_BINARY_DIR "/cli/orvane-cli"), args);
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 1);
        QVERIFY(!QFile::exists(m_dir.filePath("p.png")));
        const QByteArray got = p.readAllStandardError();
        QFETCH(QByteArray, err);
        QVERIFY2(got.startsWith(err) && got.count('\n') == 1, got.constData());
    }

    // A design's ZMA fitted back gives its driver (Fs 30, Qms 5, Qes 0.4 in a
    // 10000 ft³ box: fc/Fs − 1 = Vas/(2·Vb) = 9e-5); a file without a curve
    // exits 1 with one sentence.
    void curveRoundTrip() {
        const QString design = Design(BoxKind::Sealed, [](D d) {
            d.m_qts = 2.0 / 5.4, d.m_v1 = 10000, d.m_extras.qes = 0.4, d.m_extras.re = 6;
        });
        const QString zma = m_dir.filePath("round.zma");
        QCOMPARE(RunCli({"export", design, "--format", "zma", "-o", zma}).code, 0);
        const CliRun r = RunCli({"fit", zma, "--re", "6", "--units", "metric", "--sd", "220"});
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        for (const auto& [key, value] : {std::pair{"fs", 30.0}, {"qms", 5.0}, {"qes", 0.4}})
            QVERIFY2(std::fabs(o[key].toDouble() / value - 1) < 1e-3, key);
        QVERIFY(std::fabs(o["sd"].toDouble() - 220) < 1e-9 && o["vas"].isNull() &&
                o["warnings"].toArray().isEmpty());
        const CliRun bad = RunCli({"fit", design});
        QVERIFY(bad.code == 1 && bad.err.endsWith(".\n") && bad.err.count('\n') == 1);
    }
};

QTEST_GUILESS_MAIN(TestCliAnalysis)
#include "test_cli_analysis.moc"
