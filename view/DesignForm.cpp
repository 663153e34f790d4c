// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/DesignForm.h"

#include "core/design/Fields.h"
#include "core/text/Printf.h"
#include "platform/DataExchange.h"
#include "platform/EntryText.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <cmath>

namespace orvane {

namespace {

// The form was laid out in dialog units of an 8-point dialog font.
int DluX(int x) {
    return static_cast<int>(std::lround(x * 1.5));
}
int DluY(int y) {
    return static_cast<int>(std::lround(y * 1.625));
}
QRect DluRect(int x, int y, int w, int h) {
    return {DluX(x), DluY(y), DluX(w), DluY(h)};
}

struct FieldLayout {
    const char* widest; // the longest text the field must show whole
    QRect edit;         // dialog units
    QPoint labelAt;     // dialog units
    int column;         // V1 and F1, V2 and F2, Drivers and Plot
    FieldId id;
    bool enabled;
};

// As DesignForm::Field: V1, F1, V2, F2, Drivers, the radiators (at V2's place).
const FieldLayout kFields[] = {
    {"10000.", {43, 2, 32, 12}, {78, 4}, 0, FieldId::V1, true},
    {"20000.", {43, 17, 32, 12}, {78, 18}, 0, FieldId::F1, false},
    {"10000.", {112, 2, 32, 12}, {147, 4}, 1, FieldId::V2, false},
    {"20000.", {112, 16, 32, 12}, {147, 18}, 1, FieldId::F2, false},
    {"65535", {183, 2, 21, 12}, {207, 5}, 2, FieldId::Drivers, true},
    {"100", {112, 2, 32, 12}, {147, 4}, 1, FieldId::PrCount, true},
};
// A volume field in litres shows the largest V1 whole ("283168.47").
constexpr const char* kWidestMetricVolume = "283168.";

const FieldInfo& Info(const FieldLayout& layout) {
    return Fields::Info(layout.id);
}

QString WidestText(const FieldLayout& layout) {
    if (DisplayUnits::Converts(UnitChoice::Current(), Info(layout).quantity))
        return QString::fromLatin1(kWidestMetricVolume);
    return QString::fromLatin1(layout.widest);
}

const QRect kPlotButton = DluRect(182, 16, 50, 14);
constexpr int kColumns = 3;
// Between a label and the column to its right.
constexpr int kLabelGap = 4;

QRect ToPixels(const QRect& dlu) {
    return DluRect(dlu.x(), dlu.y(), dlu.width(), dlu.height());
}

// Wide enough for the button's text, its margins and its frame.
int ButtonWidth(const QPushButton* button) {
    const QStyle* style = button->style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    const double advance = QFontMetricsF(button->font()).horizontalAdvance(button->text());
    return static_cast<int>(std::ceil(advance)) + margins;
}

// Wide enough for `text` in the field's font: the text, the frame and the
// line edit's own margins, and the cursor.
int EntryWidth(const QLineEdit* edit, const QString& text) {
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const QMargins margins = edit->textMargins();
    const double advance = QFontMetricsF(edit->font()).horizontalAdvance(text);
    return static_cast<int>(std::ceil(advance)) + 2 * frame + 4 + margins.left() + margins.right() +
           1;
}

// "%.f": no fraction, so no decimal separator and nothing locale-dependent.
QString WholeHertz(double value) {
    return QString::fromStdString(Printf("%.f", value));
}

constexpr std::size_t Index(DesignForm::Field field) {
    return static_cast<std::size_t>(field);
}

} // namespace

DesignForm::DesignForm(QWidget* parent) : QWidget(parent), m_unitsShown(UnitChoice::Current()) {
    Build();
}

void DesignForm::Build() {
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        const FieldLayout& layout = kFields[i];
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(Info(layout).key.data(),
                                                static_cast<qsizetype>(Info(layout).key.size())));
        edit->setEnabled(layout.enabled);
        // Enter in any field runs Plot, as the form's default button would.
        connect(edit, &QLineEdit::returnPressed, this, &DesignForm::plotRequested);
        // Whatever the user types is read as typed.
        connect(edit, &QLineEdit::textEdited, this, [this, i] { m_shown[i].reset(); });
        m_edits[i] = edit;
        m_labels[i] = new QLabel(UnitChoice::FieldLabel(Info(layout)), this);
    }
    connect(FieldEdit(Field::F1), &QLineEdit::textChanged, this, &DesignForm::f1Changed);

    m_plotButton = new QPushButton(QStringLiteral("Plot"), this);
    m_plotButton->setDefault(true);
    m_plotButton->setAutoDefault(true); // Enter on the focused button plots too
    connect(m_plotButton, &QPushButton::clicked, this, &DesignForm::plotRequested);

    QWidget* previous = nullptr;
    for (const Field field :
         {Field::V1, Field::F1, Field::V2, Field::F2, Field::Radiators, Field::Drivers}) {
        if (previous != nullptr)
            setTabOrder(previous, FieldEdit(field));
        previous = FieldEdit(field);
    }
    setTabOrder(previous, m_plotButton);
    ShowRadiators(false);
}

