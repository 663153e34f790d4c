// SPDX-License-Identifier: GPL-3.0-or-later
// Import and export of drivers: units, crafted and hostile files, failures.
#include "core/library/DriverCsv.h"
#include "core/library/DriverImport.h"
#include "core/library/QspeakersXml.h"
#include "tests/support/Drivers.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <tuple>
#include <unistd.h>

using namespace orvane;

namespace {

// "line: name" for each entry taken, then "line: reason" for each row
// refused; or the reason the whole file is refused.
QStringList Read(const QByteArray& text, bool xml = false) {
    ParsedDrivers got;
    const std::string bytes = text.toStdString();
    if (auto error = xml ? QspeakersXml::Parse(bytes, got) : DriverCsv::Parse(bytes, got))
        return {QString::fromStdString(*error)};
    QStringList list;
    for (size_t i = 0; i < got.entries.size(); ++i)
        list << QString::number(got.lines[i]) + ": " + got.entries[i].Name().c_str() +
                    (got.entries[i].kind == DriverKind::Radiator ? " (radiator)" : "");
    for (const RefusedRow& r : got.refused)
        list << QString::number(r.line) + ": " + r.reason.c_str();
    return list;
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-15 * std::fabs(b);
}

} // namespace

class TestDriverFiles : public QObject {
    Q_OBJECT
private slots:
    // Record units by definition (1 ft = 0.3048 m, 1 in = 25.4 mm); Sd: D =
    // sqrt(Sd/pi)/(0.415*0.0254) in (the analysis' area), 214 cm² → 7.8297904117494035
    // (worked out separately). qspeakers: 0 or missing is "not given", sd before dia.
    void units() {
        ParsedDrivers csv, xml;
        QVERIFY(!DriverCsv::Parse("maker,model,fs,qts,vas_l,xmax_mm,sd_cm2,cone_diameter_mm,re\n"
                                  "M,1,30,0.4,28.316846592,6.35,214,,5.6\nM,2,30,0.4,1,,,254\n",
                                  csv));
        const DriverEntry &a = csv.entries.at(0), &b = csv.entries.at(1);
        QVERIFY(Near(a.vas, 1) && Near(*a.xmax, 0.25) && Near(*a.coneDiameter, 7.8297904117494035));
        QCOMPARE(a.re, std::optional(5.6)); // a column named "re" is in ohms too
        QVERIFY(!DriverCsv::Parse("maker,model,fs,qts,vas_ft3,xmax_in\nM,3,30,0.4,1,0.5\n", xml));
        QCOMPARE(xml.entries.at(0).xmax, std::optional(0.5));
        xml = {};
        QVERIFY(Near(*b.coneDiameter, 10) && !b.xmax);
        QVERIFY(!QspeakersXml::Parse(
            "<speakers><speaker vendor='M' model='1' fs='22' qts='0.22' vas='28.316846592' "
            "sd='0.0214' dia='0.3' xmax='6.35' spl='88' re='6.8' qes='0.23' le='1' pe='120'/>\n"
            "<speaker vendor='M' model='2' fs='21' qts='0.3' vas='1' dia='0.254' sd='0' re='0' "
            "xmax='0'/></speakers>",
            xml));
        const DriverEntry &c = xml.entries.at(0), &d = xml.entries.at(1);
        QVERIFY(Near(c.vas, 1) && Near(*c.xmax, 0.25) && Near(*c.coneDiameter, 7.8297904117494035));
        QVERIFY(c.efficiency == 88.0 && c.re == 6.8 && c.qes == 0.23 && c.le == 1.0 &&
                c.pe == 120.0);
        QVERIFY(Near(*d.coneDiameter, 10) && !d.re && !d.xmax && !d.efficiency && !d.pe);
    }

