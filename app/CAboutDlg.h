// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace orvane {

// "About orvane": the application icon at the left, "Orvane Version 1.0"
// beside it, and the default button "OK" at the right. Run modally.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace orvane
