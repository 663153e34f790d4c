// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CTSParamsDlg.h"

#include "core/calc/TsCalc.h"
#include "platform/EntryText.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace orvane {

namespace {

using UnitChoice::Quantity;

QLineEdit* AddResult(QGridLayout* grid, int row, int column, const QString& label,
                     const QString& name) {
    QLineEdit* field = DialogRows::MakeResultField(nullptr, name, true, 9);
    grid->addWidget(field, row, column);
    grid->addWidget(new QLabel(label), row, column + 1);
    return field;
}

} // namespace

CTSParamsDlg::CTSParamsDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Calculate T/S Parameters"));
    setModal(true);

    auto* entries = new QGridLayout;
    m_fsEdit =
        DialogRows::AddEntry(entries, 0, 0, QStringLiteral("Resonant frequency in free air"), "fs");
    m_reEdit =
        DialogRows::AddEntry(entries, 1, 0, QStringLiteral("DC resistance of voice coil"), "re");
    m_zmaxEdit = DialogRows::AddEntry(entries, 2, 0, QStringLiteral("Impedance at Fs"), "zmax");
    m_f1Edit =
        DialogRows::AddEntry(entries, 3, 0, QStringLiteral("Frequency below Fs where Z ="), "f1");
    m_f2Edit =
        DialogRows::AddEntry(entries, 4, 0, QStringLiteral("Frequency above Fs where Z ="), "f2");
    m_z1Field = DialogRows::MakeResultField(this, "z1", false, 10);
    m_z2Field = DialogRows::MakeResultField(this, "z2", false, 10);
    entries->addWidget(m_z1Field, 3, 2);
    entries->addWidget(m_z2Field, 4, 2);
    // The last line reads as one sentence: Fc "Resonant frequency in" Vb "ft^3 test box".
    m_fcEdit = new QLineEdit;
    m_fcEdit->setObjectName("fc");
    m_fcEdit->setFixedWidth(DialogRows::FieldWidth(m_fcEdit, 9));
    m_vbEdit = new QLineEdit;
    m_vbEdit->setObjectName("vb");
    m_vbEdit->setFixedWidth(DialogRows::FieldWidth(m_vbEdit, 6));
    auto* boxLine = new QHBoxLayout;
    boxLine->addWidget(new QLabel(QStringLiteral("Resonant frequency in")));
    boxLine->addWidget(m_vbEdit);
    boxLine->addWidget(
        new QLabel(DisplayUnits::Converts(UnitChoice::Current(), Quantity::Volume)
                       ? QStringLiteral("%1 test box").arg(UnitChoice::Label(Quantity::Volume))
                       : QStringLiteral("ft^3 test box")));
    boxLine->addStretch(1);
    entries->addWidget(m_fcEdit, 5, 0);
    entries->addLayout(boxLine, 5, 1, 1, 2);
    entries->setColumnStretch(2, 1);

    auto* results = new QGridLayout;
    m_fsResult = AddResult(results, 0, 0, QStringLiteral("Fs"), "fsResult");
    m_qtsResult = AddResult(results, 1, 0, QStringLiteral("Qts"), "qtsResult");
    m_vasResult = AddResult(
        results, 2, 0,
        UnitChoice::Labelled(QStringLiteral("Vas"), Quantity::Volume, QStringLiteral("Vas (ft^3)")),
        "vasResult");
    m_qesResult = AddResult(results, 0, 2, QStringLiteral("Qes"), "qesResult");
    m_qmsResult = AddResult(results, 1, 2, QStringLiteral("Qms"), "qmsResult");
    m_errorResult = AddResult(results, 2, 2, QStringLiteral("Error (Hz)"), "errorResult");
    results->setColumnMinimumWidth(1, DialogRows::FieldWidth(this, 9));
    results->setHorizontalSpacing(10);
    results->setColumnStretch(4, 1);

    QPushButton* use = DialogRows::MakeButton(this, QStringLiteral("Use Results"), false);
    QPushButton* discard = DialogRows::MakeButton(this, QStringLiteral("Discard Results"), true);
    use->setObjectName("useResults");
    discard->setObjectName("discardResults");
    connect(use, &QPushButton::clicked, this, &CTSParamsDlg::accept);
    connect(discard, &QPushButton::clicked, this, &CTSParamsDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(use);
    buttons->addWidget(discard);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entries);
    layout->addSpacing(8);
    layout->addLayout(results);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder(
        {m_fsEdit, m_reEdit, m_zmaxEdit, m_f1Edit, m_f2Edit, m_fcEdit, m_vbEdit, use, discard});

    for (QLineEdit* entry :
         {m_fsEdit, m_reEdit, m_zmaxEdit, m_f1Edit, m_f2Edit, m_fcEdit, m_vbEdit})
        connect(entry, &QLineEdit::textChanged, this, &CTSParamsDlg::Recalculate);
}

bool CTSParamsDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Number(m_fsEdit, m_tsFs)
        .Number(m_reEdit, m_tsRe)
        .Number(m_zmaxEdit, m_tsZmax)
        .Number(m_f1Edit, m_tsF1)
        .Number(m_f2Edit, m_tsF2)
        .Number(m_fcEdit, m_tsFc)
        .Number(m_vbEdit, m_tsVb, Quantity::Volume);
    return dx.Ok();
}

void CTSParamsDlg::Recalculate() {
    // A failed read has shown its message; the figures are still worked out
    // from what the fields hold now.
    DoDataExchange(DataExchange::Direction::Read);
    const TsCalc::Results r =
        TsCalc::Compute({m_tsFs, m_tsRe, m_tsZmax, m_tsF1, m_tsF2, m_tsFc, m_tsVb}, m_tsQts);
    m_tsQts = r.qts;
    m_tsVas = r.vas;
    m_resultsShown = true;

    const QString z = PrintfText::FormatOrNa("%.1f ohms", r.z);
    EntryText::Set(m_z1Field, z);
    EntryText::Set(m_z2Field, z);
    // The entered Fs unchanged; a design's non-finite Fs shows as no value.
    EntryText::Set(m_fsResult,
                   PrintfText::FormatOrNa("%.1f", std::isfinite(m_tsFs) ? std::optional(m_tsFs)
                                                                        : std::nullopt));
    EntryText::Set(m_qtsResult, PrintfText::FormatOrNa("%.3f", m_tsQts));
    EntryText::Set(m_qesResult, PrintfText::FormatOrNa("%.3f", r.qes));
    EntryText::Set(m_qmsResult, PrintfText::FormatOrNa("%.3f", r.qms));
    EntryText::Set(m_errorResult, PrintfText::FormatOrNa("%.3f", r.error));
    EntryText::Set(m_vasResult,
                   PrintfText::FormatOrNa("%.3f", m_tsVas ? std::optional(UnitChoice::ToDisplay(
                                                                Quantity::Volume, *m_tsVas))
                                                          : std::nullopt));
}

QLineEdit* CTSParamsDlg::InitialEntry() const {
    return m_fsEdit;
}

} // namespace orvane
