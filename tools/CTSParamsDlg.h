// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CExchangeDialog.h"

#include <optional>

class QLineEdit;

namespace orvane {

// "Calculate T/S Parameters": Fs, Qts and Vas (with Qes, Qms and a consistency
// figure) from impedance measurements, recomputed on every change of an entry.
class CTSParamsDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CTSParamsDlg(QWidget* parent = nullptr);

    // Entries, in the order of the form.
    double m_tsFs = 0;
    double m_tsRe = 0;
    double m_tsZmax = 0;
    double m_tsF1 = 0;
    double m_tsF2 = 0;
    double m_tsFc = 0;
    double m_tsVb = 0;
    // Results of the last recalculation; empty when they have no value ("n/a").
    // Qts carries over a recalculation that gives no positive Qes + Qms.
    std::optional<double> m_tsQts = 0.0;
    std::optional<double> m_tsVas = 0.0;
    // Set by the first recalculation: until then the result fields are empty.
    bool m_resultsShown = false;

protected:
    QLineEdit* InitialEntry() const override;
    bool DoDataExchange(DataExchange::Direction direction) override;

private:
    void Recalculate();

    QLineEdit* m_fsEdit;
    QLineEdit* m_reEdit;
    QLineEdit* m_zmaxEdit;
    QLineEdit* m_f1Edit;
    QLineEdit* m_f2Edit;
    QLineEdit* m_fcEdit;
    QLineEdit* m_vbEdit;
    QLineEdit* m_z1Field;
    QLineEdit* m_z2Field;
    QLineEdit* m_fsResult;
    QLineEdit* m_qtsResult;
    QLineEdit* m_vasResult;
    QLineEdit* m_qesResult;
    QLineEdit* m_qmsResult;
    QLineEdit* m_errorResult;
};

} // namespace orvane
