// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CDriverEntryDlg.h"

#include "platform/Message.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

using UnitChoice::Quantity;

// Room for the digits a converted value shows before the field scrolls.
constexpr int kDigits = 12;

QString WithUnit(const char* name, Quantity quantity) {
    return QStringLiteral("%1 (%2)").arg(QLatin1String(name), UnitChoice::Label(quantity));
}

} // namespace

CDriverEntryDlg::CDriverEntryDlg(const QString& title, QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(title);
    setModal(true);

    auto* names = new QGridLayout;
    m_makerEdit = DialogRows::AddEntry(names, 0, 0, QStringLiteral("Maker"), "maker", 24);
    m_modelEdit = DialogRows::AddEntry(names, 1, 0, QStringLiteral("Model"), "model", 24);
    m_kindChoice = new QComboBox;
    m_kindChoice->setObjectName(QStringLiteral("kind"));
    m_kindChoice->addItems({QStringLiteral("Driver"), QStringLiteral("Passive radiator")});
    m_kindChoice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* kindLabel = new QLabel(QStringLiteral("Kind"));
    kindLabel->setBuddy(m_kindChoice);
    names->addWidget(m_kindChoice, 2, 0, Qt::AlignLeft);
    names->addWidget(kindLabel, 2, 1);
    names->setColumnStretch(1, 1);

    auto* required = new QGroupBox(QStringLiteral("Required"));
    auto* requiredGrid = new QGridLayout(required);
    m_fsEdit = DialogRows::AddEntry(requiredGrid, 0, 0, QStringLiteral("Fs (Hz)"), "fs", kDigits);
    m_qtsEdit = DialogRows::AddEntry(requiredGrid, 1, 0, QStringLiteral("Qts"), "qts", kDigits);
    m_qLabel = qobject_cast<QLabel*>(requiredGrid->itemAtPosition(1, 1)->widget());
    m_vasEdit =
        DialogRows::AddEntry(requiredGrid, 2, 0, WithUnit("Vas", Quantity::Volume), "vas", kDigits);
    requiredGrid->setRowStretch(3, 1);
    requiredGrid->setColumnStretch(1, 1);

    auto* optional = new QGroupBox(QStringLiteral("Optional"));
    auto* optionalGrid = new QGridLayout(optional);
    m_coneDiameterEdit = DialogRows::AddEntry(
        optionalGrid, 0, 0, WithUnit("Cone Diameter", Quantity::Length), "coneDiameter", kDigits);
    m_xmaxEdit = DialogRows::AddEntry(optionalGrid, 1, 0, WithUnit("Xmax", Quantity::Excursion),
                                      "xmax", kDigits);
    m_efficiencyEdit = DialogRows::AddEntry(optionalGrid, 2, 0, QStringLiteral("Efficiency (dB)"),
                                            "efficiency", kDigits);
    m_reEdit = DialogRows::AddEntry(optionalGrid, 0, 2, QStringLiteral("Re (ohm)"), "re", kDigits);
    m_qesEdit = DialogRows::AddEntry(optionalGrid, 1, 2, QStringLiteral("Qes"), "qes", kDigits);
    m_leEdit = DialogRows::AddEntry(optionalGrid, 2, 2, QStringLiteral("Le (mH)"), "le", kDigits);
    m_peEdit = DialogRows::AddEntry(optionalGrid, 3, 2, QStringLiteral("Pe (W)"), "pe", kDigits);
    m_mmsEdit = DialogRows::AddEntry(optionalGrid, 3, 0, QStringLiteral("Mms (g)"), "mms", kDigits);
    m_displacementEdit = DialogRows::AddEntry(
        optionalGrid, 4, 0, WithUnit("Displacement", Quantity::Volume), "displacement", kDigits);
    optionalGrid->setColumnStretch(1, 1);
    optionalGrid->setColumnStretch(3, 1);

    auto* values = new QHBoxLayout;
    values->addWidget(required);
    values->addWidget(optional, 1);

    m_notesEdit = new QPlainTextEdit;
    m_notesEdit->setObjectName(QStringLiteral("notes"));
    m_notesEdit->setTabChangesFocus(true);
    m_notesEdit->setFixedHeight(m_notesEdit->fontMetrics().lineSpacing() * 3 + 12);
    auto* notesLabel = new QLabel(QStringLiteral("Notes"));
    notesLabel->setBuddy(m_notesEdit);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(names);
    layout->addLayout(values);
    layout->addWidget(notesLabel);
    layout->addWidget(m_notesEdit);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_makerEdit, m_modelEdit, m_kindChoice, m_fsEdit, m_qtsEdit, m_vasEdit,
                             m_coneDiameterEdit, m_xmaxEdit, m_efficiencyEdit, m_mmsEdit,
                             m_displacementEdit, m_reEdit, m_qesEdit, m_leEdit, m_peEdit,
                             m_notesEdit, buttons.ok, buttons.cancel});
    connect(m_kindChoice, &QComboBox::currentIndexChanged, this, &CDriverEntryDlg::ShowKind);
}

