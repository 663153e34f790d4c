// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DataExchange.h"
#include "platform/Message.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <array>

using namespace orvane;

namespace {

// Fields in exchange order: a number, a number in 0..100, an integer, an integer in 1..65535.
struct Form {
    QWidget window;
    std::array<QLineEdit*, 4> edits{};
    double number = -1, ranged = -1;
    int32_t integer = -1, count = -1;

    Form() {
        auto* layout = new QVBoxLayout(&window);
        for (auto& edit : edits)
            layout->addWidget(edit = new QLineEdit(&window));
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

    // -1 in stored: the field was not read.
    void read_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("failing"); // -1: none
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<double>>("stored");
        const auto row = [](const char* name, QStringList typed, int failing, const char* message,
                            QList<double> stored) {
            QTest::newRow(name) << typed << failing << QString(message) << stored;
        };
        row("all good", {"2.5", "100", " 7 ", "65535"}, -1, "", {2.5, 100, 7, 65535});
        row("first empty", {"", "50", "3", "4"}, 0, "Please enter a number.", {-1, -1, -1, -1});
        // An out-of-range number is stored all the same.
        row("above range", {"1", "100.5", "3", "4"}, 1, "Please enter a number between 0. and 100.",
            {1, 100.5, -1, -1});
        row("integer junk", {"1", "2", "4x", "4"}, 2, "Please enter an integer.", {1, 2, -1, -1});
        row("count 65536", {"1", "2", "3", "65536"}, 3,
            "Please enter an integer between 1 and 65535.", {1, 2, 3, 65536});
    }
    void read() {
        QFETCH(QStringList, typed);
        QFETCH(int, failing);
        QFETCH(QString, message);
        Form form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        for (int i = 0; i < 4; ++i) {
            form.edits[i]->setFocus();
            QTest::keyClicks(form.edits[i], typed[i]);
        }
        form.edits[0]->setFocus(); // the failing field must take the focus back

        QCOMPARE(form.Exchange(DataExchange::Direction::Read), failing < 0);
        QTEST(QList<double>({form.number, form.ranged, double(form.integer), double(form.count)}),
              "stored");
        if (failing < 0) {
            QVERIFY(m_messages.isEmpty());
            return;
        }
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, message);
        QCOMPARE(m_messages[0].caption, QStringLiteral("orvane"));
        QCOMPARE(m_messages[0].kind, MessageKind::Warning);
        QLineEdit* edit = form.edits[failing];
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), edit->text());
    }

    void display() {
        Form form;
        form.number = 20;
        form.ranged = 0.05;
        form.integer = -3;
        form.count = 0; // display never validates
        std::array<std::unique_ptr<QSignalSpy>, 4> spies;
        for (int i = 0; i < 4; ++i)
            spies[i] = std::make_unique<QSignalSpy>(form.edits[i], &QLineEdit::textChanged);
        QVERIFY(form.Exchange(DataExchange::Direction::Display));
        QStringList shown;
        for (QLineEdit* edit : form.edits)
            shown << edit->text();
        QCOMPARE(shown, QStringList({"20.", "5.e-002", "-3", "0"}));
        // An unchanged text is left alone: the user's cursor stays put.
        form.edits[1]->setCursorPosition(2);
        QVERIFY(form.Exchange(DataExchange::Direction::Display));
        QCOMPARE(form.edits[1]->cursorPosition(), 2);
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 0);
        QVERIFY(m_messages.isEmpty());
    }

    // --- messages ---

    // A path that looks like markup shows as the characters it has.
    void messageBoxShowsPlainText() {
        SetMessageHook({}); // the real box, closed from the event loop
        const QString text = "/tmp/<h1>BIG<br>x</h1>.spk\nCannot find this file.";
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            format = box->textFormat();
            if (const auto* label = box->findChild<QLabel*>("qt_msgbox_label"))
                shown = label->textFormat() == Qt::PlainText ? label->text() : QString();
            box->accept();
        });
        ShowMessage(nullptr, text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }
};

QTEST_MAIN(TestDataExchange)
#include "test_data_exchange.moc"
