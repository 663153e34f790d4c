// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CExportCurvesDlg.h"

#include "platform/Message.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

QComboBox* Choices(const FieldInfo& field, std::initializer_list<const char*> labels) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(field.key.data(), qsizetype(field.key.size())));
    for (const char* label : labels)
        combo->addItem(QString::fromUtf8(label));
    return combo;
}

} // namespace

CExportCurvesDlg::CExportCurvesDlg(double designPower, QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Export Curves"));
    setModal(true);

    auto* grid = new QGridLayout;
    m_format = Choices(Fields::Info(FieldId::ExportFormat),
                       {"Response and phase (FRD)", "Impedance and phase (ZMA)"});
    grid->addWidget(m_format, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Format")), 0, 1);
    m_pointsEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::ExportPoints);
    m_fromEdit = DialogRows::AddEntry(grid, 2, 0, FieldId::ExportFrom);
    m_toEdit = DialogRows::AddEntry(grid, 3, 0, FieldId::ExportTo);
    m_powerEdit = DialogRows::AddEntry(grid, 4, 0, FieldId::Power);
    m_powerEdit->setPlaceholderText(PrintfText::Format("%g", designPower));
    m_voltageEdit = DialogRows::AddEntry(grid, 5, 0, FieldId::ExportVoltage);
    m_distanceEdit = DialogRows::AddEntry(grid, 6, 0, FieldId::ExportDistance);
    m_space = Choices(Fields::Info(FieldId::ExportSpace), {"Half space", "Full space"});
    grid->addWidget(m_space, 7, 0);
    grid->addWidget(new QLabel(QStringLiteral("Radiation")), 7, 1);
    auto* note = new QLabel(QStringLiteral("Give the power or the voltage across each driver's "
                                           "Re; the design's power when neither."));
    note->setWordWrap(true);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({static_cast<QWidget*>(m_format), m_pointsEdit, m_fromEdit, m_toEdit,
                             m_powerEdit, m_voltageEdit, m_distanceEdit, m_space, buttons.ok,
                             buttons.cancel});
}

bool CExportCurvesDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    CurveExportOptions& o = m_options;
    dx.Field(m_pointsEdit, FieldId::ExportPoints, o.pointsPerOctave)
        .Field(m_fromEdit, FieldId::ExportFrom, o.from)
        .Field(m_toEdit, FieldId::ExportTo, o.to)
        .Field(m_powerEdit, FieldId::Power, o.power)
        .Field(m_voltageEdit, FieldId::ExportVoltage, o.voltage)
        .Field(m_distanceEdit, FieldId::ExportDistance, o.distance);
    if (!dx.Reading()) {
        m_format->setCurrentIndex(o.format == CurveFormat::Zma ? 1 : 0);
        m_space->setCurrentIndex(o.fullSpace ? 1 : 0);
        return dx.Ok();
    }
    if (!dx.Ok())
        return false;
    o.format = m_format->currentIndex() == 1 ? CurveFormat::Zma : CurveFormat::Frd;
    o.fullSpace = m_space->currentIndex() == 1;
    // The rules between the fields, as orvane-cli export applies them.
    if (const Result<void, ExportProblem> checked = CheckExportOptions(o); !checked) {
        ShowMessage(this, QString::fromStdString(checked.Message()));
        return false;
    }
    return true;
}

QLineEdit* CExportCurvesDlg::InitialEntry() const {
    return m_pointsEdit;
}

} // namespace orvane
