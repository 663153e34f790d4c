// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QLockFile;
class QWidget;

namespace orvane {

class COrvaneDoc;
class DocManager;

// Autosave and recovery for the running program. A while after each change
// (the settings' AutosaveSeconds) every modified design is written to the
// autosave folder (core/design/Autosave.h) under this program's name, which
// a lock file in the folder holds while it runs. Saving a design, closing it
// and a clean exit remove its autosave; a crash, SIGKILL or power loss leave
// them for the next start, which offers them back ("Recover Unsaved
// Designs"). Only autosaves whose program is gone are offered, so programs
// running side by side never take each other's.
//
// The disk is written on a thread of its own, in the order asked: the GUI
// thread only copies the design's bytes.
class Autosaver : public QObject {
    Q_OBJECT
public:
    // seconds 0: nothing is written, though earlier autosaves are offered.
    Autosaver(DocManager& docs, std::string folder, int seconds, QObject* parent = nullptr);
    ~Autosaver() override;

    // Start-up, before the first design opens: asks what to do with the
    // autosaves whose program is gone and opens those recovered, modified.
    // Returns how many it opened.
    int Recover(QWidget* parent);
    // Writes every modified design that changed since it was last written,
    // and removes the autosaves of designs that are no longer modified. The
    // timer runs it.
    void SaveNow();
    // A clean exit: this program's autosaves go, and its lock.
    void Finish();

    // True while this program holds its lock, so that it writes autosaves.
    bool Writing() const { return m_lock != nullptr; }
    const std::string& Folder() const { return m_folder; }

signals:
    // Everything asked of the disk until now is done.
    void settled();

private:
    struct Written {
        std::string name; // the entry's name, "OWNER.N"; empty until first written
        std::vector<std::uint8_t> design;
        std::string path;
        std::string title;
        bool onDisk = false;
    };

    void OnChanged();
    // The design's autosave goes (saved, closed, or no longer modified).
    void Drop(const COrvaneDoc& doc);
    void Post(std::function<void()> job);
    void PostSettled();

    DocManager& m_docs;
    std::string m_folder;
    int m_seconds;
    std::string m_owner;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_timer;
    int m_next = 1;
    std::map<const COrvaneDoc*, Written> m_written;
    QThreadPool m_disk;
};

} // namespace orvane
