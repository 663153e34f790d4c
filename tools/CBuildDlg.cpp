// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CBuildDlg.h"

#include "core/calc/BuildCalc.h"
#include "core/plot/BuildDrawing.h"
#include "platform/NumericText.h"
#include "platform/QtDrawSurface.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace orvane {

// The build drawing, scaled to the widget; nothing while the values conflict.
class BuildPreview : public QWidget {
public:
    explicit BuildPreview(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("preview"));
        const int width = fontMetrics().averageCharWidth() * 70;
        setMinimumSize(width, width * BuildDrawing::kPageHeight / BuildDrawing::kPageWidth);
    }
    void Show(std::optional<BuildCalc::Plan> plan, int drivers, int radiators) {
        m_plan = std::move(plan);
        m_drivers = drivers;
        m_radiators = radiators;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (!m_plan)
            return;
        QtDrawSurface surface(painter);
        // The page keeps its proportions; its logical units fill the widget.
        const double k = std::min(double(width()) / BuildDrawing::kPageWidth,
                                  double(height()) / BuildDrawing::kPageHeight);
        surface.SetScaling(1000, 1000, int(k * 1000), int(k * 1000));
        BuildDrawing::Draw(surface, *m_plan, m_drivers, m_radiators, UnitChoice::Current());
    }

private:
    std::optional<BuildCalc::Plan> m_plan;
    int m_drivers = 1;
    int m_radiators = 0;
};

namespace {

// What an empty entry stands for, in the units shown.
QString Placeholder(const FieldInfo& field, const SpeakerDesign& design) {
    std::optional<double> value = field.fallback;
    if (field.id == FieldId::Cutout)
        value = 0.9 * design.m_coneDiameter;
    if (!value)
        return {};
    return PrintfText::Format("%g", UnitChoice::ToDisplay(field.quantity, *value));
}

QComboBox* Choices(const FieldInfo& field, const char* const* labels) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(field.key.data(), qsizetype(field.key.size())));
    for (std::size_t i = 0; i < field.names.size(); ++i)
        combo->addItem(QString::fromUtf8(labels[i]));
    return combo;
}

} // namespace

CBuildDlg::CBuildDlg(const SpeakerDesign& design, QWidget* parent)
    : CExchangeDialog(parent), m_design(design) {
    setWindowTitle(QStringLiteral("Build"));
    setModal(true);

    const auto group = [this](const QString& title, std::initializer_list<FieldId> ids,
                              QGridLayout*& grid) {
        auto* box = new QGroupBox(title);
        grid = new QGridLayout(box);
        int row = 0;
        for (const FieldId id : ids) {
            QLineEdit* edit = DialogRows::AddEntry(grid, row++, 0, id, 13);
            edit->setPlaceholderText(Placeholder(Fields::Info(id), m_design));
            m_rows.push_back({id, edit});
            connect(edit, &QLineEdit::textChanged, this, &CBuildDlg::UpdatePreview);
        }
        grid->setColumnStretch(1, 1);
        return box;
    };
    QGridLayout* grid = nullptr;
    using enum FieldId;
    QGroupBox* panels = group(QStringLiteral("Panels and Shape"),
                              {Thickness, Kerf, Shape, OuterWidth, OuterHeight, Cutout}, grid);
    QGroupBox* volumes =
        group(QStringLiteral("Displacement"),
              {DriverDisplacement, BracingDisplacement, RadiatorDisplacement, Radiators}, grid);
    QGroupBox* ports = group(QStringLiteral("Ports"), {PortWall, SlotWidth, SlotHeight}, grid);
    const char* shapes[] = {"Round", "Slot"};
    const char* ends[] = {"Both ends flanged", "One end flanged", "Both ends free"};
    m_portShape = Choices(Fields::Info(FieldId::PortShape), shapes);
    m_portEnds = Choices(Fields::Info(FieldId::PortEnds), ends);
    grid->addWidget(m_portShape, 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("Port Shape")), 3, 1);
    grid->addWidget(m_portEnds, 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("Port Ends")), 4, 1);
    connect(m_portShape, &QComboBox::currentIndexChanged, this, &CBuildDlg::UpdatePreview);
    connect(m_portEnds, &QComboBox::currentIndexChanged, this, &CBuildDlg::UpdatePreview);

    m_problem = new QLabel;
    m_problem->setObjectName(QStringLiteral("problem"));
    m_problem->setWordWrap(true);
    m_preview = new BuildPreview(this);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);
    auto* entries = new QVBoxLayout;
    entries->addWidget(panels);
    entries->addWidget(volumes);
    entries->addWidget(ports);
    entries->addWidget(m_problem);
    entries->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(entries);
    columns->addWidget(m_preview, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons.layout);
}

