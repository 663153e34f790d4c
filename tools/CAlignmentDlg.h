// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/calc/Alignment.h"
#include "core/design/SpeakerDesign.h"
#include "platform/CExchangeDialog.h"

#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace orvane {

// "Alignments": for the design's driver and number of drivers, the sealed box
// for five target Qtc values (four fixed, one typed), and the vented tuning
// with the lowest f3 for a box volume within a ripple bound, beside the same
// search over nine volumes. The user picks one; Apply checks it and closes,
// leaving the choice in m_kind, m_v1 and m_f1. Close changes nothing.
class CAlignmentDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CAlignmentDlg(QWidget* parent = nullptr);

    Alignment::Driver m_driver;
    double m_volume = 0;   // ft3 (shown in the chosen unit), the vented box volume entry
    double m_qtc = 0.5;    // the typed sealed target
    double m_ripple = 0.5; // dB, one of Alignment::kRipples

    // What Apply writes into the design.
    BoxKind m_kind = BoxKind::Vented;
    double m_v1 = 0;
    double m_f1 = 0;

    // The rows of the sealed table: the fixed targets, then the typed one.
    static constexpr int kTypedRow = static_cast<int>(Alignment::kSealedQtc.size());

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    void OnInitDialog() override;
    QLineEdit* InitialEntry() const override;

private:
    // The alignment Apply writes: a row of the sealed table, or the vented
    // result for the volume entry.
    struct Choice {
        bool sealed = false;
        int row = 0;
    };

    void FillSealedTable();
    void UpdateTypedRow();
    void UpdateVented(bool table);
    void PickSealed(int row);
    void PickVentedRow(int row);
    void OnVolumeEdited();
    void OnQtcEdited();
    void OnRipple(double ripple);
    void ShowVolumeRow();
    void ShowChoice();
    Alignment::RowResult Chosen() const;

    QLabel* m_driverLine;
    QTableWidget* m_sealedTable;
    QLineEdit* m_qtcEdit;
    QLineEdit* m_volumeEdit;
    std::array<QRadioButton*, Alignment::kRipples.size()> m_rippleButtons{};
    QLabel* m_ventedLine;
    QTableWidget* m_ventedTable;
    QLabel* m_choiceLine;
    Choice m_choice;
    // Each row's alignment or why it has none, as the tables show them.
    std::vector<Alignment::RowResult> m_sealedRows;
    Alignment::RowResult m_vented = Failure<Alignment::Problem>{Alignment::Problem::BadVolume, {}};
    std::vector<Alignment::RowResult> m_ventedRows;
};

} // namespace orvane
