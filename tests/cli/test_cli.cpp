// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"
#include "core/design/Fields.h"
#include "core/text/NumberText.h"
#include "tests/support/CliRun.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>
#include <limits>

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
        QString shown = v.isNull() ? "null" : v.toString();
        if (v.isDouble())
            shown = QString::number(
                v.toDouble(), 'f',
                expected.contains('.') ? expected.size() - expected.indexOf('.') - 1 : 0);
        QVERIFY2(shown == expected, qPrintable(e + " but got " + shown));
    }
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

const QString kDriver = "--fs 30 --qts 0.4 --vas 3 --xmax 0.25 --cone-diameter 10 --efficiency 88 ";
// Two radiators on V1 2: Fb 27.1 Hz without added mass.
const QString kRadiators = kDriver + "--v1 2 --pr-fs 14.36 --pr-vas 2.55 --pr-sd 36.44 "
                                     "--pr-qms 9.4 --prs 2 ";

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // "new" options then "info" on the file, or a calculator command.
    void json_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("sealed") << "new " + kDriver + "--v1 1.5"
                                << QStringList{"autoValue.entry=F1", "afterAuto.f1=51.96",
                                               "qtc=0.6928", "outputLimits.maxSpl=100.88",
                                               "figureLines.1=Max SPL = 101dB at 19 Watts "
                                               "input power"};
        // A stored tuning of at least 0.1 counts as entered and is kept; the
        // JSON has the figure lines' words, not the window's padding.
        QTest::newRow("vented tuning kept")
            << "new " + kDriver + "--type vented --v1 2 --f1 0.1"
            << QStringList{"record.boxType=Vented", "autoValue.entry=null", "afterAuto.f1=0.1",
                           "outputLimits.f3=45.00", "figureLines.0="};
        QTest::newRow("new design")
            << "new"
            << QStringList{"record.freqHigh=2000", "record.driverCount=1", "outputLimits.f3=nan",
                           "figureLines.0=Qtc=n/a", "extended=null"};
        QTest::newRow("extra values")
            << "new --name Woofer --re 6.5 --ql 10 --port-diameter 3 --ports 2 --ports2 100"
            << QStringList{"extended.name=Woofer", "extended.re=6.5",  "extended.qes=null",
                           "extended.ql=10",       "extended.ports=2", "extended.ports2=100"};
        // The mass --pr-tune adds tunes the box to the target.
        QTest::newRow("radiator tuned")
            << "new --type passiveradiator " + kRadiators + "--pr-tune 24"
            << QStringList{"record.boxType=PassiveRadiator", "afterAuto.f1=24.00",
                           "extended.prTune=24"};
        QTest::newRow("port") << "port --vb 2 --fb 35 --diameter 3 --ports 2 --cone-diameter 10 "
                                 "--xmax 0.25"
                              << QStringList{"portLength=12.45", "minDiameter=3.53"};
    }
    void json() {
        QFETCH(QString, args);
        QStringList run = Args(args);
        if (run.first() == "new") {
            const QString path = Path(QString(QTest::currentDataTag()) + ".spk");
            QCOMPARE(RunCli(run << "-o" << path).code, 0);
            run = QStringList{"info", path};
        }
        const CliRun r = RunCli(run);
        QVERIFY2(r.code == 0 && r.err.isEmpty(), r.err.constData());
        QFETCH(QStringList, expected);
        CheckJson(r.out, expected);
    }

    // build: the volumes, sizes and port of a design in the units asked
    // for. 50 L net, an 18 mm box of 346 × 537.6 mm outside, one Ø100 mm
    // port: k·D = 0.7315·100 mm with one flanged end, 0.613·100 mm free.
    void build_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("expected"); // JSON, or words of the message
        QTest::newRow("metric") << "--units metric" << 0
                                << QStringList{
                                       "netVolume=50.000",        "inner.w=310.0",
                                       "outer.h=537.6",           "displacement.driver=1.200",
                                       "panels.3.thickness=18.0", "port.endCorrection=73.150"};
        QTest::newRow("imperial") << "" << 0
                                  << QStringList{"netVolume=1.7657", "outer.w=13.622",
                                                 "displacement.bracing=0.01413"};
        QTest::newRow("sheet") << "--units metric --sheet 1000x600" << 0
                               << QStringList{"sheets.0.parts.0.x=0.0",
                                              "sheets.0.parts.0.name=Side"};
        QTest::newRow("narrow") << "--units metric --outer-width 20" << 1
                                << QStringList{"driver cut-out"};
        // A slot's hydraulic diameter 2·100·50/150 mm, one flanged end.
        QTest::newRow("slot") << "--units metric --port-shape slot --slot 10x5" << 0
                              << QStringList{"port.endCorrection=48.767"};
        QTest::newRow("slot too thin") << "--units metric --slot 0.01x5" << 1
                                       << QStringList{"--slot: Slot Width: Please enter 0 or"};
        QTest::newRow("slot of one") << "--slot 3" << 2 << QStringList{"WIDTHxHEIGHT"};
        QTest::newRow("old slot") << "--slot-width 3" << 2 << QStringList{"now --slot"};
        QTest::newRow("custom too tall")
            << "--shape 1:20:1" << 1
            << QStringList{"--shape: Custom H/W: Please enter a number between 0.1 and 10."};
        QTest::newRow("shape of two") << "--shape 1:2" << 2 << QStringList{"W:H:D"};
        QTest::newRow("shape of zero width") << "--shape 0:1:1" << 2 << QStringList{"W:H:D"};
    }
    void build() {
        const QString design = Path("build.spk");
        QCOMPARE(RunCli(Args("new -o " + design +
                             " --units metric --type vented --fs 30 --qts 0.4 --vas 85 --v1 50 "
                             "--f1 35 --port-diameter 10 --cone-diameter 25 --thickness 18 "
                             "--driver-displacement 1.2 --bracing-displacement 0.4 "
                             "--outer-width 34.6 --outer-height 53.76"))
                     .code,
                 0);
        QFETCH(QString, args);
        QFETCH(QStringList, expected);
        const CliRun r = RunCli(QStringList{"build", design} + Args(args));
        QTEST(r.code, "code");
        if (r.code == 0)
            CheckJson(r.out, expected);
        else
            QVERIFY2(r.err.contains(expected.first().toUtf8()), r.err.constData());
    }

    // The drawing is well-formed SVG carrying the JSON's numbers, rounded,
    // each sheet of the layout numbered with its waste, and a one-page PDF.
    void buildDrawing() {
        const QString design = Path("build.spk");
        const CliRun r = RunCli({"build", design, "--units", "metric", "--sheet", "1000x600",
                                 "--svg", Path("b.svg"), "--pdf", Path("b.pdf")});
        QCOMPARE(r.code, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out).object();
        QXmlStreamReader svg(ReadBytes(Path("b.svg")));
        QString text;
        while (!svg.atEnd()) {
            if (svg.readNext() == QXmlStreamReader::Characters)
                text += svg.text();
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        for (const char* key : {"w", "h", "d"}) {
            const double mm = json["outer"][key].toDouble();
            QVERIFY2(text.contains(QString::asprintf("%.1f mm", mm)), key);
        }
        QVERIFY(text.contains(QString::asprintf("gross %.2f L", json["grossVolume"].toDouble())));
        const QJsonArray sheets = json["sheets"].toArray();
        QVERIFY(sheets.size() > 1);
        for (qsizetype i = 0; i < sheets.size(); ++i)
            QVERIFY(text.contains(
                QString::asprintf("Sheet %d of %d: 1000.0 mm × 600.0 mm, waste %.0f %%", int(i + 1),
                                  int(sheets.size()), 100 * sheets[i]["waste"].toDouble())));
        QVERIFY(ReadBytes(Path("b.pdf")).trimmed().endsWith("%%EOF"));
    }

    // Every design value's option takes the field's bounds: a value just
    // outside them is refused with exit 1 and the sentence the dialog shows,
    // in the units asked for; the bounds themselves are taken.
    void boundsFromTheTable() {
        for (const UnitSystem units : {UnitSystem::Imperial, UnitSystem::Metric}) {
            const QString unitName = Text(DisplayUnits::Name(units));
            for (const FieldInfo& f : Fields::All()) {
                if (f.option.empty() || f.home == FieldHome::Window || !f.bounds.Ranged())
                    continue;
                const double low = DisplayUnits::DisplayBound(units, f.quantity, f.bounds.low);
                const double high = DisplayUnits::DisplayBound(units, f.quantity, f.bounds.high);
                const QString option = "--" + Text(f.option);
                const auto run = [&](double value) {
                    return RunCli({"new", "-o", Path("bounds.spk"), "--units", unitName, option,
                                   QString::fromStdString(ShortestText(value))});
                };
                // The plotted range's ends also keep their span apart.
                if (f.id != FieldId::FreqLow && f.id != FieldId::FreqHigh)
                    QVERIFY2(run(low).code == 0 && run(high).code == 0, qPrintable(option));
                const bool count = f.type == FieldType::Count;
                for (const double outside : {count ? low - 1 : std::nextafter(low, -1e300),
                                             count ? high + 1 : high * 1.001}) {
                    if (f.bounds.zeroAllowed && outside == 0)
                        continue;
                    const std::optional<std::string> refusal = Fields::Refusal(f, outside, units);
                    QVERIFY2(refusal, qPrintable(option));
                    const CliRun r = run(outside);
                    QCOMPARE(r.code, 1);
                    QVERIFY2(r.err.endsWith(": " + QByteArray::fromStdString(*refusal) + "\n"),
                             r.err.constData());
                }
            }
        }
    }

    // The requests the dialogs refuse are refused here too, with their words.
    void refusals_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("err");
        QTest::newRow("reversed range")
            << "--freq-low 2000 --freq-high 1000" << Text(Fields::kSpanRefused);
        QTest::newRow("radiator tuning") << "--type PassiveRadiator " + kRadiators + "--pr-tune 28"
                                         << "--pr-tune: A tuning of 28.0 Hz needs less than the "
                                            "radiator's own mass: the highest these radiators "
                                            "reach on this box is 27.1 Hz.";
        QTest::newRow("type") << "--type Horn"
                              << Text(Fields::BoxTypeRefusal()).prepend("--type: ");
    }
    void refusals() {
        QFETCH(QString, args);
        const CliRun r = RunCli(Args("new -o " + Path("refused.spk") + " " + args));
        QCOMPARE(r.code, 1);
        QFETCH(QString, err);
        QCOMPARE(QString::fromUtf8(r.err), "orvane-cli: " + err + "\n");
        QVERIFY(!QFile::exists(Path("refused.spk")));
    }

    // set changes the values named, atomically, and writes back what it does
    // not know: entries of a later version and the rest of the record.
    void setKeepsTheRest() {
        SpeakerDesign d;
        d.m_fs = 30, d.m_boxType = "Vented", d.m_extras.re = 6, d.m_keptExtension.blockRead = true;
        d.m_keptExtension.unknownEntries = {0x34, 0x12, 3, 0, 'n', 'e', 'w'};
        const QString path = Path("set.spk");
        WriteBytes(path, DesignFile::Store(d));
        const QByteArray before = ReadBytes(path);
        QCOMPARE(RunCli({"set", path, "--v1", "56.6", "--units", "metric", "--pe", "80"}).code, 0);
        SpeakerDesign expected = d;
        expected.m_v1 = 56.6 / 28.316846592, expected.m_extras.pe = 80;
        const std::vector<std::uint8_t> bytes = DesignFile::Store(expected);
        QCOMPARE(ReadVector(path), bytes);
        // A refused value leaves the file as it was.
        QCOMPARE(RunCli({"set", path, "--fs", "5"}).code, 1);
        QCOMPARE(RunCli({"set", path}).code, 2);
        QVERIFY(ReadBytes(path) != before && ReadVector(path) == bytes);
    }

    // Every stored value comes back through info, under the table's key;
    // metric adds the converted values beside the record's own.
    void infoKeysFromTheTable() {
        const QString path = Path("all.spk");
        QCOMPARE(RunCli(Args("new --units metric --type Bandpass6 --fs 31.5 --vas 84.95 "
                             "--xmax 6.35 --cone-diameter 25.4 --port-diameter 7.62 --drivers "
                             "65535 -o ")
                        << path)
                     .code,
                 0);
        const QJsonObject o =
            QJsonDocument::fromJson(RunCli({"info", path, "--units", "metric"}).out).object();
        for (const FieldInfo& f : Fields::All()) {
            if (f.home != FieldHome::Window)
                QVERIFY(o[f.home == FieldHome::Record ? "record" : "extended"].toObject().contains(
                    Text(f.key)));
        }
        const auto near = [](double a, double b) { return std::abs(a / b - 1) < 1e-14; };
        const QJsonObject record = o["record"].toObject(), metric = o["metric"].toObject();
        QVERIFY(near(record["vas"].toDouble() * 28.316846592, 84.95));
        QVERIFY(near(metric["vas_l"].toDouble(), 84.95));
        QVERIFY(near(record["xmax"].toDouble() * 25.4, 6.35));
        QVERIFY(near(metric["cone_diameter_cm"].toDouble(), 25.4));
        QVERIFY(near(metric["port_diameter_cm"].toDouble(), 7.62));
        QVERIFY(metric["port2_diameter_cm"].isNull());
        QCOMPARE(record["driverCount"].toInt(), 65535);
        QCOMPARE(record["boxType"].toString(), QString("Bandpass6"));
    }

    // Non-finite values are strings, names are valid JSON text (a space and
    // a character beyond 16 bits as they are), unknown types have no figures.
    void nonFiniteAndUnknownType() {
        SpeakerDesign d;
        d.m_fs = std::numeric_limits<double>::quiet_NaN();
        d.m_qts = -std::numeric_limits<double>::infinity();
        // Quote, backslash, control, valid UTF-8, a Latin-1 byte and a cut sequence.
        d.m_boxType = "q\"b\\s\n\x01\xc3\xa4 \U0001F600\xfc\xe2\x82";
        const QString path = Path("odd.spk");
        WriteBytes(path, DesignFile::Store(d));
        const CliRun r = RunCli({"info", path});
        QCOMPARE(r.code, 0);
        CheckJson(r.out,
                  {"record.fs=nan", "record.qts=-inf",
                   "record.boxType=" + QString::fromUtf8("q\"b\\s\n\x01\xc3\xa4 \U0001F600") +
                       QString(3, QChar(0xFFFD)),
                   "outputLimits=null", "figureLines=null"});
        QVERIFY(r.out.contains("\\u0001\xc3\xa4 \U0001F600"));
    }

    // Only plot loads Qt: every other command, and a plot line turned away
    // as wrong, runs without any Qt library (the loader lists what it loads).
    void qtOnlyForPlot_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("qt");
        QTest::newRow("info") << "info D" << 0 << false;
        QTest::newRow("set") << "set D --fs 20" << 0 << false;
        QTest::newRow("ts") << "ts --fs 30 --re 6 --zmax 54 --f1 20 --f2 50" << 0 << false;
        QTest::newRow("help") << "--help" << 0 << false;
        QTest::newRow("build") << "build D" << 1 << false; // no volume: refused
        QTest::newRow("plot to bmp") << "plot D -o P.bmp" << 2 << false;
        QTest::newRow("plot") << "plot D -o P.png" << 0 << true;
    }
    void qtOnlyForPlot() {
        QFETCH(QString, args);
        const QString design = Path("qt.spk");
        if (!QFile::exists(design))
            QCOMPARE(RunCli({"new", "-o", design}).code, 0);
        QStringList run = Args(args);
        for (QString& word : run)
            word = word == "D" ? design : word.startsWith("P.") ? Path(word) : word;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_DEBUG", "libs");
        const CliRun r = RunCli(run, env);
        QTEST(r.code, "code");
        QVERIFY(r.err.contains("libstdc++")); // the loader did report
        QTEST(r.err.contains("libQt6"), "qt");
    }

    void loadFailures() {
        const QString missing = Path("missing.spk");
        CliRun r = RunCli({"set", missing, "--fs", "30"});
        QCOMPARE(r.code, 1);
        QCOMPARE(QString::fromUtf8(r.err),
                 missing + "\nCannot find this file.\nPlease verify that the correct path and "
                           "file name are given.\n");
        QVERIFY(!QFile::exists(missing));
        const QString cut = Path("cut.spk");
        auto example = DesignFile::Store(SpeakerDesign{});
        example.pop_back();
        WriteBytes(cut, example);
        r = RunCli({"info", cut});
        QVERIFY(r.code == 1 && r.err == "Unexpected file format.\n");
    }

    // Bad usage: exit 2, the first line names what is wrong, nothing written.
    void usage_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* tag, const QString& args, const QString& message) {
            QTest::newRow(tag) << args << message;
        };
        row("nothing", "", "");
        row("extra argument", "box extra --volume 1", "unexpected argument extra");
        row("unknown option", "new -o y.spk -q 2", "unknown option --q");
        row("missing", "port --vb 2 --fb 35", "missing --diameter");
        row("overflow", "new -o y.spk --fs 1e400", "--fs needs a finite number");
        row("no value", "new -o y.spk --fs", "option --fs needs a value");
        row("count", "new -o y.spk --ports 1.5", "--ports needs a whole number");
        row("long name", "new -o y.spk --name " + QString(65536, 'n'),
            "--name is longer than 65535 bytes");
        row("units", "new -o y.spk --units furlongs", "--units needs imperial or metric");
        row("retired radiators", "new -o y.spk --radiators 2",
            "--radiators is now --prs, the number of passive radiators, which the build's "
            "radiator displacement counts too");
        row("radiators of a vented box",
            "align --fs 30 --qts 0.4 --vas 3 --type Vented --volume 2 --prs 2",
            "--prs goes with --type PassiveRadiator");
        row("radiator table", "align --fs 30 --qts 0.4 --vas 3 --type PassiveRadiator --table",
            "--table goes with --type Vented");
        row("set nothing", "set y.spk", "set needs a value to change");
        row("info option", "info a.spk --x 1", "info takes exactly one design file");
    }
    void usage() {
        QFETCH(QString, args);
        QFETCH(QString, message);
        const CliRun r = RunCli(Args(args.replace("y.spk", Path("y.spk"))));
        QVERIFY2(r.code == 2 && r.err.contains("usage:"), r.err.constData());
        if (!message.isEmpty())
            QCOMPARE(QString::fromUtf8(r.err.left(r.err.indexOf('\n'))), "orvane-cli: " + message);
        QVERIFY(!QFile::exists(Path("y.spk")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
