// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace orvane {

// The three kinds of message box the program shows:
//  Warning: caption "orvane", exclamation icon (entry validation, file errors)
//  Stop:    caption "orvane", stop icon ("Internal application error.")
//  Tool:    the tool's own caption, no icon (the port calculator's refusals)
//  Question: caption "orvane", question icon (the save prompt)
enum class MessageKind { Warning, Stop, Tool, Question };

struct MessageRecord {
    MessageKind kind;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Every message of the program goes through here, shown as plain text (a
// file named "<b>x</b>.spk" shows as that). Returns the button pressed. A
// question whose Yes cannot be taken back names No as `defaultButton`, so
// that Enter does not answer it.
QMessageBox::StandardButton
ShowMessage(QWidget* parent, const QString& text, MessageKind kind = MessageKind::Warning,
            const QString& caption = QString(),
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Tests install a hook that receives each message instead of a modal box and
// answers with a button. Pass an empty function to restore the real boxes.
using MessageHook = std::function<QMessageBox::StandardButton(const MessageRecord&)>;
void SetMessageHook(MessageHook hook);

} // namespace orvane
