// SPDX-License-Identifier: GPL-3.0-or-later
// Import and export of drivers: units, CSV, the qspeakers database, and the
// import into the library.
#include "core/design/SpeakerDesign.h"
#include "core/library/DriverCsv.h"
#include "core/library/DriverDesign.h"
#include "core/library/DriverImport.h"
#include "core/library/DriverUnits.h"
#include "core/library/QspeakersXml.h"

#include "tests/support/Drivers.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <unistd.h>

using namespace orvane;

Q_DECLARE_METATYPE(std::string)

namespace {

// "line: reason" for each refused row.
QStringList Refusals(const ParsedDrivers& parsed) {
    QStringList list;
    for (const RefusedRow& r : parsed.refused)
        list << QStringLiteral("%1: %2").arg(r.line).arg(QString::fromStdString(r.reason));
    return list;
}

QStringList Names(const ParsedDrivers& parsed) {
    QStringList list;
    for (size_t i = 0; i < parsed.entries.size(); ++i) {
        list << QStringLiteral("%1: %2")
                    .arg(parsed.lines[i])
                    .arg(QString::fromStdString(parsed.entries[i].Name()));
    }
    return list;
}

bool Close(double a, double b, double relative) {
    return std::fabs(a - b) <= relative * std::fabs(b);
}

// A qspeakers database as that program writes it, three drivers.
const char* const kQspeakersFile =
    "<!DOCTYPE QSpeakers PUBLIC '-//HEREWE//DTD QSpeakers 1.0 //EN' "
    "'http://def.herewe.org/DTD/qspeakers1.dtd'>\n"
    "<!--QSpeakers db of Thiele-Small parameters-->\n"
    "<speakers>\n"
    " <speaker dia=\"0.211\" xmax=\"7.5\" sd=\"0.0214\" le=\"1\" re=\"6.8\" pe=\"120\" fs=\"22\" "
    "vendor=\"MONACOR\" spl=\"88\" z=\"8\" vas=\"75\" qms=\"4.91\" qes=\"0.23\" "
    "model=\"SPH-200CTC\" bl=\"9\" qts=\"0.22\"/>\n"
    " <speaker dia=\"0.3048\" xmax=\"0\" sd=\"0\" le=\"0\" re=\"0\" pe=\"0\" fs=\"21\" "
    "vendor=\"ALPINE\" spl=\"0\" vas=\"368.121\" qes=\"0\" model=\"6002\" qts=\"0.34\" "
    "cms=\"2.25 mm/N\"/>\n"
    " <speaker vendor=\"AUDAX\" model=\"HM100X0\" fs=\"59\" qts=\"0.18\" vas=\"8.13\"/>\n"
    "</speakers>\n";

} // namespace

class TestDriverFiles : public QObject {
    Q_OBJECT
private slots:
    // The factors are the units' definitions, worked out here independently.
    void unitConversions() {
        // The other factors are checked through the CSV columns and qspeakers values below.
        QVERIFY(Close(DriverUnits::kLitresPerCubicFoot, 1000 * 0.3048 * 0.3048 * 0.3048, 1e-15));
        // The analysis' Sd of a 10 in cone is 0.0349071 m².
        QVERIFY(Close(DriverUnits::SdFromConeDiameter(10), 0.0349070782350266, 1e-14));
        for (double sd : {1e-4, 0.0214, 0.05, 0.2})
            QVERIFY(Close(DriverUnits::SdFromConeDiameter(DriverUnits::ConeDiameterFromSd(sd)), sd,
                          1e-15));
    }

