#pragma once

#include "platform/DataExchange.h"

#include <QDialog>

class QLineEdit;

// "Driver Parameters": the driver's Thiele/Small parameters and the optional
// figures. Works on its own copies; the command loads them before showing the
// dialog and writes them back after OK.
class CDriverParamsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDriverParamsDlg(QWidget* parent = nullptr);

    double m_fs = 0;
    double m_qts = 0;
    double m_vas = 0;
    double m_coneDiameter = 0;
    double m_xmax = 0;
    double m_efficiency = 0;

    // OK: reads and validates the six fields; stays open on the first failure.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool DoDataExchange(DataExchange::Direction direction);

    QLineEdit* m_fsEdit;
    QLineEdit* m_qtsEdit;
    QLineEdit* m_vasEdit;
    QLineEdit* m_coneDiameterEdit;
    QLineEdit* m_xmaxEdit;
    QLineEdit* m_efficiencyEdit;
    bool m_initialised = false;
};
