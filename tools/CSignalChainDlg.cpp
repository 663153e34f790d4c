// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CSignalChainDlg.h"

#include "core/chain/Stages.h"
#include "platform/Message.h"
#include "tools/DialogRows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

QGroupBox* Group(const QString& title, QGridLayout*& grid) {
    auto* group = new QGroupBox(title);
    grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    return group;
}

QLabel* Hint(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setEnabled(false); // a hint, drawn as such
    return label;
}

} // namespace

CSignalChainDlg::CSignalChainDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Signal Chain"));
    setModal(true);

    QGridLayout* grid = nullptr;
    QGroupBox* drive = Group(QStringLiteral("Drive"), grid);
    m_powerEdit = DialogRows::AddEntry(grid, 0, 0, FieldId::Power);
    m_voltageEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::Voltage);
    m_rsEdit = DialogRows::AddEntry(grid, 2, 0, FieldId::SeriesResistance);
    grid->addWidget(Hint(QStringLiteral("An input voltage, when given, drives in place of the "
                                        "input power.")),
                    3, 0, 1, 2);

    QGroupBox* amplifier = Group(QStringLiteral("Amplifier Limit"), grid);
    m_ampPowerEdit = DialogRows::AddEntry(grid, 0, 0, FieldId::AmpPower);
    m_ampVoltageEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::AmpVoltage);

    auto* filters = new QGroupBox(QStringLiteral("Filters, in Signal Order"));
    auto* filterGrid = new QGridLayout(filters);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("stages"));
    m_list->setMinimumWidth(DialogRows::FieldWidth(this, 22));
    m_list->setMaximumHeight(m_list->fontMetrics().height() * 9);
    m_stageEdit = new QLineEdit;
    m_stageEdit->setObjectName(QStringLiteral("stage"));
    m_add = DialogRows::MakeButton(this, QStringLiteral("&Add"), false);
    m_replace = DialogRows::MakeButton(this, QStringLiteral("Re&place"), false);
    m_remove = DialogRows::MakeButton(this, QStringLiteral("&Remove"), false);
    m_up = DialogRows::MakeButton(this, QStringLiteral("Move &Up"), false);
    m_down = DialogRows::MakeButton(this, QStringLiteral("Move &Down"), false);
    auto* buttonColumn = new QVBoxLayout;
    for (QPushButton* b : {m_add, m_replace, m_remove, m_up, m_down})
        buttonColumn->addWidget(b);
    buttonColumn->addStretch(1);
    auto* stageLabel = new QLabel(QStringLiteral("&Stage"));
    stageLabel->setBuddy(m_stageEdit);
    filterGrid->addWidget(m_list, 0, 0, 1, 2);
    filterGrid->addLayout(buttonColumn, 0, 2, 2, 1);
    filterGrid->addWidget(stageLabel, 1, 0);
    filterGrid->addWidget(m_stageEdit, 1, 1);
    filterGrid->addWidget(
        Hint(QStringLiteral(
            "hp:bw4:20 (Butterworth, order 1\u20134), lp:lr4:80 (Linkwitz\u2013Riley "
            "2 or 4), hp:q:25:0.5, lt:50:0.9:25:0.707 (Linkwitz transform f0:Q0:"
            "fp:Qp), peak:30:2:6, lowshelf:40:0.707:6, highshelf:2000:0.7:-3 "
            "(f:Q:dB), gain:-3")),
        2, 0, 1, 3);
    filterGrid->setRowStretch(3, 1);

    QGroupBox* room = Group(QStringLiteral("Room Gain"), grid);
    m_fcEdit = DialogRows::AddEntry(grid, 0, 0, FieldId::RoomGainFc);
    m_maxEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::RoomGainMax);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);

    auto* left = new QVBoxLayout;
    left->addWidget(drive);
    left->addWidget(amplifier);
    left->addWidget(room);
    left->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(filters, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_powerEdit, m_voltageEdit, m_rsEdit, m_ampPowerEdit, m_ampVoltageEdit,
                             m_fcEdit, m_maxEdit, m_list, m_stageEdit, m_add, m_replace, m_remove,
                             m_up, m_down, buttons.ok, buttons.cancel});

    connect(m_list, &QListWidget::currentRowChanged, this, [this] { Select(); });
    connect(m_add, &QPushButton::clicked, this, [this] { AddStage(false); });
    connect(m_replace, &QPushButton::clicked, this, [this] { AddStage(true); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveStage(); });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveStage(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveStage(1); });
}

bool CSignalChainDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Field(m_powerEdit, FieldId::Power, m_power)
        .Field(m_voltageEdit, FieldId::Voltage, m_voltage)
        .Field(m_rsEdit, FieldId::SeriesResistance, m_seriesResistance)
        .Field(m_ampPowerEdit, FieldId::AmpPower, m_ampPower)
        .Field(m_ampVoltageEdit, FieldId::AmpVoltage, m_ampVoltage)
        .Field(m_fcEdit, FieldId::RoomGainFc, m_roomGainFc)
        .Field(m_maxEdit, FieldId::RoomGainMax, m_roomGainMax);
    if (!dx.Reading())
        ShowStages(m_stages.empty() ? -1 : 0);
    return dx.Ok();
}

QLineEdit* CSignalChainDlg::InitialEntry() const {
    return m_powerEdit;
}

void CSignalChainDlg::ShowStages(int current) {
    m_list->clear();
    for (const FilterStage& st : m_stages)
        m_list->addItem(QString::fromStdString(StageText(st)));
    m_list->setCurrentRow(current);
    Select();
}

void CSignalChainDlg::Select() {
    const int row = m_list->currentRow();
    const bool selected = row >= 0 && row < static_cast<int>(m_stages.size());
    if (selected)
        m_stageEdit->setText(m_list->item(row)->text());
    m_replace->setEnabled(selected);
    m_remove->setEnabled(selected);
    m_up->setEnabled(selected && row > 0);
    m_down->setEnabled(selected && row + 1 < static_cast<int>(m_stages.size()));
    m_add->setEnabled(m_stages.size() < kMaxStages);
}

void CSignalChainDlg::AddStage(bool replace) {
    const Result<FilterStage> stage = ParseStage(m_stageEdit->text().trimmed().toStdString());
    if (!stage) {
        ShowMessage(this, QString::fromStdString(stage.Message()));
        m_stageEdit->setFocus();
        m_stageEdit->selectAll();
        return;
    }
    int row = m_list->currentRow();
    if (replace && row >= 0) {
        m_stages[static_cast<std::size_t>(row)] = *stage;
    } else if (m_stages.size() < kMaxStages) {
        row = row < 0 ? static_cast<int>(m_stages.size()) : row + 1; // after the one selected
        m_stages.insert(m_stages.begin() + row, *stage);
    }
    ShowStages(row);
}

void CSignalChainDlg::RemoveStage() {
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    m_stages.erase(m_stages.begin() + row);
    ShowStages(std::min(row, static_cast<int>(m_stages.size()) - 1));
}

void CSignalChainDlg::MoveStage(int by) {
    const int row = m_list->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(m_stages.size()))
        return;
    std::swap(m_stages[static_cast<std::size_t>(row)], m_stages[static_cast<std::size_t>(to)]);
    ShowStages(to);
}

} // namespace orvane
