// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CDriverParamsDlg.h"

#include "tools/DialogRows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

CDriverParamsDlg::CDriverParamsDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Driver Parameters"));
    setModal(true);

    auto* required = new QGroupBox(QStringLiteral("Required"));
    auto* requiredGrid = new QGridLayout(required);
    m_fsEdit = DialogRows::AddEntry(requiredGrid, 0, 0, FieldId::Fs);
    m_qtsEdit = DialogRows::AddEntry(requiredGrid, 1, 0, FieldId::Qts);
    m_vasEdit = DialogRows::AddEntry(requiredGrid, 2, 0, FieldId::Vas);
    requiredGrid->setColumnStretch(1, 1);

    auto* optional = new QGroupBox(QStringLiteral("Optional"));
    auto* optionalGrid = new QGridLayout(optional);
    m_coneDiameterEdit = DialogRows::AddEntry(optionalGrid, 0, 0, FieldId::ConeDiameter);
    m_xmaxEdit = DialogRows::AddEntry(optionalGrid, 1, 0, FieldId::Xmax);
    m_efficiencyEdit = DialogRows::AddEntry(optionalGrid, 2, 0, FieldId::Efficiency);
    optionalGrid->setColumnStretch(1, 1);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(required);
    layout->addWidget(optional);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_fsEdit, m_qtsEdit, m_vasEdit, m_coneDiameterEdit, m_xmaxEdit,
                             m_efficiencyEdit, buttons.ok, buttons.cancel});
}

bool CDriverParamsDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Field(m_fsEdit, FieldId::Fs, m_fs)
        .Field(m_qtsEdit, FieldId::Qts, m_qts)
        .Field(m_vasEdit, FieldId::Vas, m_vas)
        .Field(m_efficiencyEdit, FieldId::Efficiency, m_efficiency)
        .Field(m_coneDiameterEdit, FieldId::ConeDiameter, m_coneDiameter)
        .Field(m_xmaxEdit, FieldId::Xmax, m_xmax);
    return dx.Ok();
}

QLineEdit* CDriverParamsDlg::InitialEntry() const {
    return m_fsEdit;
}

} // namespace orvane
