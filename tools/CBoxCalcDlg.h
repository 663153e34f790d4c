// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CExchangeDialog.h"

#include <optional>

class QLineEdit;
class QRadioButton;

namespace orvane {

// "Box Calculator": internal dimensions for a volume in one of three optimum
// ratios, worked out while the user types. No data exchange, no validation,
// nothing goes back into the design.
class CBoxCalcDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CBoxCalcDlg(QWidget* parent = nullptr);

    double m_volume = 0;
    // Empty while the volume has no real dimensions (a negative volume).
    std::optional<double> m_width;
    std::optional<double> m_depth;
    std::optional<double> m_height;
    std::optional<double> m_side;
    double m_ratio = 1.618;

protected:
    void OnInitDialog() override;
    QLineEdit* InitialEntry() const override;

private:
    void OnRatio(double ratio);
    void UpdateDimensions();

    QRadioButton* m_golden;
    QLineEdit* m_volumeEdit;
    QLineEdit* m_widthEdit;
    QLineEdit* m_heightEdit;
    QLineEdit* m_depthEdit;
};

} // namespace orvane