void DesignForm::Layout() {
    // How far the columns from the current one on have moved right.
    int shift = 0;
    for (int column = 0; column < kColumns; ++column) {
        int labelsEnd = 0;
        // The fields of a column share the width the widest text needs.
        int columnWidth = 0;
        for (std::size_t i = 0; i < m_edits.size(); ++i) {
            if (kFields[i].column == column && !m_edits[i]->isHidden())
                columnWidth = std::max(columnWidth, EntryWidth(m_edits[i], WidestText(kFields[i])));
        }
        for (std::size_t i = 0; i < m_edits.size(); ++i) {
            const FieldLayout& layout = kFields[i];
            if (layout.column != column)
                continue;
            const QRect home = ToPixels(layout.edit); // the field's own place
            QLineEdit* edit = m_edits[i];
            const int width = std::max(home.width(), columnWidth);
            edit->setGeometry(home.x() + shift, home.y(), width, home.height());
            // The label keeps its distance from the field's right edge.
            const int labelGap = DluX(layout.labelAt.x()) - (home.x() + home.width());
            QLabel* label = m_labels[i];
            label->adjustSize();
            label->move(std::max(DluX(layout.labelAt.x()) + shift, edit->x() + width + labelGap),
                        DluY(layout.labelAt.y()));
            // A field hidden for this box type takes no room.
            if (!label->isHidden())
                labelsEnd = std::max(labelsEnd, label->x() + label->width());
        }
        if (column == kColumns - 1) {
            m_plotButton->setGeometry(kPlotButton.x() + shift, kPlotButton.y(),
                                      std::max(kPlotButton.width(), ButtonWidth(m_plotButton)),
                                      kPlotButton.height());
            // A label tall enough to reach down to the button goes beside it.
            const QRect button = m_plotButton->geometry();
            for (std::size_t i = 0; i < m_labels.size(); ++i) {
                QLabel* label = m_labels[i];
                if (kFields[i].column == column && label->geometry().intersects(button))
                    label->move(button.right() + 1 + kLabelGap, label->y());
            }
            break;
        }
        // The next column starts clear of this column's labels.
        int nextLeft = column + 1 == kColumns - 1 ? kPlotButton.x() : INT_MAX;
        for (const FieldLayout& layout : kFields) {
            if (layout.column == column + 1)
                nextLeft = std::min(nextLeft, DluX(layout.edit.x()));
        }
        shift = std::max(shift, labelsEnd + kLabelGap - nextLeft);
    }
    QRect used = m_plotButton->geometry();
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        if (!m_edits[i]->isHidden())
            used |= m_edits[i]->geometry() | m_labels[i]->geometry();
    }
    resize(used.right() + 1, used.bottom() + 1);
    updateGeometry();
}

void DesignForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Another font or style measures the form's texts anew.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        Layout();
}

bool DesignForm::DoDataExchange(bool reading) {
    DataExchange dx(reading ? DataExchange::Direction::Read : DataExchange::Direction::Display,
                    this);
    // The order the values have always been exchanged in.
    dx.Field(FieldEdit(Field::F1), FieldId::F1, m_formF1)
        .Field(FieldEdit(Field::V1), FieldId::V1, m_formV1)
        .Field(FieldEdit(Field::Drivers), FieldId::Drivers, m_formDrivers)
        .Field(FieldEdit(Field::F2), FieldId::F2, m_formF2)
        .Field(FieldEdit(Field::V2), FieldId::V2, m_formV2);
    // Shown for every design (the box type may change before a Plot), read
    // only while the field is there to type in.
    if (!reading || m_radiatorsShown)
        dx.Field(FieldEdit(Field::Radiators), FieldId::PrCount, m_formRadiators);
    return dx.Ok();
}

void DesignForm::Fill(const SpeakerDesign& design) {
    m_formF1 = design.m_f1;
    m_formV1 = design.m_v1;
    m_formF2 = design.m_f2;
    m_formV2 = design.m_v2;
    m_formDrivers = design.m_driverCount;
    m_formRadiators = static_cast<int32_t>(Fields::Number(design, FieldId::PrCount).value_or(1));
    m_unitsShown = UnitChoice::Current();
    DoDataExchange(false);
    RememberShown(Field::F1, m_formF1);
    RememberShown(Field::V1, m_formV1);
    RememberShown(Field::F2, m_formF2);
    RememberShown(Field::V2, m_formV2);
}