bool CBuildDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    const FieldInfo& shape = Fields::Info(FieldId::PortShape);
    const FieldInfo& ends = Fields::Info(FieldId::PortEnds);
    for (const Row& row : m_rows) {
        const FieldInfo& field = Fields::Info(row.id);
        if (field.type == FieldType::Count) {
            auto count = static_cast<int32_t>(Fields::Number(m_design, row.id).value_or(0));
            dx.Field(row.edit, row.id, count);
            if (dx.Reading() && dx.Ok() && count != Fields::Number(m_design, row.id))
                field.access.setNumber(m_design, count);
            continue;
        }
        std::optional<double> value = field.access.number(m_design);
        dx.Field(row.edit, row.id, value);
        if (dx.Reading() && dx.Ok())
            field.access.setNumber(m_design, value);
    }
    if (!dx.Reading()) {
        m_portShape->setCurrentIndex(int(Fields::Number(m_design, FieldId::PortShape).value_or(0)));
        m_portEnds->setCurrentIndex(int(Fields::Number(m_design, FieldId::PortEnds).value_or(1)));
        UpdatePreview();
    } else if (dx.Ok()) {
        // A choice is stored once it differs from what is in force.
        for (const auto& [field, combo] : {std::pair{&shape, m_portShape}, {&ends, m_portEnds}}) {
            if (combo->currentIndex() != Fields::Number(m_design, field->id))
                field->access.setNumber(m_design, combo->currentIndex());
        }
    }
    return dx.Ok();
}

void CBuildDlg::UpdatePreview() {
    // The values as typed so far; what does not read as a number yet is left
    // at the design's.
    SpeakerDesign trial = m_design;
    for (const Row& row : m_rows) {
        const FieldInfo& field = Fields::Info(row.id);
        const QString text = row.edit->text().trimmed();
        if (text.isEmpty()) {
            field.access.setNumber(trial, std::nullopt);
        } else if (const std::optional<double> shown = NumericText::ReadNumber(text)) {
            if (!Fields::Refusal(field, *shown, UnitChoice::Current()))
                field.access.setNumber(trial, UnitChoice::FromDisplay(field.quantity, *shown));
        }
    }
    trial.m_extras.portShape = static_cast<std::uint16_t>(std::max(0, m_portShape->currentIndex()));
    trial.m_extras.portEnds = static_cast<std::uint16_t>(std::max(0, m_portEnds->currentIndex()));
    const BuildCalc::Inputs in = BuildCalc::FromDesign(trial);
    Result<BuildCalc::Plan> plan = BuildCalc::Compute(trial, in);
    QString problem;
    if (plan) {
        for (const BuildCalc::Port& port : plan->ports) {
            if (port.resonanceNearTuning)
                problem = QString::fromStdString(BuildCalc::ResonanceWarning(port));
        }
        m_preview->Show(std::move(*plan), trial.m_driverCount, in.radiators);
    } else {
        problem = QString::fromStdString(plan.Error().message);
        m_preview->Show(std::nullopt, 0, 0);
    }
    m_problem->setText(problem);
}

QString CBuildDlg::Problem() const {
    return m_problem->text();
}

QLineEdit* CBuildDlg::InitialEntry() const {
    return m_rows.front().edit;
}

} // namespace orvane
