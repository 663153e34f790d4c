// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"
#include "platform/CExchangeDialog.h"

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace orvane {

// One driver of the library, for "Add Current Driver…" and "Edit…": maker,
// model, its kind (a driver or a passive radiator, which has a Qms in place of
// the Qts and no electrical values), the values and notes. Works on its own copy; OK checks the
// entry as the library will (NormaliseDriver), then asks the caller's confirmation, and closes only
// when both pass: otherwise the dialog stays with what was typed.
class CDriverEntryDlg : public CExchangeDialog {
    Q_OBJECT
public:
    CDriverEntryDlg(const QString& title, QWidget* parent = nullptr);

    DriverEntry m_entry;

    // Asked on OK with the checked entry; false keeps the dialog open.
    using Confirm = std::function<bool(const DriverEntry& entry)>;
    void SetConfirm(Confirm confirm) { m_confirm = std::move(confirm); }

protected:
    QLineEdit* InitialEntry() const override;
    void OnInitDialog() override;
    bool DoDataExchange(DataExchange::Direction direction) override;

private:
    // The Q's name and the electrical values follow the kind.
    void ShowKind();

    QComboBox* m_kindChoice;
    QLabel* m_qLabel;
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
    QLineEdit* m_mmsEdit;
    QLineEdit* m_displacementEdit;
    QPlainTextEdit* m_notesEdit;
    Confirm m_confirm;
};

} // namespace orvane
