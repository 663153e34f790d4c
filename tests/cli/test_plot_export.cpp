// SPDX-License-Identifier: GPL-3.0-or-later
// The plot part in process: exports written all or nothing, and PNG encoding.
#include "cli/plot/PlotExport.h"
#include "core/design/DesignFile.h"
#include "platform/PngEncoding.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/TestFiles.h"

#include <QImage>
#include <QtTest>

using namespace orvane;

class TestPlotExport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const SpeakerDesign m_loaded = WithOutputFigures(ReferenceDesign(BoxKind::Sealed));

    int Export(const QString& out, int width = 800, int height = 600) const {
        PlotRequest r;
        r.design = m_dir.filePath("sealed.spk").toStdString();
        r.out = out.toStdString();
        r.format = out.endsWith("svg")   ? PlotFormat::Svg
                   : out.endsWith("pdf") ? PlotFormat::Pdf
                                         : PlotFormat::Png;
        r.width = width;
        r.height = height;
        return ExportPlot(r, m_loaded);
    }

private slots:
    void initTestCase() { WriteBytes(m_dir.filePath("sealed.spk"), DesignFile::Store(m_loaded)); }

    // Written over an old file, each format is complete; a failed write is
    // reported and leaves the folder as it was: no new file, no temporary
    // one, an old file whole. (Every step of the write is failed in turn by
    // the design file's tests of the same write.)
    void allOrNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("png") << "plot.png" << QByteArray("\x89PNG")
                             << QByteArray("IEND\xae\x42\x60\x82");
        QTest::newRow("svg") << "plot.svg" << QByteArray("<?xml") << QByteArray("</svg>\n");
        QTest::newRow("pdf") << "plot.pdf" << QByteArray("%PDF-") << QByteArray("%%EOF\n");
    }
    void allOrNothing() {
        QFETCH(QString, name);
        const QString out = m_dir.filePath(name), fresh = m_dir.filePath("new-" + name);
        WriteBytes(out, QByteArray(100000, 'x'));
        QCOMPARE(Export(out), 0);
        const QByteArray data = ReadBytes(out);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);
        QVERIFY(data.startsWith(start) && data.endsWith(end) && !data.contains("xxxxxxxx"));
        const QStringList before = Listing(m_dir.path());
        for (const auto& [step, error] : {std::pair{FailingFileSystem::Step::Write, ENOSPC},
                                          {FailingFileSystem::Step::Rename, EIO}}) {
            FailingFileSystem failing(step, error);
            QCOMPARE(Export(out), 1);
            QCOMPARE(Export(fresh), 1);
        }
        QCOMPARE(Listing(m_dir.path()), before);
        QCOMPARE(ReadBytes(out), data);
    }

    // A plot is written with a palette (colour type 3 in the header): its
    // first 256 colours exactly, a later one as the nearest of those, so the
    // encoding does not fall off a cliff at the 257th antialiasing shade.
    void pngPalette() {
        for (const int colours : {1, 256, 257}) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::white);
            for (int i = 0; i + 1 < std::min(colours, 256); ++i) // and white
                image.setPixel(i % 64, i / 64 * 3 + 1, qRgb(i % 256, (i * 7) % 256, 200));
            QImage expected = image;
            if (colours == 257)
                image.setPixel(63, 47, qRgb(254, 255, 255)); // white's shade
            const QByteArray png = EncodePng(image);
            QCOMPARE(int(png.at(25)), 3);
            QCOMPARE(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32), expected);
        }
        QCOMPARE(Export(m_dir.filePath("big.png"), 1920, 1080), 0);
        const QImage indexed(m_dir.filePath("big.png"));
        QCOMPARE(indexed.size(), QSize(1920, 1080));
        QVERIFY(indexed.colorCount() > 3 && indexed.colorCount() <= 256);
        for (const QRgb pen :
             {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0, 128, 0), qRgb(0, 0, 255)})
            QVERIFY(indexed.colorTable().contains(pen));
    }
};

QTEST_MAIN(TestPlotExport)
#include "test_plot_export.moc"