    // Each unit column lands in the record's unit; Sd -> D = sqrt(Sd/pi)/(0.415*0.0254), the
    // value from a separate script.
    void csvUnitColumns_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("expected");
        // field: 0 vas, 1 cone diameter, 2 xmax
        QTest::newRow("vas_l") << QByteArray("VAS_L") << QByteArray("28.316846592") << 0 << 1.0;
        QTest::newRow("cone mm") << QByteArray("cone_diameter_mm") << QByteArray("254") << 1
                                 << 10.0;
        QTest::newRow("sd cm2") << QByteArray("sd_cm2") << QByteArray("214") << 1
                                << 7.8297904117494035;
        QTest::newRow("xmax mm") << QByteArray("xmax_mm") << QByteArray("6.35") << 2 << 0.25;
    }
    void csvUnitColumns() {
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, cell);
        QFETCH(int, field);
        QFETCH(double, expected);
        const bool vas = field == 0;
        const QByteArray text = "maker,model,fs,qts," + header + (vas ? "" : ",vas_ft3") +
                                "\nM,X,30,0.4," + cell + (vas ? "" : ",3") + "\n";
        ParsedDrivers parsed;
        QVERIFY(!DriverCsv::Parse(text.toStdString(), parsed));
        QCOMPARE(Refusals(parsed), QStringList());
        QCOMPARE(parsed.entries.size(), size_t(1));
        const DriverEntry& e = parsed.entries[0];
        const double got = field == 0 ? e.vas : field == 1 ? *e.coneDiameter : *e.xmax;
        QVERIFY2(Close(got, expected, 1e-15), qPrintable(QString::number(got, 'g', 17)));
    }

    // Good, bad and mixed rows: the bad ones are refused with their line (the
    // line where the row starts, counting line breaks inside quotes) and the
    // reason; the others are taken.
    void csvRows_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QStringList>("refused");
        const QByteArray header = "maker,model,fs,qts,vas_l,xmax_mm,notes,colour\n";
        QTest::newRow("good")
            << header + "SEAS,L26RO4Y,22,0.39,139,8,,red\r\n\r\nScan-Speak,18W/8531G00,28,0.35,"
                        "34,6.5,\"a note, with comma\",\n"
            << QStringList{"2: SEAS L26RO4Y", "4: Scan-Speak 18W/8531G00"} << QStringList{};
        QTest::newRow("bad")
            << header + "SEAS,,22,0.39,139\nSEAS,X,abc,0.39,139\nSEAS,Y,22,0,139\n"
                        "SEAS,Z,22,0.39,\nSEAS,W,22,0.39,139,-1\nSEAS,V,22,0.39,139,1,n,c,extra\n"
                        "SEAS,U,22,0.39,139,1,\"open\n"
            << QStringList{}
            << QStringList{"2: model is empty",
                           "3: fs is not a number: 'abc'",
                           "4: qts must be a number above 0",
                           "5: vas_l is empty",
                           "6: xmax must be a number not below 0",
                           "7: the row has 9 cells, the header 8",
                           "8: a quoted field is not closed"};
        QTest::newRow("mixed")
            << "\xEF\xBB\xBF" + header +
                   "A,1,30,0.4,85\nB,2,30,0.4,85,,\"two\nlines\"\nC,3,1e999,0.4,85\n"
                   ",,,,,,,\nD,4,30,0.4,85,,\"x\"y\nE,5, 30 ,+0.4,85\n"
            << QStringList{"2: A 1", "3: B 2", "8: E 5"}
            << QStringList{"5: fs is not a number: '1e999'", "7: text follows a closing quote"};
    }
    void csvRows() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, taken);
        QFETCH(QStringList, refused);
        ParsedDrivers parsed;
        const std::optional<std::string> error = DriverCsv::Parse(text.toStdString(), parsed);
        QVERIFY2(!error, error ? error->c_str() : "");
        QCOMPARE(Names(parsed), taken);
        QCOMPARE(Refusals(parsed), refused);
    }

    void csvUnreadableFiles_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray("\n\n") << "it has no header row";
        QTest::newRow("no vas") << QByteArray("maker,model,fs,qts\n")
                                << "its header row has no vas_ft3 or vas_l column";
        QTest::newRow("no maker") << QByteArray("brand,model,fs,qts,vas_l\n")
                                  << "its header row has no maker column";
        QTest::newRow("vas twice") << QByteArray("maker,model,fs,qts,vas_ft3,vas_l\n")
                                   << "the columns vas_ft3 and vas_l give the same value";
        QTest::newRow("open quote")
            << QByteArray("\"maker,model\n")
            << "its header row cannot be read: a quoted field is not closed";
    }
    void csvUnreadableFiles() {
        QFETCH(QByteArray, text);
        ParsedDrivers parsed;
        const std::optional<std::string> error = DriverCsv::Parse(text.toStdString(), parsed);
        QVERIFY(error);
        QTEST(QString::fromStdString(*error), "reason");
    }

    // What is exported imports to the same entries and exports to the same
    // bytes, awkward texts and numbers included.
    void csvRoundTrip() {
        std::vector<DriverEntry> entries{
            Driver("Scan-Speak", "18W/8531G00", 28, 0.35, 34 / 28.316846592),
            Driver("Maker, Inc.", "  spaced  ", 0.1 + 0.2, 1e-300, 3.0000000000000004),
            Driver("Ünïcödé", "Ω", 1e300, 5e-324, 123456789012345678.0)};
        entries[0].coneDiameter = 5.8;
        entries[0].xmax = 6.5 / 25.4;
        entries[0].efficiency = 87.5;
        entries[0].re = 5.8;
        entries[0].qes = 0.39;
        entries[0].le = 0.22;
        entries[0].pe = 80;
        entries[0].notes = "says \"hi\", twice\nthen a second line";
        entries[1].efficiency = -3.5;
        entries[1].notes = " leading blank";
        const std::string text = DriverCsv::Write(entries);
        QVERIFY(text.starts_with("maker,model,fs,qts,vas_ft3,cone_diameter_in,xmax_in,"
                                 "efficiency_db,re_ohm,qes,le_mh,pe_w,notes\n"));
        ParsedDrivers parsed;
        QVERIFY(!DriverCsv::Parse(text, parsed));
        QCOMPARE(Refusals(parsed), QStringList());
        QCOMPARE(parsed.entries.size(), entries.size());
        entries[1].model = "spaced"; // names are trimmed on the way in
        for (size_t i = 0; i < entries.size(); ++i) {
            const DriverEntry& a = entries[i];
            const DriverEntry& b = parsed.entries[i];
            QCOMPARE(b.Name(), a.Name());
            QCOMPARE(b.notes, a.notes);
            for (auto [x, y] : {std::pair{a.fs, b.fs}, {a.qts, b.qts}, {a.vas, b.vas}})
                QCOMPARE(std::memcmp(&x, &y, sizeof x), 0);
            for (auto field :
                 {&DriverEntry::coneDiameter, &DriverEntry::xmax, &DriverEntry::efficiency,
                  &DriverEntry::re, &DriverEntry::qes, &DriverEntry::le, &DriverEntry::pe})
                QVERIFY(a.*field == b.*field);
        }
        QCOMPARE(DriverCsv::Write(parsed.entries), DriverCsv::Write(entries));
    }

    // The qspeakers format: units converted, 0 and missing mean not given,
    // the cone diameter from sd, else from dia.
    void qspeakersValues() {
        ParsedDrivers parsed;
        const std::optional<std::string> error = QspeakersXml::Parse(kQspeakersFile, parsed);
        QVERIFY2(!error, error ? error->c_str() : "");
        QCOMPARE(Names(parsed),
                 (QStringList{"4: MONACOR SPH-200CTC", "5: ALPINE 6002", "6: AUDAX HM100X0"}));
        const DriverEntry& m = parsed.entries[0];
        QCOMPARE(m.fs, 22.0);
        QCOMPARE(m.qts, 0.22);
        QVERIFY(Close(m.vas, 75 / 28.316846592, 1e-15));
        QVERIFY(Close(*m.coneDiameter, 7.8297904117494035, 1e-15));
        QVERIFY(Close(*m.xmax, 7.5 / 25.4, 1e-15));
        QCOMPARE(m.efficiency, std::optional<double>(88));
        QCOMPARE(m.re, std::optional<double>(6.8));
        QCOMPARE(m.qes, std::optional<double>(0.23));
        QCOMPARE(m.le, std::optional<double>(1));
        QCOMPARE(m.pe, std::optional<double>(120));
        const DriverEntry& a = parsed.entries[1];
        QVERIFY(Close(*a.coneDiameter, 12.0, 1e-15));
        QVERIFY(!a.xmax && !a.efficiency && !a.re && !a.qes && !a.le && !a.pe);
        QVERIFY(!parsed.entries[2].coneDiameter);
    }

    void qspeakersRows() {
        const char* text =
            "<speakers>\n"
            "<speaker vendor='A' model='1' fs='30' qts='0.4' vas='80'/>\n"
            "<speaker vendor='A' model='2' fs='0' qts='0.4' vas='80'/>\n"
            "<speaker vendor='A' model='3' fs='30' qts='0.4' vas='80' re='six'/>\n"
            "<speaker vendor='' model='4' fs='30' qts='0.4' vas='80'/>\n"
            "<other><speaker vendor='A' model='5' fs='1' qts='1' vas='1'/></other>\n"
            "<speaker vendor='A&amp;B' model='&#x3A9;6' fs='30' qts='0.4' vas='80'/>\n"
            "</speakers>";
        ParsedDrivers parsed;
        QVERIFY(!QspeakersXml::Parse(text, parsed));
        QCOMPARE(Names(parsed), (QStringList{"2: A 1", "7: A&B Ω6"}));
        QCOMPARE(Refusals(parsed),
                 (QStringList{"3: fs is not given", "4: re is not a number: 'six'",
                              "5: maker is empty"}));
    }

    // Hostile and broken files give one message with the line, never a crash
    // or an expansion.
    void qspeakersRefusals_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("entity expansion")
            << QByteArray("<?xml version='1.0'?>\n<!DOCTYPE speakers [\n <!ENTITY a 'aaaaaaaaaa'>\n"
                          " <!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>\n"
                          " <!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'>\n]>\n"
                          "<speakers><speaker vendor='&c;' model='x' fs='1' qts='1' vas='1'/>"
                          "</speakers>")
            << "line 3: entity declarations are not allowed";
        QTest::newRow("external entity")
            << QByteArray("<!DOCTYPE speakers [<!ENTITY pw SYSTEM 'file:///etc/passwd'>]>\n"
                          "<speakers><speaker vendor='&pw;'/></speakers>")
            << "line 1: entity declarations are not allowed";
        QTest::newRow("parameter entity")
            << QByteArray("<!DOCTYPE speakers [\n<!ENTITY % p SYSTEM 'http://example.invalid/x'>\n"
                          "%p;\n]>\n<speakers/>")
            << "line 2: entity declarations are not allowed";
        QTest::newRow("undeclared entity")
            << QByteArray("<speakers>\n<speaker vendor='&nope;'/>\n</speakers>")
            << "line 2: undefined entity";
        QTest::newRow("truncated")
            << QByteArray(kQspeakersFile).left(300) << "line 4: unclosed token";
        QTest::newRow("bad token") << QByteArray("<speakers>\n\n<speaker vendor=A/>\n</speakers>")
                                   << "line 3: not well-formed (invalid token)";
        QTest::newRow("empty") << QByteArray() << "line 1: no element found";
        QTest::newRow("other root")
            << QByteArray("<html><body/></html>")
            << "line 1: it is not a qspeakers driver database (its root is <html>)";
    }
    void qspeakersRefusals() {
        QFETCH(QByteArray, text);
        ParsedDrivers parsed;
        const std::optional<std::string> error = QspeakersXml::Parse(text.toStdString(), parsed);
        QVERIFY(error);
        QTEST(QString::fromStdString(*error), "reason");
    }

    // The import as the commands run it: counts, refused lines, the
    // duplicate policy, and files that cannot be read.
    void importIntoLibrary() {
        QTemporaryDir dir;
        const QString csv = dir.filePath("drivers.csv");
        WriteBytes(csv, "maker,model,fs,qts,vas_ft3\nA,1,30,0.4,3\nA,2,x,0.4,3\nB,1,30,0.4,3\n"
                        "a,1,31,0.4,3\n");
        FileResult error = FileResult::Success();
        auto library = DriverLibrary::Open(dir.filePath("lib.sqlite").toStdString(), error);
        QVERIFY(library);
        ImportReport report;
        QVERIFY(ImportDriverFile(*library, csv.toStdString(), DriverFileFormat::Csv,
                                 DuplicatePolicy::Skip, report));
        QCOMPARE(report.counts.added, 2);
        QCOMPARE(report.counts.skipped, 1); // the second "A 1" in the same file
        QCOMPARE(report.refused.size(), size_t(1));
        QCOMPARE(report.refused[0].line, 3L);
        QVERIFY(ImportDriverFile(*library, csv.toStdString(), DriverFileFormat::Csv,
                                 DuplicatePolicy::Replace, report));
        QCOMPARE(report.counts.added, 0);
        QCOMPARE(report.counts.replaced, 3);
        DriverEntry e;
        bool found = false;
        QVERIFY(library->FindByName("A", "1", e, found));
        QCOMPARE(e.fs, 31.0);

        const QString xml = dir.filePath("db.xml");
        WriteBytes(xml, kQspeakersFile);
        QCOMPARE(GuessDriverFileFormat(xml.toStdString()), DriverFileFormat::Qspeakers);
        QCOMPARE(GuessDriverFileFormat("x.CSV"), DriverFileFormat::Csv);
        QVERIFY(ImportDriverFile(*library, xml.toStdString(), DriverFileFormat::Qspeakers,
                                 DuplicatePolicy::Skip, report));
        QCOMPARE(report.counts.added, 3);

        // Unreadable: the message names the file and the reason, nothing changes.
        std::vector<DriverEntry> before;
        QVERIFY(library->All(before));
        const auto failure = [&](const QString& path, DriverFileFormat format) {
            const FileResult failed = ImportDriverFile(*library, path.toStdString(), format,
                                                       DuplicatePolicy::Replace, report);
            return QString::fromStdString(failed.Message()).remove("The file " + path + " ");
        };
        QCOMPARE(failure(dir.filePath("missing.csv"), DriverFileFormat::Csv),
                 "cannot be read: No such file or directory.");
        const QString broken = dir.filePath("broken.xml");
        WriteBytes(broken, QByteArray(kQspeakersFile).left(250));
        QCOMPARE(failure(broken, DriverFileFormat::Qspeakers),
                 "cannot be read: line 4: unclosed token.");
        const QString huge = dir.filePath("huge.csv");
        WriteBytes(huge, "maker");
        QVERIFY(::truncate(huge.toLocal8Bit().constData(), kMaxImportBytes + 1) == 0); // sparse
        QCOMPARE(failure(huge, DriverFileFormat::Csv), "cannot be read: it is larger than 64 MiB.");
        {
            FailingFileSystem failing(FailingFileSystem::Step::Read, EIO);
            QCOMPARE(failure(csv, DriverFileFormat::Csv), "cannot be read: Input/output error.");
        }
        std::vector<DriverEntry> after;
        QVERIFY(library->All(after));
        QCOMPARE(after.size(), before.size());
    }

    // Export then import into another library gives the same export.
    void exportImportRoundTrip() {
        QTemporaryDir dir;
        FileResult error = FileResult::Success();
        auto first = DriverLibrary::Open(dir.filePath("a.sqlite").toStdString(), error);
        const QString xml = dir.filePath("db.xml");
        WriteBytes(xml, kQspeakersFile);
        ImportReport report;
        QVERIFY(ImportDriverFile(*first, xml.toStdString(), DriverFileFormat::Qspeakers,
                                 DuplicatePolicy::Skip, report));
        const std::string out1 = dir.filePath("one.csv").toStdString();
        QVERIFY(ExportDriverFile(*first, out1));
        auto second = DriverLibrary::Open(dir.filePath("b.sqlite").toStdString(), error);
        QVERIFY(
            ImportDriverFile(*second, out1, DriverFileFormat::Csv, DuplicatePolicy::Skip, report));
        QCOMPARE(report.counts.added, 3);
        const std::string out2 = dir.filePath("two.csv").toStdString();
        QVERIFY(ExportDriverFile(*second, out2));
        const QByteArray bytes = ReadBytes(QString::fromStdString(out1));
        QCOMPARE(ReadBytes(QString::fromStdString(out2)), bytes);
        QCOMPARE(bytes.count('\n'), 4);

        // A failing write leaves the earlier export whole.
        FailingFileSystem failing(FailingFileSystem::Step::Write, ENOSPC);
        const FileResult failed = ExportDriverFile(*second, out1);
        QCOMPARE(failed.Message(),
                 "The file " + out1 + " cannot be written: No space left on device.");
        QCOMPARE(ReadBytes(QString::fromStdString(out1)), bytes);
    }

    // Use copies every driver value and the name; what the entry does not
    // know is cleared, the box stays.
    void useAndTakeFromDesign() {
        SpeakerDesign design;
        design.m_v1 = 2;
        design.m_coneDiameter = 12;
        design.m_extras.re = 4;
        design.m_extras.ql = 10;
        DriverEntry entry = Driver("SEAS", "L26RO4Y", 22, 0.39, 4.9);
        entry.xmax = 0.32;
        entry.qes = 0.45;
        UseDriver(entry, design);
        QCOMPARE(design.m_fs, 22.0);
        QCOMPARE(design.m_qts, 0.39);
        QCOMPARE(design.m_vas, 4.9);
        QCOMPARE(design.m_xmax, 0.32);
        QCOMPARE(design.m_coneDiameter, 0.0);
        QCOMPARE(design.m_efficiency, 0.0);
        QCOMPARE(design.m_extras.name, std::optional<std::string>("SEAS L26RO4Y"));
        QVERIFY(!design.m_extras.re);
        QCOMPARE(design.m_extras.qes, std::optional<double>(0.45));
        QCOMPARE(design.m_v1, 2.0);
        QCOMPARE(design.m_extras.ql, std::optional<double>(10));

        const DriverEntry back = DriverFromDesign(design);
        QCOMPARE(back.fs, 22.0);
        QCOMPARE(back.xmax, std::optional<double>(0.32));
        QVERIFY(!back.coneDiameter && !back.efficiency && !back.re);
        QCOMPARE(back.qes, std::optional<double>(0.45));
    }

    void searchRule_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("blanks") << "   " << true;
        QTest::newRow("maker any case") << "sEaS" << true;
        QTest::newRow("maker and model") << "seas l26" << true;
        QTest::newRow("notes") << "WOOFER" << true;
        QTest::newRow("across fields is not one word") << "seasl26" << false;
        QTest::newRow("one word missing") << "seas tweeter" << false;
    }
    void searchRule() {
        QFETCH(QString, query);
        DriverEntry e = Driver("SEAS", "L26RO4Y");
        e.notes = "10 inch woofer";
        QTEST(DriverMatches(e, query.toStdString()), "matches");
    }
};

QTEST_GUILESS_MAIN(TestDriverFiles)
#include "test_driver_files.moc"
