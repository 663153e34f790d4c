#include "CliRun.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

QString Fixed(const QJsonValue& v, int decimals) {
    if (v.isString())
        return v.toString();
    return QString::asprintf("%.*f", decimals, v.toDouble());
}

} // namespace

class TestCliCalc : public QObject {
    Q_OBJECT
private slots:
    void results_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("port one") << QStringList{"port", "--vb",       "2", "--fb",
                                                 "35",   "--diameter", "3"}
                                  << QStringList{"portLength", "effectiveDiameter", "minDiameter"}
                                  << 2 << QStringList{"5.58", "3.00", "nan"};
        QTest::newRow("port two with driver")
            << QStringList{"port",       "--vb",   "2",       "--fb", "35",
                           "--diameter", "3",      "--ports", "2",    "--cone-diameter",
                           "10",         "--xmax", "0.25"}
            << QStringList{"portLength", "effectiveDiameter", "minDiameter"} << 2
            << QStringList{"12.45", "4.24", "3.53"};
        QTest::newRow("port 1.5 ft3 40 Hz")
            << QStringList{"port", "--vb",       "1.5", "--fb",
                           "40",   "--diameter", "4",   "--cone-diameter",
                           "12",   "--xmax",     "0.3"}
            << QStringList{"portLength", "effectiveDiameter", "minDiameter"} << 2
            << QStringList{"11.18", "4.00", "5.12"};
        QTest::newRow("port negative count")
            << QStringList{"port", "--vb", "2", "--fb", "35", "--diameter", "3", "--ports", "-2"}
            << QStringList{"portLength", "effectiveDiameter"} << 2 << QStringList{"nan", "nan"};
        QTest::newRow("port zero volume")
            << QStringList{"port", "--vb", "0", "--fb", "35", "--diameter", "3"}
            << QStringList{"portLength", "effectiveDiameter"} << 2 << QStringList{"nan", "nan"};
        QTest::newRow("box 1.0") << QStringList{"box", "--volume", "1"}
                                 << QStringList{"width", "height", "depth"} << 3
                                 << QStringList{"12.000", "19.416", "7.417"};
        QTest::newRow("box 2.0") << QStringList{"box", "--volume", "2", "--ratio", "1.618"}
                                 << QStringList{"width", "height", "depth"} << 3
                                 << QStringList{"15.119", "24.463", "9.344"};
        QTest::newRow("box 3.5") << QStringList{"box", "--volume", "3.5", "--ratio", "1.26"}
                                 << QStringList{"width", "height", "depth"} << 3
                                 << QStringList{"18.220", "22.957", "14.460"};
        QTest::newRow("box 1.0 1.414") << QStringList{"box", "--volume", "1", "--ratio", "1.414"}
                                       << QStringList{"width", "height", "depth"} << 3
                                       << QStringList{"12.000", "16.968", "8.487"};
        QTest::newRow("box negative")
            << QStringList{"box", "--volume", "-1"} << QStringList{"width", "height", "depth"} << 3
            << QStringList{"nan", "nan", "nan"};
        QTest::newRow("ts 45") << QStringList{"ts", "--fs", "30", "--re", "6", "--zmax",
                                              "54", "--f1", "20", "--f2", "45"}
                               << QStringList{"z", "qms", "qes", "qts", "error", "vas"} << 3
                               << QStringList{"18.000", "3.600", "0.450", "0.400", "0.000", "nan"};
        QTest::newRow("ts 50 with box")
            << QStringList{"ts", "--fs", "30", "--re", "6",  "--zmax", "54", "--f1",
                           "20", "--f2", "50", "--fc", "60", "--vb",   "1"}
            << QStringList{"z", "qms", "qes", "qts", "error", "vas"} << 3
            << QStringList{"18.000", "3.000", "0.375", "0.333", "1.623", "3.450"};
        QTest::newRow("ts 20 has no Qts") << QStringList{"ts", "--fs", "30", "--re", "6", "--zmax",
                                                         "54", "--f1", "20", "--f2", "20"}
                                          << QStringList{"qms", "qes", "qts", "error"} << 3
                                          << QStringList{"0.000", "0.000", "nan", "10.000"};
        QTest::newRow("ts re zero")
            << QStringList{"ts", "--fs", "30", "--re", "0", "--zmax",
                           "54", "--f1", "20", "--f2", "45"}
            << QStringList{"z", "qms", "qes"} << 3 << QStringList{"0.000", "nan", "nan"};
    }
    void results() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, keys);
        QFETCH(int, decimals);
        QFETCH(QStringList, expected);
        const CliRun r = RunCli(args);
        QCOMPARE(r.code, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        QVERIFY2(doc.isObject(), r.out.constData());
        const QJsonObject o = doc.object();
        for (int i = 0; i < keys.size(); ++i) {
            QVERIFY2(o.contains(keys[i]), qPrintable(keys[i]));
            QCOMPARE(Fixed(o[keys[i]], decimals), expected[i]);
        }
    }

    void keyOrderAndFullPrecision() {
        const CliRun r = RunCli({"port", "--vb", "2", "--fb", "35", "--diameter", "3"});
        QCOMPARE(r.code, 0);
        const QByteArray line = r.out.trimmed();
        QVERIFY(line.startsWith("{\"portLength\": "));
        QVERIFY(line.indexOf("\"effectiveDiameter\"") < line.indexOf("\"minDiameter\""));
        // %.17g round-trips the double.
        const double length = (3.0 / (2.0 * 35 * 35) * 2116.609 - 0.7315) * 3.0;
        QCOMPARE(QJsonDocument::fromJson(line).object()["portLength"].toDouble(), length);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("port without diameter") << QStringList{"port", "--vb", "2", "--fb", "35"};
        QTest::newRow("port word for volume")
            << QStringList{"port", "--vb", "two", "--fb", "35", "--diameter", "3"};
        QTest::newRow("port trailing letters")
            << QStringList{"port", "--vb", "2", "--fb", "35", "--diameter", "3in"};
        QTest::newRow("port fractional ports")
            << QStringList{"port", "--vb", "2", "--fb", "35", "--diameter", "3", "--ports", "1.5"};
        QTest::newRow("port huge ports") << QStringList{
            "port", "--vb", "2", "--fb", "35", "--diameter", "3", "--ports", "4294967296"};
        QTest::newRow("port cone without xmax") << QStringList{
            "port", "--vb", "2", "--fb", "35", "--diameter", "3", "--cone-diameter", "10"};
        QTest::newRow("port unknown option")
            << QStringList{"port", "--vb", "2", "--fb", "35", "--diameter", "3", "--port", "2"};
        QTest::newRow("port infinite")
            << QStringList{"port", "--vb", "inf", "--fb", "35", "--diameter", "3"};
        QTest::newRow("box without volume") << QStringList{"box"};
        QTest::newRow("box nan volume") << QStringList{"box", "--volume", "nan"};
        QTest::newRow("box other ratio") << QStringList{"box", "--volume", "1", "--ratio", "1.5"};
        QTest::newRow("box positional") << QStringList{"box", "--volume", "1", "extra"};
        QTest::newRow("ts without f2")
            << QStringList{"ts", "--fs", "30", "--re", "6", "--zmax", "54", "--f1", "20"};
        QTest::newRow("ts empty value") << QStringList{"ts", "--fs", "",   "--re", "6", "--zmax",
                                                       "54", "--f1", "20", "--f2", "45"};
        QTest::newRow("ts fc without vb")
            << QStringList{"ts",   "--fs", "30",   "--re", "6",    "--zmax", "54",
                           "--f1", "20",   "--f2", "45",   "--fc", "40"};
        QTest::newRow("ts missing value") << QStringList{"ts", "--fs"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        const CliRun r = RunCli(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith("orvane-cli: "));
    }

    void listedInHelp() {
        const CliRun r = RunCli({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("orvane-cli port --vb X --fb X --diameter X"));
        QVERIFY(r.out.contains("orvane-cli box --volume X"));
        QVERIFY(r.out.contains("orvane-cli ts --fs X --re X --zmax X --f1 X --f2 X"));
    }
};

QTEST_GUILESS_MAIN(TestCliCalc)
#include "test_cli_calc.moc"
