// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"
#include "platform/CExchangeDialog.h"

class QLineEdit;
class QPlainTextEdit;

namespace orvane {

// One driver of the library, for "Add Current Driver…" and "Edit…": maker,
// model, the values and notes. Works on its own copy; OK checks the entry as
// the library will (NormaliseDriver) and closes only when it passes.
class CDriverEntryDlg : public CExchangeDialog {
    Q_OBJECT
public:
    CDriverEntryDlg(const QString& title, QWidget* parent = nullptr);

    DriverEntry m_entry;

protected:
    QLineEdit* InitialEntry() const override;
    void OnInitDialog() override;
    bool DoDataExchange(DataExchange::Direction direction) override;

private:
    QLineEdit* m_makerEdit;
    QLineEdit* m_modelEdit;
    QLineEdit* m_fsEdit;
    QLineEdit* m_qtsEdit;
    QLineEdit* m_vasEdit;
    QLineEdit* m_coneDiameterEdit;
    QLineEdit* m_xmaxEdit;
    QLineEdit* m_efficiencyEdit;
    QLineEdit* m_reEdit;
    QLineEdit* m_qesEdit;
    QLineEdit* m_leEdit;
    QLineEdit* m_peEdit;
    QPlainTextEdit* m_notesEdit;
};

} // namespace orvane
