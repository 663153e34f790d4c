// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli drivers ... and new --driver, against a library in a temporary folder.
#include "core/library/DriverLibrary.h"
#include "tests/support/CliRun.h"
#include "tests/support/Drivers.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

class TestCliDrivers : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QString m_library;
    int m_count = 0;

    CliRun Run(const QStringList& args) { return RunCli(args, m_env); }
    QString File(const char* name) const { return m_dir.filePath(name); }

private slots:
    void init() {
        m_library = m_dir.filePath(QStringLiteral("lib-%1.sqlite").arg(++m_count));
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("ORVANE_LIBRARY", m_library);
        WriteBytes(File("drivers.csv"), "maker,model,fs,qts,vas_l,xmax_mm,re_ohm,notes\n"
                                        "SEAS,L26RO4Y,22,0.39,139,8,5.6,woofer\n"
                                        "SEAS,Broken,x,0.39,139\n"
                                        "Dayton Audio,RS225-8,27.5,0.3,56.6,,6.1,\n"
                                        "Dayton,Audio RS225-8,40,0.5,10,,,\n");
    }

    void importListExportRemove() {
        CliRun r = Run({"drivers", "import", File("drivers.csv")});
        QVERIFY(r.out == "added 3, replaced 0, skipped 0, refused 1\n" &&
                r.err == (File("drivers.csv") + ":3: fs is not a number: 'x'\n").toUtf8());
        QCOMPARE(Run({"drivers", "import", File("drivers.csv"), "--replace"}).out,
                 QByteArray("added 0, replaced 3, skipped 0, refused 1\n"));
        const QJsonArray list =
            QJsonDocument::fromJson(Run({"drivers", "list", "--search", "seas woof", "--json"}).out)
                .array();
        QCOMPARE(list.size(), 1);
        QVERIFY(list[0]["vas"].toDouble() == 139 / 28.316846592 && list[0]["qes"].isNull());
        QCOMPARE(
            Run({"drivers", "list", "--search", "dayton"}).out,
            QByteArray("id\tmaker\tmodel\tfs\tqts\tvas_ft3\txmax_in\tre_ohm\tpe_w\tefficiency_"
                       "db\tkind\n3\tDayton\tAudio RS225-8\t40\t0.5\t0.353147\t\t\t\t\tdriver\n"
                       "2\tDayton Audio\tRS225-8\t27.5\t0.3\t1.99881\t\t6.1\t\t\tdriver\n"));
        QVERIFY(Run({"drivers", "export", "-o", File("out.csv")}).code == 0 &&
                ReadBytes(File("out.csv")).count('\n') == 4);
        QCOMPARE(Run({"drivers", "remove", "seas", "l26ro4y"}).code, 0);
        r = Run({"drivers", "remove", "SEAS", "L26RO4Y"});
        QVERIFY(r.code == 1 && r.err == "There is no driver SEAS L26RO4Y in the library.\n");
        QCOMPARE(Run({"drivers", "list", "--json", "--search", "seas"}).out, QByteArray("[]\n"));
        // A radiator: its Qms, metric units, listed by kind, never a design's driver.
        const QStringList pr = {"drivers", "add",    "SEAS",  "PR",           "--kind", "radiator",
                                "--fs",    "14.4",   "--vas", "28.316846592", "--xmax", "25.4",
                                "--units", "metric", "--mms", "132"};
        QVERIFY(Run(pr + QStringList{"--qts", "9"}).code == 2 && Run(pr).code == 2);
        QCOMPARE(Run(QString("drivers add A B --fs 9 --qts .4 --vas 3").split(' ')).code, 0);
        QVERIFY(Run(pr + QStringList{"--qms", "9.4"}).code == 0 &&
                Run(pr + QStringList{"--qms", "9.4"}).code == 1);
        const QJsonObject shown =
            QJsonDocument::fromJson(Run({"drivers", "show", "seas", "pr"}).out).object();
        QVERIFY(shown["kind"] == "radiator" && shown["qts"] == 9.4 && shown["vas"] == 1.0 &&
                shown["xmax"] == 1.0 && shown["mms"] == 132);
        QCOMPARE(Run({"drivers", "list", "--kind", "radiator"}).out.count('\n'), 2);
        QCOMPARE(Run({"new", "-o", File("pr.spk"), "--driver", "SEAS PR"}).code, 1);
    }

    // A name that came in some other way prints without control characters.
    void listPrintsNoControlCharacters() {
        {
            auto library = std::move(*DriverLibrary::Open(m_library.toStdString()));
            QVERIFY(library->Store(Driver("\x1b]0;pwned\x07", "M\tX\xff"), DuplicatePolicy::Skip));
        }
        QCOMPARE(
            Run({"drivers", "list"}).out.split('\n').value(1),
            QByteArray("1\t\xEF\xBF\xBD]0;pwned\xEF\xBF\xBD\tM\xEF\xBF\xBDX\xEF\xBF\xBD\t30\t0.4\t"
                       "3\t\t\t\t\tdriver"));
    }

    // A design is never written over the library (exports: test_driver_files);
    // reading creates no library; --library wins over the environment.
    void libraryFile() {
        QCOMPARE(Run({"drivers", "import", File("drivers.csv")}).code, 0);
        const QByteArray before = ReadBytes(m_library);
        const CliRun refused = Run({"new", "-o", m_library});
        QVERIFY(refused.code == 1 && refused.err == "The file " + m_library.toUtf8() +
                                                        " is the driver library; choose another "
                                                        "file.\n");
        QCOMPARE(ReadBytes(m_library), before);
        const QString other = File("other.sqlite");
        QVERIFY(Run({"drivers", "list", "--library", other}).code == 0 && !QFile::exists(other));
        QVERIFY(Run({"drivers", "export", "-o", File("o.csv"), "--library", other}).code == 0);
        WriteBytes(m_library, "this is not a database");
        const CliRun r = Run({"new", "-o", File("x.spk"), "--driver", "SEAS L26RO4Y"});
        QVERIFY(r.code == 1 && r.err.endsWith(" cannot be read: it is not a database.\n"));
    }

    // new --driver fills the driver values, the name and the extra values.
    void newFromLibrary_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<double>("fs"); // 0: refused, with the message
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("by name") << QStringList{"--driver", "seas L26RO4Y"} << 22.0 << QByteArray();
        QTest::newRow("by id") << QStringList{"--driver-id", "2"} << 27.5 << QByteArray();
        QTest::newRow("ambiguous") << QStringList{"--driver", "Dayton Audio RS225-8"} << 0.0
                                   << QByteArray("Several drivers are named Dayton Audio "
                                                 "RS225-8: give --driver-id (3, 2).\n");
        QTest::newRow("unknown id") << QStringList{"--driver-id", "99"} << 0.0
                                    << QByteArray("There is no driver number 99 in the library.\n");
    }
    void newFromLibrary() {
        QFETCH(QStringList, options);
        QFETCH(double, fs);
        QCOMPARE(Run({"drivers", "import", File("drivers.csv")}).code, 0);
        QFile::remove(File("new.spk"));
        const CliRun r = Run(QStringList{"new", "-o", File("new.spk")} + options);
        QTEST(r.err, "err");
        QVERIFY(r.code == (fs == 0 ? 1 : 0) && QFile::exists(File("new.spk")) == (fs != 0));
        if (fs == 0)
            return;
        const QJsonObject info =
            QJsonDocument::fromJson(Run({"info", File("new.spk")}).out).object();
        QCOMPARE(info["record"]["fs"].toDouble(), fs);
        QVERIFY(info["extended"]["name"].toString().contains("RS225-8") == (fs == 27.5) &&
                info["extended"]["re"].toDouble() > 5 && info["extended"]["qes"].isNull());
    }
};

QTEST_GUILESS_MAIN(TestCliDrivers)
#include "test_cli_drivers.moc"
