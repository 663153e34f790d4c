// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/Fields.h"
#include "core/design/SpeakerDesign.h"
#include "platform/CExchangeDialog.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

namespace orvane {

class BuildPreview;

// "Build": panel thickness, kerf, displacements, the port's shape and ends,
// the driver cut-out and the box's shape, with the build drawing and the cut
// list shown live as they change. OK keeps the values with the design; an
// entry left empty keeps its default and stores nothing.
class CBuildDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CBuildDlg(const SpeakerDesign& design, QWidget* parent = nullptr);

    // The design with the dialog's values: in on opening, out on OK.
    SpeakerDesign m_design;

    // What the drawing shows now: empty, or the sentence of the conflict.
    QString Problem() const;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    QLineEdit* InitialEntry() const override;

private:
    void UpdatePreview();

    struct Row {
        FieldId id;
        QLineEdit* edit;
    };
    std::vector<Row> m_rows;
    QComboBox* m_portShape;
    QComboBox* m_portEnds;
    QLabel* m_problem;
    BuildPreview* m_preview;
};

} // namespace orvane
