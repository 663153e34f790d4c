#include "ViewHost.h"

#include "platform/Message.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

using Field = COrvaneView::Field;

class TestViewForm : public QObject {
    Q_OBJECT
private:
    QList<MessageRecord> m_messages;

    QStringList Texts() const {
        QStringList texts;
        for (const auto& m : m_messages)
            texts << m.text;
        return texts;
    }

private slots:
    void init() {
        m_messages.clear();
        SetMessageHook([this](const MessageRecord& m) {
            m_messages.append(m);
            return QMessageBox::Ok;
        });
    }
    void cleanup() { SetMessageHook({}); }

    // The template's positions in dialog units, converted to pixels.
    void layout() {
        ViewHost host({}, QSize(800, 600), false);
        QCOMPARE(host.Edit(Field::V1)->geometry(), QRect(65, 3, 48, 20));
        QCOMPARE(host.Edit(Field::F1)->geometry(), QRect(65, 28, 48, 20));
        QCOMPARE(host.Edit(Field::V2)->geometry(), QRect(168, 3, 48, 20));
        QCOMPARE(host.Edit(Field::F2)->geometry(), QRect(168, 26, 48, 20));
        QCOMPARE(host.Edit(Field::Drivers)->geometry(), QRect(275, 3, 32, 20));
        QCOMPARE(host.view->PlotButton()->geometry(), QRect(273, 26, 75, 23));
        QCOMPARE(host.view->PlotButton()->text(), QStringLiteral("Plot"));
        QStringList labels;
        for (const QLabel* label : host.view->findChildren<QLabel*>())
            labels << QStringLiteral("%1@%2,%3").arg(label->text()).arg(label->x()).arg(label->y());
        labels.sort();
        QCOMPARE(labels, (QStringList{"Drivers@311,8", "F1@117,29", "F2@221,29", "V1 (ft3)@117,7",
                                      "V2 (ft3)@221,7"}));
    }

    void newDesignForm() {
        ViewHost host({}, QSize(800, 600), false);
        host.view->FillFromDesign();
        QCOMPARE(host.Edit(Field::V1)->text(), QStringLiteral("0."));
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("0."));
        QCOMPARE(host.Edit(Field::V2)->text(), QStringLiteral("0."));
        QCOMPARE(host.Edit(Field::F2)->text(), QStringLiteral("0."));
        QCOMPARE(host.Edit(Field::Drivers)->text(), QStringLiteral("1"));
        QVERIFY(host.Edit(Field::V1)->isEnabled());
        QVERIFY(!host.Edit(Field::F1)->isEnabled());
        QVERIFY(!host.Edit(Field::V2)->isEnabled());
        QVERIFY(!host.Edit(Field::F2)->isEnabled());
        QVERIFY(host.Edit(Field::Drivers)->isEnabled());
        QCOMPARE(host.CheckedBox(), 0);
        QVERIFY(!host.view->m_f1Entered);
        QVERIFY(!host.doc.IsModified());

