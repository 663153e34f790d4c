// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/DesignFile.h"
#include "tests/support/CliRun.h"
#include "tests/support/ReferenceDesigns.h"

#include <QFileInfo>
#include <QImage>
#include <QtTest>

using namespace orvane;

namespace {

bool Write(const QString& path, const SpeakerDesign& d) {
    const auto bytes = DesignFile::Store(d);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(reinterpret_cast<const char*>(bytes.data()),
                                                   qint64(bytes.size())) == qint64(bytes.size());
}

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGreen = qRgb(0, 128, 0);

} // namespace

class TestPlotCommand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_sealed;

private slots:
    void initTestCase() {
        m_sealed = m_dir.filePath("sealed.spk");
        QVERIFY(Write(m_sealed, ReferenceDesign(BoxKind::Sealed)));
    }

    // The 800 x 600 example; with no display and no platform chosen the tool
    // picks the offscreen one.
    void png800x600() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
        const QString out = m_dir.filePath("sealed.png");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", out}, env).code, 0);
        const QImage image(out);
        QCOMPARE(image.size(), QSize(800, 600));

        // The 0 dB line: black, exactly rows 229 and 230, except where the
        // vertical grid and the curve cross it.
        int black229 = 0, black230 = 0;
        for (int x = 35; x < 765; ++x) {
            black229 += image.pixel(x, 229) == kBlack;
            black230 += image.pixel(x, 230) == kBlack;
            QVERIFY(image.pixel(x, 228) != kBlack && image.pixel(x, 231) != kBlack);
        }
        QVERIFY(black229 > 650 && black230 > 650);

        // 100 Hz: a one-pixel green vertical line at x = 288.
        for (int y : {80, 300, 500}) {
            QCOMPARE(image.pixel(288, y), kGreen);
            QVERIFY(image.pixel(287, y) != kGreen && image.pixel(289, y) != kGreen);
        }

        // The blue curve, through -0.40 dB at 100 Hz.
        int blue = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                blue += image.pixel(x, y) == qRgb(0, 0, 255);
        QVERIFY(blue > 700);
        QCOMPARE(image.pixel(288, 244), qRgb(0, 0, 255));

        const QString big = m_dir.filePath("big.png");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", big, "--size", "1024x768"}).code, 0);
        QCOMPARE(QImage(big).size(), QSize(1024, 768));
    }

    void vectorFormats_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QByteArrayList>("contains");
        QTest::newRow("svg") << ".svg"
                             << QByteArrayList{"<?xml", "viewBox=\"0 0 800 600\"",
                                               "<title>sealed.spk</title>", ">-10.0</text>",
                                               ">Qtc=0.69</text>"};
        QTest::newRow("pdf") << ".pdf" << QByteArrayList{"%PDF-", "/MediaBox [0 0 595"};
    }
    void vectorFormats() {
        QFETCH(QString, ext);
        QFETCH(QByteArrayList, contains);
        const QString out = m_dir.filePath("sealed" + ext);
        QCOMPARE(RunCli({"plot", m_sealed, "-o", out}).code, 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        QVERIFY(data.startsWith(contains.first()));
        for (const QByteArray& part : contains)
            QVERIFY2(data.contains(part), part.constData());
    }

    // A written plot says nothing, also where Qt would complain about the
    // session (no runtime folder, no display).
    void quietOnSuccess_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << "quiet.png";
        QTest::newRow("svg") << "quiet.svg";
        QTest::newRow("pdf") << "quiet.pdf";
    }
    void quietOnSuccess() {
        QFETCH(QString, name);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "DISPLAY"})
            env.remove(variable);
        const CliRun r = RunCli({"plot", m_sealed, "-o", m_dir.filePath(name)}, env);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, QByteArray());
    }

    void failures() {
        const QString missing = m_dir.filePath("missing.spk");
        CliRun r = RunCli({"plot", missing, "-o", m_dir.filePath("missing.png")});
        QCOMPARE(r.code, 1);
        QCOMPARE(QString::fromUtf8(r.err),
                 missing + "\nCannot find this file.\nPlease verify that the correct path and "
                           "file name are given.\n");
        QVERIFY(!QFile::exists(m_dir.filePath("missing.png")));
        r = RunCli({"plot", m_sealed, "-o", m_dir.filePath("no/such/folder.png")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith("orvane-cli: cannot write " +
                                 m_dir.filePath("no/such/folder.png").toUtf8() +
                                 ": No such file or directory\n"));
    }

    // --graph response is the plot as it always was, byte for byte.
    void graphResponseUnchanged() {
        const QString plain = m_dir.filePath("plain.png");
        const QString response = m_dir.filePath("response.png");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", plain}).code, 0);
        QCOMPARE(RunCli({"plot", m_sealed, "-o", response, "--graph", "response"}).code, 0);
        QFile a(plain), b(response);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());
    }

    // Every graph of the analysed reference box, in every format.
    void graphs_data() {
        QTest::addColumn<QString>("graph");
        QTest::addColumn<QString>("suffix");
        for (const char* g : {"spl", "maxspl", "excursion", "velocity", "impedance", "delay"}) {
            for (const char* suffix : {"png", "svg", "pdf"})
                QTest::addRow("%s %s", g, suffix) << g << suffix;
        }
    }
    void graphs() {
        QFETCH(QString, graph);
        QFETCH(QString, suffix);
        SpeakerDesign d = AnalysedDesign(BoxKind::Vented);
        d.m_extras.portDiameter = 3;
        const QString path = m_dir.filePath("analysed.spk");
        QVERIFY(Write(path, d));
        const QString out = m_dir.filePath(graph + "." + suffix);
        const CliRun r = RunCli({"plot", path, "-o", out, "--graph", graph});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray());
        QVERIFY(QFileInfo(out).size() > 0);
        if (suffix != "png" || graph != "excursion")
            return;
        // Xmax 6.35 mm on 0.5 mm per division: a dashed red line at row
        // 600 - 30 - trunc(6.35 * 68).
        const QImage image(out);
        int red = 0;
        for (int x = 30; x < 770; ++x)
            red += image.pixel(x, 139) == qRgb(255, 0, 0);
        QVERIFY2(red > 200 && red < 700, qPrintable(QString::number(red)));
    }

    void graphUsage() {
        const CliRun r =
            RunCli({"plot", m_sealed, "-o", m_dir.filePath("x.png"), "--graph", "Excursion"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("--graph is response, spl, maxspl, excursion, velocity, "
                               "impedance or delay"));
        QVERIFY(!QFile::exists(m_dir.filePath("x.png")));
    }

    // A design without the values a graph needs: the sentence, still a file.
    void graphOfIncompleteDesign() {
        const QString out = m_dir.filePath("incomplete.png");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", out, "--graph", "impedance"}).code, 0);
        QCOMPARE(QImage(out).size(), QSize(800, 600));
    }

    // Whatever a design file holds, the plot is written and the tool ends.
    void absurdDesignStillPlots() {
        SpeakerDesign d = ReferenceDesign(BoxKind::Sealed);
        d.m_freqLow = -1e300;
        d.m_freqHigh = 1e300;
        d.m_fs = 1e300;
        d.m_boxType = "Bandpass6";
        const QString path = m_dir.filePath("absurd.spk");
        QVERIFY(Write(path, d));
        const QString out = m_dir.filePath("absurd.png");
        QCOMPARE(RunCli({"plot", path, "-o", out}).code, 0);
        QCOMPARE(QImage(out).size(), QSize(800, 600));
        d.m_coneDiameter = 1e300;
        d.m_efficiency = 1e300;
        d.m_extras.re = 1e-300;
        d.m_extras.portDiameter = 1e300;
        d.m_extras.power = 1e300;
        QVERIFY(Write(path, d));
        for (const char* graph : {"spl", "maxspl", "excursion", "velocity", "impedance", "delay"})
            QCOMPARE(RunCli({"plot", path, "-o", out, "--graph", graph}).code, 0);
    }
};

QTEST_GUILESS_MAIN(TestPlotCommand)
#include "test_plot_command.moc"
