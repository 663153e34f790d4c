#pragma once

#include "platform/DataExchange.h"

#include <QDialog>

class QLineEdit;

// "Frequency Range": the span the design is simulated and plotted over. The
// dialog checks each bound on its own; whether the span is usable is the
// command's decision.
class CFreqRangeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFreqRangeDlg(QWidget* parent = nullptr);

    double m_lower = 0;
    double m_upper = 0;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool DoDataExchange(DataExchange::Direction direction);

    QLineEdit* m_lowerEdit;
    QLineEdit* m_upperEdit;
    bool m_initialised = false;
};
