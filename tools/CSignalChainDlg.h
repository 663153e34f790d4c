// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/chain/SignalChain.h"
#include "platform/CExchangeDialog.h"

#include <optional>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace orvane {

// "Signal Chain": what lies between the signal and the drivers. An empty
// field is a value not given: no input voltage drives with the input power,
// no amplifier value sets no limit, no corner no room gain. The filter stages
// are typed as their text ("hp:bw4:20") and kept in signal order.
class CSignalChainDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CSignalChainDlg(QWidget* parent = nullptr);

    double m_power = 1;              // W, when no voltage is given
    std::optional<double> m_voltage; // V rms
    std::optional<double> m_seriesResistance;
    std::optional<double> m_ampPower;
    std::optional<double> m_ampVoltage;
    std::vector<FilterStage> m_stages;
    std::optional<double> m_roomGainFc;
    std::optional<double> m_roomGainMax;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    QLineEdit* InitialEntry() const override;

private:
    void ShowStages(int current);
    void Select();
    void AddStage(bool replace);
    void RemoveStage();
    void MoveStage(int by);

    QLineEdit* m_powerEdit;
    QLineEdit* m_voltageEdit;
    QLineEdit* m_rsEdit;
    QLineEdit* m_ampPowerEdit;
    QLineEdit* m_ampVoltageEdit;
    QListWidget* m_list;
    QLineEdit* m_stageEdit;
    QPushButton* m_add;
    QPushButton* m_replace;
    QPushButton* m_remove;
    QPushButton* m_up;
    QPushButton* m_down;
    QLineEdit* m_fcEdit;
    QLineEdit* m_maxEdit;
};

} // namespace orvane
