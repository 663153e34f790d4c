// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli plot, run as a separate process.
#include "core/design/DesignFile.h"
#include "tests/support/CliRun.h"
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/TestFiles.h"

#include <QImage>
#include <QtTest>

using namespace orvane;

class TestPlotCommand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_sealed = m_dir.filePath("sealed.spk");

    QString Write(const QString& name, const SpeakerDesign& d) {
        WriteBytes(m_dir.filePath(name), DesignFile::Store(d));
        return m_dir.filePath(name);
    }

private slots:
    void initTestCase() { Write("sealed.spk", ReferenceDesign(BoxKind::Sealed)); }

    // Every format, written without a word, also where Qt would complain
    // about the session (no runtime folder, no display, no platform chosen:
    // the tool picks the offscreen one). The PNG is the 800 x 600 example:
    // its curve passes -0.40 dB at 100 Hz, at x 288, 34 px per dB up from
    // -10 dB at the frame's bottom edge.
    void formats_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArrayList>("contains");
        QTest::newRow("png") << "sealed.png" << QByteArrayList{"\x89PNG"};
        QTest::newRow("svg") << "sealed.svg"
                             << QByteArrayList{"<?xml", "viewBox=\"0 0 800 600\"",
                                               "<title>sealed.spk</title>", ">-10.0</text>",
                                               ">Qtc=0.69</text>"};
        QTest::newRow("pdf") << "sealed.pdf" << QByteArrayList{"%PDF-", "/MediaBox [0 0 595"};
    }
    void formats() {
        QFETCH(QString, name);
        QFETCH(QByteArrayList, contains);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable :
             {"XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(variable);
        const CliRun r = RunCli({"plot", m_sealed, "-o", m_dir.filePath(name)}, env);
        QVERIFY2(r.code == 0 && r.out.isEmpty() && r.err.isEmpty(), r.err.constData());
        const QByteArray data = ReadBytes(m_dir.filePath(name));
        QVERIFY(data.startsWith(contains.first()));
        for (const QByteArray& part : contains)
            QVERIFY2(data.contains(part), part.constData());
        if (!name.endsWith("png"))
            return;
        const QImage image = QImage::fromData(data);
        QCOMPARE(image.size(), QSize(800, 600));
        QCOMPARE(image.pixel(288, 600 - 30 - int((10 - 0.40) * 34)), qRgb(0, 0, 255));
        QCOMPARE(
            RunCli({"plot", m_sealed, "-o", m_dir.filePath("big.png"), "--size", "1024x768"}).code,
            0);
        QCOMPARE(QImage(m_dir.filePath("big.png")).size(), QSize(1024, 768));
        // --graph response is the plot as it always was, byte for byte.
        QCOMPARE(
            RunCli({"plot", m_sealed, "-o", m_dir.filePath("r.png"), "--graph", "response"}).code,
            0);
        QCOMPARE(ReadBytes(m_dir.filePath("r.png")), data);
    }

    void failures() {
        const QString missing = m_dir.filePath("missing.spk");
        CliRun r = RunCli({"plot", missing, "-o", m_dir.filePath("missing.png")});
        QCOMPARE(r.code, 1);
        QCOMPARE(QString::fromUtf8(r.err), missing + "\nCannot find this file.\nPlease verify that "
                                                     "the correct path and file name are given.\n");
        r = RunCli({"plot", m_sealed, "-o", m_dir.filePath("no/such/folder.png")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith("orvane-cli: cannot write " +
                                 m_dir.filePath("no/such/folder.png").toUtf8() +
                                 ": No such file or directory\n"));
        r = RunCli({"plot", m_sealed, "-o", m_dir.filePath("x.png"), "--graph", "Excursion"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(
            "--graph is response, spl, maxspl, excursion, velocity, impedance, delay or chain"));
        QVERIFY(!QFile::exists(m_dir.filePath("missing.png")) &&
                !QFile::exists(m_dir.filePath("x.png")));
    }

    // Every graph of the analysed reference box, each format once; a design
    // without the values a graph needs still gives a file. Xmax 6.35 mm on
    // 0.5 mm per division is a dashed red line at 600 - 30 - trunc(6.35 * 68).
    void graphs() {
        SpeakerDesign d = AnalysedDesign(BoxKind::Vented);
        d.m_extras.portDiameter = 3;
        const QString path = Write("analysed.spk", d);
        const QStringList runs = {"spl.png",       "maxspl.svg", "excursion.png", "velocity.pdf",
                                  "impedance.svg", "delay.png",  "impedance.png"};
        for (const QString& run : runs) {
            const QString out = m_dir.filePath(run);
            const CliRun r = RunCli({"plot", run == runs.last() ? m_sealed : path, "-o", out,
                                     "--graph", run.section('.', 0, 0)});
            QVERIFY2(r.code == 0 && r.err.isEmpty() && QFileInfo(out).size() > 0, qPrintable(run));
        }
        const QImage image(m_dir.filePath("excursion.png"));
        int red = 0;
        for (int x = 30; x < 770; ++x)
            red += image.pixel(x, 139) == qRgb(255, 0, 0);
        QVERIFY2(red > 200 && red < 700, qPrintable(QString::number(red)));
        QCOMPARE(QImage(m_dir.filePath("impedance.png")).size(), QSize(800, 600));
    }
};

QTEST_GUILESS_MAIN(TestPlotCommand)
#include "test_plot_command.moc"
