// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CDriverParamsDlg.h"

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

using UnitChoice::Quantity;

} // namespace

CDriverParamsDlg::CDriverParamsDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Driver Parameters"));
    setModal(true);

    auto* required = new QGroupBox(QStringLiteral("Required"));
    auto* requiredGrid = new QGridLayout(required);
    m_fsEdit = DialogRows::AddEntry(requiredGrid, 0, 0, QStringLiteral("Fs (Hz)"), "fs");
    m_qtsEdit = DialogRows::AddEntry(requiredGrid, 1, 0, QStringLiteral("Qts"), "qts");
    m_vasEdit = DialogRows::AddEntry(
        requiredGrid, 2, 0,
        UnitChoice::Labelled(QStringLiteral("Vas"), Quantity::Volume, QStringLiteral("Vas (ft3)")),
        "vas");
    requiredGrid->setColumnStretch(1, 1);

    auto* optional = new QGroupBox(QStringLiteral("Optional"));
    auto* optionalGrid = new QGridLayout(optional);
    m_coneDiameterEdit =
        DialogRows::AddEntry(optionalGrid, 0, 0,
                             UnitChoice::Labelled(QStringLiteral("Cone Diameter"), Quantity::Length,
                                                  QStringLiteral("Cone Diameter (in)")),
                             "coneDiameter");
    m_xmaxEdit =
        DialogRows::AddEntry(optionalGrid, 1, 0,
                             UnitChoice::Labelled(QStringLiteral("Xmax"), Quantity::Excursion,
                                                  QStringLiteral("Xmax (in)")),
                             "xmax");
    m_efficiencyEdit =
        DialogRows::AddEntry(optionalGrid, 2, 0, QStringLiteral("Efficiency (dB)"), "efficiency");
    optionalGrid->setColumnStretch(1, 1);

    QPushButton* ok = DialogRows::MakeButton(this, QStringLiteral("OK"), true);
    QPushButton* cancel = DialogRows::MakeButton(this, QStringLiteral("Cancel"), false);
    connect(ok, &QPushButton::clicked, this, &CDriverParamsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDriverParamsDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(required);
    layout->addWidget(optional);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_fsEdit, m_qtsEdit, m_vasEdit, m_coneDiameterEdit, m_xmaxEdit,
                             m_efficiencyEdit, ok, cancel});
}

bool CDriverParamsDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Number(m_fsEdit, m_fs, 10.0, 20000.0)
        .Number(m_qtsEdit, m_qts)
        .Number(m_vasEdit, m_vas, Quantity::Volume)
        .Number(m_efficiencyEdit, m_efficiency)
        .Number(m_coneDiameterEdit, m_coneDiameter, Quantity::Length)
        .Number(m_xmaxEdit, m_xmax, Quantity::Excursion);
    return dx.Ok();
}

QLineEdit* CDriverParamsDlg::InitialEntry() const {
    return m_fsEdit;
}

} // namespace orvane
