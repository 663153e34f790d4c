// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CRadiatorDlg.h"

#include "core/library/DriverUnits.h"
#include "core/model/Acoustics.h"
#include "core/model/PassiveRadiator.h"
#include "core/text/Printf.h"
#include "platform/Message.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

CRadiatorDlg::CRadiatorDlg(const SpeakerDesign& design, QWidget* parent)
    : CExchangeDialog(parent), m_design(design) {
    setWindowTitle(QStringLiteral("Passive Radiator Parameters"));
    setModal(true);

    auto* radiator = new QGroupBox(QStringLiteral("Each Radiator"));
    auto* grid = new QGridLayout(radiator);
    m_fsEdit = DialogRows::AddEntry(grid, 0, 0, FieldId::PrFs);
    m_vasEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::PrVas);
    m_sdEdit = DialogRows::AddEntry(grid, 2, 0, FieldId::PrSd);
    m_diameterEdit = DialogRows::AddEntry(grid, 3, 0, FieldId::PrDiameter);
    m_qmsEdit = DialogRows::AddEntry(grid, 4, 0, FieldId::PrQms);
    m_xmaxEdit = DialogRows::AddEntry(grid, 5, 0, FieldId::PrXmax);
    m_countEdit = DialogRows::AddEntry(grid, 6, 0, FieldId::PrCount);
    m_massEdit = DialogRows::AddEntry(grid, 7, 0, FieldId::PrMass);
    grid->setColumnStretch(1, 1);

    auto* tuning = new QGroupBox(QStringLiteral("Mass for a Tuning"));
    auto* tuneGrid = new QGridLayout(tuning);
    m_tuneEdit = DialogRows::AddEntry(tuneGrid, 0, 0, FieldId::PrTune);
    QPushButton* find = DialogRows::MakeButton(this, QStringLiteral("&Find Mass"), false);
    tuneGrid->addWidget(find, 0, 2);
    tuneGrid->setColumnStretch(1, 1);
    m_figures = new QLabel(tuning);
    m_figures->setObjectName(QStringLiteral("figures"));
    m_figures->setWordWrap(true);
    tuneGrid->addWidget(m_figures, 1, 0, 1, 3);
    connect(find, &QPushButton::clicked, this, &CRadiatorDlg::FindMass);
    for (QLineEdit* edit : {m_fsEdit, m_vasEdit, m_sdEdit, m_diameterEdit, m_qmsEdit, m_xmaxEdit,
                            m_countEdit, m_massEdit})
        connect(edit, &QLineEdit::textChanged, this, &CRadiatorDlg::ShowFigures);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);
    m_libraryButton = DialogRows::MakeButton(this, QStringLiteral("&Library…"), false);
    m_libraryButton->setObjectName(QStringLiteral("library"));
    m_libraryButton->hide();
    connect(m_libraryButton, &QPushButton::clicked, this, &CRadiatorDlg::OnLibrary);
    buttons.layout->insertWidget(0, m_libraryButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(radiator);
    layout->addWidget(tuning);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_fsEdit, m_vasEdit, m_sdEdit, m_diameterEdit, m_qmsEdit, m_xmaxEdit,
                             m_countEdit, m_massEdit, m_tuneEdit, find, m_libraryButton, buttons.ok,
                             buttons.cancel});
    // Wide enough for the longest figures, so that the dialog keeps its size.
    m_figures->setMinimumWidth(m_figures->fontMetrics().horizontalAdvance(
        QStringLiteral("Fp 99.9 Hz, \u03b4 9.999, Fb 99.9 Hz on V1. Radiators displace")));
}

bool CRadiatorDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Field(m_fsEdit, FieldId::PrFs, m_fs)
        .Field(m_vasEdit, FieldId::PrVas, m_vas)
        .Field(m_sdEdit, FieldId::PrSd, m_sd)
        .Field(m_diameterEdit, FieldId::PrDiameter, m_diameter)
        .Field(m_qmsEdit, FieldId::PrQms, m_qms)
        .Field(m_xmaxEdit, FieldId::PrXmax, m_xmax)
        .Field(m_countEdit, FieldId::PrCount, m_count)
        .Field(m_massEdit, FieldId::PrMass, m_mass)
        .Field(m_tuneEdit, FieldId::PrTune, m_tune);
    if (!dx.Reading())
        ShowFigures();
    return dx.Ok();
}

QLineEdit* CRadiatorDlg::InitialEntry() const {
    return m_fsEdit;
}

