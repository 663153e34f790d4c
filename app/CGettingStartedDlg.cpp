// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CGettingStartedDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

QStringList CGettingStartedDlg::Paragraphs() {
    return {
        QStringLiteral(
            "To Simulate a speaker system, first enter the driver parameters by clicking "
            "the speaker icon on the toolbar or opening the Driver Parameters menu item "
            "under the Driver menu. "),
        QStringLiteral("Box Parameters:   Next enter the box parameters shown at the top of the "
                       "application window.  The parameters that do not apply are grayed out."),
        QStringLiteral("Plotting:  Press ENTER or click the PLOT button in the main window to "
                       "calculate and plot frequency response.  New plots are shown on top of the "
                       "current plot to show relative change.  Click the screen icon on the "
                       "toolbar to clear the screen and redraw."),
        QStringLiteral("The icon in the top left corner of the screen illustrates the box designs "
                       "available in the 'Box' menu"),
    };
}

CGettingStartedDlg::CGettingStartedDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Getting Started"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(12);

    // Plain text keeps the runs of blanks that rich text would fold into one;
    // a fixed width lets the word-wrapped labels find their heights.
    const int textWidth = fontMetrics().averageCharWidth() * 66;
    for (const QString& paragraph : Paragraphs()) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setText(paragraph);
        label->setFixedWidth(textWidth);
        layout->addWidget(label);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orvane
