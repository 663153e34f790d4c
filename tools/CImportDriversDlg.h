// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace orvane {

// "Import Drivers": where the drivers come from, and whether they replace
// drivers of the same maker and model. The qspeakers program's own database
// is offered by name where its package installed it.
class CImportDriversDlg : public QDialog {
    Q_OBJECT
public:
    enum class Source { CsvFile, QspeakersFile, InstalledQspeakers };

    // `installedQspeakers`: the path of the installed database, or empty.
    CImportDriversDlg(const QString& installedQspeakers, QWidget* parent = nullptr);

    void accept() override;

    Source m_source = Source::CsvFile;
    bool m_replace = false;

private:
    QRadioButton* m_csv;
    QRadioButton* m_qspeakers;
    QRadioButton* m_installed = nullptr;
    QCheckBox* m_replaceBox;
};

} // namespace orvane