SpeakerDesign CRadiatorDlg::Typed() const {
    SpeakerDesign d = m_design;
    const auto read = [](const QLineEdit* edit, FieldId id) -> std::optional<double> {
        const std::optional<double> shown = NumericText::ScanNumber(edit->text());
        if (!shown)
            return std::nullopt;
        return UnitChoice::FromDisplay(Fields::Info(id).quantity, *shown);
    };
    const std::pair<const QLineEdit*, FieldId> fields[] = {
        {m_fsEdit, FieldId::PrFs},       {m_vasEdit, FieldId::PrVas},
        {m_sdEdit, FieldId::PrSd},       {m_diameterEdit, FieldId::PrDiameter},
        {m_qmsEdit, FieldId::PrQms},     {m_xmaxEdit, FieldId::PrXmax},
        {m_countEdit, FieldId::PrCount}, {m_massEdit, FieldId::PrMass}};
    for (const auto& [edit, id] : fields) {
        std::optional<double> value = read(edit, id);
        const FieldBounds& b = Fields::Info(id).bounds;
        if (value && !(*value >= b.low && *value <= b.high))
            value.reset();
        Fields::SetNumber(d, id, value);
    }
    return d;
}

void CRadiatorDlg::ShowFigures() {
    const SpeakerDesign d = Typed();
    const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(d);
    if (!r || !(d.m_v1 > 0)) {
        m_figures->setText(QStringLiteral("Fs, Vas, Sd or diameter, Qms and the box's V1 give the "
                                          "tuning."));
        return;
    }
    const RadiatorTuning t = TuningOf(*r, Acoustics::AcousticCompliance(d.m_v1));
    QString text = QString::fromStdString(
        Printf("Fp %.1f Hz, \u03b4 %.3f, Fb %.1f Hz on V1.", t.fp, t.delta, t.fb));
    if (const std::string warning = RadiatorDisplacementWarning(d); !warning.empty()) {
        std::string sentence = warning;
        sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
        text += QStringLiteral(" ") + QString::fromStdString(sentence) + QStringLiteral(".");
    }
    m_figures->setText(text);
}

void CRadiatorDlg::FindMass() {
    const SpeakerDesign d = Typed();
    const AnalysisResult<RadiatorValues> r = DeriveRadiatorValues(d);
    const std::optional<double> target = NumericText::ScanNumber(m_tuneEdit->text());
    if (!r || !(d.m_v1 > 0) || !target) {
        ShowMessage(this, QStringLiteral("Enter the radiator's Fs, Vas, Sd or diameter and Qms, "
                                         "the box's V1 and a target Fb first."));
        return;
    }
    RadiatorValues bare = *r;
    bare.added = 0;
    const Result<double, int> mass =
        MassForTuning(bare, Acoustics::AcousticCompliance(d.m_v1), *target);
    if (!mass) {
        ShowMessage(this, QString::fromStdString(mass.Message()));
        return;
    }
    m_massEdit->setText(NumericText::FormatNumber(std::round(*mass * 100) / 100));
}

void CRadiatorDlg::SetLibraryPick(LibraryPick pick) {
    m_libraryPick = std::move(pick);
    m_libraryButton->setVisible(static_cast<bool>(m_libraryPick));
}

void CRadiatorDlg::OnLibrary() {
    if (!m_libraryPick)
        return;
    // What is typed, so that "Add Current Radiator…" offers it.
    const DesignExtras typed = Typed().m_extras;
    DriverEntry current;
    current.kind = DriverKind::Radiator;
    current.fs = typed.prFs.value_or(0);
    current.vas = typed.prVas.value_or(0);
    current.qts = typed.prQms.value_or(0);
    current.xmax = typed.prXmax;
    if (typed.prSd)
        current.coneDiameter = DriverUnits::ConeDiameterFromSd(*typed.prSd * Units::kMetresPerInch *
                                                               Units::kMetresPerInch);
    else
        current.coneDiameter = typed.prDiameter;
    if (const std::optional<DriverEntry> chosen = m_libraryPick(current))
        UseEntry(*chosen);
}

void CRadiatorDlg::UseEntry(const DriverEntry& entry) {
    // The library keeps the cone diameter; Sd is its effective area, so both
    // give the same radiator.
    std::optional<double> fs = entry.fs, vas = entry.vas, qms = entry.qts, xmax = entry.xmax;
    std::optional<double> diameter = entry.coneDiameter, sd;
    if (diameter)
        sd = DriverUnits::SdFromConeDiameter(*diameter) /
             (Units::kMetresPerInch * Units::kMetresPerInch);
    DataExchange dx(DataExchange::Direction::Display, this);
    dx.Field(m_fsEdit, FieldId::PrFs, fs)
        .Field(m_vasEdit, FieldId::PrVas, vas)
        .Field(m_sdEdit, FieldId::PrSd, sd)
        .Field(m_diameterEdit, FieldId::PrDiameter, diameter)
        .Field(m_qmsEdit, FieldId::PrQms, qms)
        .Field(m_xmaxEdit, FieldId::PrXmax, xmax);
    ShowFigures();
}

} // namespace orvane
