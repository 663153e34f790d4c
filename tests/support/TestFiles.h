// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <sys/stat.h>
#include <vector>

namespace orvane {

// A whole file; empty when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
inline std::vector<std::uint8_t> ReadVector(const QString& path) {
    const QByteArray bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// A file of exactly these bytes, its folder made first. A test cannot go on
// without its fixture, so a failure ends it.
inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}
inline void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    WriteBytes(path,
               QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

// A file's permission bits, -1 when it cannot be examined.
inline int FileMode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Every name in a folder, hidden ones included, sorted: a failed or finished
// write leaves nothing behind.
inline QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace orvane
