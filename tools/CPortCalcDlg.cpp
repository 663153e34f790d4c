// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CPortCalcDlg.h"

#include "core/calc/PortCalc.h"
#include "platform/EntryText.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

using UnitChoice::Quantity;

// "%.2f in", or in centimetres "%.2f cm".
QString LengthLine(std::optional<double> inches) {
    if (!DisplayUnits::Converts(UnitChoice::Current(), Quantity::Length))
        return PrintfText::FormatOrNa("%.2f in", inches);
    return PrintfText::FormatOrNa(
        "%.2f cm",
        inches ? std::optional(UnitChoice::ToDisplay(Quantity::Length, *inches)) : std::nullopt);
}

QGroupBox* LineGroup(const QString& title, QLabel*& line, const char* objectName) {
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    line = new QLabel;
    line->setObjectName(QString::fromLatin1(objectName));
    layout->addWidget(line);
    return group;
}

} // namespace

CPortCalcDlg::CPortCalcDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Port Calculator"));
    setModal(true);

    m_front = new QRadioButton(QStringLiteral("Front"));
    m_rear = new QRadioButton(QStringLiteral("Rear"));
    m_front->setObjectName("front");
    m_rear->setObjectName("rear");
    auto* chambers = new QVBoxLayout;
    chambers->addWidget(m_front);
    chambers->addWidget(m_rear);
    chambers->addStretch(1);

    auto* alignment = new QGroupBox(QStringLiteral("Alignment"));
    auto* alignmentLines = new QVBoxLayout(alignment);
    m_volumeLine = new QLabel;
    m_tuningLine = new QLabel;
    m_volumeLine->setObjectName("alignmentVolume");
    m_tuningLine->setObjectName("alignmentTuning");
    alignmentLines->addWidget(m_volumeLine);
    alignmentLines->addWidget(m_tuningLine);

    auto* entries = new QGridLayout;
    m_countEdit = DialogRows::AddEntry(entries, 0, 0, QStringLiteral("Number of Ports"), "ports");
    m_diameterEdit =
        DialogRows::AddEntry(entries, 1, 0,
                             UnitChoice::Labelled(QStringLiteral("Port Diameter"), Quantity::Length,
                                                  QStringLiteral("Port Diameter (in)")),
                             "diameter");
    m_lengthEdit =
        DialogRows::AddEntry(entries, 2, 0,
                             UnitChoice::Labelled(QStringLiteral("Port Length"), Quantity::Length,
                                                  QStringLiteral("Port Length (in)")),
                             "length");
    // The program writes the computed length here; the user cannot type into it.
    m_lengthEdit->setEnabled(false);
    entries->setRowStretch(3, 1);

    auto* figures = new QVBoxLayout;
    figures->addWidget(LineGroup(QStringLiteral("Min Diameter"), m_minDiameterLine, "minDiameter"));
    figures->addWidget(LineGroup(QStringLiteral("Effective Diameter"), m_effectiveDiameterLine,
                                 "effectiveDiameter"));

    QPushButton* ok = DialogRows::MakeButton(this, QStringLiteral("OK"), true);
    QPushButton* cancel = DialogRows::MakeButton(this, QStringLiteral("Cancel"), false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* grid = new QGridLayout(this);
    grid->addLayout(chambers, 0, 0);
    grid->addWidget(alignment, 0, 1);
    grid->addLayout(entries, 1, 0);
    grid->addLayout(figures, 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnMinimumWidth(1, DialogRows::FieldWidth(this, 14));
    grid->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder(
        {m_front, m_rear, m_countEdit, m_diameterEdit, m_lengthEdit, ok, cancel});

    connect(ok, &QPushButton::clicked, this, &CPortCalcDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPortCalcDlg::reject);
    connect(m_front, &QRadioButton::clicked, this, [this] { ChooseChamber(Chamber::Front); });
    connect(m_rear, &QRadioButton::clicked, this, [this] { ChooseChamber(Chamber::Rear); });
    connect(m_diameterEdit, &QLineEdit::textChanged, this, [this] { UpdatePortLength(false); });
    connect(m_countEdit, &QLineEdit::textChanged, this, [this] { UpdatePortLength(true); });
}

bool CPortCalcDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Number(m_diameterEdit, m_portDiameter, Quantity::Length);
    // The length field holds the program's output and is closed to typing. A
    // text that is no number by the entry rules ("n/a", or "-0.00" from a zero
    // diameter) must not hold the dialog open over a field nobody can correct.
    if (!dx.Reading() || NumericText::ReadNumber(m_lengthEdit->text()))
        dx.Number(m_lengthEdit, m_portLength, Quantity::Length);
    dx.Integer(m_countEdit, m_portCount);
    return dx.Ok();
}

void CPortCalcDlg::OnInitDialog() {
    // A data exchange raises no change notification: no live update yet, so
    // the Effective Diameter line stays empty until the first edit.
    CExchangeDialog::OnInitDialog();
    m_front->setChecked(true);
    ChooseChamber(Chamber::Front);
    m_rear->setEnabled(m_f2 > 0.01);
}

void CPortCalcDlg::ChooseChamber(Chamber chamber) {
    const bool front = chamber == Chamber::Front;
    m_fb = front ? m_f1 : m_f2;
    m_vb = front ? m_v1 : m_v2;
    m_front->setChecked(front);
    m_rear->setChecked(!front);
    if (DisplayUnits::Converts(UnitChoice::Current(), Quantity::Volume))
        m_volumeLine->setText(
            PrintfText::Format("Vb  %.2f litres", UnitChoice::ToDisplay(Quantity::Volume, m_vb)));
    else
        m_volumeLine->setText(PrintfText::Format("Vb  %.2f cubic ft.", m_vb));
    m_tuningLine->setText(PrintfText::Format("Fb  %.1f Hz", m_fb));
    m_minDiameterLine->setText(LengthLine(PortCalc::MinDiameter(m_coneDiameter, m_xmax, m_fb)));
    if (const std::optional<Ports>& ports = m_analysisPorts[front ? 0 : 1]) {
        // Written as the exchange writes them; the figures follow at once.
        m_portCount = ports->count;
        m_portDiameter = ports->diameter;
        DataExchange(DataExchange::Direction::Display, this)
            .Integer(m_countEdit, m_portCount)
            .Number(m_diameterEdit, m_portDiameter, Quantity::Length);
        UpdatePortLength(true);
    }
}

void CPortCalcDlg::UpdatePortLength(bool countChanged) {
    if (countChanged) {
        if (const auto count = NumericText::ScanInteger(m_countEdit->text()))
            m_portCount = *count;
    }
    // The diameter as typed, in the shown unit; the arithmetic works in inches.
    auto diameter = NumericText::ScanNumber(m_diameterEdit->text());
    if (diameter)
        diameter = UnitChoice::FromDisplay(Quantity::Length, *diameter);
    const auto port = PortCalc::Compute(diameter, m_portCount, m_vb, m_fb);
    m_computedLength = port ? std::optional(port->length) : std::nullopt;
    EntryText::Set(m_lengthEdit,
                   PrintfText::FormatOrNa("%.2f", m_computedLength
                                                      ? std::optional(UnitChoice::ToDisplay(
                                                            Quantity::Length, *m_computedLength))
                                                      : std::nullopt));
    m_effectiveDiameterLine->setText(
        LengthLine(port ? std::optional(port->effectiveDiameter) : std::nullopt));
}

bool CPortCalcDlg::RearChosen() const {
    return m_rear->isChecked();
}

QLineEdit* CPortCalcDlg::InitialEntry() const {
    return m_diameterEdit;
}

} // namespace orvane
