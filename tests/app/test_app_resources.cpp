// The compiled-in images, the About and Getting Started windows, and where the
// manual is found. Set ORVANE_SCREENSHOT_DIR to keep screenshots of both windows.
#include "app/CAboutDlg.h"
#include "app/CGettingStartedDlg.h"
#include "app/HelpLocation.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QImage Render(const QString& resource, int size) {
    QSvgRenderer renderer(resource);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

void KeepScreenshot(QWidget& widget, const QString& name) {
    const QString dir = qEnvironmentVariable("ORVANE_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(widget.grab().save(dir + "/" + name));
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void imagesOfTheContract_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("opaque");
        QTest::newRow("app icon") << ":/icons/orvane.svg" << 48 << false;
        QTest::newRow("design icon") << ":/icons/design.svg" << 32 << false;
        for (const char* name : {"new", "open", "save", "print", "driver", "freqrange", "redraw",
                                 "portcalc", "boxcalc", "tsparams"})
            QTest::newRow(name) << QString(":/toolbar/%1.svg").arg(name) << 16 << false;
        for (const char* name : {"sealed", "vented", "bandpass4", "bandpass6"})
            QTest::newRow(name) << QString(":/box/%1.svg").arg(name) << 48 << true;
    }
    void imagesOfTheContract() {
        QFETCH(QString, path);
        QFETCH(int, size);
        QFETCH(bool, opaque);
        QSvgRenderer renderer(path);
        QVERIFY2(renderer.isValid(), qPrintable(path));
        QCOMPARE(renderer.defaultSize(), QSize(size, size));
        const QImage image = Render(path, size * 2);
        // Box pictures are drawn on white; the icons leave their corners clear.
        const QRgb corner = image.pixel(0, 0);
        if (opaque)
            QCOMPARE(corner, qRgb(255, 255, 255));
        else
            QCOMPARE(qAlpha(corner), 0);
        // Something is drawn.
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked += image.pixel(x, y) != corner;
        QVERIFY(inked > size);
    }

    void boxPicturesShowTheDriverInTeal_data() {
        QTest::addColumn<QString>("path");
        for (const char* name : {"sealed", "vented", "bandpass4", "bandpass6"})
            QTest::newRow(name) << QString(":/box/%1.svg").arg(name);
    }
    void boxPicturesShowTheDriverInTeal() {
        QFETCH(QString, path);
        const QImage image = Render(path, 48);
        bool teal = false;
        for (int y = 0; y < 48 && !teal; ++y)
            for (int x = 0; x < 48 && !teal; ++x)
                teal = image.pixel(x, y) == qRgb(0, 128, 128);
        QVERIFY(teal);
    }

    void aboutWindow() {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("About orvane"));
        auto* version = dlg.findChild<QLabel*>("versionText");
        QVERIFY(version);
        QCOMPARE(version->text(), QString("Orvane Version 1.0"));
        auto* icon = dlg.findChild<QLabel*>("appIcon");
        QVERIFY(icon && !icon->pixmap().isNull());
        const auto buttons = dlg.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->text(), QString("OK"));
        QVERIFY(buttons[0]->isDefault());

        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Icon at the left, the text beside it, OK at the right.
        QVERIFY(icon->geometry().right() < version->geometry().left());
        QVERIFY(version->geometry().right() < buttons[0]->geometry().left());
        KeepScreenshot(dlg, "about.png");
        QTest::mouseClick(buttons[0], Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void gettingStartedWindow() {
        CGettingStartedDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("Getting Started"));
        const QStringList paragraphs = CGettingStartedDlg::Paragraphs();
        QCOMPARE(paragraphs.size(), 4);
        QVERIFY(paragraphs[0].endsWith("under the Driver menu. "));
        QVERIFY(paragraphs[1].startsWith("Box Parameters:   Next"));
        QVERIFY(paragraphs[1].contains("window.  The"));
        QVERIFY(paragraphs[2].startsWith("Plotting:  Press"));
        QCOMPARE(paragraphs[2].count("  "), 3);
        QCOMPARE(paragraphs[3], QString("The icon in the top left corner of the screen illustrates "
                                        "the box designs available in the 'Box' menu"));

        const auto labels = dlg.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 4);
        QStringList shown;
        for (QLabel* label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->wordWrap());
            shown << label->text();
        }
        QCOMPARE(shown, paragraphs);

        const auto buttons = dlg.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->text(), QString("OK"));
        QVERIFY(buttons[0]->isDefault());

        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Paragraphs top to bottom, OK centred below them.
        for (int i = 1; i < labels.size(); ++i)
            QVERIFY(labels[i - 1]->geometry().bottom() < labels[i]->geometry().top());
        const QRect ok = buttons[0]->geometry();
        QVERIFY(ok.top() > labels.back()->geometry().bottom());
        QVERIFY(qAbs(ok.center().x() - dlg.width() / 2) <= 2);
        // Wrapped to a readable width, and every line fits.
        QVERIFY(dlg.width() > 300 && dlg.width() < 900);
        for (QLabel* label : labels)
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
        KeepScreenshot(dlg, "getting-started.png");
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void manualBesideTheInstalledProgram() {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QVERIFY(QDir(prefix.path()).mkpath("bin"));
        QCOMPARE(HelpLocation(prefix.filePath("bin")), QString());
        QVERIFY(QDir(prefix.path()).mkpath("share/doc/orvane/html"));
        QFile index(prefix.filePath("share/doc/orvane/html/index.html"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.close();
        QCOMPARE(HelpLocation(prefix.filePath("bin")),
                 prefix.filePath("share/doc/orvane/html/index.html"));
    }

    void manualFromTheSourceTreeInTheBuildFolder() {
        // This test runs from the build folder, with nothing installed beside it.
        QCOMPARE(HelpLocation(), QString(ORVANE_SOURCE_DIR) + "/res/help/index.html");
    }

    void manualCoversTheProgram_data() {
        QTest::addColumn<QString>("topic");
        // Every menu command by its label (mnemonic marks left out), and the files.
        for (const char* topic : {"New",
                                  "Open...",
                                  "Close",
                                  "Save",
                                  "Save As...",
                                  "Print...",
                                  "Print Preview",
                                  "Print Setup...",
                                  "Exit",
                                  "Toolbar",
                                  "Status Bar",
                                  "Redraw",
                                  "Driver Parameters",
                                  "Sealed",
                                  "Vented",
                                  "4th order Bandpass",
                                  "6th order Bandpass",
                                  "Port Calculator",
                                  "Box Calculator",
                                  "Calculate T/S Parameters",
                                  "Frequency Range",
                                  "Amplitude (dB/div)",
                                  "New Window",
                                  "Cascade",
                                  "Tile",
                                  "Arrange Icons",
                                  "Help Index",
                                  "Getting Started",
                                  "About orvane...",
                                  "orvane.ini",
                                  "XDG_CONFIG_HOME",
                                  "orvane-cli",
                                  "application/x-orvane-spk",
                                  "Recent File List",
                                  "PreviewPages"})
            QTest::newRow(topic) << QString(topic);
    }
    void manualCoversTheProgram() {
        QFETCH(QString, topic);
        QFile manual(QString(ORVANE_SOURCE_DIR) + "/res/help/index.html");
        QVERIFY(manual.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(manual.readAll()).contains(topic), qPrintable(topic));
    }
};

QTEST_MAIN(TestResources)
#include "test_app_resources.moc"