    // Rows refused with the line they start on and the reason, the others
    // taken, or the file refused; never a crash, an expansion or a value the
    // file does not give.
    void files_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("read");
        const QByteArray h = "maker,model,fs,qts,vas_l,xmax_mm,notes,colour\n";
        QTest::newRow("csv")
            << "\xEF\xBB\xBF" + h +
                   "A,1,22,0.39,139,8,,red\r\n\r\n,,,,,,,\nB,2,28,0.35,34,6.5,\"a, "
                   "b\nc\",\nE,5, 30 ,+0.4,85\n"
            << "2: A 1 | 5: B 2 | 7: E 5";
        QTest::newRow("csv bad")
            << h + "S,,22,0.4,1\nS,X,abc,0.4,1\nS,Y,22,0,1\nS,Z,22,0.4,\nS,W,22,0.4,"
                   "1,-1\nS,V,22,0.4,1,1,n,c,extra\nC,3,1e999,0.4,85\nD,4,30,0.4,"
                   "85,,\"x\"y\nS,U,22,0.4,1,1,\"open\n"
            << "2: model is empty | 3: fs is not a number: 'abc' | 4: qts must be "
               "a number above 0 | 5: vas_l is empty | 6: xmax must be a number "
               "not below 0 | 7: the row has 9 cells, the header 8 | 8: fs is "
               "not a number: '1e999' | 9: text follows a closing quote | 10: a "
               "quoted field is not closed";
        QTest::newRow("csv names")
            << h + "\x1b[31mRed,1,30,0.4,85\nA,\xC0\xAF,30,0.4,85\nA\xE2\x80\xAE"
                   "b,2,30,0.4,85\nA,3,30,0.4,85,,\"tab\there\"\nA,4,30,0.4,85,,"
                   "\"\x07\"\n"
            << "5: A 3 | 2: maker contains a control character | 3: model is "
               "not valid UTF-8 | 4: maker contains a control character | 6: "
               "notes contain a control character";
        QTest::newRow("csv kind") << QByteArray("maker,model,fs,qts,vas_l,kind\nA,1,9,9,9,driver\n"
                                                "A,2,9,9,9,\nA,3,9,9,9, Radiator \nA,4,9,9,9,pr\n")
                                  << "2: A 1 | 3: A 2 | 4: A 3 (radiator) | 5: kind must be "
                                     "driver or radiator, not 'pr'";
        QTest::newRow("csv no vas") << QByteArray("maker,model,fs,qts\n")
                                    << "its header row has no vas_ft3 or vas_l column";
        QTest::newRow("xml") << QByteArray(
                                    "<speakers>\n<speaker vendor='A' model='1' fs='3' qts='4' "
                                    "vas='8'/>\n<speaker vendor='A' model='2' fs='3' qts='4' "
                                    "vas='8' re='x'/>\n<x><speaker vendor='A' model='3' fs='1' "
                                    "qts='1' vas='1'/></x>\n<speaker vendor='A&amp;B' "
                                    "model='&#x3A9;6' fs='3' qts='4' vas='8'/>\n</speakers>")
                             << "2: A 1 | 5: A&B Ω6 | 3: re is not a number: 'x'";
        QTest::newRow("xml DTD default")
            << QByteArray("<!DOCTYPE speakers [<!ATTLIST speaker fs CDATA "
                          "'3'>]>\n<speakers>\n<speaker vendor='A' "
                          "model='1' qts='4' vas='8'/></speakers>")
            << "3: fs is not given";
        QTest::newRow("xml entities")
            << QByteArray("<!DOCTYPE speakers [\n<!ENTITY a 'aaaaaaaaaa'>\n"
                          "<!ENTITY b '&a;&a;&a;'>]>\n<speakers/>")
            << "line 2: entity declarations are not allowed";
        QTest::newRow("xml broken") << QByteArray("<speakers>\n\n<speaker vendor=A/>\n</speakers>")
                                    << "line 3: not well-formed (invalid token)";
        QTest::newRow("xml root")
            << QByteArray("<html><body/></html>")
            << "line 1: it is not a qspeakers driver database (its root is <html>)";
        QTest::newRow("xml nested") << "<speakers>\n" + QByteArray("<a>").repeated(4 << 20)
                                    << "line 2: the elements are nested more than 16 deep";
    }
    void files() {
        QFETCH(QByteArray, text);
        QTEST(Read(text, QByteArray(QTest::currentDataTag()).startsWith("xml")).join(" | "),
              "read");
    }

    // Export, import, export gives the same bytes; texts a spreadsheet would
    // run as formulas are written after an apostrophe.
    void csvRoundTrip() {
        std::vector<DriverEntry> entries{
            Driver("Scan-Speak", "18W/8531G00", 28, 0.35, 34 / 28.316846592),
            Driver("Maker, Inc.", "=HYPERLINK(\"x\")", 0.1 + 0.2, 1e-300, 3.0000000000000004),
            Driver("Ünïcödé", "'=1+1", 1e300, 5e-324, 123456789012345678.0),
            Driver("@SUM(A1)", "-2", 1, 1, 1), Driver("'plain", "+3", 1, 1, 1)};
        entries[0].efficiency = -3.5, entries[0].notes = "says \"hi\", twice\nthen a second line";
        entries[1].notes = "\tthen =cmd", entries[2].notes = "\r\nstarts with a line break";
        std::tie(entries[3].kind, entries[3].mms, entries[4].displacement) =
            std::tuple(DriverKind::Radiator, 132.5, 0.1 + 0.2);
        const std::string text = DriverCsv::Write(entries);
        QVERIFY(text.starts_with("maker,model,kind,fs,qts,vas_ft3,cone_diameter_in,xmax_in,"
                                 "efficiency_db,re_ohm,qes,le_mh,pe_w,mms_g,displacement_ft3,"
                                 "notes\n"));
        for (const char* guarded :
             {",\"'=HYPERLINK(\"\"x\"\")\",", ",''=1+1,", "\n'@SUM(A1),'-2,radiator,",
              "\n'plain,'+3,driver,", ",'\tthen =cmd\n", ",\"'\r\nstarts"})
            QVERIFY2(text.find(guarded) != std::string::npos, guarded);
        ParsedDrivers parsed;
        QVERIFY(!DriverCsv::Parse(text, parsed) && parsed.entries.size() == entries.size());
        QCOMPARE(DriverCsv::Write(parsed.entries), text);
    }

    // Failed reads and writes leave the library and an earlier export as they
    // were; the library itself, also through links, is never the output.
    void failures() {
        QTemporaryDir dir;
        const auto path = [&dir](const char* name) { return dir.filePath(name).toStdString(); };
        auto library = std::move(*DriverLibrary::Open(path("lib.sqlite")));
        QVERIFY(library->Store(Driver("A", "1"), DuplicatePolicy::Skip));
        QVERIFY(ExportDriverFile(*library, path("out.csv")));
        WriteBytes(dir.filePath("huge.csv"), "maker");
        QVERIFY(::truncate(path("huge.csv").c_str(), kMaxImportBytes + 1) == 0); // sparse
        QVERIFY(::symlink(path("lib.sqlite").c_str(), path("link.csv").c_str()) == 0);
        QVERIFY(::link(path("lib.sqlite").c_str(), path("hard.csv").c_str()) == 0);
        const QByteArray exported = ReadBytes(dir.filePath("out.csv")),
                         before = ReadBytes(dir.filePath("lib.sqlite"));
        using Step = FailingFileSystem::Step;
        const std::tuple<const char*, std::optional<Step>, const char*> cases[] = {
            {"huge.csv", {}, "cannot be read: it is larger than 64 MiB."},
            {"out.csv", Step::Read, "cannot be read: Input/output error."},
            {"out.csv", Step::Write, "cannot be written: No space left on device."},
            {"lib.sqlite", {}, "is the driver library; choose another file."},
            {"link.csv", {}, "is the driver library; choose another file."},
            {"hard.csv", {}, "is the driver library; choose another file."}};
        for (const auto& [name, step, reason] : cases) {
            std::optional<FailingFileSystem> failing;
            if (step)
                failing.emplace(*step, *step == Step::Read ? EIO : ENOSPC);
            const std::string message =
                std::string(reason).starts_with("cannot be read")
                    ? ImportDriverFile(*library, path(name), DriverFileFormat::Csv,
                                       DuplicatePolicy::Skip)
                          .Message()
                    : ExportDriverFile(*library, path(name)).Message();
            QCOMPARE(message, "The file " + path(name) + " " + reason);
        }
        QCOMPARE(LibraryNames(*library), std::vector<std::string>{"A 1"});
        QCOMPARE(ReadBytes(dir.filePath("out.csv")), exported);
        QCOMPARE(ReadBytes(dir.filePath("lib.sqlite")), before);
    }

    // Every word in the maker, model or notes, without case, also in the
    // library's own search.
    void searchRule() {
        DriverEntry e = Driver("SEAS", "L26RO4Y");
        e.notes = "10 inch woofer";
        const DriverEntry two[] = {Driver("Other", "Tweeter"), e};
        QTemporaryDir dir;
        auto library = std::move(*DriverLibrary::Open(dir.filePath("lib.sqlite").toStdString()));
        QVERIFY(library->StoreAll(two, DuplicatePolicy::Skip));
        for (const auto& [query, matches] : {std::pair{"  ", true},
                                             {"sEaS l26", true},
                                             {"WOOFER 10", true},
                                             {"seasl26", false},
                                             {"seas tweeter", false}}) {
            QVERIFY2(DriverMatches(e, query) == matches, query);
            QStringList found, expected;
            QVERIFY(
                library->ForEach(query, [&](const DriverEntry& d) { found << d.Name().c_str(); }));
            for (const DriverEntry& d : two)
                expected << (DriverMatches(d, query) ? d.Name().c_str() : nullptr);
            QCOMPARE(found, expected.filter(QRegularExpression(".")));
        }
    }
};

QTEST_GUILESS_MAIN(TestDriverFiles)
#include "test_driver_files.moc"
