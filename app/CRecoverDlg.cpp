// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CRecoverDlg.h"

#include "platform/Message.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvane {

namespace {

// The row's index in m_rows, kept on its list item.
constexpr int kRowRole = Qt::UserRole;

} // namespace

CRecoverDlg::CRecoverDlg(std::vector<Row> rows, QWidget* parent)
    : QDialog(parent), m_rows(std::move(rows)), m_choices(m_rows.size(), Choice::Later) {
    setWindowTitle(QStringLiteral("Recover Unsaved Designs"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral(
        "Orvane ended without saving these designs. Recover opens them as they were; "
        "Discard deletes them; Later keeps them for the next start."));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("autosaves"));
    m_list->setHeaderLabels(
        {QStringLiteral("Design"), QStringLiteral("Original File"), QStringLiteral("Saved")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        const bool damaged = !row.problem.isEmpty();
        auto* item = new QTreeWidgetItem(
            m_list, {damaged ? row.title + QStringLiteral(" (damaged)") : row.title,
                     row.file.isEmpty() ? QStringLiteral("not saved yet") : row.file, row.saved});
        item->setData(0, kRowRole, static_cast<qulonglong>(i));
        if (damaged) {
            for (int column = 0; column < 3; ++column)
                item->setToolTip(column, row.problem);
        }
    }
    m_list->selectAll();
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(this);
    m_recover = buttons->addButton(QStringLiteral("&Recover"), QDialogButtonBox::AcceptRole);
    m_discard = buttons->addButton(QStringLiteral("&Discard"), QDialogButtonBox::DestructiveRole);
    QPushButton* later = buttons->addButton(QStringLiteral("&Later"), QDialogButtonBox::RejectRole);
    m_recover->setObjectName(QStringLiteral("recover"));
    m_discard->setObjectName(QStringLiteral("discard"));
    m_recover->setDefault(true);
    // The buttons act on the list; only Later (and Escape) close it early.
    connect(m_recover, &QPushButton::clicked, this, [this] { Choose(Choice::Recover); });
    connect(m_discard, &QPushButton::clicked, this, [this] { Choose(Choice::Discard); });
    connect(later, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CRecoverDlg::UpdateButtons);
    UpdateButtons();
    resize(sizeHint().expandedTo(QSize(fontMetrics().averageCharWidth() * 80, 0)));
}

void CRecoverDlg::Choose(Choice choice) {
    if (choice == Choice::Discard &&
        ShowMessage(this,
                    QStringLiteral("Discard the selected designs? Their changes will be lost."),
                    MessageKind::Question, windowTitle(),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    for (QTreeWidgetItem* item : m_list->selectedItems()) {
        const auto row = item->data(0, kRowRole).toULongLong();
        if (choice == Choice::Recover && !m_rows[row].problem.isEmpty())
            continue; // a damaged autosave stays until it is discarded
        m_choices[row] = choice;
        delete item;
    }
    if (m_list->topLevelItemCount() == 0)
        accept();
}

void CRecoverDlg::UpdateButtons() {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    bool recoverable = false;
    for (const QTreeWidgetItem* item : selected)
        recoverable |= m_rows[item->data(0, kRowRole).toULongLong()].problem.isEmpty();
    m_recover->setEnabled(recoverable);
    m_discard->setEnabled(!selected.isEmpty());
}

} // namespace orvane
