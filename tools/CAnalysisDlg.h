// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "platform/CExchangeDialog.h"

#include <cstdint>
#include <optional>

class QLineEdit;

namespace orvane {

// "Analysis Settings": the input power, the leakage Q of the vented
// chambers, and the port diameter and number of ports of each vented chamber
// (chamber 2 only where the box type has a second vented chamber). An empty
// diameter is a port not given.
class CAnalysisDlg : public CExchangeDialog {
    Q_OBJECT
public:
    CAnalysisDlg(BoxKind kind, QWidget* parent = nullptr);

    double m_power = 1;                   // W, 0.1 to 100 000
    double m_ql = 7;                      // 0.1 to 100 000
    std::optional<double> m_portDiameter; // in; 0, or 0.1 to 100
    int32_t m_ports = 1;                  // 1 to 100
    std::optional<double> m_port2Diameter;
    int32_t m_ports2 = 1;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    QLineEdit* InitialEntry() const override;

private:
    QLineEdit* m_powerEdit;
    QLineEdit* m_qlEdit;
    QLineEdit* m_diameterEdit;
    QLineEdit* m_portsEdit;
    QLineEdit* m_diameter2Edit;
    QLineEdit* m_ports2Edit;
};

} // namespace orvane
