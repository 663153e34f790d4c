// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Autosaver.h"

#include "app/CRecoverDlg.h"
#include "app/DocManager.h"
#include "core/design/Autosave.h"
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignFile.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QRandomGenerator>

#include <set>

namespace orvane {

namespace {

QString Native(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QString LockPath(const std::string& folder, const std::string& owner) {
    return Native(folder + "/" + owner + ".lock");
}

// When the system started, in seconds since 1970; 0 when unknown.
qint64 BootTime() {
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll(); // the file tells no size: read to its end
    const qsizetype at = text.indexOf("\nbtime ");
    if (at < 0)
        return 0;
    const qsizetype end = text.indexOf('\n', at + 1);
    return text.mid(at + 7, end < 0 ? -1 : end - at - 7).trimmed().toLongLong();
}

// The lock of a program that is gone, now held; null while that program runs
// or nobody can tell.
std::unique_ptr<QLockFile> TakeLockOfGone(const std::string& folder, const std::string& owner) {
    auto lock = std::make_unique<QLockFile>(LockPath(folder, owner));
    // However old, a lock is only stale once its program no longer runs.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() != QLockFile::LockFailedError)
        return nullptr;
    // Left from before the system started (a power loss), unreadable, or
    // naming this very process: its program is gone, whatever runs under its
    // process number now.
    qint64 pid = 0;
    QString host;
    QString app;
    const bool known = lock->getLockInfo(&pid, &host, &app);
    const qint64 boot = BootTime();
    const bool beforeBoot =
        boot > 0 && QFileInfo(LockPath(folder, owner)).lastModified().toSecsSinceEpoch() < boot;
    if (known && pid != QCoreApplication::applicationPid() && !beforeBoot)
        return nullptr;
    if (!lock->removeStaleLockFile() || !lock->tryLock(0))
        return nullptr;
    return lock;
}

CRecoverDlg::Row RowOf(const Autosave::Entry& entry) {
    CRecoverDlg::Row row;
    row.title = Native(entry.description ? entry.description->title : entry.name);
    if (entry.description) {
        row.file = Native(entry.description->path);
        row.saved = QLocale().toString(QDateTime::fromSecsSinceEpoch(entry.description->savedAt),
                                       QLocale::ShortFormat);
    }
    row.problem = QString::fromStdString(entry.problem);
    return row;
}

} // namespace

Autosaver::Autosaver(DocManager& docs, std::string folder, int seconds, QObject* parent)
    : QObject(parent), m_docs(docs), m_folder(std::move(folder)), m_seconds(seconds),
      m_owner(QStringLiteral("%1-%2")
                  .arg(QCoreApplication::applicationPid())
                  .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'))
                  .toStdString()) {
    // One thread, so that writes and removals reach the disk in the order asked.
    m_disk.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Autosaver::SaveNow);
    connect(&m_docs, &DocManager::documentChanged, this, &Autosaver::OnChanged);
    connect(&m_docs, &DocManager::documentSaved, this, [this](COrvaneDoc& doc) { Drop(doc); });
    connect(&m_docs, &DocManager::documentClosed, this, [this](COrvaneDoc& doc) {
        Drop(doc);
        m_written.erase(&doc);
    });
    if (m_seconds <= 0)
        return;
    if (const FileResult made = Autosave::MakePrivateFolder(m_folder); !made) {
        qCWarning(lcOrvane, "no autosave: %s", made.Message().c_str());
        return;
    }
    auto lock = std::make_unique<QLockFile>(LockPath(m_folder, m_owner));
    if (!lock->tryLock(0)) {
        qCWarning(lcOrvane, "no autosave: the lock %s cannot be made",
                  qPrintable(LockPath(m_folder, m_owner)));
        return;
    }
    m_lock = std::move(lock);
}

Autosaver::~Autosaver() {
    m_disk.waitForDone();
}

void Autosaver::OnChanged() {
    if (m_lock && !m_timer.isActive())
        m_timer.start(m_seconds * 1000);
}

void Autosaver::Post(std::function<void()> job) {
    m_disk.start(std::move(job));
}

void Autosaver::PostSettled() {
    Post([this] { QMetaObject::invokeMethod(this, &Autosaver::settled, Qt::QueuedConnection); });
}

void Autosaver::SaveNow() {
    if (!m_lock)
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (COrvaneDoc* doc : m_docs.Documents()) {
        if (!doc->IsModified()) {
            Drop(*doc);
            continue;
        }
        Written& written = m_written[doc];
        std::vector<std::uint8_t> design = DesignFile::Store(doc->Design());
        if (written.onDisk && written.design == design && written.path == doc->Path() &&
            written.title == doc->Title())
            continue;
        if (written.name.empty())
            written.name = m_owner + "." + std::to_string(m_next++);
        written.design = std::move(design);
        written.path = doc->Path();
        written.title = doc->Title();
        written.onDisk = true;
        Post([folder = m_folder, name = written.name, bytes = written.design,
              text = Autosave::DescriptionText({doc->Path(), doc->Title(), now})] {
            if (const FileResult saved = Autosave::Write(folder, name, bytes, text); !saved)
                qCWarning(lcOrvane, "%s", saved.Message().c_str());
        });
    }
    PostSettled();
}

void Autosaver::Drop(const COrvaneDoc& doc) {
    const auto it = m_written.find(&doc);
    if (it == m_written.end() || !it->second.onDisk)
        return;
    it->second.onDisk = false;
    Post([folder = m_folder, name = it->second.name] { Autosave::Remove(folder, name); });
    PostSettled();
}

void Autosaver::Finish() {
    m_timer.stop();
    for (auto& [doc, written] : m_written) {
        if (written.onDisk)
            Post([folder = m_folder, name = written.name] { Autosave::Remove(folder, name); });
    }
    m_written.clear();
    m_disk.waitForDone();
    m_lock.reset(); // removes the lock file
}

int Autosaver::Recover(QWidget* parent) {
    // The locks of programs that are gone, held until their autosaves are
    // dealt with, so that another program starting now leaves them alone.
    std::map<std::string, std::unique_ptr<QLockFile>> gone;
    std::set<std::string> running;
    auto isGone = [&](const std::string& owner) {
        if (owner == m_owner || running.count(owner) != 0)
            return false;
        if (gone.count(owner) != 0)
            return true;
        if (std::unique_ptr<QLockFile> lock = TakeLockOfGone(m_folder, owner)) {
            gone[owner] = std::move(lock);
            return true;
        }
        running.insert(owner);
        return false;
    };
    std::vector<Autosave::Entry> orphans;
    for (Autosave::Entry& entry : Autosave::List(m_folder)) {
        if (isGone(entry.owner))
            orphans.push_back(std::move(entry));
    }
    // Locks that crashed programs left without autosaves go too.
    for (const std::string& owner : Autosave::LockOwners(m_folder))
        isGone(owner);

    int recovered = 0;
    if (!orphans.empty()) {
        std::vector<CRecoverDlg::Row> rows;
        rows.reserve(orphans.size());
        for (const Autosave::Entry& entry : orphans)
            rows.push_back(RowOf(entry));
        CRecoverDlg dialog(std::move(rows), parent);
        dialog.exec();
        std::vector<std::string> done;
        for (std::size_t i = 0; i < orphans.size(); ++i) {
            const Autosave::Entry& entry = orphans[i];
            const CRecoverDlg::Choice choice = dialog.ChoiceOf(i);
            if (choice == CRecoverDlg::Choice::Later)
                continue;
            if (choice == CRecoverDlg::Choice::Recover && !entry.Damaged()) {
                auto doc = std::make_unique<COrvaneDoc>();
                doc->TakeRecovered(*entry.design, entry.description->path,
                                   entry.description->title);
                m_docs.AddDocument(std::move(doc));
                ++recovered;
            }
            done.push_back(entry.name);
        }
        // The recovered designs are this program's now: written under its
        // name before their old copies go.
        SaveNow();
        for (const std::string& name : done)
            Post([folder = m_folder, name] { Autosave::Remove(folder, name); });
        PostSettled();
    }
    m_disk.waitForDone();
    gone.clear(); // the dead programs' locks go with their autosaves
    return recovered;
}

} // namespace orvane