bool DesignForm::ReadInto(SpeakerDesign& design) {
    const bool ok = DoDataExchange(true);
    // A field still showing what the program wrote into it stands for the
    // exact value, not its rounded text: an unchanged design plotted again
    // gives the same curve, and an automatic value does not drift.
    const std::pair<Field, double*> numbers[] = {{Field::F1, &m_formF1},
                                                 {Field::V1, &m_formV1},
                                                 {Field::F2, &m_formF2},
                                                 {Field::V2, &m_formV2}};
    for (const auto& [field, copy] : numbers) {
        if (const std::optional<double> exact = ShownExactly(field))
            *copy = *exact;
    }
    // The copy happens even after a failure: fields the exchange did not reach
    // keep their earlier copies, and a refused F1 or V1 still goes through.
    design.m_f1 = m_formF1;
    design.m_v1 = m_formV1;
    design.m_f2 = m_formF2;
    design.m_v2 = m_formV2;
    // A refused count would wrap in the 16-bit field (-1 to 65535, 65536 to
    // 0), so only a count in range reaches the record.
    const FieldBounds& drivers = Fields::Info(FieldId::Drivers).bounds;
    if (m_formDrivers >= drivers.low && m_formDrivers <= drivers.high)
        design.m_driverCount = static_cast<std::uint16_t>(m_formDrivers);
    else
        m_formDrivers = design.m_driverCount;
    // The radiators' count is stored once it differs from what is in force,
    // so a design nobody changed keeps its bytes.
    const FieldBounds& radiators = Fields::Info(FieldId::PrCount).bounds;
    const std::optional<double> inForce = Fields::Number(design, FieldId::PrCount);
    if (m_radiatorsShown && m_formRadiators >= radiators.low && m_formRadiators <= radiators.high) {
        if (m_formRadiators != inForce)
            Fields::SetNumber(design, FieldId::PrCount, m_formRadiators);
    } else {
        m_formRadiators = static_cast<int32_t>(inForce.value_or(1));
    }
    return ok;
}

void DesignForm::SetFieldStates(BoxKind kind) {
    FieldEdit(Field::V1)->setEnabled(true);
    FieldEdit(Field::Drivers)->setEnabled(true);
    if (kind == BoxKind::Unknown)
        return;
    const bool bandpass = kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    // A passive-radiator box shows its tuning; the radiators' mass sets it.
    FieldEdit(Field::F1)->setEnabled(kind != BoxKind::Sealed && kind != BoxKind::PassiveRadiator);
    FieldEdit(Field::V2)->setEnabled(bandpass);
    FieldEdit(Field::F2)->setEnabled(kind == BoxKind::Bandpass6);
    ShowRadiators(kind == BoxKind::PassiveRadiator);
}

void DesignForm::ShowRadiators(bool shown) {
    m_radiatorsShown = shown;
    for (const Field field : {Field::V2, Field::F2}) {
        FieldEdit(field)->setVisible(!shown);
        FieldLabel(field)->setVisible(!shown);
    }
    FieldEdit(Field::Radiators)->setVisible(shown);
    FieldLabel(Field::Radiators)->setVisible(shown);
    Layout();
}

void DesignForm::ShowAutoValue(const AutoValue& value) {
    if (value.entry == AutoEntry::None)
        return;
    const Field field = value.entry == AutoEntry::F1 ? Field::F1 : Field::F2;
    EntryText::Set(FieldEdit(field), WholeHertz(value.value));
    RememberShown(field, value.value);
}

void DesignForm::OnUnitsChanged() {
    const UnitSystem before = m_unitsShown;
    m_unitsShown = UnitChoice::Current();
    for (const Field field : {Field::V1, Field::V2}) {
        QLineEdit* edit = FieldEdit(field);
        const DisplayUnits::Quantity quantity = Info(kFields[Index(field)]).quantity;
        // The exact value behind the program's own text; what the user typed
        // is read in the unit it was typed in. A text that is no number stays.
        double stored = 0;
        if (const std::optional<double> exact = ShownExactly(field))
            stored = *exact;
        else if (const auto typed = NumericText::ReadNumber(edit->text()))
            stored = DisplayUnits::FromDisplay(before, quantity, *typed);
        else
            continue;
        {
            const QSignalBlocker blocker(edit);
            EntryText::Set(edit, NumericText::FormatShown(UnitChoice::ToDisplay(quantity, stored)));
        }
        RememberShown(field, stored);
    }
    for (std::size_t i = 0; i < m_labels.size(); ++i)
        m_labels[i]->setText(UnitChoice::FieldLabel(Info(kFields[i])));
    Layout();
}

void DesignForm::ShowFromStart() {
    for (QLineEdit* edit : m_edits)
        edit->setCursorPosition(0);
}

void DesignForm::ForgetTyping() {
    for (QLineEdit* edit : m_edits) {
        const QSignalBlocker blocker(edit);
        const int cursor = edit->cursorPosition();
        edit->setText(edit->text()); // a text set from code starts a new history
        edit->setCursorPosition(cursor);
    }
}

void DesignForm::RememberShown(Field field, double value) {
    m_shown[Index(field)] = ShownValue{FieldEdit(field)->text(), value};
}

std::optional<double> DesignForm::ShownExactly(Field field) const {
    const std::optional<ShownValue>& shown = m_shown[Index(field)];
    if (!shown || FieldEdit(field)->text() != shown->text)
        return std::nullopt;
    return shown->value;
}

} // namespace orvane
