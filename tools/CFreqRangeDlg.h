// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CExchangeDialog.h"

class QLineEdit;

namespace orvane {

// "Frequency Range": the span the design is simulated and plotted over. The
// dialog checks each bound on its own; whether the span is usable is the
// command's decision.
class CFreqRangeDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CFreqRangeDlg(QWidget* parent = nullptr);

    double m_lower = 0;
    double m_upper = 0;

protected:
    QLineEdit* InitialEntry() const override;
    bool DoDataExchange(DataExchange::Direction direction) override;

private:
    QLineEdit* m_lowerEdit;
    QLineEdit* m_upperEdit;
};

} // namespace orvane
