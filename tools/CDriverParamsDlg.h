// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CExchangeDialog.h"

class QLineEdit;

namespace orvane {

// "Driver Parameters": the driver's Thiele/Small parameters and the optional
// figures, shown in the chosen units (the copies keep the record's). Works on
// its own copies; the command loads them before showing the
// dialog and writes them back after OK.
class CDriverParamsDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CDriverParamsDlg(QWidget* parent = nullptr);

    double m_fs = 0;
    double m_qts = 0;
    double m_vas = 0;
    double m_coneDiameter = 0;
    double m_xmax = 0;
    double m_efficiency = 0;

protected:
    QLineEdit* InitialEntry() const override;
    bool DoDataExchange(DataExchange::Direction direction) override;

private:
    QLineEdit* m_fsEdit;
    QLineEdit* m_qtsEdit;
    QLineEdit* m_vasEdit;
    QLineEdit* m_coneDiameterEdit;
    QLineEdit* m_xmaxEdit;
    QLineEdit* m_efficiencyEdit;
};

} // namespace orvane
