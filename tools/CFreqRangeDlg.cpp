// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CFreqRangeDlg.h"

#include "tools/DialogRows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

CFreqRangeDlg::CFreqRangeDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Frequency Range"));
    setModal(true);

    auto* fields = new QGridLayout;
    m_lowerEdit = DialogRows::AddEntry(fields, 0, 0, FieldId::FreqLow);
    m_upperEdit = DialogRows::AddEntry(fields, 1, 0, FieldId::FreqHigh);
    fields->setRowStretch(2, 1);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this, true);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(12);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_lowerEdit, m_upperEdit, buttons.ok, buttons.cancel});
}

bool CFreqRangeDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Field(m_lowerEdit, FieldId::FreqLow, m_lower).Field(m_upperEdit, FieldId::FreqHigh, m_upper);
    return dx.Ok();
}

QLineEdit* CFreqRangeDlg::InitialEntry() const {
    return m_lowerEdit;
}

} // namespace orvane
