// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CAlignmentDlg.h"

#include "platform/Message.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"
#include "tools/PrintfText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

const QString kCaption = QStringLiteral("Alignments");

// Every number and unit the dialog shows is written here.
namespace Shown {

using UnitChoice::Quantity;

QString VolumeUnit() {
    return UnitChoice::Label(Quantity::Volume);
}
QString Volume(double ft3) {
    return PrintfText::Format("%.2f", UnitChoice::ToDisplay(Quantity::Volume, ft3));
}
QString Frequency(double hz) {
    return PrintfText::Format("%.1f", hz);
}
QString Q(double q) {
    return PrintfText::Format("%.3f", q);
}
// A level that rounds to zero shows without a sign.
QString Level(double db) {
    const double rounded = std::round(db * 100) / 100;
    return PrintfText::Format("%.2f", rounded == 0 ? 0.0 : rounded);
}
QString NotAvailable() {
    return QStringLiteral("n/a");
}

} // namespace Shown

QTableWidget* MakeTable(const QStringList& headers, int rows, const char* objectName) {
    auto* table = new QTableWidget(rows, static_cast<int>(headers.size()));
    table->setObjectName(QString::fromLatin1(objectName));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Room for the widest figure a column shows, whatever it shows now.
    const int figure = DialogRows::FieldWidth(table, 8);
    for (int column = 0; column < table->columnCount(); ++column) {
        const int header =
            table->fontMetrics().horizontalAdvance(headers[column]) + 2 * table->frameWidth() + 16;
        table->setColumnWidth(column, std::max(figure, header));
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setHighlightSections(false);
    table->verticalHeader()->setMinimumSectionSize(0);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    // Every row and column in view, without scroll bars.
    const int frame = 2 * table->frameWidth();
    table->setFixedSize(table->horizontalHeader()->length() + frame,
                        table->horizontalHeader()->sizeHint().height() +
                            table->verticalHeader()->length() + frame);
    return table;
}

// A row without an alignment shows "n/a", tells why in its tip, and cannot
// be picked.
void SetRow(QTableWidget* table, int row, const QStringList& texts, const Alignment::RowResult& r) {
    const QString why = r ? QString() : QString::fromStdString(r.Message());
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(r ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled);
        item->setToolTip(why);
        table->setItem(row, column, item);
    }
}

QStringList Figures(const Alignment::RowResult& r) {
    if (!r)
        return {Shown::NotAvailable(), Shown::NotAvailable(), Shown::NotAvailable()};
    return {Shown::Frequency(r->f1), Shown::Frequency(r->f3), Shown::Level(r->peak)};
}

// A sealed row's volume column.
QString VolumeOf(const Alignment::RowResult& r) {
    return r ? Shown::Volume(r->v1) : Shown::NotAvailable();
}

// Selects one row without raising the table's own notification, or clears.
void ShowPicked(QTableWidget* table, int row) {
    const QSignalBlocker blocker(table);
    if (row < 0)
        table->clearSelection();
    else
        table->selectRow(row);
}

int SelectedRow(const QTableWidget* table) {
    const QList<QTableWidgetItem*> items = table->selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

} // namespace

