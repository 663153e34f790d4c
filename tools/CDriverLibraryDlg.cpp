// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CDriverLibraryDlg.h"

#include "core/library/DriverImport.h"
#include "core/library/LibraryFiles.h"
#include "core/library/LibrarySession.h"
#include "platform/Message.h"
#include "tools/CDriverEntryDlg.h"
#include "tools/CImportDriversDlg.h"
#include "tools/DialogRows.h"
#include "tools/DriverTableModel.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace orvane {

namespace {

const QString kCaption = QStringLiteral("Driver Library");

// How many refused rows an import report lists; the rest are counted.
constexpr size_t kListedRefusals = 15;

QString Local(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Encode(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString Decode(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString ImportSummary(const QString& file, const ImportReport& report) {
    QString text = QStringLiteral("%1\n\nAdded %2, replaced %3, skipped %4, refused %5.")
                       .arg(file)
                       .arg(report.counts.added)
                       .arg(report.counts.replaced)
                       .arg(report.counts.skipped)
                       .arg(report.refused.size());
    if (report.refused.empty())
        return text;
    text += QStringLiteral("\n");
    for (size_t i = 0; i < report.refused.size() && i < kListedRefusals; ++i) {
        const RefusedRow& row = report.refused[i];
        text += QStringLiteral("\nLine %1: %2").arg(row.line).arg(Local(row.reason));
    }
    if (report.refused.size() > kListedRefusals)
        text += QStringLiteral("\n… and %1 more.").arg(report.refused.size() - kListedRefusals);
    return text;
}

} // namespace

CDriverLibraryDlg::CDriverLibraryDlg(LibrarySession& session, QWidget* parent, DriverKind pick)
    : QDialog(parent), m_session(session), m_pick(pick),
      m_installedQspeakers(Decode(InstalledQspeakersDatabase())) {
    const bool radiators = pick == DriverKind::Radiator;
    setWindowTitle(radiators ? kCaption + QStringLiteral(": Passive Radiators") : kCaption);
    setModal(true);

    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setPlaceholderText(QStringLiteral("Maker, model or notes"));
    m_search->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"));
    searchLabel->setBuddy(m_search);
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("count"));

    m_model = new DriverTableModel(this);
    m_model->SetRadiators(radiators);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("drivers"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(DriverTableModel::Maker, Qt::AscendingOrder);
    QHeaderView* header = m_table->horizontalHeader();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    const QFontMetrics metrics = m_table->fontMetrics();
    // A radiator has no motor: no electrical values to show.
    for (const int column :
         {DriverTableModel::Re, DriverTableModel::Pe, DriverTableModel::Efficiency})
        m_table->setColumnHidden(column, radiators);

    m_use = DialogRows::MakeButton(this, QStringLiteral("&Use"), true);
    m_add = DialogRows::MakeButton(this,
                                   radiators ? QStringLiteral("&Add Current Radiator…")
                                             : QStringLiteral("&Add Current Driver…"),
                                   false);
    m_edit = DialogRows::MakeButton(this, QStringLiteral("&Edit…"), false);
    m_delete = DialogRows::MakeButton(this, QStringLiteral("&Delete"), false);
    m_import = DialogRows::MakeButton(this, QStringLiteral("&Import…"), false);
    m_undoImport = DialogRows::MakeButton(this, QStringLiteral("Undo Im&port"), false);
    m_export = DialogRows::MakeButton(this, QStringLiteral("E&xport…"), false);
    m_check = DialogRows::MakeButton(this, QStringLiteral("Chec&k Library"), false);
    QPushButton* close = DialogRows::MakeButton(this, QStringLiteral("&Close"), false);
    connect(m_use, &QPushButton::clicked, this, &CDriverLibraryDlg::OnUse);
    connect(m_add, &QPushButton::clicked, this, &CDriverLibraryDlg::OnAddCurrent);
    connect(m_edit, &QPushButton::clicked, this, &CDriverLibraryDlg::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CDriverLibraryDlg::OnDelete);
    connect(m_import, &QPushButton::clicked, this, &CDriverLibraryDlg::OnImport);
    connect(m_undoImport, &QPushButton::clicked, this, &CDriverLibraryDlg::OnUndoImport);
    connect(m_export, &QPushButton::clicked, this, &CDriverLibraryDlg::OnExport);
    connect(m_check, &QPushButton::clicked, this, &CDriverLibraryDlg::OnCheck);
    connect(close, &QPushButton::clicked, this, &CDriverLibraryDlg::reject);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_use, m_add, m_edit, m_delete})
        buttons->addWidget(button);
    buttons->addSpacing(metrics.height());
    buttons->addWidget(m_import);
    buttons->addWidget(m_undoImport);
    buttons->addWidget(m_export);
    buttons->addSpacing(metrics.height());
    buttons->addWidget(m_check);
    buttons->addStretch(1);
    buttons->addWidget(close);

    m_problemLabel = new QLabel;
    m_problemLabel->setObjectName(QStringLiteral("problem"));
    m_problemLabel->setWordWrap(true);
    m_startNew = DialogRows::MakeButton(this, QStringLiteral("Start a &New Library…"), false);
    connect(m_startNew, &QPushButton::clicked, this, &CDriverLibraryDlg::OnStartNew);
    auto* problem = new QHBoxLayout;
    problem->addWidget(m_problemLabel, 1);
    problem->addWidget(m_startNew);

    auto* grid = new QGridLayout(this);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_count);
    grid->addLayout(searchRow, 0, 0);
    grid->addWidget(m_table, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addLayout(problem, 2, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);

    Connect();
    int tableWidth = 0;
    for (int column = 0; column < DriverTableModel::ColumnCount; ++column)
        tableWidth += m_table->columnWidth(column);
    QSize size(tableWidth + m_add->sizeHint().width() + 60, metrics.height() * 28);
    if (const QScreen* screen =
            parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    resize(size);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        const std::int64_t id = SelectedId();
        m_model->SetFilter(text);
        SelectId(id);
        UpdateState();
    });
    connect(m_table, &QTableView::doubleClicked, this, [this] { OnUse(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateState(); });

    // The arrow and page keys in the search box move through the table, so
    // the hands stay on the keys: type, pick, Enter.
    m_search->installEventFilter(this);
    m_search->setFocus();
}

bool CDriverLibraryDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(m_table, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

CDriverLibraryDlg::~CDriverLibraryDlg() {
    // A large library leaves the heap with free memory between blocks that
    // are still in use, which the allocator keeps: give it back to the
    // system once the dialog and all it held are gone.
#ifdef __GLIBC__
    QTimer::singleShot(0, [] { malloc_trim(0); });
#endif
}

void CDriverLibraryDlg::Connect() {
    m_lastImport = StoreChanges{};
    const Result<DriverLibrary*> library = m_session.Library();
    m_library = library ? *library : nullptr;
    m_problem = library ? QString() : Local(library.Message());
    if (!library)
        ShowProblem(m_problem, library.ErrorCode());
    else if (!m_library->ReadOnlyReason().empty())
        ShowProblem(QStringLiteral("The driver library %1 can be used but not changed: %2.")
                        .arg(Decode(m_session.Path()), Local(m_library->ReadOnlyReason())));
    else
        ShowProblem(QString());
    Reload();
    FitColumns();
}

void CDriverLibraryDlg::ShowProblem(const QString& text, int code) {
    m_problemLabel->setText(text);
    m_problemLabel->setVisible(!text.isEmpty());
    m_startNew->setVisible(MayReplaceLibrary(code));
}

void CDriverLibraryDlg::Reload(std::int64_t id) {
    if (id == 0)
        id = SelectedId();
    DriverRows rows;
    if (m_library != nullptr) {
        // As stored: the table sorts them its own way.
        FileResult read = m_library->ForEach(
            {},
            [&](const DriverEntry& e) {
                if (e.kind == m_pick)
                    rows.Add(e);
            },
            DriverLibrary::Order::Stored);
        if (const Result<std::vector<std::int64_t>> order = m_library->IdsByName(); order)
            rows.SetNameOrder(*order);
        else if (read)
            read = FileResult(order.Error());
        if (!read) {
            rows = DriverRows{};
            Report(read);
            // A library found damaged while reading may be started anew.
            if (MayReplaceLibrary(read.ErrorCode()))
                ShowProblem(Local(read.Message()), read.ErrorCode());
        }
    }
    m_model->SetRows(std::move(rows));
    SelectId(id);
    UpdateState();
}

// Each column as wide as what it shows: the widest name among the longest,
// the widest number text the column's values can take, the title; names no
// wider than 30 average letters, so that a long one does not push the
// numbers out of sight.
void CDriverLibraryDlg::FitColumns() {
    const QFontMetrics metrics = m_table->fontMetrics();
    const QFontMetrics bold(m_table->horizontalHeader()->font());
    const int padding =
        metrics.averageCharWidth() * 2 +
        m_table->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_table) * 2;
    for (int column = 0; column < DriverTableModel::ColumnCount; ++column) {
        if (m_table->isColumnHidden(column))
            continue;
        const QStringList texts = m_model->WidestTexts(column);
        // The title, with room for the sort arrow.
        int width = bold.horizontalAdvance(texts.front()) + metrics.height();
        for (qsizetype i = 1; i < texts.size(); ++i)
            width = std::max(width, metrics.horizontalAdvance(texts[i]));
        if (column <= DriverTableModel::Model)
            width =
                std::clamp(width, metrics.averageCharWidth() * 10, metrics.averageCharWidth() * 30);
        m_table->setColumnWidth(column, width + padding);
    }
}

void CDriverLibraryDlg::SelectId(std::int64_t id) {
    int row = id != 0 ? m_model->RowOf(id) : -1;
    if (row < 0 && m_model->ShownCount() > 0)
        row = 0;
    if (row < 0) {
        m_table->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    m_table->scrollTo(index);
}

std::int64_t CDriverLibraryDlg::SelectedId() const {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() >= m_model->ShownCount())
        return 0;
    return m_model->IdAt(rows.front().row());
}

std::optional<DriverEntry> CDriverLibraryDlg::ReadSelected() {
    const std::int64_t id = SelectedId();
    if (m_library == nullptr || id == 0)
        return std::nullopt;
    Result<std::optional<DriverEntry>> found = m_library->FindById(id);
    if (!found) {
        Report(FileResult(found.Error()));
        return std::nullopt;
    }
    if (!*found) {
        // Another user removed it meanwhile.
        ShowMessage(this, QStringLiteral("The driver is no longer in the library."));
        Reload();
        return std::nullopt;
    }
    return std::move(*found);
}

void CDriverLibraryDlg::UpdateState() {
    const bool open = m_library != nullptr;
    const bool writable = open && m_library->ReadOnlyReason().empty();
    const bool selected = open && SelectedId() != 0;
    m_use->setEnabled(selected);
    m_edit->setEnabled(selected && writable);
    m_delete->setEnabled(selected && writable);
    m_add->setEnabled(writable);
    m_import->setEnabled(writable);
    m_undoImport->setEnabled(writable && !m_lastImport.Empty());
    m_export->setEnabled(open);
    m_check->setEnabled(open);
    m_search->setEnabled(open);
    m_count->setText((m_pick == DriverKind::Radiator ? QStringLiteral("%1 of %2 radiators")
                                                     : QStringLiteral("%1 of %2 drivers"))
                         .arg(m_model->ShownCount())
                         .arg(m_model->TotalCount()));
}

bool CDriverLibraryDlg::Report(const FileResult& result) {
    if (result)
        return true;
    ShowMessage(this, Local(result.Message()));
    return false;
}

QString CDriverLibraryDlg::AskFile(FileChoice choice) {
    if (m_fileDialog)
        return m_fileDialog(choice);
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    switch (choice) {
    case FileChoice::ImportCsv:
        dialog.setWindowTitle(QStringLiteral("Import Drivers"));
        dialog.setNameFilters(
            {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")});
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileChoice::ImportQspeakers:
        dialog.setWindowTitle(QStringLiteral("Import Drivers"));
        dialog.setNameFilters(
            {QStringLiteral("qspeakers Databases (*.xml)"), QStringLiteral("All Files (*)")});
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileChoice::Export:
        dialog.setWindowTitle(QStringLiteral("Export Drivers"));
        dialog.setNameFilters({QStringLiteral("CSV Files (*.csv)")});
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.selectFile(QStringLiteral("drivers.csv"));
        break;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CDriverLibraryDlg::OnUse() {
    if (std::optional<DriverEntry> entry = ReadSelected()) {
        m_chosen = std::move(*entry);
        accept();
    }
}

std::optional<std::int64_t> CDriverLibraryDlg::AddEntry(QWidget* parent, DriverLibrary& library,
                                                        DriverEntry entry, const QString& title) {
    CDriverEntryDlg dlg(title, parent);
    dlg.m_entry = std::move(entry);
    const auto report = [&dlg](const Failure<int>& failure) {
        ShowMessage(&dlg, Local(failure.message));
        return false;
    };
    // A name that is taken is replaced only when the user says so; "No"
    // goes back to the dialog with what was typed.
    dlg.SetConfirm([&](const DriverEntry& typed) {
        const Result<std::optional<DriverEntry>> existing =
            library.FindByName(typed.maker, typed.model);
        if (!existing)
            return report(existing.Error());
        if (!*existing)
            return true;
        const QString question =
            QStringLiteral("A driver named %1 is already in the library. Replace it?")
                .arg(Local((*existing)->Name()));
        return ShowMessage(&dlg, question, MessageKind::Question, QString(),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    });
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    const DriverEntry& typed = dlg.m_entry;
    if (const Result<StoreOutcome> done = library.Store(typed, DuplicatePolicy::Replace); !done) {
        ShowMessage(parent, Local(done.Message()));
        return std::nullopt;
    }
    const Result<std::optional<DriverEntry>> stored = library.FindByName(typed.maker, typed.model);
    return stored && *stored ? (*stored)->id : 0;
}

void CDriverLibraryDlg::OnAddCurrent() {
    if (m_library == nullptr)
        return;
    DriverEntry entry = m_currentDriver;
    entry.kind = m_pick;
    // A name from the library reads "MAKER MODEL": offer it split at the
    // first blank, which the user may move.
    if (m_currentName) {
        const std::string& name = *m_currentName;
        const size_t blank = name.find(' ');
        entry.maker = name.substr(0, blank);
        entry.model = blank == std::string::npos ? std::string() : name.substr(blank + 1);
    }
    const std::optional<std::int64_t> id =
        AddEntry(this, *m_library, std::move(entry),
                 m_pick == DriverKind::Radiator ? QStringLiteral("Add Current Radiator")
                                                : QStringLiteral("Add Current Driver"));
    if (!id)
        return;
    m_lastImport = StoreChanges{};
    if (*id != 0)
        m_search->clear(); // so that the new entry shows
    Reload(*id);
}

void CDriverLibraryDlg::OnEdit() {
    std::optional<DriverEntry> selected = ReadSelected();
    if (!selected)
        return;
    CDriverEntryDlg dlg(m_pick == DriverKind::Radiator ? QStringLiteral("Edit Radiator")
                                                       : QStringLiteral("Edit Driver"),
                        this);
    dlg.m_entry = std::move(*selected);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (Report(m_library->Update(dlg.m_entry)))
        m_lastImport = StoreChanges{};
    Reload(dlg.m_entry.id);
}

void CDriverLibraryDlg::OnDelete() {
    const std::int64_t id = SelectedId();
    if (m_library == nullptr || id == 0)
        return;
    const int row = m_model->RowOf(id);
    const QString question =
        QStringLiteral("Delete %1 from the driver library?").arg(m_model->NameAt(row));
    if (ShowMessage(this, question, MessageKind::Question, QString(),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    const Result<bool> removed = m_library->Remove(id);
    if (!removed) {
        Report(FileResult(removed.Error()));
        return;
    }
    m_lastImport = StoreChanges{};
    // The row below takes the deleted one's place, as in a list.
    const int next = row + 1 < m_model->ShownCount() ? row + 1 : row - 1;
    Reload(next >= 0 ? m_model->IdAt(next) : 0);
}

void CDriverLibraryDlg::OnImport() {
    if (m_library == nullptr)
        return;
    CImportDriversDlg choice(m_installedQspeakers, this);
    if (choice.exec() != QDialog::Accepted)
        return;
    QString path;
    DriverFileFormat format = DriverFileFormat::Qspeakers;
    switch (choice.m_source) {
    case CImportDriversDlg::Source::InstalledQspeakers:
        path = m_installedQspeakers;
        break;
    case CImportDriversDlg::Source::QspeakersFile:
        path = AskFile(FileChoice::ImportQspeakers);
        break;
    case CImportDriversDlg::Source::CsvFile:
        path = AskFile(FileChoice::ImportCsv);
        format = DriverFileFormat::Csv;
        break;
    }
    if (path.isEmpty())
        return;
    const DuplicatePolicy policy =
        choice.m_replace ? DuplicatePolicy::Replace : DuplicatePolicy::Skip;
    Result<ImportReport> report = ImportDriverFile(*m_library, Encode(path), format, policy);
    if (!report) {
        Report(FileResult(report.Error()));
        return;
    }
    m_lastImport = std::move(report->changes);
    Reload();
    ShowMessage(this, ImportSummary(path, *report), MessageKind::Tool, kCaption);
}

void CDriverLibraryDlg::OnExport() {
    if (m_library == nullptr)
        return;
    const QString path = AskFile(FileChoice::Export);
    if (!path.isEmpty())
        Report(ExportDriverFile(*m_library, Encode(path)));
}

void CDriverLibraryDlg::OnUndoImport() {
    if (m_library == nullptr || m_lastImport.Empty())
        return;
    if (Report(m_library->Undo(m_lastImport)))
        m_lastImport = StoreChanges{};
    Reload();
}

void CDriverLibraryDlg::OnCheck() {
    if (m_library == nullptr)
        return;
    const FileResult checked = m_library->Check();
    if (!checked) {
        Report(checked);
        ShowProblem(Local(checked.Message()), checked.ErrorCode());
        return;
    }
    ShowMessage(this,
                QStringLiteral("The driver library %1 is in order.").arg(Decode(m_session.Path())),
                MessageKind::Tool, kCaption);
}

void CDriverLibraryDlg::OnStartNew() {
    const QString question = QStringLiteral("Move the driver library %1 aside and start a new, "
                                            "empty one? The old file is kept.")
                                 .arg(Decode(m_session.Path()));
    if (ShowMessage(this, question, MessageKind::Question, QString(),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    m_library = nullptr; // the session closes it
    const Result<std::string> moved = m_session.StartNew();
    if (moved && !moved->empty()) {
        ShowMessage(this, QStringLiteral("The old driver library is now %1.").arg(Decode(*moved)),
                    MessageKind::Tool, kCaption);
    }
    if (!moved)
        Report(FileResult(moved.Error()));
    Connect();
}

} // namespace orvane