        // The first paint writes the sealed resonance (0 without a volume).
        host.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.view.get()));
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("0"));
        QVERIFY(!host.doc.IsModified());
        QVERIFY(m_messages.isEmpty());
    }

    void displayFormat() {
        ViewHost host([](SpeakerDesign& d) {
            d.m_boxType = "Bandpass6";
            d.m_v1 = 0.01;
            d.m_f1 = 37.25;
            d.m_v2 = 1e15;
            d.m_f2 = 0.05;
            d.m_driverCount = 65535;
        });
        QCOMPARE(host.Edit(Field::V1)->text(), QStringLiteral("1.e-002"));
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("37.25"));
        QCOMPARE(host.Edit(Field::V2)->text(), QStringLiteral("1.e+015"));
        QCOMPARE(host.Edit(Field::F2)->text(), QStringLiteral("5.e-002"));
        QCOMPARE(host.Edit(Field::Drivers)->text(), QStringLiteral("65535"));
    }

    void tabOrder() {
        ViewHost host([](SpeakerDesign& d) { d.m_boxType = "Bandpass6"; });
        host.Edit(Field::V1)->setFocus();
        QWidget* expected[] = {host.Edit(Field::F1), host.Edit(Field::V2), host.Edit(Field::F2),
                               host.Edit(Field::Drivers), host.view->PlotButton()};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // Disabled fields are skipped.
        ViewHost sealed;
        sealed.Edit(Field::V1)->setFocus();
        QTest::keyClick(sealed.Edit(Field::V1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), sealed.Edit(Field::Drivers));
    }

    // Enter runs Plot exactly once, from any field and from the button; each
    // Plot with an empty V1 says so once.
    void enterPlotsOnce_data() {
        QTest::addColumn<int>("where");
        QTest::newRow("V1") << int(Field::V1);
        QTest::newRow("Drivers") << int(Field::Drivers);
        QTest::newRow("Plot button") << -1;
    }
    void enterPlotsOnce() {
        QFETCH(int, where);
        ViewHost host(ReferenceDriver);
        host.Type(Field::V1, QString());
        QWidget* target =
            where < 0 ? static_cast<QWidget*>(host.view->PlotButton()) : host.Edit(Field(where));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(Texts(), QStringList{"Please enter a number."});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(m_messages.size(), 2);
    }

    void emptyV1() {
        ViewHost host([](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_boxType = "Bandpass6";
            d.m_v1 = 2;
            d.m_f1 = 40;
            d.m_v2 = 1.5;
            d.m_f2 = 90;
        });
        const QImage before = host.view->BackingImage();
        host.Type(Field::F1, "45");
        host.Type(Field::V2, "3");
        host.Type(Field::F2, "80");
        host.Type(Field::Drivers, "2");
        host.Type(Field::V1, "");
        host.Enter(Field::V1);

        QCOMPARE(Texts(), QStringList{"Please enter a number."});
        QCOMPARE(m_messages[0].caption, QStringLiteral("orvane"));
        QCOMPARE(m_messages[0].kind, MessageKind::Warning);
        QTRY_COMPARE(QApplication::focusWidget(), host.Edit(Field::V1));
        const SpeakerDesign& d = host.doc.Design();
        QCOMPARE(d.m_f1, 45.0); // read before V1
        QCOMPARE(d.m_v1, 2.0);
        QCOMPARE(d.m_driverCount, uint16_t(1));
        QCOMPARE(d.m_f2, 90.0);
        QCOMPARE(d.m_v2, 1.5);
        QCOMPARE(host.view->m_formDrivers, 1);
        // Plot went on with the record as it stands.
        QVERIFY(host.view->BackingImage() != before);
        QVERIFY(host.doc.IsModified()); // F1 changed
    }

    void emptyV1SelectsText() {
        ViewHost host(ReferenceDriver);
        host.Type(Field::V1, "  abc");
        host.Enter(Field::V1);
        QCOMPARE(Texts(), QStringList{"Please enter a number."});
        QTRY_COMPARE(QApplication::focusWidget(), host.Edit(Field::V1));
        QCOMPARE(host.Edit(Field::V1)->selectedText(), QStringLiteral("  abc"));
    }

    void f1AboveRange() {
        ViewHost host([](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_boxType = "Vented";
            d.m_v1 = 2;
            d.m_f1 = 40;
        });
        host.Type(Field::F1, "25000");
        host.Type(Field::V1, "3");
        host.Type(Field::Drivers, "2");
        host.Enter(Field::V1);
        QCOMPARE(Texts(), QStringList{"Please enter a number between 0. and 20000.."});
        QTRY_COMPARE(QApplication::focusWidget(), host.Edit(Field::F1));
        QCOMPARE(host.Edit(Field::F1)->selectedText(), QStringLiteral("25000"));
        QCOMPARE(host.doc.Design().m_f1, 25000.0);
        QCOMPARE(host.doc.Design().m_v1, 2.0);
        QCOMPARE(host.doc.Design().m_driverCount, uint16_t(1));
    }

    void v1AboveRange() {
        ViewHost host(ReferenceDriver);
        host.Type(Field::V1, "10000.5");
        host.Enter(Field::V1);
        QCOMPARE(Texts(), QStringList{"Please enter a number between 0. and 10000.."});
        QCOMPARE(host.doc.Design().m_v1, 10000.5);
    }

    // A loaded F1 beyond the range shows without complaint; Plot complains.
    void loadedF1BeyondRange() {
        ViewHost host([](SpeakerDesign& d) {
            d.m_boxType = "Bandpass6";
            d.m_f1 = 30000;
        });
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("30000."));
        QVERIFY(m_messages.isEmpty());
        host.view->OnPlot();
        QCOMPARE(Texts(), QStringList{"Please enter a number between 0. and 20000.."});
    }

    void drivers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("count");
        const QString range = "Please enter an integer between 1 and 65535.";
        QTest::newRow("blanks around") << "  4  "
                                       << "" << 4;
        QTest::newRow("letters after") << "4x"
                                       << "Please enter an integer." << 1;
        QTest::newRow("fraction") << "4.5"
                                  << "Please enter an integer." << 1;
        QTest::newRow("minus one") << "-1" << range << 1;
        QTest::newRow("65536") << "65536" << range << 1;
        QTest::newRow("zero") << "0" << range << 1;
        QTest::newRow("huge") << "99999999999" << range << 1;
        QTest::newRow("65535") << "65535"
                               << "" << 65535;
    }
    void drivers() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, count);
        ViewHost host([](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_boxType = "Bandpass6";
        });
        host.Type(Field::V2, "1.5");
        host.Type(Field::Drivers, typed);
        host.Enter(Field::Drivers);
        QCOMPARE(Texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(int(host.doc.Design().m_driverCount), count);
        QCOMPARE(host.view->m_formDrivers, count);
        if (!message.isEmpty()) {
            QTRY_COMPARE(QApplication::focusWidget(), host.Edit(Field::Drivers));
            QCOMPARE(host.Edit(Field::Drivers)->selectedText(), typed);
            QCOMPARE(host.doc.Design().m_v2, 0.0); // after Drivers: not read
        } else {
            QCOMPARE(host.doc.Design().m_v2, 1.5);
        }
    }

    void f1EnteredByTyping() {
        // Bandpass6 writes no automatic value, so only typing sets the flag.
        ViewHost host([](SpeakerDesign& d) { d.m_boxType = "Bandpass6"; });
        QVERIFY(!host.view->m_f1Entered);
        host.view->EraseAndRedraw();
        QVERIFY(!host.view->m_f1Entered);
        host.Edit(Field::F1)->setFocus();
        QTest::keyClick(host.Edit(Field::F1), Qt::Key_5);
        QVERIFY(host.view->m_f1Entered);
    }

    // A tuning that came with the design is kept by the first drawing.
    void loadedTuningKept_data() {
        QTest::addColumn<double>("f1");
        QTest::addColumn<bool>("entered");
        QTest::addColumn<QString>("shown");
        QTest::newRow("40 Hz kept") << 40.0 << true << "40.";
        QTest::newRow("0.1 kept") << 0.1 << true << "0.1";
        QTest::newRow("0.05 replaced") << 0.05 << false << "34";
        QTest::newRow("new design") << 0.0 << false << "34";
    }
    void loadedTuningKept() {
        QFETCH(double, f1);
        QFETCH(bool, entered);
        QFETCH(QString, shown);
        ViewHost host(
            [f1](SpeakerDesign& d) {
                ReferenceDriver(d);
                d.m_boxType = "Vented";
                d.m_v1 = 2;
                d.m_f1 = f1;
            },
            QSize(800, 600), false);
        host.view->FillFromDesign();
        QCOMPARE(host.view->m_f1Entered, entered);
        host.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.view.get()));
        QCOMPARE(host.Edit(Field::F1)->text(), shown);
        if (entered)
            QCOMPARE(host.doc.Design().m_f1, f1);
        QVERIFY(host.view->m_f1Entered); // chosen or kept, it now stays
    }

    // The vented example: tuning chosen automatically, kept once shown, chosen
    // again after clearing F1.
    void ventedScenario() {
        ViewHost host(ReferenceDriver);
        host.view->OnBoxType(BoxKind::Vented);
        QVERIFY(host.Edit(Field::F1)->isEnabled());
        host.Type(Field::V1, "2");
        host.Enter(Field::V1);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("34"));
        QVERIFY(std::fabs(host.doc.Design().m_f1 - 34.018) < 0.001);
        QVERIFY(host.view->m_f1Entered);

        host.Type(Field::V1, "4");
        host.Enter(Field::V1);
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("34"));
        QCOMPARE(host.doc.Design().m_f1, 34.0); // as shown, and kept

        host.Type(Field::F1, "0");
        host.Enter(Field::F1);
        // 30 * (3/4)^0.31 = 27.4
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("27"));
        QVERIFY(std::fabs(host.doc.Design().m_f1 - 27.44) < 0.01);
        QVERIFY(m_messages.isEmpty());
    }

    void unknownType() {
        ViewHost host([](SpeakerDesign& d) { d.m_boxType = "sealed"; }, QSize(800, 600), false);
        host.marks.box[2]->setChecked(true);
        host.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.view.get()));
        QCOMPARE(host.CheckedBox(), -1);
        QVERIFY(!host.Edit(Field::F1)->isEnabled()); // as in the template
        QVERIFY(!host.Edit(Field::V2)->isEnabled());
        QVERIFY(!host.Edit(Field::F2)->isEnabled());
        QVERIFY(host.Edit(Field::V1)->isEnabled());
        QVERIFY(host.Edit(Field::Drivers)->isEnabled());

        // Field states set earlier stay as they were.
        host.view->OnBoxType(BoxKind::Bandpass6);
        host.doc.Design().m_boxType = "Horn";
        host.view->FillFromDesign();
        QCOMPARE(host.CheckedBox(), -1);
        QVERIFY(host.Edit(Field::F1)->isEnabled());
        QVERIFY(host.Edit(Field::F2)->isEnabled());
        host.view->OnPlot();
        QCOMPARE(host.CheckedBox(), -1);
        QVERIFY(m_messages.isEmpty());
    }

    // Plot marks the document only when reading the form changed the record.
    void modifiedByPlot() {
        ViewHost host(ReferenceDriver);
        QSignalSpy changed(host.view.get(), &COrvaneView::recordChanged);
        host.view->OnPlot();
        QVERIFY(!host.doc.IsModified());
        host.Type(Field::V1, "1.5");
        host.Enter(Field::V1);
        QVERIFY(host.doc.IsModified());
        QCOMPARE(changed.count(), 1);

        // The sealed resonance shows rounded ("52") but drawing puts the exact
        // one back: an unchanged form leaves the record as it was.
        host.doc.SetModified(false);
        QCOMPARE(host.Edit(Field::F1)->text(), QStringLiteral("52"));
        host.Enter(Field::V1);
        QVERIFY(!host.doc.IsModified());
        QCOMPARE(changed.count(), 1);
        host.view->OnRedraw();
        host.view->OnAmplitude(2);
        QVERIFY(!host.doc.IsModified());
        QCOMPARE(changed.count(), 1);
    }

    void twoWindowsOneDesign() {
        ViewHost host([](SpeakerDesign& d) {
            ReferenceDriver(d);
            d.m_v1 = 2;
        });
        COrvaneView second(host.doc, host.marks);
        second.resize(800, 600);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        host.Type(Field::V1, "3");
        host.Enter(Field::V1);
        QCOMPARE(host.doc.Design().m_v1, 3.0);
        QCOMPARE(second.FieldEdit(Field::V1)->text(), QStringLiteral("2."));
        QCOMPARE(second.m_formV1, 2.0);
    }
};

QTEST_MAIN(TestViewForm)
#include "test_view_form.moc"