CAlignmentDlg::CAlignmentDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(kCaption);
    setModal(true);

    m_driverLine = new QLabel;
    m_driverLine->setObjectName("driver");

    const QString volumeHeader = QStringLiteral("V1 (%1)").arg(Shown::VolumeUnit());
    auto* sealed = new QGroupBox(QStringLiteral("Sealed"));
    auto* sealedGrid = new QGridLayout(sealed);
    m_sealedTable = MakeTable({QStringLiteral("Qtc"), volumeHeader, QStringLiteral("fc (Hz)"),
                               QStringLiteral("f3 (Hz)"), QStringLiteral("Peak (dB)")},
                              kTypedRow + 1, "sealedTable");
    sealedGrid->addWidget(m_sealedTable, 0, 0, 1, 2);
    m_qtcEdit = DialogRows::AddEntry(sealedGrid, 1, 0, FieldId::Qtc);
    auto* hint = new QLabel(QStringLiteral(
        "f3 is where the response has fallen 3 dB below the passband, Peak its highest level "
        "above it. The vented tuning is the one with the lowest f3 whose response never rises "
        "above the ripple."));
    hint->setWordWrap(true);
    hint->setFixedWidth(m_sealedTable->width());
    sealedGrid->addWidget(hint, 2, 0, 1, 2, Qt::AlignTop);
    sealedGrid->setColumnStretch(1, 1);
    sealedGrid->setRowStretch(2, 1);

    auto* vented = new QGroupBox(QStringLiteral("Vented"));
    auto* ventedGrid = new QGridLayout(vented);
    m_volumeEdit = DialogRows::AddEntry(ventedGrid, 0, 0, FieldId::AlignVolume);
    auto* ripples = new QHBoxLayout;
    ripples->addWidget(new QLabel(QStringLiteral("Ripple")));
    for (size_t i = 0; i < Alignment::kRipples.size(); ++i) {
        const double ripple = Alignment::kRipples[i];
        auto* button = new QRadioButton(PrintfText::Format("%g dB", ripple));
        button->setObjectName(PrintfText::Format("ripple%g", ripple));
        connect(button, &QRadioButton::clicked, this, [this, ripple] { OnRipple(ripple); });
        ripples->addWidget(button);
        m_rippleButtons[i] = button;
    }
    ripples->addStretch(1);
    ventedGrid->addLayout(ripples, 1, 0, 1, 2);
    m_ventedLine = new QLabel;
    m_ventedLine->setObjectName("ventedResult");
    ventedGrid->addWidget(m_ventedLine, 2, 0, 1, 2);
    m_ventedTable = MakeTable({volumeHeader, QStringLiteral("F1 (Hz)"), QStringLiteral("f3 (Hz)"),
                               QStringLiteral("Peak (dB)")},
                              Alignment::kTableRows, "ventedTable");
    ventedGrid->addWidget(m_ventedTable, 3, 0, 1, 2);
    ventedGrid->setColumnStretch(1, 1);

    m_choiceLine = new QLabel;
    m_choiceLine->setObjectName("choice");
    QPushButton* apply = DialogRows::MakeButton(this, QStringLiteral("&Apply"), true);
    QPushButton* close = DialogRows::MakeButton(this, QStringLiteral("&Close"), false);
    connect(apply, &QPushButton::clicked, this, &CAlignmentDlg::accept);
    connect(close, &QPushButton::clicked, this, &CAlignmentDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_choiceLine, 1);
    buttons->addWidget(apply);
    buttons->addWidget(close);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_driverLine, 0, 0, 1, 2);
    grid->addWidget(sealed, 1, 0);
    grid->addWidget(vented, 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_sealedTable, m_qtcEdit, m_volumeEdit, m_rippleButtons[0],
                             m_rippleButtons[1], m_rippleButtons[2], m_rippleButtons[3],
                             m_ventedTable, apply, close});

    // A click on a row without an alignment clears the selection; the row
    // still chosen shows again.
    connect(m_sealedTable, &QTableWidget::itemSelectionChanged, this, [this] {
        if (const int row = SelectedRow(m_sealedTable); row >= 0)
            PickSealed(row);
        else if (m_choice.sealed && m_sealedRows[static_cast<size_t>(m_choice.row)])
            ShowPicked(m_sealedTable, m_choice.row);
    });
    connect(m_ventedTable, &QTableWidget::itemSelectionChanged, this, [this] {
        if (const int row = SelectedRow(m_ventedTable); row >= 0)
            PickVentedRow(row);
        else if (!m_choice.sealed)
            ShowVolumeRow();
    });
    connect(m_qtcEdit, &QLineEdit::textEdited, this, &CAlignmentDlg::OnQtcEdited);
    connect(m_volumeEdit, &QLineEdit::textEdited, this, &CAlignmentDlg::OnVolumeEdited);
}

