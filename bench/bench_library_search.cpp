// SPDX-License-Identifier: GPL-3.0-or-later
// Search as you type in the Driver Library dialog over ten thousand drivers:
// each keystroke goes into the search box as a key event and the dialog is
// painted again, as the user sees it. The budget is 16 ms a keystroke.
#include "bench/LibraryBenchData.h"
#include "core/library/LibrarySession.h"
#include "tools/CDriverLibraryDlg.h"
#include "tools/DriverTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace orvane;

class BenchLibrarySearch : public QObject {
    Q_OBJECT
private slots:
    void typing() {
        QTemporaryDir dir;
        LibrarySession session(dir.filePath("lib.sqlite").toStdString());
        FileResult error = FileResult::Success();
        DriverLibrary* library = session.Library(error);
        QVERIFY(library);
        StoreCounts counts;
        QVERIFY(library->StoreAll(BenchDrivers(), DuplicatePolicy::Skip, counts));

        CDriverLibraryDlg dlg(session);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.Model()->rowCount(), 10000);

        // Typed, then taken back one key at a time: narrowing and widening.
        const QString query = QStringLiteral("dayton b12 paper");
        std::vector<qint64> times;
        auto key = [&](auto press) {
            QElapsedTimer timer;
            timer.start();
            press();
            dlg.repaint(); // the paint the keystroke causes, now
            QApplication::processEvents();
            times.push_back(timer.nsecsElapsed());
        };
        for (int round = 0; round < 5; ++round) {
            for (QChar c : query)
                key([&] { QTest::keyClick(dlg.SearchEdit(), c.toLatin1()); });
            QVERIFY(dlg.Model()->rowCount() < 10000);
            for (qsizetype i = 0; i < query.size(); ++i)
                key([&] { QTest::keyClick(dlg.SearchEdit(), Qt::Key_Backspace); });
            QCOMPARE(dlg.Model()->rowCount(), 10000);
        }
        std::sort(times.begin(), times.end());
        const size_t n = times.size();
        qInfo("%zu keystrokes over 10000 drivers: median %.2f ms, 90th percentile %.2f ms, "
              "slowest %.2f ms (budget 16 ms)",
              n, times[n / 2] / 1e6, times[n * 9 / 10] / 1e6, times.back() / 1e6);

        // The filter alone, without events or painting.
        std::vector<qint64> filter;
        for (int round = 0; round < 5; ++round) {
            for (qsizetype i = 1; i <= query.size(); ++i) {
                QElapsedTimer timer;
                timer.start();
                dlg.Model()->SetFilter(query.left(i));
                filter.push_back(timer.nsecsElapsed());
            }
            dlg.Model()->SetFilter(QString());
        }
        std::sort(filter.begin(), filter.end());
        qInfo("the model's filter alone: median %.2f ms, slowest %.2f ms",
              filter[filter.size() / 2] / 1e6, filter.back() / 1e6);
    }
};

QTEST_MAIN(BenchLibrarySearch)
#include "bench_library_search.moc"
