// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CAnalysisDlg.h"

#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

// The port diameters' label with the unit they are shown in.
QString DiameterLabel() {
    return UnitChoice::Labelled(QStringLiteral("Port Diameter"), UnitChoice::Quantity::Length,
                                QStringLiteral("Port Diameter (in)"));
}

QGroupBox* ChamberGroup(const QString& title, QLineEdit*& diameter, QLineEdit*& ports,
                        const char* name, bool vented) {
    auto* group = new QGroupBox(title);
    auto* grid = new QGridLayout(group);
    diameter = DialogRows::AddEntry(grid, 0, 0, DiameterLabel(),
                                    QStringLiteral("%1Diameter").arg(QLatin1String(name)));
    ports = DialogRows::AddEntry(grid, 1, 0, QStringLiteral("Number of Ports"),
                                 QStringLiteral("%1Ports").arg(QLatin1String(name)));
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
    m_powerEdit = DialogRows::AddEntry(grid, 0, 0, QStringLiteral("Input Power (W)"), "power");
    m_qlEdit = DialogRows::AddEntry(grid, 1, 0, QStringLiteral("Box Losses QL"), "ql");
    grid->setColumnStretch(1, 1);

    const bool vented1 =
        kind == BoxKind::Vented || kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    const bool vented2 = kind == BoxKind::Bandpass6;
    QGroupBox* chamber1 = ChamberGroup(QStringLiteral("Chamber 1 (V1, F1)"), m_diameterEdit,
                                       m_portsEdit, "port1", vented1);
    QGroupBox* chamber2 = ChamberGroup(QStringLiteral("Chamber 2 (V2, F2)"), m_diameter2Edit,
                                       m_ports2Edit, "port2", vented2);
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
    dx.Number(m_powerEdit, m_power, 0.1, 100000);
    if (m_qlEdit->isEnabled() || !dx.Reading())
        dx.Number(m_qlEdit, m_ql, 0.1, 100000);
    // Fields of a chamber without a port are shown, not read.
    if (m_diameterEdit->isEnabled() || !dx.Reading()) {
        dx.OptionalNumber(m_diameterEdit, m_portDiameter, 0.1, 100, true,
                          UnitChoice::Quantity::Length)
            .Integer(m_portsEdit, m_ports, 1, 100);
    }
    if (m_diameter2Edit->isEnabled() || !dx.Reading()) {
        dx.OptionalNumber(m_diameter2Edit, m_port2Diameter, 0.1, 100, true,
                          UnitChoice::Quantity::Length)
            .Integer(m_ports2Edit, m_ports2, 1, 100);
    }
    return dx.Ok();
}

QLineEdit* CAnalysisDlg::InitialEntry() const {
    return m_powerEdit;
}

} // namespace orvane
