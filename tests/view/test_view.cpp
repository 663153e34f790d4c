// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tests/support/ViewHost.h"

#include <QCryptographicHash>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QUndoStack>

using namespace orvane;
using Field = COrvaneView::Field;

namespace {

constexpr int kPlotTop = 60; // the form sits above
const QRect kPicture(10, 2, 48, 48);

// The image with the box picture blanked out.
QImage OutsidePicture(QImage image) {
    QPainter(&image).fillRect(kPicture, Qt::black);
    return image;
}

// The form's texts, V1 to Drivers.
QString Texts(const ViewHost& host) {
    QStringList texts;
    for (int i = 0; i < 5; ++i)
        texts << host.Edit(Field(i))->text();
    return texts.join(' ');
}

} // namespace

class TestView : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { UnitChoice::Set(UnitSystem::Imperial); }

    // At a large font the window still offers room for the form, a plot and
    // the longest figure line, and no label runs under a field or button.
    // At a pixel ratio of 1 the backing image is what it always was: the
    // reference is the old program's plot of the vented example, kept as the
    // SHA-1 of its RGB32 pixels outside the picture.
    void backingImageAsBefore() {
        QFont label("Arial");
        label.setStyleHint(QFont::SansSerif);
        if (QFontInfo(label).family() != "Liberation Sans")
            QSKIP("the reference was drawn with Liberation Sans for Arial");
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        QCOMPARE(host.view->devicePixelRatioF(), 1.0);
        const QImage shown =
            OutsidePicture(host.view->BackingImage()).convertToFormat(QImage::Format_RGB32);
        const QByteArrayView pixels(shown.constBits(), shown.sizeInBytes());
        QCOMPARE(QCryptographicHash::hash(pixels, QCryptographicHash::Sha1).toHex(),
                 "b0d6c32e981fdf8778bcec30036641ab7a075972");
    }

    void layout() {
        ViewHost host({}, false);
        host.view->setFont(QFont(QString(), 15));
        const QSize hint = host.view->sizeHint(), minimum = host.view->minimumSizeHint();
        QVERIFY(hint.width() >= 450 + host.view->fontMetrics().horizontalAdvance(
                                          "Max SPL = 120dB at 1000 Watts input power"));
        QVERIFY(hint.height() >= 480 && minimum.height() >= 150);
        for (const QWidget* child : host.view->Form()->findChildren<QWidget*>()) {
            if (child->isHidden())
                continue; // a field of another box type
            QVERIFY(QRect(QPoint(), minimum).contains(child->geometry()));
            for (const QLabel* label : host.view->Form()->findChildren<QLabel*>())
                QVERIFY(qobject_cast<const QLabel*>(child) || label->isHidden() ||
                        !label->geometry().intersects(child->geometry()));
        }
    }

    // Plot reads F1, V1, Drivers, F2 and V2 in turn, stops at the first it
    // refuses, copies what it read (a refused F1 too; a refused count never
    // wraps) and plots, once per Enter. Typing into F1 counts as entered,
    // filling it does not (a Bandpass6 writes no automatic F1).
    void readForm_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("record"); // F1 V1 Drivers F2 V2
        const auto row = [](const char* tag, Field field, const char* typed, const char* message,
                            const char* record) {
            QTest::newRow(tag) << int(field) << QString(typed) << QString(message)
                               << QString(record);
        };
        const char* count = "Please enter an integer between 1 and 65535.";
        row("V1 empty, Plot", Field::V1, "", "Please enter a number.", "45 2 1 90 1.5");
        row("F1 25000", Field::F1, "25000", "Please enter a number between 0. and 20000.",
            "25000 2 1 90 1.5");
        row("Drivers blanks", Field::Drivers, "  4  ", "", "45 3 4 80 3");
        row("Drivers -1", Field::Drivers, "-1", count, "45 3 1 90 1.5");
        row("Drivers 65536", Field::Drivers, "65536", count, "45 3 1 90 1.5");
    }
    void readForm() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        ViewHost host([](SpeakerDesign& d) {
            d = ReferenceDesign(BoxKind::Bandpass6);
            d.m_v1 = 2;
            d.m_f1 = 0;
        });
        const QImage before = host.view->BackingImage();
        QVERIFY(!host.view->F1Entered());
        for (int i = 0; i < 5; ++i)
            host.Type(Field(i), i == field ? typed : QString("3 45 3 80 2").section(' ', i, i));
        QVERIFY(host.view->F1Entered());
        if (field == int(Field::V1))
            host.view->Form()->PlotButton()->click(); // the button, or Enter in the field
        else
            QTest::keyClick(host.Edit(Field(field)), Qt::Key_Return);
        QTEST(host.messages.join('|'), "message");
        const SpeakerDesign& d = host.doc.Design();
        QTEST(QString::asprintf("%g %g %d %g %g", d.m_f1, d.m_v1, int(d.m_driverCount), d.m_f2,
                                d.m_v2),
              "record");
        QVERIFY(host.view->BackingImage() != before);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(host.messages.size(), host.messages.isEmpty() ? 0 : 2);
    }

    // Plot on an unchanged design draws the same curve again, in either unit:
    // the fields still showing what the program wrote stand for the exact
    // values behind them. What the user types is taken as typed.
    void plotTwiceDrawsOneCurve_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("f1");
        QTest::addColumn<QString>("shown"); // F1, V2; in litres for a bandpass
        const auto row = [](const char* type, double f1, const char* shown) {
            QTest::newRow(shown) << QString(type) << f1 << QString(shown);
        };
        row("Vented", 0, "34 1.235"); // the tuning chosen; 1.23456789012 ft3
        row("Vented", 28.348383478284887, "28.35 1.235");
        row("Bandpass4", 40, "40. 34.96"); // 1.23456789012 ft3 in litres
    }
    void plotTwiceDrawsOneCurve() {
        QFETCH(QString, type);
        QFETCH(double, f1);
        UnitChoice::Set(type == "Bandpass4" ? UnitSystem::Metric : UnitSystem::Imperial);
        ViewHost host([&](SpeakerDesign& d) {
            d = ReferenceDesign(BoxKind::Vented);
            d.m_boxType = type.toStdString(), d.m_f1 = f1, d.m_v2 = 1.23456789012;
        });
        host.view->OnPlot();
        QTEST(host.Edit(Field::F1)->text() + ' ' + host.Edit(Field::V2)->text(), "shown");
        QVERIFY(host.view->F1Entered()); // a tuning chosen is kept from now on
        const SpeakerDesign first = host.doc.Design();
        const QImage once = host.view->BackingImage();
        host.view->OnPlot();
        QVERIFY(host.doc.Design().SameBits(first) && !host.doc.IsModified());
        QCOMPARE(BluePixels(host.view->BackingImage(), once), 0); // no second line beside it
        if (type != "Vented")
            return;
        const QString digits = host.Edit(Field::F1)->text(); // typed again digit for digit
        host.Plot(Field::F1, digits);
        QCOMPARE(host.doc.Design().m_f1, digits.toDouble());
        QVERIFY(host.doc.Design().m_f1 != first.m_f1 && host.doc.IsModified());
    }

    // Switching units keeps the program's values exactly, what was typed as read.
    void switchingUnitsKeepsTheValues() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Bandpass4)));
        const double v1 = host.doc.Design().m_v1; // exactly, not as shown in litres
        UnitChoice::Set(UnitSystem::Metric);
        host.view->OnUnitsChanged();
        QCOMPARE(Texts(host).section(' ', 0, 2), QString("28.32 60. 28.32"));
        QCOMPARE(host.view->Form()->FieldLabel(Field::V2)->text(), QString("V2 (L)"));
        host.Type(Field::V2, "10");
        UnitChoice::Set(UnitSystem::Imperial);
        host.view->OnUnitsChanged();
        const double v2 = 10 / 28.316846592;
        QCOMPARE(host.Edit(Field::V2)->text(), QString("0.3531")); // 0.353146667…
        host.view->OnPlot();
        QVERIFY(host.doc.Design().m_v1 == v1 && qFuzzyCompare(host.doc.Design().m_v2, v2));
    }

    // Each Plot adds a curve, which uncovering shows; Redraw and another
    // amplitude scale leave the current design alone.
    void plotsAddUp() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)));
        const QImage first = host.view->BackingImage();
        host.Plot(Field::V1, "4");
        const QImage both = host.view->BackingImage();
        QVERIFY(BluePixels(first, both) == 0 && BluePixels(both) > BluePixels(first) + 300);
        host.Edit(Field::V1)->clearFocus();
        host.view->repaint();
        const QRect plot(0, kPlotTop, both.width(), both.height() - kPlotTop);
        QCOMPARE(host.view->grab().toImage().copy(plot).convertToFormat(QImage::Format_RGB32),
                 both.copy(plot).convertToFormat(QImage::Format_RGB32));
        host.view->OnRedraw();
        QVERIFY(BluePixels(first, host.view->BackingImage()) > 300);
        host.view->OnAmplitude(5);
        QVERIFY(ViewHost::Checked(host.marks.amplitude) == 2 && host.view->Scale().bottom == -50);
    }

    // A passive-radiator box takes its radiators' count in place of V2 and
    // F2; Plot stores a new count (more radiators tune higher) as one step.
    void radiatorCount() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::PassiveRadiator)));
        const QWidget* form = host.view->Form();
        QVERIFY(host.Edit(Field::Radiators)->isVisibleTo(form) &&
                !host.Edit(Field::V2)->isVisibleTo(form));
        QCOMPARE(host.Edit(Field::Radiators)->text(), QString("2"));
        const double f1 = host.doc.Design().m_f1;
        host.Plot(Field::Radiators, "3");
        QVERIFY(host.doc.Design().m_extras.prCount == 3 && host.doc.Design().m_f1 > f1 * 1.01);
        host.view->UndoStack()->undo();
        QVERIFY(host.doc.Design().m_extras.prCount == 2 &&
                host.Edit(Field::Radiators)->text() == "2");
        host.view->OnBoxType(BoxKind::Vented);
        QVERIFY(!host.Edit(Field::Radiators)->isVisibleTo(form) &&
                host.Edit(Field::V2)->isVisibleTo(form));
    }

    // A new design's form; a box command switches fields, mark and picture
    // and plots nothing; an unknown type checks no Box entry and leaves the
    // fields as they were.
    void boxCommands() {
        ViewHost host({}, false);
        host.view->FillFromDesign();
        QCOMPARE(Texts(host) + ' ' + host.Enabled(), QString("0. 0. 0. 0. 1 10001"));
        host.Show();
        const QRect picture(10, 2, 48, 48);
        for (const BoxKind kind :
             {BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Sealed, BoxKind::Bandpass6}) {
            QImage before = host.view->BackingImage();
            host.view->OnBoxType(kind);
            QCOMPARE(host.doc.Design().m_boxType, std::string(BoxType::Name(kind)));
            QCOMPARE(host.CheckedBox(), int(kind));
            QCOMPARE(host.Enabled(),
                     QString("10001 11001 11101 11111").section(' ', int(kind), int(kind)));
            const QImage after = host.view->BackingImage();
            QVERIFY(after.copy(picture) != before.copy(picture));
            QPainter(&before).drawImage(picture.topLeft(), after.copy(picture));
            QCOMPARE(after, before); // the rest as it was
        }
        QVERIFY(host.doc.IsModified());
        host.doc.Design().m_boxType = "sealed";
        host.view->FillFromDesign();
        host.view->OnPlot();
        QCOMPARE(QString::number(host.CheckedBox()) + host.Enabled(), QString("-111111"));
    }
};

QTEST_MAIN(TestView)
#include "test_view.moc"
