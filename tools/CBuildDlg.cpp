// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CBuildDlg.h"

#include "core/calc/BuildCalc.h"
#include "core/design/FileErrorMessage.h"
#include "core/files/AtomicWrite.h"
#include "core/plot/BuildDrawing.h"
#include "platform/GraphImage.h"
#include "platform/Message.h"
#include "platform/NumericText.h"
#include "platform/QtDrawSurface.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
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

CBuildDlg::CBuildDlg(const SpeakerDesign& design, QWidget* parent, QPrinter* printer)
    : CExchangeDialog(parent), m_design(design), m_printer(printer) {
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
    QGroupBox* panels = group(
        QStringLiteral("Panels and Shape"),
        {Thickness, Kerf, Shape, ShapeHeight, ShapeDepth, OuterWidth, OuterHeight, Cutout}, grid);
    QGroupBox* sheets = group(QStringLiteral("Sheets"), {SheetLength, SheetWidth}, grid);
    QGroupBox* volumes =
        group(QStringLiteral("Displacement"),
              {DriverDisplacement, BracingDisplacement, RadiatorDisplacement}, grid);
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
    m_print = new QPushButton(QStringLiteral("&Print…"));
    m_print->setObjectName(QStringLiteral("print"));
    m_print->setAutoDefault(false);
    m_export = new QPushButton(QStringLiteral("&Export…"));
    m_export->setObjectName(QStringLiteral("export"));
    m_export->setAutoDefault(false);
    buttons.layout->insertWidget(0, m_print);
    buttons.layout->insertWidget(1, m_export);
    connect(m_print, &QPushButton::clicked, this, &CBuildDlg::OnPrint);
    connect(m_export, &QPushButton::clicked, this, &CBuildDlg::OnExport);
    m_askExportPath = [this](const QString& proposed) {
        QFileDialog dialog(this, QStringLiteral("Export Build Drawing"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilters(
            {QStringLiteral("SVG Drawings (*.svg)"), QStringLiteral("PDF Pages (*.pdf)")});
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The ending follows the type chosen.
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
            dialog.setDefaultSuffix(f.section(QLatin1String("*."), 1).chopped(1));
        });
        dialog.setDefaultSuffix(QStringLiteral("svg"));
        dialog.selectFile(proposed);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    auto* entries = new QVBoxLayout;
    entries->addWidget(panels);
    entries->addWidget(volumes);
    entries->addWidget(ports);
    entries->addWidget(sheets);
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
        m_plan = *plan;
        m_drivers = trial.m_driverCount;
        m_radiators = in.radiators;
        m_preview->Show(std::move(*plan), trial.m_driverCount, in.radiators);
    } else {
        problem = QString::fromStdString(plan.Error().message);
        m_plan.reset();
        m_preview->Show(std::nullopt, 0, 0);
    }
    m_problem->setText(problem);
    m_print->setEnabled(m_plan && m_printer != nullptr);
    m_export->setEnabled(m_plan.has_value());
}

void CBuildDlg::OnPrint() {
    if (!m_plan || m_printer == nullptr)
        return;
    m_printer->setFromTo(1, 1);
    QPrintDialog dialog(m_printer, this);
    dialog.setMinMax(1, 1);
    if (dialog.exec() != QDialog::Accepted || !m_plan)
        return;
    m_printer->setDocName(QStringLiteral("Build"));
    QPainter painter;
    if (!painter.begin(m_printer))
        return; // the printer refused the job; Qt has already said why
    QtDrawSurface surface(painter);
    BuildDrawing::DrawPage(surface, m_printer->width(), m_printer->height(), *m_plan, m_drivers,
                           m_radiators, UnitChoice::Current());
}

void CBuildDlg::OnExport() {
    if (!m_plan)
        return;
    const QString path = m_askExportPath(QStringLiteral("build.svg"));
    if (!path.isEmpty())
        ExportTo(path);
}

bool CBuildDlg::ExportTo(const QString& path) {
    const QString ending = QFileInfo(path).suffix().toLower();
    if (ending != QLatin1String("svg") && ending != QLatin1String("pdf")) {
        ShowMessage(this, QStringLiteral("Export writes SVG and PDF files: end the name in .svg "
                                         "or .pdf."));
        return false;
    }
    if (!m_plan)
        return false;
    const BuildCalc::Plan plan = *m_plan;
    const UnitSystem units = UnitChoice::Current();
    const std::optional<QByteArray> bytes =
        ending == QLatin1String("svg")
            ? GraphImage::Svg(BuildDrawing::kPageWidth, BuildDrawing::kPageHeight,
                              QStringLiteral("Build"),
                              [&](DrawSurface& surface) {
                                  BuildDrawing::Draw(surface, plan, m_drivers, m_radiators, units);
                              })
            : GraphImage::Pdf(QStringLiteral("Build"), [&](DrawSurface& surface, int w, int h) {
                  BuildDrawing::DrawPage(surface, w, h, plan, m_drivers, m_radiators, units);
              });
    if (!bytes) {
        ShowMessage(this, QStringLiteral("The drawing could not be made into %1.").arg(path));
        return false;
    }
    const std::string full = QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
    const AtomicWriteResult written = WriteFileAtomically(
        full, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!written) {
        const FilePhase phase =
            written.stage == WriteStage::Open ? FilePhase::Open : FilePhase::Transfer;
        ShowMessage(this, QString::fromStdString(
                              FileErrorMessage(written.error, FileDirection::Save, phase, full)));
        return false;
    }
    return true;
}

QString CBuildDlg::Problem() const {
    return m_problem->text();
}

QLineEdit* CBuildDlg::InitialEntry() const {
    return m_rows.front().edit;
}

} // namespace orvane