void CDriverEntryDlg::ShowKind() {
    const bool radiator = m_kindChoice->currentIndex() == 1;
    m_qLabel->setText(radiator ? QStringLiteral("Qms") : QStringLiteral("Qts"));
    for (QLineEdit* edit : {m_efficiencyEdit, m_reEdit, m_qesEdit, m_leEdit, m_peEdit})
        edit->setEnabled(!radiator);
}

QLineEdit* CDriverEntryDlg::InitialEntry() const {
    return m_entry.maker.empty() ? m_makerEdit : m_modelEdit;
}

void CDriverEntryDlg::OnInitDialog() {
    CExchangeDialog::OnInitDialog();
    // Values converted from other units can be long: show where they start.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (edit != InitialEntry())
            edit->setCursorPosition(0);
    }
}

bool CDriverEntryDlg::DoDataExchange(DataExchange::Direction direction) {
    DriverEntry e = m_entry;
    DataExchange dx(direction, this);
    dx.RequiredText(m_makerEdit, e.maker, QStringLiteral("Please enter a maker."))
        .RequiredText(m_modelEdit, e.model, QStringLiteral("Please enter a model."))
        .Number(m_fsEdit, e.fs)
        .Number(m_qtsEdit, e.qts)
        .Number(m_vasEdit, e.vas, Quantity::Volume)
        .OptionalNumber(m_coneDiameterEdit, e.coneDiameter, Quantity::Length)
        .OptionalNumber(m_xmaxEdit, e.xmax, Quantity::Excursion)
        .OptionalNumber(m_efficiencyEdit, e.efficiency)
        .OptionalNumber(m_reEdit, e.re)
        .OptionalNumber(m_qesEdit, e.qes)
        .OptionalNumber(m_leEdit, e.le)
        .OptionalNumber(m_peEdit, e.pe)
        .OptionalNumber(m_mmsEdit, e.mms)
        .OptionalNumber(m_displacementEdit, e.displacement, Quantity::Volume);
    if (!dx.Reading()) {
        m_kindChoice->setCurrentIndex(e.kind == DriverKind::Radiator ? 1 : 0);
        ShowKind();
        m_notesEdit->setPlainText(QString::fromStdString(e.notes));
        return true;
    }
    if (!dx.Ok())
        return false;
    e.notes = m_notesEdit->toPlainText().toStdString();
    e.kind = m_kindChoice->currentIndex() == 1 ? DriverKind::Radiator : DriverKind::Driver;
    // A radiator has no motor: what was typed for one is not kept.
    if (e.kind == DriverKind::Radiator)
        e.efficiency = e.re = e.qes = e.le = e.pe = std::nullopt;
    if (const std::optional<std::string> reason = NormaliseDriver(e)) {
        ShowMessage(this, QStringLiteral("This driver cannot be stored: %1.")
                              .arg(QString::fromStdString(*reason)));
        return false;
    }
    if (m_confirm && !m_confirm(e))
        return false;
    m_entry = std::move(e);
    return true;
}

} // namespace orvane
