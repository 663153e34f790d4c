// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CExchangeDialog.h"

#include "platform/EntryText.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>

namespace orvane {

CExchangeDialog::CExchangeDialog(QWidget* parent) : QDialog(parent) {
    // The program's icon, as About and the message boxes have, not the
    // design window's that it would take over from its parent.
    if (const QIcon icon = QGuiApplication::windowIcon(); !icon.isNull())
        setWindowIcon(icon);
}

void CExchangeDialog::accept() {
    if (DoDataExchange(DataExchange::Direction::Read))
        QDialog::accept();
}

bool CExchangeDialog::DoDataExchange(DataExchange::Direction) {
    return true;
}

void CExchangeDialog::OnInitDialog() {
    DoDataExchange(DataExchange::Direction::Display);
    if (QLineEdit* entry = InitialEntry()) {
        entry->setFocus(Qt::TabFocusReason);
        EntryText::SelectAll(entry);
    }
}

void CExchangeDialog::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

} // namespace orvane
