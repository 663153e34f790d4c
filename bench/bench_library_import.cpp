// SPDX-License-Identifier: GPL-3.0-or-later
// Importing ten thousand drivers into a new library, from CSV and from a
// qspeakers database: read, parse, check and store in one transaction,
// flushed to disk. The budget is one second.
#include "bench/LibraryBenchData.h"
#include "core/library/DriverImport.h"
#include "core/library/DriverUnits.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace orvane;

namespace {

std::string QspeakersText(const std::vector<DriverEntry>& drivers) {
    std::string text = "<speakers>\n";
    char line[512];
    for (const DriverEntry& e : drivers) {
        std::snprintf(line, sizeof line,
                      " <speaker vendor=\"%s\" model=\"%s\" fs=\"%g\" qts=\"%g\" vas=\"%g\" "
                      "sd=\"%g\" xmax=\"%g\" spl=\"%g\" re=\"%g\" pe=\"%g\"/>\n",
                      e.maker == "B&C" ? "B&amp;C" : e.maker.c_str(), e.model.c_str(), e.fs, e.qts,
                      DriverUnits::CubicFeetToLitres(e.vas),
                      DriverUnits::SdFromConeDiameter(*e.coneDiameter),
                      DriverUnits::InchesToMillimetres(*e.xmax), *e.efficiency, e.re.value_or(0),
                      e.pe.value_or(0));
        text += line;
    }
    return text + "</speakers>\n";
}

} // namespace

class BenchLibraryImport : public QObject {
    Q_OBJECT
private slots:
    void import_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("csv") << int(DriverFileFormat::Csv);
        QTest::newRow("qspeakers") << int(DriverFileFormat::Qspeakers);
    }
    void import() {
        QFETCH(int, format);
        QTemporaryDir dir;
        const std::vector<DriverEntry> drivers = BenchDrivers();
        const auto kind = DriverFileFormat(format);
        const std::string text =
            kind == DriverFileFormat::Csv ? DriverCsv::Write(drivers) : QspeakersText(drivers);
        const QString file = dir.filePath("drivers.in");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text.data(), qint64(text.size()));
        out.close();

        std::vector<qint64> times;
        for (int run = 0; run < 7; ++run) {
            auto library =
                DriverLibrary::Open(dir.filePath(QString("lib%1.sqlite").arg(run)).toStdString());
            QVERIFY(library);
            QElapsedTimer timer;
            timer.start();
            const Result<ImportReport> report =
                ImportDriverFile(**library, file.toStdString(), kind, DuplicatePolicy::Skip);
            times.push_back(timer.nsecsElapsed());
            QVERIFY(report);
            QCOMPARE(report->counts.added, 10000);
            QVERIFY(report->refused.empty());
        }
        std::sort(times.begin(), times.end());
        qInfo("import of 10000 drivers (%zu KiB): median %.1f ms, fastest %.1f ms, slowest %.1f ms "
              "(budget 1000 ms)",
              text.size() / 1024, times[3] / 1e6, times.front() / 1e6, times.back() / 1e6);
    }
};

QTEST_GUILESS_MAIN(BenchLibraryImport)
#include "bench_library_import.moc"
