// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/DriverEntry.h"
#include "core/measure/DriverFit.h"
#include "core/plot/FitPlot.h"
#include "platform/CExchangeDialog.h"

#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvane {

// The measured curves and the models fitted to them, drawn by
// DrawImpedanceFit.
class ImpedanceFitChart : public QWidget {
    Q_OBJECT
public:
    explicit ImpedanceFitChart(QWidget* parent = nullptr);
    void SetTraces(std::vector<FitTrace> traces);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<FitTrace> m_traces;
};

// "Driver from Impedance": a driver's Thiele/Small values fitted to a
// measured impedance curve, with its size from a second curve (added mass or
// test box). The fit follows every change; "Use" closes it with the values,
// "Add to Library…" hands them to the library and keeps the dialog open.
class CDriverFitDlg : public CExchangeDialog {
    Q_OBJECT
public:
    // Asks for a curve file to open; empty when the user cancels.
    using FileDialog = std::function<QString(const QString& title)>;

    explicit CDriverFitDlg(QWidget* parent = nullptr);
    void SetFileDialog(FileDialog dialog) { m_fileDialog = std::move(dialog); }

    // Entries, in the record's units: Re (empty: from the curve), the cone
    // diameter (inches), the added mass (grams) and the test box (ft³).
    std::optional<double> m_re;
    std::optional<double> m_coneDiameter;
    double m_addedMass = 0;
    double m_testBox = 0;
    SecondMeasurement m_second = SecondMeasurement::None;

    // Reads a curve file (0 the free-air curve, 1 the second) and fits again;
    // a file that is no curve is reported and leaves the one before.
    bool LoadCurve(int which, const QString& path);
    // The last fit; empty while there is none.
    const std::optional<DriverFit>& Fit() const { return m_fit; }
    // The last fit as a library entry without maker and model: Fs, Qts, Qes,
    // Re, Le when fitted, Vas and Mms when the second curve gave them, the
    // cone diameter when entered. Only while there is a fit.
    DriverEntry FittedEntry() const;

    // "Add to Library…" (shown only with it) calls this with FittedEntry.
    using AddToLibrary = std::function<void(const DriverEntry& fitted)>;
    void SetAddToLibrary(AddToLibrary add);

protected:
    QLineEdit* InitialEntry() const override;
    bool DoDataExchange(DataExchange::Direction direction) override;

private:
    void Refit();

    FileDialog m_fileDialog;
    std::optional<ImpedanceCurve> m_curves[2];
    std::optional<DriverFit> m_fit;
    QLineEdit* m_fileFields[2];
    QLineEdit* m_reEdit;
    QLineEdit* m_diameterEdit;
    QComboBox* m_secondChoice;
    QLineEdit* m_massEdit;
    QLineEdit* m_boxEdit;
    QPlainTextEdit* m_results;
    ImpedanceFitChart* m_chart;
    QPushButton* m_use;
    QPushButton* m_addToLibrary;
    AddToLibrary m_add;
};

} // namespace orvane
