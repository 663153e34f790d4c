// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CBoxCalcDlg.h"

#include "core/calc/BoxCalc.h"
#include "platform/NumericText.h"
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
        DialogRows::AddEntry(fields, 0, 0, QStringLiteral("Box Volume (ft^3)"), "volume");
    const QString labels[] = {QStringLiteral("Width (in)"), QStringLiteral("Height (in)"),
                              QStringLiteral("Depth (in)")};
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
    m_volumeEdit->setText(PrintfText::Format("%.2f", m_volume));
    m_golden->setChecked(true);
    CExchangeDialog::OnInitDialog();
}

void CBoxCalcDlg::OnRatio(double ratio) {
    m_ratio = ratio;
    UpdateDimensions();
}

void CBoxCalcDlg::UpdateDimensions() {
    if (const auto volume = NumericText::ScanNumber(m_volumeEdit->text()))
        m_volume = *volume;
    const auto d = BoxCalc::Compute(m_volume, m_ratio);
    m_side = d ? std::optional(d->width) : std::nullopt;
    m_height = d ? std::optional(d->height) : std::nullopt;
    m_width = m_side;
    m_depth = d ? std::optional(d->depth) : std::nullopt;
    m_heightEdit->setText(PrintfText::FormatOrNa("%.3f", m_height));
    m_widthEdit->setText(PrintfText::FormatOrNa("%.3f", m_width));
    m_depthEdit->setText(PrintfText::FormatOrNa("%.3f", m_depth));
}

QLineEdit* CBoxCalcDlg::InitialEntry() const {
    return m_volumeEdit;
}

} // namespace orvane
