// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CImportDriversDlg.h"

#include "tools/DialogRows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane {

CImportDriversDlg::CImportDriversDlg(const QString& installedQspeakers, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Import Drivers"));
    setModal(true);

    auto* from = new QGroupBox(QStringLiteral("Import from"));
    auto* fromLayout = new QVBoxLayout(from);
    if (!installedQspeakers.isEmpty()) {
        m_installed = new QRadioButton(
            QStringLiteral("The &qspeakers driver database (%1)")
                .arg(QString(installedQspeakers).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        m_installed->setObjectName(QStringLiteral("installed"));
        fromLayout->addWidget(m_installed);
    }
    m_csv = new QRadioButton(QStringLiteral("A &CSV file…"));
    m_csv->setObjectName(QStringLiteral("csv"));
    m_qspeakers = new QRadioButton(QStringLiteral("A qspeakers &database file…"));
    m_qspeakers->setObjectName(QStringLiteral("qspeakers"));
    fromLayout->addWidget(m_csv);
    fromLayout->addWidget(m_qspeakers);
    QRadioButton* first = m_installed != nullptr ? m_installed : m_csv;
    first->setChecked(true);

    m_replaceBox = new QCheckBox(QStringLiteral("&Replace drivers already in the library"));
    m_replaceBox->setObjectName(QStringLiteral("replace"));

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(from);
    layout->addWidget(m_replaceBox);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The source first: Enter must not start an import of hundreds of
    // drivers before the user has looked.
    buttons.ok->setAutoDefault(false);
    buttons.ok->setDefault(false);
    first->setFocus();
}

void CImportDriversDlg::accept() {
    if (m_installed != nullptr && m_installed->isChecked())
        m_source = Source::InstalledQspeakers;
    else if (m_qspeakers->isChecked())
        m_source = Source::QspeakersFile;
    else
        m_source = Source::CsvFile;
    m_replace = m_replaceBox->isChecked();
    QDialog::accept();
}

} // namespace orvane
