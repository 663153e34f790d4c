// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Message.h"

#include <QGuiApplication>
#include <QIcon>

#include <utility>

namespace orvane {

namespace {

MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

QMessageBox::Icon IconFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Stop:
        return QMessageBox::Critical;
    case MessageKind::Question:
        return QMessageBox::Question;
    case MessageKind::Tool:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, MessageKind kind,
                                        const QString& caption,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    // The program's title unless a tool names its own box.
    const MessageRecord record{kind, caption.isEmpty() ? QStringLiteral("orvane") : caption, text,
                               buttons, defaultButton};
    if (const MessageHook& hook = Hook())
        return hook(record);

    QMessageBox box(IconFor(kind), record.caption, text, buttons, parent);
    // Texts carry file names, which may look like markup: never rendered as such.
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // The program's icon, not a design window's taken over from the parent.
    if (const QIcon icon = QGuiApplication::windowIcon(); !icon.isNull())
        box.setWindowIcon(icon);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void SetMessageHook(MessageHook hook) {
    Hook() = std::move(hook);
}

} // namespace orvane
