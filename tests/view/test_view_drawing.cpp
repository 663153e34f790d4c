#include "ViewHost.h"

#include "platform/Message.h"
#include "platform/QtDrawSurface.h"
#include "tests/sim/RecordingSurface.h"

#include <QPainter>
#include <QPrinter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <vector>

using Field = COrvaneView::Field;

namespace {

constexpr int kPlotTop = 60; // the form sits above

// The pure blue pixels of the curves below the form, and the white ones.
struct BluePixels {
    explicit BluePixels(const QImage& source) {
        const QImage image = source.convertToFormat(QImage::Format_RGB32);
        const int top = static_cast<int>(kPlotTop * image.devicePixelRatio());
        const size_t size = static_cast<size_t>(image.width() * image.height());
        blue.assign(size, false);
        white.assign(size, false);
        for (int y = top; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const size_t i = static_cast<size_t>(y * image.width() + x);
                blue[i] = (line[x] & 0xffffff) == 0x0000ff;
                white[i] = (line[x] & 0xffffff) == 0xffffff;
                count += blue[i];
            }
        }
    }
    // Curve pixels of this image that are blank in the other: erased, not
    // merely crossed by the grid drawn again on top.
    int ErasedIn(const BluePixels& other) const {
        int erased = 0;
        for (size_t i = 0; i < blue.size() && i < other.white.size(); ++i)
            erased += blue[i] && other.white[i];
        return erased;
    }
    int count = 0;
    std::vector<bool> blue;
    std::vector<bool> white;
};

QImage Rendered(const QString& path) {
    QImage picture(48, 48, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QSvgRenderer renderer(path);
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(0, 0, 48, 48));
    return picture;
}

const QRect kPicture(10, 2, 48, 48);

// Every pixel outside the box picture.
bool SameOutsidePicture(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return false;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            if (!kPicture.contains(col, row) && x.pixel(col, row) != y.pixel(col, row))
                return false;
        }
    }
    return true;
}

QImage Picture(const QImage& image) {
    return image.copy(kPicture).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void Vented2(SpeakerDesign& d) {
    ReferenceDriver(d);
    d.m_boxType = "Vented";
    d.m_v1 = 2;
}

} // namespace

class TestViewDrawing : public QObject {
    Q_OBJECT
private:
    QList<MessageRecord> m_messages;

private slots:
    void init() {
        m_messages.clear();
        SetMessageHook([this](const MessageRecord& m) {
            m_messages.append(m);
            return QMessageBox::Ok;
        });
    }
    void cleanup() {
        SetMessageHook({});
        QVERIFY(m_messages.isEmpty());
    }

    void plotOverlaysRedrawErases() {
        ViewHost host(Vented2);
        const BluePixels first(host.view->BackingImage());
        QVERIFY(first.count > 200);

        host.Type(Field::V1, "4");
        host.Enter(Field::V1);
        const BluePixels both(host.view->BackingImage());
        QCOMPARE(first.ErasedIn(both), 0); // the first curve is still there
        QVERIFY(both.count > first.count + 300);

        host.view->OnRedraw();
        const BluePixels current(host.view->BackingImage());
        QCOMPARE(current.ErasedIn(both), 0);
        QVERIFY(first.ErasedIn(current) > 300); // the first curve has gone
        QVERIFY(current.count < both.count - 300);
    }

    // Uncovering keeps what was drawn; a resize shows the current design alone.
    void repaintKeepsResizeErases() {
        ViewHost host(Vented2);
        host.Type(Field::V1, "4");
        host.Enter(Field::V1);
        const QImage two = host.view->BackingImage();
        host.view->repaint();
        const QImage shown = host.view->grab().toImage();
        const QRect plot(0, kPlotTop, two.width(), two.height() - kPlotTop);
        QCOMPARE(shown.copy(plot).convertToFormat(QImage::Format_RGB32),
                 two.copy(plot).convertToFormat(QImage::Format_RGB32));

        host.view->resize(900, 500);
        QCOMPARE(host.view->BackingImage().size(), QSize(900, 500));
        const QImage resized = host.view->BackingImage();
        host.view->OnRedraw();
        QCOMPARE(host.view->BackingImage(), resized);
    }

