#include "CliRun.h"
#include "design/DesignFile.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

QJsonObject Info(const QString& path) {
    const CliRun r = RunCli({"info", path});
    if (r.code != 0)
        return {};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    return error.error == QJsonParseError::NoError ? doc.object() : QJsonObject{};
}

void WriteDesign(const QString& path, const SpeakerDesign& d) {
    const auto bytes = DesignFile::Store(d);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// The reference driver with a cone, an excursion and an efficiency.
const QStringList kDriver = {"--fs",   "30",   "--qts",           "0.4", "--vas",        "3",
                             "--xmax", "0.25", "--cone-diameter", "10",  "--efficiency", "88"};

bool Near(const QJsonValue& v, double expected, double tolerance) {
    return v.isDouble() && std::fabs(v.toDouble() - expected) <= tolerance;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Make(const QString& name, QStringList options) {
        const QString path = m_dir.filePath(name);
        const CliRun r = RunCli(QStringList{"new", "-o", path} + options);
        return r.code == 0 ? path : QString();
    }

private slots:
    void sealedReference() {
        const QJsonObject o = Info(Make("sealed.spk", kDriver + QStringList{"--v1", "1.5"}));
        QVERIFY(!o.isEmpty());
        QCOMPARE(o["record"]["boxType"].toString(), QString("Sealed"));
        QCOMPARE(o["record"]["f1"].toDouble(), 0.0);
        QCOMPARE(o["autoValue"]["entry"].toString(), QString("F1"));
        QVERIFY(Near(o["autoValue"]["value"], 51.96, 0.005));
        QVERIFY(Near(o["afterAuto"]["f1"], 51.96, 0.005));
        QVERIFY(Near(o["qtc"], 0.6928, 0.00005));
        const QJsonObject limits = o["outputLimits"].toObject();
        QVERIFY(Near(limits["f3"], 53.06, 0.005));
        QVERIFY(Near(limits["k"], 0.15, 1e-12));
        QVERIFY(Near(limits["vd"], 0.00025491, 0.000000005));
        QVERIFY(Near(limits["par"], 0.07723, 0.000005));
        QVERIFY(Near(limits["maxSpl"], 100.88, 0.005));
        QVERIFY(Near(limits["inputPower"], 19.40, 0.005));
        const QJsonArray lines = o["figureLines"].toArray();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].toString(), QString("Qtc=0.69"));
        QCOMPARE(lines[1].toString(), "Max SPL = 101dB at 19 Watts input power" + QString(5, ' '));
    }

    void ventedReference() {
        const QJsonObject o =
            Info(Make("vented.spk", kDriver + QStringList{"--type", "Vented", "--v1", "2"}));
        QCOMPARE(o["autoValue"]["entry"].toString(), QString("F1"));
        QVERIFY(Near(o["afterAuto"]["f1"], 34.018, 0.0005));
        QVERIFY(o["qtc"].isNull());
        QVERIFY(Near(o["outputLimits"]["f3"], 45, 1e-9));
        QVERIFY(Near(o["outputLimits"]["maxSpl"], 111.03, 0.005));
        QCOMPARE(o["figureLines"][0].toString(), QString(16, ' '));
        QCOMPARE(o["figureLines"][1].toString(),
                 "Max SPL = 114dB at 201 Watts input power" + QString(5, ' '));
    }

    // A stored tuning of at least 0.1 counts as entered and is kept.
    void ventedStoredTuning_data() {
        QTest::addColumn<QString>("f1");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("40 kept") << "40" << false;
        QTest::newRow("0.1 kept") << "0.1" << false;
        QTest::newRow("0.09 replaced") << "0.09" << true;
        QTest::newRow("0 replaced") << "0" << true;
    }
    void ventedStoredTuning() {
        QFETCH(QString, f1);
        QFETCH(bool, automatic);
        const QJsonObject o = Info(
            Make("tuned.spk", kDriver + QStringList{"--type", "Vented", "--v1", "2", "--f1", f1}));
        QVERIFY(!o.isEmpty());
        if (automatic) {
            QCOMPARE(o["autoValue"]["entry"].toString(), QString("F1"));
            QVERIFY(Near(o["afterAuto"]["f1"], 34.018, 0.0005));
        } else {
            QVERIFY(o["autoValue"]["entry"].isNull());
            QVERIFY(o["autoValue"]["value"].isNull());
            QCOMPARE(o["afterAuto"]["f1"].toDouble(), f1.toDouble());
        }
    }

    void bandpassTypes_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("f2");
        QTest::addColumn<int>("line2");
        QTest::newRow("Bandpass4")
            << QStringList{"--type", "Bandpass4", "--v1", "1", "--v2", "1", "--f1", "60"} << "F2"
            << 60.0 << 67;
        QTest::newRow("Bandpass6") << QStringList{"--type", "Bandpass6", "--v1", "1",    "--v2",
                                                  "1.5",    "--f1",      "40",   "--f2", "90"}
                                   << "" << 90.0 << 68;
    }
    void bandpassTypes() {
        QFETCH(QStringList, options);
        QFETCH(QString, entry);
        QFETCH(double, f2);
        QFETCH(int, line2);
        const QJsonObject o = Info(Make("bandpass.spk", kDriver + options));
        QVERIFY(!o.isEmpty());
        QVERIFY(o.contains("outputLimits"));
        QVERIFY(o["outputLimits"].isNull());
        QVERIFY(o["qtc"].isNull());
        if (entry.isEmpty())
            QVERIFY(o["autoValue"]["entry"].isNull());
        else
            QCOMPARE(o["autoValue"]["entry"].toString(), entry);
        QVERIFY(Near(o["afterAuto"]["f2"], f2, 1e-9));
        QCOMPARE(o["figureLines"][0].toString(), QString(16, ' '));
        QCOMPARE(o["figureLines"][1].toString(), QString(line2, ' '));
    }

    // A new design: no Qtc, and figures that have no value show as "nan".
    void newDesignDefaults() {
        const QJsonObject o = Info(Make("default.spk", {}));
        const QJsonObject record = o["record"].toObject();
        QCOMPARE(record.keys().size(), 16);
        QCOMPARE(record["freqLow"].toDouble(), 20.0);
        QCOMPARE(record["freqHigh"].toDouble(), 2000.0);
        QCOMPARE(record["boxType"].toString(), QString("Sealed"));
        QCOMPARE(record["driverCount"].toInt(), 1);
        QVERIFY(o["qtc"].isNull());
        QCOMPARE(o["outputLimits"]["f3"].toString(), QString("nan"));
        QCOMPARE(o["figureLines"][0].toString(), QString("Qtc=n/a"));
    }

    // Every field written by new comes back through info, in the output's key order.
    void newInfoRoundTrip() {
        const QString path = Make("all.spk", {"--type",
                                              "Bandpass6",
                                              "--fs",
                                              "31.5",
                                              "--qts",
                                              "0.45",
                                              "--vas",
                                              "2.25",
                                              "--v1",
                                              "1.25",
                                              "--f1",
                                              "41",
                                              "--v2",
                                              "1.75",
                                              "--f2",
                                              "91",
                                              "--freq-low",
                                              "15",
                                              "--freq-high",
                                              "300",
                                              "--xmax",
                                              "0.3",
                                              "--cone-diameter",
                                              "8",
                                              "--efficiency",
                                              "90",
                                              "--drivers",
                                              "65535"});
        const CliRun r = RunCli({"info", path});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(
            "{\"record\": {\"fs\": 31.5, \"qts\": 0.45000000000000001, \"vas\": 2.25, \"v1\": "
            "1.25, \"f1\": 41, \"v2\": 1.75, \"f2\": 91, \"freqLow\": 15, \"freqHigh\": 300, "
            "\"reserved1\": 0, \"reserved2\": 0, \"xmax\": 0.29999999999999999, "
            "\"coneDiameter\": 8, \"efficiency\": 90, \"boxType\": \"Bandpass6\", "
            "\"driverCount\": 65535}, \"autoValue\": "));
        QVERIFY(r.out.endsWith("}\n"));
        QVERIFY(r.err.isEmpty());
    }

    // Non-finite values are strings, names are escaped, unknown types have no figures.
    void nonFiniteAndUnknownType() {
        SpeakerDesign d;
        d.m_fs = std::numeric_limits<double>::quiet_NaN();
        d.m_vas = std::numeric_limits<double>::infinity();
        d.m_qts = -std::numeric_limits<double>::infinity();
        d.m_boxType = "se\"al\\ed\n";
        const QString path = m_dir.filePath("odd.spk");
        WriteDesign(path, d);
        const QJsonObject o = Info(path);
        QCOMPARE(o["record"]["fs"].toString(), QString("nan"));
        QCOMPARE(o["record"]["vas"].toString(), QString("inf"));
        QCOMPARE(o["record"]["qts"].toString(), QString("-inf"));
        QCOMPARE(o["record"]["boxType"].toString(), QString("se\"al\\ed\n"));
        QVERIFY(o["autoValue"]["entry"].isNull());
        QVERIFY(o["outputLimits"].isNull());
        QVERIFY(o["figureLines"].isNull());
        const CliRun r = RunCli({"response", path});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("frequency_hz,level_db\n"));
    }

    void responseRows_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("default range") << QStringList{} << 20 << 1980;
        QTest::newRow("fractional range")
            << QStringList{"--freq-low", "20.9", "--freq-high", "40.9"} << 20 << 20;
        QTest::newRow("empty range")
            << QStringList{"--freq-low", "100", "--freq-high", "100"} << 0 << 0;
    }
    void responseRows() {
        QFETCH(QStringList, options);
        QFETCH(int, first);
        QFETCH(int, count);
        const QString path = Make("curve.spk", kDriver + QStringList{"--v1", "1.5"} + options);
        const CliRun r = RunCli({"response", path});
        QCOMPARE(r.code, 0);
        QList<QByteArray> rows = r.out.split('\n');
        QCOMPARE(rows.takeLast(), QByteArray()); // ends with a newline
        QCOMPARE(rows.takeFirst(), QByteArray("frequency_hz,level_db"));
        QCOMPARE(rows.size(), count);
        for (int i = 0; i < rows.size(); ++i) {
            const QList<QByteArray> cells = rows[i].split(',');
            QCOMPARE(cells.size(), 2);
            QCOMPARE(cells[0].toInt(), first + i);
        }
        if (count == 1980) {
            // The sealed reference: -10.11 dB at 30 Hz, with all 17 digits.
            const QByteArray at30 = rows[10].split(',')[1];
            QVERIFY(std::fabs(at30.toDouble() + 10.11) < 0.005);
            QVERIFY(at30.size() >= 18);
        }
    }

    // Zero volume: the curve is all non-finite, written as nan/inf/-inf.
    void responseNonFinite() {
        const QString path = Make("zero.spk", {"--type", "Bandpass6", "--fs", "30", "--qts", "0.4",
                                               "--vas", "3", "--v1", "1", "--v2", "1", "--f1", "50",
                                               "--f2", "50", "--freq-high", "25"});
        const CliRun r = RunCli({"response", path});
        QCOMPARE(r.out, QByteArray("frequency_hz,level_db\n20,-inf\n21,-inf\n22,-inf\n23,-inf\n"
                                   "24,-inf\n"));
    }

    void loadFailures_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("info") << "info";
        QTest::newRow("response") << "response";
    }
    void loadFailures() {
        QFETCH(QString, command);
        const QString missing = m_dir.filePath("missing.spk");
        CliRun r = RunCli({command, missing});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QString::fromUtf8(r.err),
                 missing + "\nCannot find this file.\nPlease verify that the correct path and "
                           "file name are given.\n");

        const QString cut = m_dir.filePath("cut.spk");
        QFile f(cut);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const auto example = DesignFile::Store(SpeakerDesign{});
        f.write(reinterpret_cast<const char*>(example.data()), qint64(example.size()) - 1);
        f.close();
        r = RunCli({command, cut});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QByteArray("Unexpected file format.\n"));
    }

    void newSaveFailure() {
        const QString path = m_dir.filePath("no/such/folder.spk");
        const CliRun r = RunCli({"new", "-o", path});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith(path.toUtf8() + "\nCannot find this file."));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"plot", "x.spk"};
        QTest::newRow("info without file") << QStringList{"info"};
        QTest::newRow("info two files") << QStringList{"info", "a.spk", "b.spk"};
        QTest::newRow("info with option") << QStringList{"info", "a.spk", "--fs", "3"};
        QTest::newRow("response without file") << QStringList{"response"};
        QTest::newRow("new without -o") << QStringList{"new", "--fs", "30"};
        QTest::newRow("new option without value") << QStringList{"new", "-o"};
        QTest::newRow("new unknown option") << QStringList{"new", "-o", "x.spk", "--colour", "red"};
        QTest::newRow("new positional") << QStringList{"new", "-o", "x.spk", "extra"};
        QTest::newRow("new bad number") << QStringList{"new", "-o", "x.spk", "--fs", "30Hz"};
        QTest::newRow("new nan") << QStringList{"new", "-o", "x.spk", "--qts", "nan"};
        QTest::newRow("drivers 65536") << QStringList{"new", "-o", "x.spk", "--drivers", "65536"};
        QTest::newRow("drivers -1") << QStringList{"new", "-o", "x.spk", "--drivers", "-1"};
        QTest::newRow("drivers 1.5") << QStringList{"new", "-o", "x.spk", "--drivers", "1.5"};
        QTest::newRow("option twice")
            << QStringList{"new", "-o", "x.spk", "--fs", "1", "--fs", "2"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(ORVANE_BINARY_DIR "/cli/orvane-cli", args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("usage:"));
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(QDir(dir.path()).isEmpty()); // nothing written
    }

    void driverBounds_data() {
        QTest::addColumn<QString>("count");
        QTest::newRow("0") << "0";
        QTest::newRow("65535") << "65535";
    }
    void driverBounds() {
        QFETCH(QString, count);
        const QJsonObject o = Info(Make("drivers.spk", {"--drivers", count}));
        QCOMPARE(o["record"]["driverCount"].toInt(), count.toInt());
    }

    // Any type name is stored as given.
    void typeStoredAsGiven() {
        const QJsonObject o = Info(Make("type.spk", {"--type", "sealed"}));
        QCOMPARE(o["record"]["boxType"].toString(), QString("sealed"));
        QVERIFY(o["figureLines"].isNull());
    }

    void helpAndVersion() {
        CliRun r = RunCli({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("info FILE"));
        r = RunCli({"--version"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("orvane-cli 1.0.0.1\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
