// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "platform/CExchangeDialog.h"

#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;

namespace orvane {

// "Electrical Parameters": the driver's name and the electrical values the
// analysis uses (Re, Qes, Le, Pe), and how the drivers and their voice coils
// are connected. An empty field is a value not given. The
// line below them shows what follows for the driver (Qms, η0, Bl, Mms, Cms)
// while the user types.
class CElectricalDlg : public CExchangeDialog {
    Q_OBJECT
public:
    // The design the derived figures start from (Fs, Qts, Vas, cone diameter,
    // efficiency).
    explicit CElectricalDlg(const SpeakerDesign& design, QWidget* parent = nullptr);

    std::optional<std::string> m_name;
    std::optional<double> m_re;                // Ω, 0.1 to 1000
    std::optional<double> m_qes;               // 0, or 0.05 to 100
    std::optional<double> m_le;                // mH, 0 to 100
    std::optional<double> m_pe;                // W, 0 to 100 000
    std::optional<Wiring> m_wiring;            // of the design's drivers
    std::optional<std::uint16_t> m_coils;      // 1 or 2
    std::optional<std::uint16_t> m_coilWiring; // a CoilWiring, with two

    // The derived-figures line as it shows now.
    QString DerivedText() const;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    void OnInitDialog() override;
    QLineEdit* InitialEntry() const override;

private:
    void UpdateDerived();

    SpeakerDesign m_design;
    QLineEdit* m_nameEdit;
    QLineEdit* m_reEdit;
    QLineEdit* m_qesEdit;
    QLineEdit* m_leEdit;
    QLineEdit* m_peEdit;
    QComboBox* m_wiringBox;
    QComboBox* m_coilsBox;
    QLabel* m_derived;
};

} // namespace orvane
