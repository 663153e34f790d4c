#include "platform/DataExchange.h"
#include "platform/Message.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <array>

namespace {

// Four fields exchanged in this order: a plain number, a number in 0..100,
// a plain integer, an integer in 1..65535.
struct Form {
    QWidget window;
    std::array<QLineEdit*, 4> edits{};
    double number = -1;
    double ranged = -1;
    int32_t integer = -1;
    int32_t count = -1;

    Form() {
        auto* layout = new QVBoxLayout(&window);
        for (auto& edit : edits) {
            edit = new QLineEdit(&window);
            layout->addWidget(edit);
        }
    }
    bool Exchange(DataExchange::Direction direction) {
        DataExchange dx(direction, &window);
        dx.Number(edits[0], number)
            .Number(edits[1], ranged, 0, 100)
            .Integer(edits[2], integer)
            .Integer(edits[3], count, 1, 65535);
        return dx.Ok();
    }
};

} // namespace

class TestDataExchange : public QObject {
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
    void cleanup() { SetMessageHook({}); }

    void read_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("failing"); // -1: none
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("number");
        QTest::addColumn<double>("ranged");
        QTest::addColumn<int>("integer");
        QTest::addColumn<int>("count");
        QTest::newRow("all good") << QStringList{"2.5", "100", " 7 ", "65535"} << -1 << "" << 2.5
                                  << 100.0 << 7 << 65535;
        QTest::newRow("first empty") << QStringList{"", "50", "3", "4"} << 0
                                     << "Please enter a number." << -1.0 << -1.0 << -1 << -1;
        QTest::newRow("number junk") << QStringList{"1", "5x", "3", "4"} << 1
                                     << "Please enter a number." << 1.0 << -1.0 << -1 << -1;
        // An out-of-range number is stored all the same.
        QTest::newRow("above range")
            << QStringList{"1", "100.5", "3", "4"} << 1
            << "Please enter a number between 0. and 100.." << 1.0 << 100.5 << -1 << -1;
        QTest::newRow("integer junk") << QStringList{"1", "2", "4x", "4"} << 2
                                      << "Please enter an integer." << 1.0 << 2.0 << -1 << -1;
        QTest::newRow("count zero")
            << QStringList{"1", "2", "3", "0"} << 3
            << "Please enter an integer between 1 and 65535." << 1.0 << 2.0 << 3 << 0;
        QTest::newRow("count 65536")
            << QStringList{"1", "2", "3", "65536"} << 3
            << "Please enter an integer between 1 and 65535." << 1.0 << 2.0 << 3 << 65536;
    }
    void read() {
        QFETCH(QStringList, typed);
        QFETCH(int, failing);
        QFETCH(QString, message);
        QFETCH(double, number);
        QFETCH(double, ranged);
        QFETCH(int, integer);
        QFETCH(int, count);

        Form form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        for (int i = 0; i < 4; ++i) {
            form.edits[i]->setFocus();
            QTest::keyClicks(form.edits[i], typed[i]);
        }
        form.edits[0]->setFocus(); // the failing field must take the focus back

        QCOMPARE(form.Exchange(DataExchange::Direction::Read), failing < 0);
        QCOMPARE(form.number, number);
        QCOMPARE(form.ranged, ranged);
        QCOMPARE(form.integer, integer);
        QCOMPARE(form.count, count);
        if (failing < 0) {
            QVERIFY(m_messages.isEmpty());
            return;
        }
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, message);
        QCOMPARE(m_messages[0].caption, QStringLiteral("orvane"));
        QCOMPARE(m_messages[0].kind, MessageKind::Warning);
        QCOMPARE(m_messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QLineEdit* edit = form.edits[failing];
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), edit->text());
    }

    void display() {
        Form form;
        form.number = 20;
        form.ranged = 0.05;
        form.integer = -3;
        form.count = 1;
        std::array<std::unique_ptr<QSignalSpy>, 4> spies;
        for (int i = 0; i < 4; ++i)
            spies[i] = std::make_unique<QSignalSpy>(form.edits[i], &QLineEdit::textChanged);

        QVERIFY(form.Exchange(DataExchange::Direction::Display));
        QCOMPARE(form.edits[0]->text(), QStringLiteral("20."));
        QCOMPARE(form.edits[1]->text(), QStringLiteral("5.e-002"));
        QCOMPARE(form.edits[2]->text(), QStringLiteral("-3"));
        QCOMPARE(form.edits[3]->text(), QStringLiteral("1"));
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 0);

        // An unchanged text is left alone: the user's cursor stays put.
        form.edits[0]->setCursorPosition(1);
        form.number = 21;
        form.ranged = 0.05;
        QVERIFY(form.Exchange(DataExchange::Direction::Display));
        QCOMPARE(form.edits[0]->text(), QStringLiteral("21."));
        form.edits[1]->setCursorPosition(2);
        QVERIFY(form.Exchange(DataExchange::Direction::Display));
        QCOMPARE(form.edits[1]->cursorPosition(), 2);
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 0);
        // Display never validates.
        form.count = 0;
        QVERIFY(form.Exchange(DataExchange::Direction::Display));
        QVERIFY(m_messages.isEmpty());
    }

    // The real box: caption, icon and buttons per kind.
    void realBoxes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expectedCaption");
        QTest::addColumn<int>("icon");
        QTest::newRow("warning") << int(MessageKind::Warning) << ""
                                 << "orvane" << int(QMessageBox::Warning);
        QTest::newRow("stop") << int(MessageKind::Stop) << ""
                              << "orvane" << int(QMessageBox::Critical);
        QTest::newRow("tool") << int(MessageKind::Tool) << "Port Calculator"
                              << "Port Calculator" << int(QMessageBox::NoIcon);
        QTest::newRow("question") << int(MessageKind::Question) << ""
                                  << "orvane" << int(QMessageBox::Question);
    }
    void realBoxes() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, expectedCaption);
        QFETCH(int, icon);
        SetMessageHook({});
        QString seenCaption;
        QString seenText;
        int seenIcon = -1;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            seenCaption = box->windowTitle();
            seenText = box->text();
            seenIcon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        const auto pressed =
            ShowMessage(nullptr, QStringLiteral("Hello."), MessageKind(kind), caption);
        QCOMPARE(pressed, QMessageBox::Ok);
        QCOMPARE(seenCaption, expectedCaption);
        QCOMPARE(seenText, QStringLiteral("Hello."));
        QCOMPARE(seenIcon, icon);
    }
};

QTEST_MAIN(TestDataExchange)
#include "test_data_exchange.moc"
