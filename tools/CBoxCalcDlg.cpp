// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CBoxCalcDlg.h"

#include "core/calc/BoxCalc.h"
#include "platform/EntryText.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

using UnitChoice::Quantity;

// A dimension in the shown unit, "%.3f".
QString Dimension(std::optional<double> inches) {
    return PrintfText::FormatOrNa(
        "%.3f",
        inches ? std::optional(UnitChoice::ToDisplay(Quantity::Length, *inches)) : std::nullopt);
}

} // namespace

CBoxCalcDlg::CBoxCalcDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Box Calculator"));
    setModal(true);

    auto* heading = new QLabel(
        QStringLiteral("Calculate internal box dimensions to minimize internal reflections"));

    auto* ratios = new QGroupBox(QStringLiteral("Optimum Ratios"));
    auto* ratioButtons = new QVBoxLayout(ratios);
    const struct {
        const char* label;
        const char* name;
        double ratio;
    } choices[] = {{"  1.618", "ratio1618", 1.618},
                   {"  1.414", "ratio1414", 1.414},
                   {"  1.26", "ratio126", 1.26}};
    QRadioButton* ratioButton[3] = {};
    int index = 0;
    for (const auto& choice : choices) {
        auto* button = new QRadioButton(QString::fromLatin1(choice.label));
        ratioButton[index++] = button;
        button->setObjectName(QString::fromLatin1(choice.name));
        ratioButtons->addWidget(button);
        const double ratio = choice.ratio;
        connect(button, &QRadioButton::clicked, this, [this, ratio] { OnRatio(ratio); });
        if (ratio == 1.618)
            m_golden = button;
    }

    QPushButton* ok = DialogRows::MakeButton(this, QStringLiteral("OK"), true);
    QPushButton* cancel = DialogRows::MakeButton(this, QStringLiteral("Cancel"), false);
    connect(ok, &QPushButton::clicked, this, &CBoxCalcDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBoxCalcDlg::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* fields = new QGridLayout;
    m_volumeEdit =
        DialogRows::AddEntry(fields, 0, 0,
                             UnitChoice::Labelled(QStringLiteral("Box Volume"), Quantity::Volume,
                                                  QStringLiteral("Box Volume (ft^3)")),
                             "volume");
    const QString labels[] = {UnitChoice::Labelled(QStringLiteral("Width"), Quantity::Length,
                                                   QStringLiteral("Width (in)")),
                              UnitChoice::Labelled(QStringLiteral("Height"), Quantity::Length,
                                                   QStringLiteral("Height (in)")),
                              UnitChoice::Labelled(QStringLiteral("Depth"), Quantity::Length,
                                                   QStringLiteral("Depth (in)"))};
    const char* names[] = {"width", "height", "depth"};
    QLineEdit** outputs[] = {&m_widthEdit, &m_heightEdit, &m_depthEdit};
    for (int i = 0; i < 3; ++i) {
        *outputs[i] = DialogRows::AddEntry(fields, i + 1, 0, labels[i], names[i]);
        (*outputs[i])->setReadOnly(true);
        (*outputs[i])->setFocusPolicy(Qt::ClickFocus);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->setRowMinimumHeight(0, heading->sizeHint().height() + 8);
    grid->addWidget(ratios, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addLayout(fields, 2, 0);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder(
        {ratioButton[0], ratioButton[1], ratioButton[2], m_volumeEdit, ok, cancel});

    connect(m_volumeEdit, &QLineEdit::textChanged, this, &CBoxCalcDlg::UpdateDimensions);
}

void CBoxCalcDlg::OnInitDialog() {
    m_ratio = 1.618;
    // A real change of the text: the first dimensions come from the volume as
    // shown, rounded to two decimals.
    EntryText::Set(m_volumeEdit,
                   PrintfText::Format("%.2f", UnitChoice::ToDisplay(Quantity::Volume, m_volume)));
    m_golden->setChecked(true);
    CExchangeDialog::OnInitDialog();
}

void CBoxCalcDlg::OnRatio(double ratio) {
    m_ratio = ratio;
    UpdateDimensions();
}

void CBoxCalcDlg::UpdateDimensions() {
    if (const auto volume = NumericText::ScanNumber(m_volumeEdit->text()))
        m_volume = UnitChoice::FromDisplay(Quantity::Volume, *volume);
    const auto d = BoxCalc::Compute(m_volume, m_ratio);
    m_side = d ? std::optional(d->width) : std::nullopt;
    m_height = d ? std::optional(d->height) : std::nullopt;
    m_width = m_side;
    m_depth = d ? std::optional(d->depth) : std::nullopt;
    EntryText::Set(m_heightEdit, Dimension(m_height));
    EntryText::Set(m_widthEdit, Dimension(m_width));
    EntryText::Set(m_depthEdit, Dimension(m_depth));
}

QLineEdit* CBoxCalcDlg::InitialEntry() const {
    return m_volumeEdit;
}

} // namespace orvane
