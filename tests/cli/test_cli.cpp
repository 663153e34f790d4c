// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/DesignFile.h"
#include "tests/support/CliRun.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <tuple>

using namespace orvane;

namespace {

QStringList Args(const QString& line) {
    return line.split(' ', Qt::SkipEmptyParts);
}

// Each expectation is "path=value": the path names keys and array indexes
// ("outputLimits.f3", "figureLines.1"); numbers are compared to as many
// decimals as the value shows; null shows as "null".
void CheckJson(const QByteArray& out, const QStringList& expectations) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError && doc.isObject(), out.constData());
    for (const QString& e : expectations) {
        const qsizetype eq = e.indexOf('=');
        const QString expected = e.mid(eq + 1);
        QJsonValue v = doc.object();
        for (const QString& key : e.left(eq).split('.'))
            v = v.isArray() ? v[key.toInt()] : v.isObject() ? v[key] : QJsonValue();
        QString shown = v.toString();
        if (v.isNull())
            shown = "null";
        else if (v.isDouble())
            shown = QString::number(
                v.toDouble(), 'f',
                expected.contains('.') ? expected.size() - expected.indexOf('.') - 1 : 0);
        QVERIFY2(shown == expected, qPrintable(e + " but got " + shown));
    }
}

void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

const QString kDriver = "--fs 30 --qts 0.4 --vas 3 --xmax 0.25 --cone-diameter 10 --efficiency 88 ";

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // "new" options then "info" on the file (or the command after "|"), or a
    // calculator command.
    void json_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QStringList>("expected");
        const QString sp16(16, ' ');
        QTest::newRow("sealed")
            << "new " + kDriver + "--v1 1.5"
            << QStringList{"autoValue.entry=F1",
                           "afterAuto.f1=51.96",
                           "qtc=0.6928",
                           "outputLimits.f3=53.06",
                           "outputLimits.maxSpl=100.88",
                           "outputLimits.inputPower=19.40",
                           "figureLines.0=Qtc=0.69",
                           "figureLines.1=Max SPL = 101dB at 19 Watts input power     "};
        // A stored tuning of at least 0.1 counts as entered and is kept.
        QTest::newRow("vented tuning kept")
            << "new " + kDriver + "--type Vented --v1 2 --f1 0.1"
            << QStringList{"autoValue.entry=null", "afterAuto.f1=0.1", "qtc=null",
                           "outputLimits.f3=45.00", "figureLines.0=" + sp16};
        QTest::newRow("bandpass6")
            << "new " + kDriver + "--type Bandpass6 --v1 1 --v2 1.5 --f1 40 --f2 90"
            << QStringList{"afterAuto.f2=90.0", "qtc=null", "outputLimits=null",
                           "figureLines.0=" + sp16, "figureLines.1=" + QString(68, ' ')};
        QTest::newRow("new design")
            << "new"
            << QStringList{"record.freqLow=20", "record.freqHigh=2000", "record.driverCount=1",
                           "qtc=null",          "outputLimits.f3=nan",  "figureLines.0=Qtc=n/a",
                           "extended=null"};
        QTest::newRow("extra values")
            << "new --name Woofer --re 6.5 --le 0.25 --ql 10 --port-diameter 3 --ports 2 "
               "--ports2 65535"
            << QStringList{"extended.name=Woofer",    "extended.re=6.5",
                           "extended.qes=null",       "extended.le=0.25",
                           "extended.pe=null",        "extended.power=null",
                           "extended.ql=10",          "extended.ports=2",
                           "extended.portDiameter=3", "extended.port2Diameter=null",
                           "extended.ports2=65535",   "record.fs=0"};
        QTest::newRow("port two with driver")
            << "port --vb 2 --fb 35 --diameter 3 --ports 2 --cone-diameter 10 --xmax 0.25"
            << QStringList{"portLength=12.45", "effectiveDiameter=4.24", "minDiameter=3.53"};
        QTest::newRow("box 3.5") << "box --volume 3.5 --ratio 1.26"
                                 << QStringList{"width=18.220", "height=22.957", "depth=14.460"};
        // A value too small for a double is the nearest one, as strtod gives it.
        QTest::newRow("fs underflow")
            << "new --fs 1e-400 --v1 1.5" << QStringList{"record.fs=0", "afterAuto.f1=0"};
        QTest::newRow("box underflow")
            << "box --volume 5e-324" << QStringList{"width=0.0", "height=0.0", "depth=0.0"};
        QTest::newRow("ts 50 with box")
            << "ts --fs 30 --re 6 --zmax 54 --f1 20 --f2 50 --fc 60 --vb 1"
            << QStringList{"qms=3.000", "qes=0.375", "qts=0.333", "error=1.623", "vas=3.450"};
    }
    void json() {
        QFETCH(QString, args);
        QFETCH(QStringList, expected);
        QStringList run = Args(args);
        if (run.first() == "new") {
            // "new OPTIONS | COMMAND OPTIONS" runs the command on the new file; "info" without.
            const QString path = m_dir.filePath(QString(QTest::currentDataTag()) + ".spk");
            const qsizetype bar = run.indexOf("|");
            const QStringList then = bar < 0 ? QStringList{"info"} : run.mid(bar + 1);
            QCOMPARE(RunCli(run.mid(0, bar) << "-o" << path).code, 0);
            run = QStringList{then.first(), path} + then.mid(1);
        }
        const CliRun r = RunCli(run);
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.isEmpty());
        CheckJson(r.out, expected);
    }

    // Every field written by "new" comes back through "info", in order and in full.
    void newInfoRoundTrip() {
        const QString path = m_dir.filePath("all.spk");
        const QStringList options =
            Args("new --type Bandpass6 --fs 31.5 --qts 0.45 --vas 2.25 --v1 1.25 --f1 41 --v2 1.75 "
                 "--f2 91 --freq-low 15 --freq-high 300 --xmax 0.3 --cone-diameter 8 "
                 "--efficiency 90 --drivers 65535 -o")
            << path;
        QCOMPARE(RunCli(options).code, 0);
        const CliRun r = RunCli({"info", path});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(
            "{\"record\": {\"fs\": 31.5, \"qts\": 0.45000000000000001, \"vas\": 2.25, \"v1\": "
            "1.25, \"f1\": 41, \"v2\": 1.75, \"f2\": 91, \"freqLow\": 15, \"freqHigh\": 300, "
            "\"reserved1\": 0, \"reserved2\": 0, \"xmax\": 0.29999999999999999, "
            "\"coneDiameter\": 8, \"efficiency\": 90, \"boxType\": \"Bandpass6\", "
            "\"driverCount\": 65535}, \"autoValue\": "));
        QVERIFY(r.out.endsWith("}\n"));
    }

    // new --units metric reads litres, centimetres and millimetres and stores
    // cubic feet and inches; info --units metric adds them converted back,
    // beside the record as stored. Every factor from its definition.
    void metricUnits() {
        const double litres = 0.3048 * 0.3048 * 0.3048 * 1000;
        const QString path = m_dir.filePath("metric.spk");
        QCOMPARE(RunCli(Args("new --units metric --type Bandpass6 --fs 30 --qts 0.4 --vas 84.95 "
                             "--v1 1.23456789 --v2 0.1 --xmax 6.35 --cone-diameter 25.4 "
                             "--port-diameter 7.62 -o")
                        << path)
                     .code,
                 0);
        const CliRun r = RunCli({"info", path, "--units", "metric"});
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        const QJsonObject record = o["record"].toObject();
        const QJsonObject metric = o["metric"].toObject();
        const auto near = [](double a, double b) {
            return std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
        };
        const std::tuple<const char*, const char*, double, double> values[] = {
            {"vas", "vas_l", litres, 84.95},
            {"v1", "v1_l", litres, 1.23456789},
            {"v2", "v2_l", litres, 0.1},
            {"xmax", "xmax_mm", 25.4, 6.35},
            {"coneDiameter", "cone_diameter_cm", 2.54, 25.4},
        };
        for (const auto& [stored, shown, factor, given] : values) {
            QVERIFY2(near(record[stored].toDouble() * factor, given), stored);
            QVERIFY2(near(metric[shown].toDouble(), given), shown);
        }
        QVERIFY(near(o["extended"].toObject()["portDiameter"].toDouble(), 3));
        QVERIFY(near(metric["port_diameter_cm"].toDouble(), 7.62));
        QVERIFY(metric["port2_diameter_cm"].isNull());
        QCOMPARE(metric.size(), 7);
        QVERIFY(r.out.endsWith("}}\n"));

        // Without --units, or with the default, not one byte changes.
        const CliRun plain = RunCli({"info", path});
        QCOMPARE(RunCli({"info", path, "--units", "imperial"}).out, plain.out);
        QVERIFY(!plain.out.contains("\"metric\""));
        QCOMPARE(r.out.left(plain.out.size() - 2), plain.out.left(plain.out.size() - 2));

        // Imperial options are taken as they are.
        const QString same = m_dir.filePath("imperial.spk");
        QCOMPARE(RunCli(Args("new --units imperial --vas 3 --xmax 0.25 -o") << same).code, 0);
        const QJsonObject back =
            QJsonDocument::fromJson(RunCli({"info", same}).out).object()["record"].toObject();
        QCOMPARE(back["vas"].toDouble(), 3.0);
        QCOMPARE(back["xmax"].toDouble(), 0.25);
    }

    // Non-finite values are strings, names are valid JSON text, unknown types have no figures.
    void nonFiniteAndUnknownType() {
        SpeakerDesign d;
        d.m_fs = std::numeric_limits<double>::quiet_NaN();
        d.m_vas = std::numeric_limits<double>::infinity();
        d.m_qts = -std::numeric_limits<double>::infinity();
        // Quote, backslash, control, valid UTF-8, a Latin-1 byte and a cut sequence.
        d.m_boxType = "q\"b\\s\n\x01\xc3\xa4\xf0\x9f\x94\x8a\xfc\xe2\x82";
        const QString path = m_dir.filePath("odd.spk");
        WriteBytes(path, DesignFile::Store(d));
        const CliRun r = RunCli({"info", path});
        QCOMPARE(r.code, 0);
        CheckJson(r.out,
                  {"record.fs=nan", "record.vas=inf", "record.qts=-inf",
                   "record.boxType=" + QString::fromUtf8("q\"b\\s\n\x01\xc3\xa4\xf0\x9f\x94\x8a") +
                       QString(3, QChar(0xFFFD)),
                   "autoValue.entry=null", "outputLimits=null", "figureLines=null"});
    }

    // Only plot loads Qt: every other command, and a plot line turned away
    // as wrong, runs without any Qt library (the loader lists what it loads).
    void qtOnlyForPlot_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("qt");
        QTest::newRow("info") << "info D" << 0 << false;
        QTest::newRow("response") << "response D" << 0 << false;
        QTest::newRow("new") << "new -o N --fs 20" << 0 << false;
        QTest::newRow("box") << "box --volume 2" << 0 << false;
        QTest::newRow("port") << "port --vb 2 --fb 35 --diameter 3" << 0 << false;
        QTest::newRow("ts") << "ts --fs 30 --re 6 --zmax 54 --f1 20 --f2 50" << 0 << false;
        QTest::newRow("analyze") << "analyze D" << 1 << false;
        QTest::newRow("version") << "--version" << 0 << false;
        QTest::newRow("help") << "--help" << 0 << false;
        QTest::newRow("unknown command") << "draw D" << 2 << false;
        QTest::newRow("plot to bmp") << "plot D -o P.bmp" << 2 << false;
        QTest::newRow("plot missing design") << "plot M -o P.png" << 1 << true;
        QTest::newRow("plot") << "plot D -o P.png" << 0 << true;
    }
    void qtOnlyForPlot() {
        QFETCH(QString, args);
        QFETCH(int, code);
        QFETCH(bool, qt);
        const QString design = m_dir.filePath("qt.spk");
        if (!QFile::exists(design))
            QCOMPARE(RunCli(Args("new -o ") << design).code, 0);
        QStringList run = Args(args);
        for (QString& word : run) {
            if (word == "D")
                word = design;
            else if (word == "M" || word == "N")
                word = m_dir.filePath(word + ".spk");
            else if (word.startsWith("P."))
                word = m_dir.filePath(word);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_DEBUG", "libs");
        const CliRun r = RunCli(run, env);
        QCOMPARE(r.code, code);
        QVERIFY(r.err.contains("libstdc++")); // the loader did report
        QCOMPARE(r.err.contains("libQt6"), qt);
    }

    void loadFailures() {
        const QString missing = m_dir.filePath("missing.spk");
        CliRun r = RunCli({"info", missing});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QString::fromUtf8(r.err),
                 missing + "\nCannot find this file.\nPlease verify that the correct path and "
                           "file name are given.\n");
        const QString cut = m_dir.filePath("cut.spk");
        auto example = DesignFile::Store(SpeakerDesign{});
        example.pop_back();
        WriteBytes(cut, example);
        r = RunCli({"response", cut});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QByteArray("Unexpected file format.\n"));
    }

    void usageErrors_data() {
        QTest::addColumn<QString>("args");
        QTest::newRow("nothing") << "";
        QTest::newRow("unknown command") << "plot2 x.spk";
        QTest::newRow("info two files") << "info a.spk b.spk";
        QTest::newRow("new bad number") << "new -o x.spk --fs 30Hz";
        QTest::newRow("drivers 65536") << "new -o x.spk --drivers 65536";
        QTest::newRow("port without diameter") << "port --vb 2 --fb 35";
        QTest::newRow("box other ratio") << "box --volume 1 --ratio 1.5";
        QTest::newRow("plot bmp") << "plot x.spk -o x.bmp";
        QTest::newRow("plot size 0x600") << "plot x.spk -o x.png --size 0x600";
        QTest::newRow("new ports 0") << "new -o x.spk --ports 0";
        QTest::newRow("new Re text") << "new -o x.spk --re six";
        QTest::newRow("new name too long") << "new -o x.spk --name " + QString(65536, 'n');
        QTest::newRow("new units furlongs") << "new -o x.spk --units furlongs";
        QTest::newRow("info units Metric") << "info x.spk --units Metric";
        QTest::newRow("info units without value") << "info x.spk --units";
    }
    // The first line names what is wrong, the same for every subcommand.
    void usageMessages_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("calculator extra argument") << "box extra --volume 1"
                                                   << "unexpected argument extra";
        QTest::newRow("calculator unknown option") << "ts --fs 1 --zz 2"
                                                   << "unknown option --zz";
        QTest::newRow("calculator missing") << "port --vb 2 --fb 35"
                                            << "missing --diameter";
        QTest::newRow("calculator not a number") << "box --volume 1e999"
                                                 << "--volume needs a number";
        QTest::newRow("new extra argument") << "new x.spk -o y.spk"
                                            << "unexpected argument x.spk";
        QTest::newRow("new unknown option") << "new -o y.spk -q 2"
                                            << "unknown option --q";
        QTest::newRow("new overflow") << "new -o y.spk --fs 1e400"
                                      << "--fs needs a finite number";
        QTest::newRow("new long type") << "new -o y.spk --type " + QString(65537, 'S')
                                       << "--type needs a name of at most 65536 bytes";
        QTest::newRow("info option") << "info a.spk --x 1"
                                     << "info takes exactly one design file";
    }
    void usageMessages() {
        QFETCH(QString, args);
        QFETCH(QString, message);
        const CliRun r = RunCli(Args(args.replace("y.spk", m_dir.filePath("y.spk"))));
        QCOMPARE(r.code, 2);
        QCOMPARE(QString::fromUtf8(r.err.left(r.err.indexOf('\n'))), "orvane-cli: " + message);
        QVERIFY(!QFile::exists(m_dir.filePath("y.spk")));
    }

    void usageErrors() {
        QFETCH(QString, args);
        const CliRun r = RunCli(Args(args.replace("x.", m_dir.filePath("x."))));
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("usage:"));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath("x.spk")) && !QFile::exists(m_dir.filePath("x.png")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
