// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

namespace orvane {

// "Getting Started": four fixed paragraphs, top to bottom, then the default
// button "OK" centred at the bottom. Run modally; it holds no data.
class CGettingStartedDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGettingStartedDlg(QWidget* parent = nullptr);

    // The four texts exactly as shown, their double and triple blanks included.
    static QStringList Paragraphs();
};

} // namespace orvane