    void amplitude_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("dbPerDiv");
        QTest::addColumn<double>("bottom");
        QTest::addColumn<double>("span");
        QTest::addColumn<int>("mark");
        QTest::addColumn<QStringList>("labels");
        const QStringList ones{"-10.0", "-9.0", "-8.0", "-7.0", "-6.0", "-5.0", "-4.0", "-3.0",
                               "-2.0",  "-1.0", "0.0",  "1.0",  "2.0",  "3.0",  "4.0",  "5.0"};
        QTest::newRow("1") << 1 << 1 << -10.0 << 15.0 << 0 << ones;
        QTest::newRow("2") << 2 << 2 << -20.0 << 30.0 << 1
                           << QStringList{"-20.0", "-18.0", "-16.0", "-14.0", "-12.0", "-10.0",
                                          "-8.0",  "-6.0",  "-4.0",  "-2.0",  "0.0",   "2.0",
                                          "4.0",   "6.0",   "8.0",   "10.0"};
        QTest::newRow("5") << 5 << 5 << -50.0 << 75.0 << 2
                           << QStringList{"-50.0", "-45.0", "-40.0", "-35.0", "-30.0", "-25.0",
                                          "-20.0", "-15.0", "-10.0", "-5.0",  "0.0",   "5.0",
                                          "10.0",  "15.0",  "20.0",  "25.0"};
        QTest::newRow("10") << 10 << 10 << -100.0 << 150.0 << 3
                            << QStringList{"-100.0", "-90.0", "-80.0", "-70.0", "-60.0", "-50.0",
                                           "-40.0",  "-30.0", "-20.0", "-10.0", "0.0",   "10.0",
                                           "20.0",   "30.0",  "40.0",  "50.0"};
        QTest::newRow("other") << 3 << 1 << -10.0 << 15.0 << 0 << ones;
    }
    void amplitude() {
        QFETCH(int, command);
        QFETCH(int, dbPerDiv);
        QFETCH(double, bottom);
        QFETCH(double, span);
        QFETCH(int, mark);
        QFETCH(QStringList, labels);
        ViewHost host(Vented2);
        host.Type(Field::V1, "4");
        host.Enter(Field::V1);
        if (command == 1)
            host.view->OnAmplitude(10);
        host.view->OnAmplitude(command);
        QCOMPARE(host.view->m_dbPerDiv, dbPerDiv);
        QCOMPARE(host.view->m_scaleBottom, bottom);
        QCOMPARE(host.view->m_scaleSpan, span);
        QCOMPARE(host.CheckedAmplitude(), mark);

        // The view shows exactly the current design drawn on the new scale.
        QImage expected(host.view->BackingImage().size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::white);
        {
            SpeakerDesign design = host.doc.Design();
            QPainter painter(&expected);
            QtDrawSurface surface(painter);
            DrawPlot(surface, design, host.view->m_f1Entered, ScaleForDbPerDiv(dbPerDiv), 800, 600);
        }
        QVERIFY(SameOutsidePicture(host.view->BackingImage(), expected));

        // The level labels of the view's scale, bottom to top.
        RecordingSurface recording;
        SpeakerDesign design = host.doc.Design();
        DrawPlot(recording, design, host.view->m_f1Entered, host.view->Scale(), 800, 600);
        QStringList drawn;
        for (const auto& op : recording.Of(RecordingSurface::Kind::Text)) {
            if (op.x == 5)
                drawn << QString::fromStdString(op.text);
        }
        QCOMPARE(drawn, labels);
    }

    void boxCommands() {
        ViewHost host([](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_v1 = 2;
        });
        QSignalSpy changed(host.view.get(), &COrvaneView::recordChanged);
        // Four different pictures, so a wrong one would show.
        const QStringList paths{":/box/sealed.svg", ":/box/vented.svg", ":/box/bandpass4.svg",
                                ":/box/bandpass6.svg"};
        for (int i = 0; i < paths.size(); ++i) {
            for (int j = i + 1; j < paths.size(); ++j)
                QVERIFY(Rendered(paths[i]) != Rendered(paths[j]));
        }
        QCOMPARE(Picture(host.view->BackingImage()), Rendered(":/box/sealed.svg"));

        struct Step {
            BoxKind kind;
            const char* picture;
            bool f1, v2, f2;
        };
        const Step steps[] = {
            {BoxKind::Vented, ":/box/vented.svg", true, false, false},
            {BoxKind::Bandpass6, ":/box/bandpass6.svg", true, true, true},
            {BoxKind::Bandpass4, ":/box/bandpass4.svg", true, true, false},
            {BoxKind::Sealed, ":/box/sealed.svg", false, false, false},
        };
        int emitted = 0;
        for (const Step& step : steps) {
            const QImage before = host.view->BackingImage();
            const QString f1Text = host.Edit(Field::F1)->text();
            host.doc.SetModified(false);
            host.view->OnBoxType(step.kind);
            QCOMPARE(host.doc.Design().m_boxType, std::string(BoxType::Name(step.kind)));
            QCOMPARE(host.CheckedBox(), int(step.kind));
            QVERIFY(host.Edit(Field::V1)->isEnabled());
            QCOMPARE(host.Edit(Field::F1)->isEnabled(), step.f1);
            QCOMPARE(host.Edit(Field::V2)->isEnabled(), step.v2);
            QCOMPARE(host.Edit(Field::F2)->isEnabled(), step.f2);
            QVERIFY(host.Edit(Field::Drivers)->isEnabled());
            // The picture changes; nothing is plotted and the form is not read.
            QCOMPARE(Picture(host.view->BackingImage()), Rendered(step.picture));
            QVERIFY(SameOutsidePicture(host.view->BackingImage(), before));
            QCOMPARE(host.Edit(Field::F1)->text(), f1Text);
            QVERIFY(host.doc.IsModified());
            QCOMPARE(changed.count(), ++emitted);
        }
        // The same type again changes nothing.
        host.doc.SetModified(false);
        host.view->OnBoxType(BoxKind::Sealed);
        host.view->OnBoxType(BoxKind::Unknown);
        QVERIFY(!host.doc.IsModified());
        QCOMPARE(changed.count(), emitted);
        QCOMPARE(host.CheckedBox(), 0);
    }

    // An unknown type has no picture and no curve.
    void unknownTypeDrawsNoPicture() {
        ViewHost host([](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_v1 = 2;
            d.m_boxType = "Horn";
        });
        QImage white(48, 48, QImage::Format_ARGB32_Premultiplied);
        white.fill(Qt::white);
        QCOMPARE(Picture(host.view->BackingImage()), white);
        QCOMPARE(BluePixels(host.view->BackingImage()).count, 0);
    }

    void afterDrawHook() {
        ViewHost host(Vented2);
        QTest::qWait(20); // the first display's drawing has had its turn
        int calls = 0;
        int paints = 0;
        bool insidePaint = false;
        struct PaintCounter : QObject {
            int* paints;
            explicit PaintCounter(int* p) : paints(p) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint)
                    ++*paints;
                return false;
            }
        } counter(&paints);
        host.view->installEventFilter(&counter);
        int paintsAtHook = -1;
        host.view->SetAfterDrawHook([&](COrvaneView& view) {
            ++calls;
            paintsAtHook = paints;
            insidePaint = view.paintingActive();
        });

        host.view->OnRedraw();
        QCOMPARE(calls, 0); // never synchronously
        QTRY_COMPARE(calls, 1);
        QVERIFY(paintsAtHook >= 1); // after the repaint that showed the drawing
        QVERIFY(!insidePaint);

        host.Type(Field::V1, "3");
        host.Enter(Field::V1); // Plot is not the draw operation
        QTest::qWait(50);
        QCOMPARE(calls, 1);

        host.view->OnAmplitude(2);
        QTRY_COMPARE(calls, 2);
        host.view->resize(700, 500);
        QTRY_COMPARE(calls, 3);
    }

    // The automatic value of a drawing goes into its field as "%.f".
    void automaticValues_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("sealed F1") << "Sealed" << int(Field::F1) << "52";
        QTest::newRow("vented F1") << "Vented" << int(Field::F1) << "37";
        QTest::newRow("bandpass4 F2") << "Bandpass4" << int(Field::F2) << "52";
    }
    void automaticValues() {
        QFETCH(QString, type);
        QFETCH(int, field);
        QFETCH(QString, text);
        ViewHost host([&](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_boxType = type.toStdString();
            d.m_v1 = 1.5;
            d.m_v2 = 1.5;
        });
        QCOMPARE(host.Edit(Field(field))->text(), text);
    }

    void printPage() {
        ViewHost host(Vented2);
        QTemporaryDir folder;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath("page.pdf"));
        const QImage before = host.view->BackingImage();
        host.view->PrintPage(printer);
        QVERIFY(QFileInfo(folder.filePath("page.pdf")).size() > 1000);
        QCOMPARE(host.view->BackingImage(), before); // the window is not drawn on
        QCOMPARE(host.view->ClientSize(), QSize(800, 600));
    }

    // A design window after two plots, for the manual and the README.
    void screenshot() {
        ViewHost host(ReferenceDriver, QSize(900, 560));
        host.view->OnBoxType(BoxKind::Vented);
        host.Type(Field::V1, "2");
        host.Enter(Field::V1);
        host.Type(Field::V1, "4");
        host.Enter(Field::V1);
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
        QApplication::processEvents();
        const QImage shot = host.view->grab().toImage();
        QVERIFY(shot.save(QStringLiteral(ORVANE_BINARY_DIR "/design-window.png")));
    }
};

QTEST_MAIN(TestViewDrawing)
#include "test_view_drawing.moc"
