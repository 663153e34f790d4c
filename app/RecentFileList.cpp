// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecentFileList.h"

#include "app/IniFile.h"
#include "core/files/SameFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace orvane {

RecentFileList::RecentFileList(int size, int displayLength)
    : m_size(std::max(1, size)), m_displayLength(std::max(1, displayLength)) {}

QString RecentFileList::Normalized(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool RecentFileList::IsListed(const QString& path) const {
    const std::string native = QFile::encodeName(path).toStdString();
    return std::any_of(m_files.begin(), m_files.end(), [&](const QString& f) {
        return SameFile(QFile::encodeName(f).toStdString(), native);
    });
}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString entry = Normalized(path);
    const std::string native = QFile::encodeName(entry).toStdString();
    m_files.removeIf(
        [&](const QString& f) { return SameFile(QFile::encodeName(f).toStdString(), native); });
    m_files.prepend(entry);
    while (m_files.size() > m_size)
        m_files.removeLast();
}

void RecentFileList::Remove(int index) {
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

QString RecentFileList::File(int index) const {
    return index >= 0 && index < m_files.size() ? m_files[index] : QString();
}

QString RecentFileList::DisplayName(int index, const QString& currentDir) const {
    const QString file = File(index);
    if (file.isEmpty())
        return QString();
    const QFileInfo info(file);
    const QString here = currentDir.isEmpty() ? QDir::currentPath() : currentDir;
    const QString folder = info.absolutePath();
    bool inCurrent = QDir::cleanPath(folder) == QDir::cleanPath(here);
    if (!inCurrent) {
        const QString a = QFileInfo(folder).canonicalFilePath();
        inCurrent = !a.isEmpty() && a == QFileInfo(here).canonicalFilePath();
    }
    if (inCurrent)
        return info.fileName();
    return ShortenPath(file, m_displayLength);
}

QString RecentFileList::MenuText(int index, const QString& currentDir) const {
    if (index < 0 || index >= m_files.size())
        return QString();
    QString name = DisplayName(index, currentDir);
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

QString RecentFileList::ShortenPath(const QString& path, int maxLength) {
    if (maxLength < 1)
        return QString();
    if (path.size() <= maxLength)
        return path;
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.size() > maxLength)
        return maxLength > 3 ? name.left(maxLength - 3) + QLatin1String("...")
                             : name.left(maxLength);
    // The root and the first folder stay in front, "..." stands for what is
    // left out, and as many of the last folders as fit come before the name:
    // files of the same name in different folders keep apart.
    const qsizetype firstFolderEnd = path.indexOf(QLatin1Char('/'), 1);
    if (firstFolderEnd < 0)
        return name;
    const QString head = path.left(firstFolderEnd) + QLatin1String("/...");
    for (qsizetype slash = path.indexOf(QLatin1Char('/'), firstFolderEnd + 1); slash >= 0;
         slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
        if (head.size() + path.size() - slash <= maxLength)
            return head + path.mid(slash);
    }
    return name;
}

void RecentFileList::ReadFrom(const IniFile& ini) {
    m_files.clear();
    for (int i = 1; i <= m_size; ++i) {
        const QString value = ini.Value(kSection, QStringLiteral("File%1").arg(i));
        if (value.isEmpty())
            continue;
        const QString entry = Normalized(value);
        if (!IsListed(entry))
            m_files << entry;
    }
}

void RecentFileList::WriteTo(IniFile& ini) const {
    int written = 0;
    for (const QString& file : m_files) {
        // A path with a line break cannot be stored in the file; it is dropped.
        if (ini.SetValue(kSection, QStringLiteral("File%1").arg(written + 1), file))
            ++written;
    }
    for (int i = written + 1; i <= m_size; ++i)
        ini.RemoveKey(kSection, QStringLiteral("File%1").arg(i));
}

} // namespace orvane
