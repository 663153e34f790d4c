// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

class IniFile;

// The recently opened or saved design files: at most four, most recent first.
//
// Entries are absolute, cleaned paths. Two paths name the same entry when
// their canonical forms agree (symbolic links and "..", resolved while the
// file exists), so adding a file that is already listed moves it to the top.
//
// Menu texts are "&1 name" to "&4 name": the bare file name for a file in the
// current folder, otherwise the path shortened by ShortenPath to 30 characters.
// An '&' in a name is doubled so it shows instead of marking a mnemonic.
class RecentFileList {
public:
    static constexpr int kDefaultSize = 4;
    static constexpr int kDefaultDisplayLength = 30;
    static inline const QString kSection = QStringLiteral("Recent File List");

    explicit RecentFileList(int size = kDefaultSize, int displayLength = kDefaultDisplayLength);

    // Puts path at the top, removing an earlier entry for the same file and
    // dropping the oldest entry beyond the list's size. An empty path is ignored.
    void Add(const QString& path);
    // Removes the entry at index (0 is the most recent); out of range does nothing.
    void Remove(int index);
    void Clear() { m_files.clear(); }

    int Count() const { return static_cast<int>(m_files.size()); }
    bool IsEmpty() const { return m_files.isEmpty(); }
    int Size() const { return m_size; }
    // The full path of entry index (0 is the most recent); empty when out of range.
    QString File(int index) const;
    const QStringList& Files() const { return m_files; }

    // "&<index + 1> <display name>", the display name judged against
    // currentDir (the process's current folder when empty).
    QString MenuText(int index, const QString& currentDir = QString()) const;
    // The display name alone, without number and without '&' doubling.
    QString DisplayName(int index, const QString& currentDir = QString()) const;

    // Shortens an absolute path to at most maxLength characters:
    //  - a path that fits is returned as it is;
    //  - otherwise the root and the first folder stay, then "...", then as
    //    many of the last folders as fit, then the whole file name:
    //    "/home/ann/speakers/projects/2024/woofer.spk" -> "/home/.../2024/woofer.spk";
    //  - when not even "/first/.../name" fits, the bare name is shown;
    //  - a name longer than maxLength is cut to its first maxLength - 3
    //    characters followed by "...".
    static QString ShortenPath(const QString& path, int maxLength);

    // Section "Recent File List", keys File1..File<size>, most recent first.
    // Reading skips empty values and repeated files; writing stores the
    // entries from File1 on and removes the keys of the empty places. Other
    // keys of the section are left alone.
    void ReadFrom(const IniFile& ini);
    void WriteTo(IniFile& ini) const;

private:
    static QString Normalized(const QString& path);
    // Whether an entry names the same file (SameFile).
    bool IsListed(const QString& path) const;

    int m_size;
    int m_displayLength;
    QStringList m_files;
};

} // namespace orvane
