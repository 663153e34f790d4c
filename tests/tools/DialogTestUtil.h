#pragma once

#include "platform/Message.h"

#include <QDialog>
#include <QLineEdit>
#include <QStringList>
#include <QtTest>

// Collects every message box instead of showing it; restores real boxes when
// it goes out of scope.
class MessageCapture {
public:
    MessageCapture() {
        SetMessageHook([this](const MessageRecord& r) {
            records.push_back(r);
            return QMessageBox::Ok;
        });
    }
    ~MessageCapture() { SetMessageHook({}); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList Texts() const {
        QStringList out;
        for (const MessageRecord& r : records)
            out << r.text;
        return out;
    }

    std::vector<MessageRecord> records;
};

template <typename T> T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

// Replaces a field's text the way a user does: select everything, type.
inline void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

// The field has the keyboard focus within its dialog, all its text selected.
inline bool FocusedAndSelected(QDialog& dialog, QLineEdit* edit) {
    return dialog.focusWidget() == edit && edit->selectedText() == edit->text();
}