bool CAlignmentDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    if (!dx.Reading()) {
        dx.Field(m_qtcEdit, FieldId::Qtc, m_qtc)
            .Field(m_volumeEdit, FieldId::AlignVolume, m_volume);
        return true;
    }
    // Only the entry the chosen alignment comes from is read.
    if (m_choice.sealed && m_choice.row == kTypedRow)
        dx.Field(m_qtcEdit, FieldId::Qtc, m_qtc);
    else if (!m_choice.sealed)
        dx.Field(m_volumeEdit, FieldId::AlignVolume, m_volume);
    if (!dx.Ok())
        return false;
    const Alignment::RowResult chosen = Chosen();
    if (!chosen) {
        ShowMessage(this, QString::fromStdString(chosen.Message()), MessageKind::Tool, kCaption);
        return false;
    }
    m_kind = m_choice.sealed ? BoxKind::Sealed : BoxKind::Vented;
    m_v1 = chosen->v1;
    m_f1 = chosen->f1;
    return true;
}

Alignment::RowResult CAlignmentDlg::Chosen() const {
    if (!m_choice.sealed)
        return Alignment::Vented(m_driver, m_volume, m_ripple);
    const double qtc = m_choice.row == kTypedRow
                           ? m_qtc
                           : Alignment::kSealedQtc[static_cast<size_t>(m_choice.row)];
    return Alignment::Sealed(m_driver, qtc);
}

void CAlignmentDlg::OnInitDialog() {
    CExchangeDialog::OnInitDialog();
    m_driverLine->setText(QStringLiteral("Fs %1 Hz    Qts %2    Vas %3 %4    Drivers %5")
                              .arg(Shown::Frequency(m_driver.fs), Shown::Q(m_driver.qts),
                                   Shown::Volume(m_driver.vas), Shown::VolumeUnit(),
                                   NumericText::FormatInteger(m_driver.count)));
    for (size_t i = 0; i < Alignment::kRipples.size(); ++i)
        m_rippleButtons[i]->setChecked(Alignment::kRipples[i] == m_ripple);
    FillSealedTable();
    UpdateTypedRow();
    UpdateVented(true);
    ShowVolumeRow();
    ShowChoice();
    // The focus starts where the tab order does, top left: the sealed table.
    m_sealedTable->setFocus(Qt::TabFocusReason);
}

QLineEdit* CAlignmentDlg::InitialEntry() const {
    return nullptr;
}

void CAlignmentDlg::FillSealedTable() {
    m_sealedRows.clear();
    for (int row = 0; row < kTypedRow; ++row) {
        const double qtc = Alignment::kSealedQtc[static_cast<size_t>(row)];
        const Alignment::RowResult& r = m_sealedRows.emplace_back(Alignment::Sealed(m_driver, qtc));
        SetRow(m_sealedTable, row, QStringList{Shown::Q(qtc), VolumeOf(r)} << Figures(r), r);
    }
    m_sealedRows.emplace_back(Alignment::Sealed(m_driver, m_qtc)); // the typed row
}

void CAlignmentDlg::UpdateTypedRow() {
    const Alignment::RowResult& r = m_sealedRows[kTypedRow] = Alignment::Sealed(m_driver, m_qtc);
    // An entry that holds no number shows as "n/a", not as "nan".
    const QString qtc = std::isfinite(m_qtc) ? Shown::Q(m_qtc) : Shown::NotAvailable();
    SetRow(m_sealedTable, kTypedRow, QStringList{qtc, VolumeOf(r)} << Figures(r), r);
}

