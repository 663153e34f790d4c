// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ViewHost.h"

#include "tests/support/RecordingSurface.h"

#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

using namespace orvane;

using Field = COrvaneView::Field;

namespace {

constexpr int kPlotTop = 60; // the form sits above
const QRect kPicture(10, 2, 48, 48);

// Curve (pure blue) pixels of `a` below the form; with `b`, only those white in
// `b`: erased there, not merely crossed by grid lines drawn again.
int BluePixels(const QImage& a, const QImage& b = {}) {
    int count = 0;
    for (int y = static_cast<int>(kPlotTop * a.devicePixelRatio()); y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += (a.pixel(x, y) & 0xffffff) == 0x0000ff &&
                     (b.isNull() || (b.pixel(x, y) & 0xffffff) == 0xffffff);
        }
    }
    return count;
}

QImage Rendered(const QString& path) {
    QImage picture(48, 48, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QSvgRenderer(path).render(&painter, QRectF(0, 0, 48, 48));
    return picture;
}

QImage Picture(const QImage& image) {
    return image.copy(kPicture).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The image with the box picture blanked out.
QImage OutsidePicture(QImage image) {
    QPainter(&image).fillRect(kPicture, Qt::black);
    return image;
}

// The form's fields and button, which no label may be covered by.
QList<QWidget*> FormControls(const ViewHost& host) {
    QList<QWidget*> controls{host.view->Form()->PlotButton()};
    for (int i = 0; i < 5; ++i)
        controls << host.Edit(Field(i));
    return controls;
}

} // namespace

class TestView : public QObject {
    Q_OBJECT
private slots:
    // Cascading and restoring size a design window from its view: the whole
    // form and a useful plot, never less than the form.
    void sizeHints() {
        ViewHost host({}, false);
        const QSize hint = host.view->sizeHint();
        const QSize minimum = host.view->minimumSizeHint();
        QVERIFY2(hint.width() >= 640 && hint.height() >= 480,
                 qPrintable(QString("%1x%2").arg(hint.width()).arg(hint.height())));
        QVERIFY(minimum.height() >= 150); // room for a plot below the form
        // The figure lines, drawn from x = 450, end inside the window.
        QVERIFY(hint.width() >= 450 + host.view->fontMetrics().horizontalAdvance(
                                          "Max SPL = 120dB at 1000 Watts input power"));
        QVERIFY(minimum.width() <= hint.width() && minimum.height() <= hint.height());
        const QRect inside(QPoint(0, 0), minimum);
        for (QWidget* child : host.view->findChildren<QWidget*>())
            QVERIFY2(inside.contains(child->geometry()), qPrintable(child->objectName()));
    }

    // Whatever the font, no label runs under the field or button to its
    // right; where the texts fit, the form keeps its template positions.
    void formLabelsNeverCovered_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("application font") << QString() << 0;
        QTest::newRow("small") << QString() << 8;
        QTest::newRow("monospace") << QString("DejaVu Sans Mono") << 12;
        QTest::newRow("large") << QString() << 20;
    }
    void formLabelsNeverCovered() {
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        ViewHost host({}, false);
        if (pixelSize > 0) {
            QFont font = host.view->font();
            if (!family.isEmpty()) {
                font.setFamily(family);
                font.setStyleHint(QFont::Monospace);
            }
            font.setPixelSize(pixelSize);
            host.view->setFont(font);
        }
        for (int i = 0; i < 5; ++i) {
            const QLabel* label = host.view->Form()->FieldLabel(Field(i));
            QVERIFY(label->width() >= label->sizeHint().width());
            QVERIFY(label->x() > host.Edit(Field(i))->geometry().right());
            for (const QWidget* control : FormControls(host))
                QVERIFY2(!label->geometry().intersects(control->geometry()),
                         qPrintable(label->text()));
        }
        if (pixelSize == 8) {
            QCOMPARE(host.Edit(Field::V1)->geometry(), QRect(65, 3, 48, 20));
            QCOMPARE(host.Edit(Field::F2)->geometry(), QRect(168, 26, 48, 20));
            QCOMPARE(host.view->Form()->FieldLabel(Field::V2)->pos(), QPoint(221, 7));
            QCOMPARE(host.view->Form()->PlotButton()->geometry(), QRect(273, 26, 75, 23));
        }
    }

    // The numbers the program writes into the form show their first digits.
    void formShowsBeginnings() {
        ViewHost host(
            [](SpeakerDesign& d) {
                d = ReferenceDesign(BoxKind::Vented);
                d.m_boxType = "Bandpass4";
                d.m_f1 = 28.348383478284887;
                d.m_v1 = 1234.56789012;
                d.m_v2 = 1.23456789012;
            },
            false);
        host.view->FillFromDesign();
        for (int i = 0; i < 5; ++i)
            QCOMPARE(host.Edit(Field(i))->cursorPosition(), 0);
        host.Show(); // F2 gets its automatic value
        QCOMPARE(host.Edit(Field::F2)->text(), QStringLiteral("56"));
        QCOMPARE(host.Edit(Field::F2)->cursorPosition(), 0);
        QVERIFY(host.Edit(Field::V1)->text().startsWith("1234.5678"));
    }

    // Plot on an unchanged design draws the same curve again: the fields
    // still showing what the program wrote stand for the exact values behind
    // them. What the user types is taken as typed, even the same digits.
    void plotTwiceDrawsOneCurve_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("f1");
        QTest::addColumn<QString>("shown");
        QTest::newRow("vented, tuning chosen") << "Vented" << 0.0 << "34";
        QTest::newRow("vented, tuning loaded")
            << "Vented" << 28.348383478284887 << "28.3483834782849";
        QTest::newRow("sealed") << "Sealed" << 0.0 << "47";
        QTest::newRow("bandpass 4") << "Bandpass4" << 40.0 << "40.";
    }
    void plotTwiceDrawsOneCurve() {
        QFETCH(QString, type);
        QFETCH(double, f1);
        ViewHost host([&](SpeakerDesign& d) {
            d = ReferenceDesign(BoxKind::Vented);
            d.m_boxType = type.toStdString();
            d.m_f1 = f1;
            d.m_v2 = 1.23456789012;
        });
        host.view->OnPlot();
        QTEST(host.Edit(Field::F1)->text(), "shown");
        const SpeakerDesign first = host.doc.Design();
        const QImage once = host.view->BackingImage();
        host.view->OnPlot();
        QVERIFY(host.doc.Design().SameBits(first));
        // The curve's pixels, exactly: no second line beside the first.
        QCOMPARE(BluePixels(host.view->BackingImage(), once), 0);
        QCOMPARE(BluePixels(host.view->BackingImage()), BluePixels(once));
        QVERIFY(!host.doc.IsModified());
        if (type != "Vented")
            return;
        // Typed again digit for digit, the field means what it says.
        const QString digits = host.Edit(Field::F1)->text();
        host.Plot(Field::F1, digits);
        QCOMPARE(host.doc.Design().m_f1, digits.toDouble());
        QVERIFY(host.doc.Design().m_f1 != first.m_f1);
    }

    // At a pixel ratio of 1 the backing image is what it always was: the
    // reference is the old program's plot of the vented example.
    void backingImageAsBefore() {
        QFont label("Arial");
        label.setStyleHint(QFont::SansSerif);
        if (QFontInfo(label).family() != "Liberation Sans")
            QSKIP("the reference was drawn with Liberation Sans for Arial");
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        QCOMPARE(host.view->devicePixelRatioF(), 1.0);
        const QImage reference(ORVANE_SOURCE_DIR "/tests/view/data/vented-800x600.png");
        QVERIFY(!reference.isNull());
        const QImage shown =
            OutsidePicture(host.view->BackingImage()).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, OutsidePicture(reference).convertToFormat(QImage::Format_RGB32));
    }

    void newDesignForm() {
        ViewHost host({}, false);
        host.view->FillFromDesign();
        QStringList texts;
        for (int i = 0; i < 5; ++i)
            texts << host.Edit(Field(i))->text();
        QCOMPARE(texts, (QStringList{"0.", "0.", "0.", "0.", "1"}));
        QCOMPARE(host.Enabled(), QStringLiteral("10001"));
        QCOMPARE(host.CheckedBox(), 0);
        QVERIFY(!host.view->F1Entered());
    }

    // Plot reads F1, V1, Drivers, F2 and V2 in turn, stops at the first it
    // refuses, then plots whatever the record holds.
    void readForm_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("button");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("record"); // F1 V1 Drivers F2 V2
        const QString number = "Please enter a number.";
        const QString f1Range = "Please enter a number between 0. and 20000.";
        const QString integer = "Please enter an integer.";
        const QString count = "Please enter an integer between 1 and 65535.";
        const int v1 = int(Field::V1), drivers = int(Field::Drivers);
        QTest::newRow("V1 empty") << v1 << "" << false << number << "45 2 1 90 1.5";
        QTest::newRow("V1 letters, Plot") << v1 << "  abc" << true << number << "45 2 1 90 1.5";
        QTest::newRow("F1 25000") << int(Field::F1) << "25000" << false << f1Range
                                  << "25000 2 1 90 1.5";
        QTest::newRow("Drivers blanks")
            << drivers << "  4  " << false << QString() << "45 3 4 80 3";
        QTest::newRow("Drivers 4x") << drivers << "4x" << false << integer << "45 3 1 90 1.5";
        QTest::newRow("Drivers -1") << drivers << "-1" << false << count << "45 3 1 90 1.5";
        QTest::newRow("Drivers 65536") << drivers << "65536" << false << count << "45 3 1 90 1.5";
        QTest::newRow("Drivers huge")
            << drivers << "99999999999" << false << count << "45 3 1 90 1.5";
    }
    void readForm() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(bool, button);
        QFETCH(QString, message);
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDriver();
            d.m_boxType = "Bandpass6";
            d.m_v1 = 2;
            d.m_f1 = 40;
            d.m_v2 = 1.5;
            d.m_f2 = 90;
        });
        const QImage before = host.view->BackingImage();
        const char* const values[] = {"3", "45", "3", "80", "2"}; // in Field order
        for (int i = 0; i < 5; ++i)
            host.Type(Field(i), i == field ? typed : values[i]);
        QWidget* target = button ? static_cast<QWidget*>(host.view->Form()->PlotButton())
                                 : host.Edit(Field(field));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(host.messages, message.isEmpty() ? QStringList{} : QStringList{message});
        const SpeakerDesign& d = host.doc.Design();
        QTEST(QString::asprintf("%g %g %d %g %g", d.m_f1, d.m_v1, int(d.m_driverCount), d.m_f2,
                                d.m_v2),
              "record");
        QVERIFY(host.view->BackingImage() != before);
        if (!message.isEmpty()) {
            QTRY_COMPARE(QApplication::focusWidget(), host.Edit(Field(field)));
            QCOMPARE(host.Edit(Field(field))->selectedText(), typed);
        }
        // One Plot per Enter.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(host.messages.size(), message.isEmpty() ? 0 : 2);
    }

    void f1EnteredByTyping() {
        // Bandpass6 writes no automatic value, so only typing sets the flag.
        ViewHost host([](SpeakerDesign& d) { d.m_boxType = "Bandpass6"; });
        host.view->EraseAndRedraw();
        QVERIFY(!host.view->F1Entered());
        host.Edit(Field::F1)->setFocus();
        QTest::keyClick(host.Edit(Field::F1), Qt::Key_5);
        QVERIFY(host.view->F1Entered());
    }

    // A tuning of at least 0.1 Hz that came with the design is kept.
    void loadedTuning_data() {
        QTest::addColumn<double>("f1");
        QTest::addColumn<bool>("entered");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0.1 kept") << 0.1 << true << "0.1";
        QTest::newRow("0.05 replaced") << 0.05 << false << "34";
        QTest::newRow("new design") << 0.0 << false << "34";
    }
    void loadedTuning() {
        QFETCH(double, f1);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)), false);
        host.doc.Design().m_f1 = f1;
        host.view->FillFromDesign();
        QTEST(host.view->F1Entered(), "entered");
        host.Show();
        QTEST(host.Edit(Field::F1)->text(), "shown");
        QVERIFY(host.view->F1Entered()); // chosen or kept, it now stays
    }

    // The vented example: the tuning is chosen, kept once shown and chosen
    // again after clearing F1; each Plot adds a curve, Redraw keeps one.
    void ventedExample() {
        ViewHost host(Starting(ReferenceDriver()));
        host.view->OnBoxType(BoxKind::Vented);
        host.Plot(Field::V1, "2");
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("34"));
        QVERIFY(std::fabs(host.doc.Design().m_f1 - 34.018) < 0.001);
        const QImage first = host.view->BackingImage();
        QVERIFY(BluePixels(first) > 200);
        host.Plot(Field::V1, "4");
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("34"));
        QVERIFY(std::fabs(host.doc.Design().m_f1 - 34.018) < 0.001); // kept exactly
        const QImage both = host.view->BackingImage();
        QCOMPARE(BluePixels(first, both), 0);
        QVERIFY(BluePixels(both) > BluePixels(first) + 300);

        // Uncovering shows what was drawn; the README keeps it as its picture.
        host.Edit(Field::V1)->clearFocus();
        host.view->repaint();
        const QImage shown = host.view->grab().toImage();
        QVERIFY(shown.save(ORVANE_BINARY_DIR "/design-window.png"));
        const QRect plot(0, kPlotTop, both.width(), both.height() - kPlotTop);
        QCOMPARE(shown.copy(plot).convertToFormat(QImage::Format_RGB32),
                 both.copy(plot).convertToFormat(QImage::Format_RGB32));

        host.view->OnRedraw();
        const QImage current = host.view->BackingImage();
        QCOMPARE(BluePixels(current, both), 0);
        QVERIFY(BluePixels(first, current) > 300);

        host.Plot(Field::F1, "0");
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("27")); // 30 * (3/4)^0.31
        QVERIFY(host.messages.isEmpty());
    }

    // Plot marks the document only when reading the form changed the record.
    void modifiedByPlot() {
        ViewHost host(Starting(ReferenceDriver()));
        host.view->OnPlot();
        QVERIFY(!host.doc.IsModified());
        host.Plot(Field::V1, "1.5");
        QVERIFY(host.doc.IsModified());
        // F1 shows the sealed resonance rounded ("52") but drawing puts the
        // exact value back: an unchanged form leaves the record as it was.
        host.doc.SetModified(false);
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("52"));
        host.Plot(Field::V1, "1.5");
        host.view->OnRedraw();
        host.view->OnAmplitude(2);
        QVERIFY(!host.doc.IsModified());
    }

    void fiveDbPerDiv() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        const QImage before = host.view->BackingImage();
        host.view->OnAmplitude(5);
        QCOMPARE(ViewHost::Checked(host.marks.amplitude), 2);
        QVERIFY(host.view->BackingImage() != before);
        RecordingSurface recording;
        SpeakerDesign design = host.doc.Design();
        DrawPlot(recording, design, host.view->F1Entered(), host.view->Scale(), 800, 600);
        QStringList levels;
        for (const auto& op : recording.Of(RecordingSurface::Kind::Text)) {
            if (op.x == 5)
                levels << QString::fromStdString(op.text);
        }
        QCOMPARE(levels.size(), 16);
        QCOMPARE(levels.first(), QStringLiteral("-50.0"));
        QCOMPARE(levels.last(), QStringLiteral("25.0"));
    }

    // A box command switches fields and picture, marks the document and plots
    // nothing; an unknown type marks no box and leaves the fields as they were.
    void boxCommands() {
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDriver();
            d.m_v1 = 2;
        });
        const struct {
            BoxKind kind;
            const char* picture;
            const char* enabled;
        } steps[] = {{BoxKind::Vented, ":/box/vented.svg", "11001"},
                     {BoxKind::Bandpass4, ":/box/bandpass4.svg", "11101"},
                     {BoxKind::Sealed, ":/box/sealed.svg", "10001"},
                     {BoxKind::Bandpass6, ":/box/bandpass6.svg", "11111"}};
        for (const auto& step : steps) {
            const QImage before = host.view->BackingImage();
            const QString f1 = host.Edit(Field::F1)->text();
            host.doc.SetModified(false);
            host.view->OnBoxType(step.kind);
            QCOMPARE(host.doc.Design().m_boxType, std::string(BoxType::Name(step.kind)));
            QCOMPARE(host.CheckedBox(), int(step.kind));
            QCOMPARE(host.Enabled(), QString(step.enabled));
            QCOMPARE(Picture(host.view->BackingImage()), Rendered(step.picture));
            QCOMPARE(OutsidePicture(host.view->BackingImage()), OutsidePicture(before));
            QCOMPARE(host.Edit(Field::F1)->text(), f1);
            QVERIFY(host.doc.IsModified());
        }
        // The same type again changes nothing.
        host.doc.SetModified(false);
        host.view->OnBoxType(BoxKind::Bandpass6);
        QVERIFY(!host.doc.IsModified());

        host.doc.Design().m_boxType = "sealed";
        host.view->FillFromDesign();
        host.view->OnPlot();
        QCOMPARE(host.CheckedBox(), -1);
        QCOMPARE(host.Enabled(), QStringLiteral("11111"));
        QVERIFY(host.messages.isEmpty());
    }

    void afterDrawHook() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        QTest::qWait(20); // the first display's drawing has had its turn
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } counter;
        host.view->installEventFilter(&counter);
        QList<int> paintsAtCalls; // -1 for a call inside a paint
        QObject::connect(host.view.get(), &COrvaneView::drawn, [&] {
            paintsAtCalls << (host.view->paintingActive() ? -1 : counter.paints);
        });
        host.view->OnRedraw();
        QVERIFY(paintsAtCalls.isEmpty()); // never synchronously
        QTRY_COMPARE(paintsAtCalls.size(), 1);
        QVERIFY(paintsAtCalls[0] >= 1); // after the repaint that showed the drawing
        host.view->OnPlot();            // not a draw operation
        QTest::qWait(50);
        QCOMPARE(paintsAtCalls.size(), 1);
    }
};

QTEST_MAIN(TestView)
#include "test_view.moc"
