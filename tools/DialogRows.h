// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/Fields.h"

#include <QString>

#include <initializer_list>

class QDialog;
class QBoxLayout;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orvane {

// Building blocks shared by the tool dialogs: an entry field with its label to
// its right, and buttons that are the default only when told so (a dialog's
// Enter key must always reach the one default button, whatever has focus).
namespace DialogRows {

// Adds the entry field at (row, column) and its label at (row, column + 1).
// `digits` sets the field's width in digits.
QLineEdit* AddEntry(QGridLayout* grid, int row, int column, const QString& label,
                    const QString& objectName, int digits = 9);

// The same for a field of the table: its label in the units shown, its JSON
// key as the object name.
QLineEdit* AddEntry(QGridLayout* grid, int row, int column, FieldId id, int digits = 9);

// A read-only result field: bordered or not, outside the tab chain.
QLineEdit* MakeResultField(QWidget* parent, const QString& objectName, bool framed, int digits);

// A push button that never becomes the default by having focus.
QPushButton* MakeButton(QDialog* dialog, const QString& text, bool isDefault);

// OK (the default) and Cancel wired to accept and reject, in a row pushed to
// the right or a column pushed to the top.
struct OkCancelButtons {
    QBoxLayout* layout;
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancelButtons OkCancel(QDialog* dialog, bool vertical = false);

int FieldWidth(const QWidget* widget, int digits);

// Tab order in the order given, which is the order the dialog reads top to bottom.
void SetTabOrder(std::initializer_list<QWidget*> widgets);

} // namespace DialogRows

} // namespace orvane