void CAlignmentDlg::UpdateVented(bool table) {
    m_vented = Alignment::Vented(m_driver, m_volume, m_ripple);
    if (m_vented)
        m_ventedLine->setText(QStringLiteral("F1 %1 Hz    f3 %2 Hz    Peak %3 dB")
                                  .arg(Shown::Frequency(m_vented->f1),
                                       Shown::Frequency(m_vented->f3),
                                       Shown::Level(m_vented->peak)));
    else
        m_ventedLine->setText(QString::fromStdString(m_vented.Message()));
    if (!table)
        return;
    m_ventedRows = Alignment::VentedTable(m_driver, m_ripple);
    const auto volumes = Alignment::TableVolumes(m_driver);
    for (int row = 0; row < Alignment::kTableRows; ++row) {
        const Alignment::RowResult& r = m_ventedRows[static_cast<size_t>(row)];
        SetRow(m_ventedTable, row,
               QStringList{Shown::Volume(volumes[static_cast<size_t>(row)])} << Figures(r), r);
    }
}

void CAlignmentDlg::PickSealed(int row) {
    m_choice = {true, row};
    ShowPicked(m_ventedTable, -1);
    ShowChoice();
}

void CAlignmentDlg::PickVentedRow(int row) {
    const auto volumes = Alignment::TableVolumes(m_driver);
    m_volume = volumes[static_cast<size_t>(row)];
    DataExchange(DataExchange::Direction::Display, this)
        .Field(m_volumeEdit, FieldId::AlignVolume, m_volume);
    m_choice = {false, 0};
    ShowPicked(m_sealedTable, -1);
    UpdateVented(false);
    ShowChoice();
}

void CAlignmentDlg::OnVolumeEdited() {
    // Worked out while the user types, from the number the text starts with,
    // in the shown unit.
    const auto volume = NumericText::ScanNumber(m_volumeEdit->text());
    m_volume = volume ? UnitChoice::FromDisplay(Shown::Quantity::Volume, *volume)
                      : std::numeric_limits<double>::quiet_NaN();
    m_choice = {false, 0};
    ShowPicked(m_sealedTable, -1);
    ShowPicked(m_ventedTable, -1);
    UpdateVented(false);
    if (!volume)
        m_ventedLine->setText(Shown::NotAvailable());
    ShowChoice();
}

void CAlignmentDlg::OnQtcEdited() {
    const auto qtc = NumericText::ScanNumber(m_qtcEdit->text());
    m_qtc = qtc.value_or(std::numeric_limits<double>::quiet_NaN());
    UpdateTypedRow();
    m_choice = {true, kTypedRow};
    ShowPicked(m_ventedTable, -1);
    ShowPicked(m_sealedTable, m_sealedRows[kTypedRow] ? kTypedRow : -1);
    ShowChoice();
}

void CAlignmentDlg::OnRipple(double ripple) {
    m_ripple = ripple;
    m_choice = {false, 0};
    ShowPicked(m_sealedTable, -1);
    UpdateVented(true);
    ShowVolumeRow();
    ShowChoice();
}

void CAlignmentDlg::ShowVolumeRow() {
    // The row whose volume the entry holds, when it has an alignment.
    const auto volumes = Alignment::TableVolumes(m_driver);
    const auto* found = std::find(volumes.begin(), volumes.end(), m_volume);
    const auto row = static_cast<size_t>(found - volumes.begin());
    ShowPicked(m_ventedTable,
               found == volumes.end() || !m_ventedRows[row] ? -1 : static_cast<int>(row));
}

void CAlignmentDlg::ShowChoice() {
    const Alignment::RowResult& r =
        m_choice.sealed ? m_sealedRows[static_cast<size_t>(m_choice.row)] : m_vented;
    if (!r) {
        m_choiceLine->setText(QStringLiteral("Apply: %1").arg(Shown::NotAvailable()));
        return;
    }
    m_choiceLine->setText(
        QStringLiteral("Apply: %1, V1 %2 %3, F1 %4 Hz")
            .arg(m_choice.sealed ? QStringLiteral("Sealed") : QStringLiteral("Vented"),
                 Shown::Volume(r->v1), Shown::VolumeUnit(), Shown::Frequency(r->f1)));
}

} // namespace orvane
