// SPDX-License-Identifier: GPL-3.0-or-later
// The plot part in process: exports written all or nothing, and PNG encoding.
#include "cli/plot/PlotExport.h"
#include "cli/plot/PngEncoding.h"
#include "core/design/DesignFile.h"
#include "tests/support/FailingFileSystem.h"
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/TestFiles.h"

#include <QImage>
#include <QtTest>

using namespace orvane;

Q_DECLARE_METATYPE(FailingFileSystem::Step)

namespace {

// The PNG colour type from the header: 2 RGB, 3 palette, 6 RGBA.
int PngColourType(const QByteArray& png) {
    return png.size() > 25 ? static_cast<unsigned char>(png[25]) : -1;
}

} // namespace

class TestPlotExport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_design;
    const SpeakerDesign m_loaded = WithOutputFigures(ReferenceDesign(BoxKind::Sealed));

    PlotRequest Request(const QString& out) const {
        PlotRequest r;
        r.design = m_design.toStdString();
        r.out = out.toStdString();
        const QString suffix = QFileInfo(out).suffix();
        r.format = suffix == "svg"   ? PlotFormat::Svg
                   : suffix == "pdf" ? PlotFormat::Pdf
                                     : PlotFormat::Png;
        return r;
    }

private slots:
    void initTestCase() {
        m_design = m_dir.filePath("sealed.spk");
        WriteBytes(m_design, DesignFile::Store(m_loaded));
    }

    // A failed write is reported and leaves the folder as it was: no new
    // file, no temporary one, an old file whole. (Every step of the write is
    // failed in turn by the design and settings tests of the same write.)
    void failedWriteLeavesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FailingFileSystem::Step>("step");
        QTest::addColumn<bool>("existing");
        using Step = FailingFileSystem::Step;
        for (const char* name : {"plot.png", "plot.svg", "plot.pdf"}) {
            QTest::addRow("%s write", name) << QString(name) << Step::Write << false;
            QTest::addRow("%s rename over old", name) << QString(name) << Step::Rename << true;
        }
    }
    void failedWriteLeavesNothing() {
        QFETCH(QString, name);
        QFETCH(FailingFileSystem::Step, step);
        QFETCH(bool, existing);
        QTemporaryDir folder;
        const QString out = folder.filePath(name);
        const QByteArray old = "the old file\n";
        if (existing)
            WriteBytes(out, old);
        const QStringList before = Listing(folder.path());
        {
            FailingFileSystem failing(step, step == FailingFileSystem::Step::Write ? ENOSPC : EIO);
            QCOMPARE(ExportPlot(Request(out), m_loaded), 1);
        }
        QCOMPARE(Listing(folder.path()), before);
        if (existing)
            QCOMPARE(ReadBytes(out), old);
    }

    // Written over an old file, each format is complete.
    void writesOverOldFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("png") << "over.png" << QByteArray("\x89PNG")
                             << QByteArray("IEND\xae\x42\x60\x82");
        QTest::newRow("svg") << "over.svg" << QByteArray("<?xml") << QByteArray("</svg>\n");
        QTest::newRow("pdf") << "over.pdf" << QByteArray("%PDF-") << QByteArray("%%EOF\n");
    }
    void writesOverOldFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);
        const QString out = m_dir.filePath(name);
        WriteBytes(out, QByteArray(100000, 'x'));
        QCOMPARE(ExportPlot(Request(out), m_loaded), 0);
        const QByteArray data = ReadBytes(out);
        QVERIFY(data.startsWith(start));
        QVERIFY(data.endsWith(end));
        QVERIFY(!data.contains("xxxxxxxx"));
    }

    // A plot has few colours: it is written with a palette and decodes to
    // the very pixels drawn. A picture of 257 colours keeps full colour.
    void pngPalette_data() {
        QTest::addColumn<int>("colours");
        QTest::addColumn<int>("colourType");
        QTest::newRow("one") << 1 << 3;
        QTest::newRow("256") << 256 << 3;
        QTest::newRow("257") << 257 << 2;
    }
    void pngPalette() {
        QFETCH(int, colours);
        QFETCH(int, colourType);
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int i = 0; i + 1 < colours; ++i) // and white
            image.setPixel(i % 64, i / 64 * 3 + 1, qRgb(i % 256, (i * 7) % 256, i / 256 * 200));
        const QByteArray png = EncodePng(image);
        QCOMPARE(PngColourType(png), colourType);
        const QImage decoded = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(decoded, image);
    }

    void plotPngDecodesToDrawing() {
        const QString out = m_dir.filePath("plot.png");
        PlotRequest request = Request(out);
        request.width = 1920;
        request.height = 1080;
        QCOMPARE(ExportPlot(request, m_loaded), 0);
        const QByteArray png = ReadBytes(out);
        QCOMPARE(PngColourType(png), 3);
        // The same drawing, encoded the plain way.
        const QImage indexed = QImage::fromData(png, "PNG");
        const QImage decoded = indexed.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(decoded.size(), QSize(1920, 1080));
        QVERIFY(indexed.colorCount() > 3 && indexed.colorCount() <= 256);
        for (const QRgb pen :
             {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0, 128, 0), qRgb(0, 0, 255)})
            QVERIFY(indexed.colorTable().contains(pen));
    }
};

QTEST_MAIN(TestPlotExport)
#include "test_plot_export.moc"
