// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/DialogRows.h"

#include "platform/UnitChoice.h"

#include <QBoxLayout>

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace orvane {

namespace DialogRows {

int FieldWidth(const QWidget* widget, int digits) {
    // Room for the digits plus the frame and text margins of a line edit.
    return widget->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0'))) + 14;
}

QLineEdit* AddEntry(QGridLayout* grid, int row, int column, const QString& label,
                    const QString& objectName, int digits) {
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    edit->setFixedWidth(FieldWidth(edit, digits));
    auto* text = new QLabel(label);
    text->setBuddy(edit);
    grid->addWidget(edit, row, column);
    grid->addWidget(text, row, column + 1);
    return edit;
}

QLineEdit* AddEntry(QGridLayout* grid, int row, int column, FieldId id, int digits) {
    const FieldInfo& field = Fields::Info(id);
    return AddEntry(grid, row, column, UnitChoice::FieldLabel(field),
                    QString::fromLatin1(field.key.data(), static_cast<qsizetype>(field.key.size())),
                    digits);
}

QLineEdit* MakeResultField(QWidget* parent, const QString& objectName, bool framed, int digits) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setReadOnly(true);
    edit->setFrame(framed);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setFixedWidth(FieldWidth(edit, digits));
    if (!framed) {
        // Without a border it reads as text on the dialog's ground.
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
    }
    return edit;
}

QPushButton* MakeButton(QDialog* dialog, const QString& text, bool isDefault) {
    auto* button = new QPushButton(text, dialog);
    button->setAutoDefault(false);
    button->setDefault(isDefault);
    return button;
}

OkCancelButtons OkCancel(QDialog* dialog, bool vertical) {
    QPushButton* ok = MakeButton(dialog, QStringLiteral("OK"), true);
    QPushButton* cancel = MakeButton(dialog, QStringLiteral("Cancel"), false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    if (!vertical)
        buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    if (vertical)
        buttons->addStretch(1);
    return {buttons, ok, cancel};
}

void SetTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace DialogRows

} // namespace orvane
