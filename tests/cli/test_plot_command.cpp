#include "CliRun.h"
#include "design/DesignFile.h"
#include "sim/ResponseModel.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

// The reference sealed design: Fs 30, Qts 0.4, Vas 3, V1 1.5, with figures.
SpeakerDesign Sealed() {
    SpeakerDesign d;
    d.m_fs = 30;
    d.m_qts = 0.4;
    d.m_vas = 3;
    d.m_v1 = 1.5;
    d.m_xmax = 0.25;
    d.m_coneDiameter = 10;
    d.m_efficiency = 88;
    return d;
}

bool Write(const QString& path, const SpeakerDesign& d, int cut = 0) {
    const auto bytes = DesignFile::Store(d);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()) - cut) ==
               qint64(bytes.size()) - cut;
}

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kBlue = qRgb(0, 0, 255);

} // namespace

class TestPlotCommand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_sealed;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_sealed = m_dir.filePath("sealed.spk");
        QVERIFY(Write(m_sealed, Sealed()));
    }

    // The 800 x 600 example, as pixels of the PNG.
    void png800x600() {
        const QString out = m_dir.filePath("sealed.png");
        const CliRun r = RunCli({"plot", m_sealed, "-o", out});
        QCOMPARE(r.code, 0);
        const QImage image(out);
        QCOMPARE(image.size(), QSize(800, 600));
        QCOMPARE(image.pixel(2, 2), qRgb(255, 255, 255));

        // The 0 dB line: black, exactly rows 229 and 230, across the graph
        // except where later lines (vertical grid, curve) cross it.
        int black229 = 0, black230 = 0;
        for (int x = 35; x < 765; ++x) {
            black229 += image.pixel(x, 229) == kBlack;
            black230 += image.pixel(x, 230) == kBlack;
            QVERIFY(image.pixel(x, 228) != kBlack);
            QVERIFY(image.pixel(x, 231) != kBlack);
        }
        QVERIFY(black229 > 650 && black230 > 650);

        // 100 Hz: a one-pixel green vertical line at x = 288.
        for (int y : {80, 150, 300, 410, 500}) {
            QCOMPARE(image.pixel(288, y), kGreen);
            QVERIFY(image.pixel(287, y) != kGreen && image.pixel(289, y) != kGreen);
        }

        // The blue curve passes through its points.
        SpeakerDesign d = Sealed();
        ApplyAutomaticValues(d, false);
        const SealedAlignment a = ComputeSealedAlignment(d);
        for (int f : {40, 52, 75, 100, 150, 300, 1000}) {
            const int x = int(std::trunc(std::log10(f / 20.0) * 370)) + 30;
            const int y = 600 - int(std::trunc((LevelAt(d, a, f).value() + 10) * 34)) - 30;
            QVERIFY2(image.pixel(x, y) == kBlue, qPrintable(QString("%1 Hz").arg(f)));
        }
        // Below the scale nothing is drawn: 20 Hz is at -17 dB.
        for (int y = 61; y < 570; ++y)
            QVERIFY(image.pixel(32, y) != kBlue);
    }

    // No display and no platform chosen: the tool picks the offscreen one.
    void runsWithoutDisplay() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        QProcess p;
        p.setProcessEnvironment(env);
        const QString out = m_dir.filePath("nodisplay.png");
        p.start(ORVANE_BINARY_DIR "/cli/orvane-cli", {"plot", m_sealed, "-o", out});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QImage(out).size(), QSize(800, 600));
    }

    void sizeAndScaleOptions() {
        const QString big = m_dir.filePath("big.png");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", big, "--size", "1024x768"}).code, 0);
        QCOMPARE(QImage(big).size(), QSize(1024, 768));

        // The 10 dB preset: 0 dB still at y = 230 on 800 x 600, no dashed line.
        const QString ten = m_dir.filePath("ten.png");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", ten, "--db-per-div", "10"}).code, 0);
        const QImage image(ten);
        QCOMPARE(image.pixel(500, 230), kBlack);
        QCOMPARE(image.pixel(500, 229), kBlack);
        // Default scale: -3 dB line at y = 332 is dashed, green with gaps.
        const QImage def(m_dir.filePath("sealed.png"));
        int green = 0;
        for (int x = 35; x < 765; ++x)
            green += def.pixel(x, 332) == kGreen;
        QVERIFY(green > 300 && green < 700);
        QVERIFY(image != def);
    }

    void svg() {
        const QString out = m_dir.filePath("sealed.svg");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", out}).code, 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray svg = f.readAll();
        QVERIFY(svg.startsWith("<?xml"));
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains("viewBox=\"0 0 800 600\""));
        QVERIFY(svg.contains("<title>sealed.spk</title>"));
        QVERIFY(svg.contains("stroke=\"#0000ff\"")); // the curve
        QVERIFY(svg.contains(">-10.0</text>"));
        QVERIFY(svg.contains(">Qtc=0.69</text>"));
    }

    void pdfOnePage() {
        const QString out = m_dir.filePath("sealed.pdf");
        QCOMPARE(RunCli({"plot", m_sealed, "-o", out}).code, 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), qsizetype(1));
        QVERIFY(pdf.contains("/MediaBox [0 0 595")); // A4 portrait
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no -o") << QStringList{"plot", "F"};
        QTest::newRow("no file") << QStringList{"plot", "-o", "x.png"};
        QTest::newRow("two files") << QStringList{"plot", "F", "G", "-o", "x.png"};
        QTest::newRow("bmp") << QStringList{"plot", "F", "-o", "x.bmp"};
        QTest::newRow("no extension") << QStringList{"plot", "F", "-o", "x"};
        QTest::newRow("unknown option") << QStringList{"plot", "F", "-o", "x.png", "--dpi", "2"};
        for (const char* size : {"0x600", "800x0", "800", "800x", "x600", "800X600", "8193x10",
                                 "800x600x2", "a x b", "+800x600", "123456x1"})
            QTest::addRow("size %s", size)
                << QStringList{"plot", "F", "-o", "x.png", "--size", size};
        for (const char* d : {"0", "3", "-1", "1.0", "ten", "100"})
            QTest::addRow("db-per-div %s", d)
                << QStringList{"plot", "F", "-o", "x.png", "--db-per-div", d};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        args.replaceInStrings(QRegularExpression("^F$"), m_sealed);
        args.replaceInStrings(QRegularExpression("^x"), m_dir.filePath("x"));
        const CliRun r = RunCli(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("usage:"));
        QVERIFY(!QFile::exists(m_dir.filePath("x.png")));
    }

    void loadFailures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("cut"); // bytes cut off the end; -1: no file
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing.spk" << -1
                                 << "%1\nCannot find this file.\nPlease verify that the correct "
                                    "path and file name are given.\n";
        QTest::newRow("one byte short") << "short.spk" << 1 << "Unexpected file format.\n";
        QTest::newRow("empty") << "empty.spk" << 121 << "Unexpected file format.\n";
    }
    void loadFailures() {
        QFETCH(QString, name);
        QFETCH(int, cut);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(name);
        if (cut >= 0)
            QVERIFY(Write(path, Sealed(), cut));
        const QString out = m_dir.filePath(name + ".png");
        const CliRun r = RunCli({"plot", path, "-o", out});
        QCOMPARE(r.code, 1);
        QCOMPARE(QString::fromUtf8(r.err), message.contains("%1") ? message.arg(path) : message);
        QVERIFY(!QFile::exists(out));
    }

    void unwritableOutput() {
        const QString out = m_dir.filePath("no/such/folder/plot.png");
        for (const char* ext : {".png", ".svg", ".pdf"}) {
            const CliRun r = RunCli({"plot", m_sealed, "-o", out + ext});
            QCOMPARE(r.code, 1);
            QVERIFY(r.err.contains("orvane-cli: cannot write"));
        }
    }

    // Whatever a design file holds, the plot is written and the tool ends.
    void absurdDesignsStillPlot_data() {
        QTest::addColumn<double>("fLow");
        QTest::addColumn<double>("fHigh");
        QTest::addColumn<double>("fs");
        QTest::addColumn<QString>("type");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("NaN range") << nan << nan << 30.0 << "Sealed";
        QTest::newRow("infinite range") << -inf << inf << 30.0 << "Vented";
        QTest::newRow("1e300 range") << -1e300 << 1e300 << 30.0 << "Bandpass4";
        QTest::newRow("huge Fs") << 20.0 << 2000.0 << 1e300 << "Bandpass6";
        QTest::newRow("unknown type") << 20.0 << 2000.0 << 30.0 << "sealed";
    }
    void absurdDesignsStillPlot() {
        QFETCH(double, fLow);
        QFETCH(double, fHigh);
        QFETCH(double, fs);
        QFETCH(QString, type);
        SpeakerDesign d = Sealed();
        d.m_freqLow = fLow;
        d.m_freqHigh = fHigh;
        d.m_fs = fs;
        d.m_boxType = type.toStdString();
        const QString path = m_dir.filePath("absurd.spk");
        QVERIFY(Write(path, d));
        for (const char* ext : {".png", ".pdf"}) {
            const QString out = m_dir.filePath(QString("absurd") + ext);
            QCOMPARE(RunCli({"plot", path, "-o", out}).code, 0);
            QVERIFY(QFileInfo(out).size() > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlotCommand)
#include "test_plot_command.moc"
