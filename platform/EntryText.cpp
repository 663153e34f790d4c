// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EntryText.h"

#include <QLineEdit>

namespace orvane {

namespace EntryText {

void Set(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SelectAll(QLineEdit* edit) {
    const auto length = static_cast<int>(edit->text().size());
    edit->setSelection(length, -length);
}

} // namespace EntryText

} // namespace orvane
