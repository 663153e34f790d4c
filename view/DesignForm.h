// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/ResponseModel.h"
#include "core/units/DisplayUnits.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane {

// The entry strip along the top of a design window: V1, F1, V2, F2, the
// number of drivers and the Plot button, at the places the form has always
// had; a passive-radiator box shows the number of radiators in place of V2
// and F2. It keeps its own copies of the values and, for a field still
// showing what the program wrote into it, the exact value behind the text.
// It paints nothing itself: the window's drawing shows through.
class DesignForm : public QWidget {
    Q_OBJECT
public:
    // The entry fields; the radiators' comes after F2 in tab order.
    enum class Field { V1, F1, V2, F2, Drivers, Radiators };

    explicit DesignForm(QWidget* parent = nullptr);

    // Shows the record's values (no change notifications).
    void Fill(const SpeakerDesign& design);
    // Reads the fields and copies F1, V1, F2, V2 and the counts in range
    // into the design (the radiators' only while their field is shown), also
    // after a refused field (whose message has been shown); false when the
    // exchange stopped at a field.
    bool ReadInto(SpeakerDesign& design);
    // Which fields the user can type in for a box type; an unknown type
    // leaves them as they are.
    void SetFieldStates(BoxKind kind);
    // An automatic value written into F1 or F2; not a data exchange, so F1's
    // change notification fires.
    void ShowAutoValue(const AutoValue& value);
    // Options > Units changed: labels and volume fields in the new unit,
    // each field the same value as before (what the user typed too).
    void OnUnitsChanged();
    // Long values show from their first digit.
    void ShowFromStart();
    // The fields' own typing history goes: what they show now is the
    // program's, not typing that Ctrl+Z could take back.
    void ForgetTyping();

    QLineEdit* FieldEdit(Field field) const { return m_edits[static_cast<std::size_t>(field)]; }
    QLabel* FieldLabel(Field field) const { return m_labels[static_cast<std::size_t>(field)]; }
    QPushButton* PlotButton() const { return m_plotButton; }

signals:
    // Enter in a field, or the Plot button.
    void plotRequested();
    // F1's text changed other than by a data exchange.
    void f1Changed();

protected:
    void changeEvent(QEvent* event) override;

private:
    // A text the program wrote into a field and the exact value it stands for.
    struct ShownValue {
        QString text;
        double value = 0;
    };

    void Build();
    // Places the fields at their template positions, moving fields and labels
    // right only where the font's texts need more room; the form's size
    // follows.
    void Layout();
    bool DoDataExchange(bool reading);
    void RememberShown(Field field, double value);
    void ShowRadiators(bool shown);
    std::optional<double> ShownExactly(Field field) const;

    double m_formF1 = 0;
    double m_formV1 = 0;
    int32_t m_formDrivers = 0;
    double m_formF2 = 0;
    double m_formV2 = 0;
    int32_t m_formRadiators = 1;
    // A passive-radiator box: the radiators' field in place of V2 and F2.
    bool m_radiatorsShown = false;
    static constexpr std::size_t kFieldCount = 6;
    std::array<QLineEdit*, kFieldCount> m_edits{};
    std::array<QLabel*, kFieldCount> m_labels{};
    std::array<std::optional<ShownValue>, kFieldCount> m_shown{};
    QPushButton* m_plotButton = nullptr;
    // The units the volume fields show.
    UnitSystem m_unitsShown;
};

} // namespace orvane
