// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/calc/BuildCalc.h"
#include "core/design/Fields.h"
#include "core/design/SpeakerDesign.h"
#include "platform/CExchangeDialog.h"

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace orvane {

class BuildPreview;

// "Build": panel thickness, kerf, displacements, the port's shape and ends,
// the driver cut-out, the box's shape and the sheets, with the build drawing,
// the cut list and the sheet layout shown live as they change; Print… and
// Export… (SVG or PDF) put the drawing on one page. OK keeps the values with
// the design; an entry left empty keeps its default and stores nothing.
class CBuildDlg : public CExchangeDialog {
    Q_OBJECT
public:
    // `printer`: the application's printer, for Print…; none leaves Print… off.
    explicit CBuildDlg(const SpeakerDesign& design, QWidget* parent = nullptr,
                       QPrinter* printer = nullptr);

    // Export… asks for the file here (tests answer it); empty: cancelled.
    std::function<QString(const QString& proposed)> m_askExportPath;
    // Writes the drawing shown into `path`, SVG or PDF by its ending; false
    // after the message that says why not.
    bool ExportTo(const QString& path);

    // The design with the dialog's values: in on opening, out on OK.
    SpeakerDesign m_design;

    // What the drawing shows now: empty, or the sentence of the conflict.
    QString Problem() const;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    QLineEdit* InitialEntry() const override;

private:
    void UpdatePreview();
    void OnPrint();
    void OnExport();

    struct Row {
        FieldId id;
        QLineEdit* edit;
    };
    std::vector<Row> m_rows;
    QComboBox* m_portShape;
    QComboBox* m_portEnds;
    QLabel* m_problem;
    BuildPreview* m_preview;
    QPushButton* m_print;
    QPushButton* m_export;
    QPrinter* m_printer;
    // What the drawing shows: the plan of the values typed, when they hold.
    std::optional<BuildCalc::Plan> m_plan;
    int m_drivers = 1;
    int m_radiators = 0;
};

} // namespace orvane
