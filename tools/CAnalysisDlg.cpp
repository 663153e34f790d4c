// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CAnalysisDlg.h"

#include "tools/DialogRows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

QGroupBox* ChamberGroup(const QString& title, QLineEdit*& diameter, FieldId diameterId,
                        QLineEdit*& ports, FieldId portsId, bool vented) {
    auto* group = new QGroupBox(title);
    auto* grid = new QGridLayout(group);
    diameter = DialogRows::AddEntry(grid, 0, 0, diameterId);
    ports = DialogRows::AddEntry(grid, 1, 0, portsId);
    grid->setColumnStretch(1, 1);
    group->setEnabled(vented);
    return group;
}

} // namespace

CAnalysisDlg::CAnalysisDlg(BoxKind kind, QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Analysis Settings"));
    setModal(true);

    auto* drive = new QGroupBox(QStringLiteral("Analysis"));
    auto* grid = new QGridLayout(drive);
    m_powerEdit = DialogRows::AddEntry(grid, 0, 0, FieldId::Power);
    m_qlEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::Ql);
    grid->setColumnStretch(1, 1);

    const bool vented1 =
        kind == BoxKind::Vented || kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    const bool vented2 = kind == BoxKind::Bandpass6;
    QGroupBox* chamber1 = ChamberGroup(QStringLiteral("Chamber 1 (V1, F1)"), m_diameterEdit,
                                       FieldId::PortDiameter, m_portsEdit, FieldId::Ports, vented1);
    QGroupBox* chamber2 =
        ChamberGroup(QStringLiteral("Chamber 2 (V2, F2)"), m_diameter2Edit, FieldId::Port2Diameter,
                     m_ports2Edit, FieldId::Ports2, vented2);
    chamber2->setVisible(vented2);
    m_qlEdit->setEnabled(vented1);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(drive);
    layout->addWidget(chamber1);
    layout->addWidget(chamber2);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_powerEdit, m_qlEdit, m_diameterEdit, m_portsEdit, m_diameter2Edit,
                             m_ports2Edit, buttons.ok, buttons.cancel});
}

bool CAnalysisDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Field(m_powerEdit, FieldId::Power, m_power);
    if (m_qlEdit->isEnabled() || !dx.Reading())
        dx.Field(m_qlEdit, FieldId::Ql, m_ql);
    // Fields of a chamber without a port are shown, not read.
    if (m_diameterEdit->isEnabled() || !dx.Reading()) {
        dx.Field(m_diameterEdit, FieldId::PortDiameter, m_portDiameter)
            .Field(m_portsEdit, FieldId::Ports, m_ports);
    }
    if (m_diameter2Edit->isEnabled() || !dx.Reading()) {
        dx.Field(m_diameter2Edit, FieldId::Port2Diameter, m_port2Diameter)
            .Field(m_ports2Edit, FieldId::Ports2, m_ports2);
    }
    return dx.Ok();
}

QLineEdit* CAnalysisDlg::InitialEntry() const {
    return m_powerEdit;
}

} // namespace orvane
