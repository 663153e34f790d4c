// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Message.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace orvane {

// Collects every message box instead of showing it, while it lives.
class MessageCapture {
public:
    MessageCapture() {
        SetMessageHook([this](const MessageRecord& r) {
            records.push_back(r);
            texts << r.text;
            return QMessageBox::Ok;
        });
    }
    ~MessageCapture() { SetMessageHook({}); }

    std::vector<MessageRecord> records;
    QStringList texts;
};

template <typename T = QLineEdit> T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

// Replaces a field's text the way a user does: select everything, type over
// it. The field is never empty in between, which the T/S dialog would refuse.
inline void Type(QWidget* dlg, const char* name, const QString& text) {
    QLineEdit* edit = Child(dlg, name);
    edit->selectAll();
    text.isEmpty() ? QTest::keyClick(edit, Qt::Key_Delete) : QTest::keyClicks(edit, text);
}

inline void Click(QWidget* dlg, const QString& text) {
    for (QPushButton* b : dlg->findChildren<QPushButton*>())
        if (QString(b->text()).remove('&') == text) // as read, without its access key
            return b->click();
    qFatal("no button %s", qPrintable(text));
}

// The field has the keyboard focus within its dialog, all its text selected.
inline bool FocusedAndSelected(QDialog& dlg, const char* name) {
    QLineEdit* edit = Child(&dlg, name);
    return dlg.focusWidget() == edit && edit->selectedText() == edit->text();
}

// While it lives, runs `action` once on every modal dialog of type Dlg that
// comes up, so a test can drive dialogs that commands run with exec().
template <typename Dlg> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(Dlg&)> action) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, action] {
            auto* dlg = qobject_cast<Dlg*>(QApplication::activeModalWidget());
            if (dlg != nullptr && dlg != m_handled) {
                m_handled = dlg;
                ++opened;
                action(*dlg);
            }
        });
        m_timer.start(5);
    }
    int opened = 0;

private:
    QTimer m_timer;
    QPointer<Dlg> m_handled;
};

} // namespace orvane
