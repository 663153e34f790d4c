// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CExchangeDialog.h"

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace orvane {

// "Port Calculator": port length and effective diameter for one chamber of the
// design, worked out while the user types. A pure aid: nothing goes back into
// the design.
class CPortCalcDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CPortCalcDlg(QWidget* parent = nullptr);

    double m_portDiameter = 0;
    double m_portLength = 0;
    int32_t m_portCount = 1;
    double m_fb = 0;
    double m_vb = 0;
    double m_f1 = 0;
    double m_v1 = 0;
    double m_f2 = 0;
    double m_v2 = 0;
    double m_xmax = 0;
    double m_coneDiameter = 0;
    std::optional<double> m_computedLength; // empty when the last update had no value
    // The ports the analysis already has, front and rear chamber: a chamber
    // chosen starts from them.
    struct Ports {
        double diameter = 0;
        int32_t count = 1;
    };
    std::optional<Ports> m_analysisPorts[2];

    // Whether the rear chamber (V2, F2) is the one worked out.
    bool RearChosen() const;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    void OnInitDialog() override;
    QLineEdit* InitialEntry() const override;

private:
    enum class Chamber { Front, Rear };

    void ChooseChamber(Chamber chamber);
    void UpdatePortLength(bool countChanged);

    QRadioButton* m_front;
    QRadioButton* m_rear;
    QLabel* m_volumeLine;
    QLabel* m_tuningLine;
    QLineEdit* m_countEdit;
    QLineEdit* m_diameterEdit;
    QLineEdit* m_lengthEdit;
    QLabel* m_minDiameterLine;
    QLabel* m_effectiveDiameterLine;
};

} // namespace orvane
