// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DataExchange.h"

#include <QDialog>

class QLineEdit;

namespace orvane {

// A modal dialog whose entry fields move to and from the dialog's own copies
// through a data exchange: filled once before the dialog first shows, read and
// validated on OK, which closes the dialog only when every field passes.
class CExchangeDialog : public QDialog {
    Q_OBJECT
public:
    void accept() override;

protected:
    explicit CExchangeDialog(QWidget* parent);

    // Fills (Display) or reads and validates (Read) the fields in their fixed
    // order; a dialog without entry exchange keeps the default.
    virtual bool DoDataExchange(DataExchange::Direction direction);
    // Runs once, before the first showing: fills the fields, then puts the
    // focus into InitialEntry() with its text selected.
    virtual void OnInitDialog();
    virtual QLineEdit* InitialEntry() const { return nullptr; }

    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};

} // namespace orvane
