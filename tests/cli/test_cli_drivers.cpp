// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli drivers ... and new --driver: the built tool against a library
// in a temporary folder.
#include "tests/support/CliRun.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

namespace {

const QByteArray kCsv = "maker,model,fs,qts,vas_l,xmax_mm,re_ohm,notes\n"
                        "SEAS,L26RO4Y,22,0.39,139,8,5.6,woofer\n"
                        "SEAS,Broken,x,0.39,139\n"
                        "Dayton Audio,RS225-8,27.5,0.3,56.6,,6.1,\n"
                        "Dayton,Audio RS225-8,40,0.5,10,,,\n";

} // namespace

class TestCliDrivers : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QString m_library;

    CliRun Run(const QStringList& args) { return RunCli(args, m_env); }

private slots:
    void init() {
        m_library = m_dir.filePath(QStringLiteral("lib-%1.sqlite").arg(++m_count));
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("ORVANE_LIBRARY", m_library);
        WriteBytes(m_dir.filePath("drivers.csv"), kCsv);
    }

    // The counts and the duplicate policy are test_driver_files' importIntoLibrary.
    void importReportsCountsAndRefusedLines() {
        const QString csv = m_dir.filePath("drivers.csv");
        CliRun r = Run({"drivers", "import", csv});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("added 3, replaced 0, skipped 0, refused 1\n"));
        QCOMPARE(r.err, (csv + ":3: fs is not a number: 'x'\n").toUtf8());
        r = Run({"drivers", "import", csv, "--replace", "--format", "csv"});
        QCOMPARE(r.out, QByteArray("added 0, replaced 3, skipped 0, refused 1\n"));

        // A file that cannot be read (test_driver_files has each reason).
        r = Run({"drivers", "import", csv, "--format", "qspeakers"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, ("The file " + csv + " cannot be read: line 1: syntax error.\n").toUtf8());
    }

    void listExportRemove() {
        QCOMPARE(Run({"drivers", "import", m_dir.filePath("drivers.csv")}).code, 0);
        CliRun r = Run({"drivers", "list", "--search", "seas woof", "--json"});
        QCOMPARE(r.code, 0);
        const QJsonArray list = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(list.size(), 1);
        const QJsonObject seas = list[0].toObject();
        QCOMPARE(seas["maker"].toString(), QStringLiteral("SEAS"));
        QCOMPARE(seas["vas"].toDouble(), 139 / 28.316846592);
        QCOMPARE(seas["re"].toDouble(), 5.6);
        QVERIFY(seas["qes"].isNull());
        QCOMPARE(seas["notes"].toString(), QStringLiteral("woofer"));
        QVERIFY(seas["created"].toString().endsWith('Z'));

        r = Run({"drivers", "list", "--search", "dayton"});
        QCOMPARE(r.out, QByteArray("id\tmaker\tmodel\tfs\tqts\tvas_ft3\txmax_in\tre_ohm\tpe_w\t"
                                   "efficiency_db\n"
                                   "3\tDayton\tAudio RS225-8\t40\t0.5\t0.353147\t\t\t\t\n"
                                   "2\tDayton Audio\tRS225-8\t27.5\t0.3\t1.99881\t\t6.1\t\t\n"));

        const QString out = m_dir.filePath("out.csv");
        QCOMPARE(Run({"drivers", "export", "-o", out}).code, 0);
        QVERIFY(ReadBytes(out).startsWith(
            QByteArray("maker,model,fs,qts,vas_ft3,cone_diameter_in,xmax_in,efficiency_db,"
                       "re_ohm,qes,le_mh,pe_w,notes\n"
                       "Dayton,Audio RS225-8,40,0.5,")));

        QCOMPARE(Run({"drivers", "remove", "seas", "l26ro4y"}).code, 0);
        r = Run({"drivers", "remove", "SEAS", "L26RO4Y"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QByteArray("There is no driver SEAS L26RO4Y in the library.\n"));
        r = Run({"drivers", "list", "--json", "--search", "seas"});
        QCOMPARE(r.out, QByteArray("[]\n"));
    }

    // Commands that only read do not create a library; --library wins over
    // the environment.
    void libraryChoice() {
        const QString other = m_dir.filePath("other.sqlite");
        CliRun r = Run({"drivers", "list", "--library", other});
        QCOMPARE(r.code, 0);
        QVERIFY(!QFile::exists(other));
        QCOMPARE(Run({"drivers", "import", m_dir.filePath("drivers.csv"), "--library", other}).code,
                 0);
        QVERIFY(QFile::exists(other));
        QVERIFY(!QFile::exists(m_library));
    }

    void damagedLibrary() {
        WriteBytes(m_library, "this is not a database");
        for (const QStringList& args :
             {QStringList{"drivers", "list"},
              QStringList{"new", "-o", m_dir.filePath("x.spk"), "--driver", "SEAS L26RO4Y"}}) {
            const CliRun r = Run(args);
            QCOMPARE(r.code, 1);
            QCOMPARE(r.err, ("The driver library " + m_library +
                             " cannot be read: it is not a database.\n")
                                .toUtf8());
        }
        QCOMPARE(ReadBytes(m_library), QByteArray("this is not a database"));
    }

    // new --driver fills the driver values, options given with it win; the
    // name and the extra values go into the design file's extension block.
    void newFromLibrary_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("fs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("re");
        QTest::addColumn<QByteArray>("err");
        const QString seas = "SEAS L26RO4Y";
        QTest::newRow("by name") << QStringList{"--driver", "seas L26RO4Y"} << 0 << 22.0 << seas
                                 << 5.6 << QByteArray();
        QTest::newRow("explicit wins") << QStringList{"--driver", seas, "--fs", "25"} << 0 << 25.0
                                       << seas << 5.6 << QByteArray();
        QTest::newRow("by id") << QStringList{"--driver-id", "2"} << 0 << 27.5
                               << "Dayton Audio RS225-8" << 6.1 << QByteArray();
        QTest::newRow("ambiguous")
            << QStringList{"--driver", "Dayton Audio RS225-8"} << 1 << 0.0 << "" << 0.0
            << QByteArray("Several drivers are named Dayton Audio RS225-8: give --driver-id (3, "
                          "2).\n");
        QTest::newRow("unknown id") << QStringList{"--driver-id", "99"} << 1 << 0.0 << "" << 0.0
                                    << QByteArray("There is no driver number 99 in the library.\n");
    }
    void newFromLibrary() {
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(QByteArray, err);
        QCOMPARE(Run({"drivers", "import", m_dir.filePath("drivers.csv")}).code, 0);
        const QString spk = m_dir.filePath("new.spk");
        QFile::remove(spk);
        const CliRun r = Run(QStringList{"new", "-o", spk} + options);
        QCOMPARE(r.code, code);
        QCOMPARE(r.err, err);
        if (code != 0) {
            QVERIFY(!QFile::exists(spk));
            return;
        }
        const QJsonObject info = QJsonDocument::fromJson(Run({"info", spk}).out).object();
        QTEST(info["record"].toObject()["fs"].toDouble(), "fs");
        const QJsonObject extended = info["extended"].toObject();
        QTEST(extended["name"].toString(), "name");
        QTEST(extended["re"].toDouble(), "re");
        QVERIFY(extended["qes"].isNull());
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no subcommand") << QStringList{"drivers"};
        QTest::newRow("import format")
            << QStringList{"drivers", "import", "a.csv", "--format", "xls"};
        QTest::newRow("list option") << QStringList{"drivers", "list", "--sort", "fs"};
        QTest::newRow("remove one name") << QStringList{"drivers", "remove", "SEAS"};
        QTest::newRow("new both") << QStringList{"new", "-o",          "x.spk", "--driver",
                                                 "A B", "--driver-id", "1"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        const CliRun r = Run(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("usage:"));
        QVERIFY(r.out.isEmpty());
    }

private:
    int m_count = 0;
};

QTEST_GUILESS_MAIN(TestCliDrivers)
#include "test_cli_drivers.moc"
