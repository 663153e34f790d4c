// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellIntegration.h"

#include "core/files/AtomicWrite.h"
#include "core/files/XdgPaths.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace orvane {

namespace {

// The glob databases are generated files of a few hundred kilobytes at most.
constexpr qint64 kMaxDatabaseSize = 16 * 1024 * 1024;
constexpr qint64 kMaxOwnFileSize = 1024 * 1024;

QByteArray ReadResource(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString FromLocal(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

enum class WriteOutcome { Unchanged, Written, Failed };

void LogWriteFailure(const QString& path, int error) {
    qCWarning(lcOrvane, "desktop registration: cannot write %s: %s", qUtf8Printable(path),
              std::strerror(error));
}

// Writes bytes to path unless the file already holds exactly them.
WriteOutcome WriteIfDifferent(const QString& path, const QByteArray& bytes) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly)) {
        const QByteArray current = existing.read(kMaxOwnFileSize + 1);
        if (current == bytes)
            return WriteOutcome::Unchanged;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        LogWriteFailure(path, errno != 0 ? errno : EIO);
        return WriteOutcome::Failed;
    }
    const AtomicWriteResult written = WriteFileAtomically(
        QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
    if (!written) {
        LogWriteFailure(path, written.error);
        return WriteOutcome::Failed;
    }
    return WriteOutcome::Written;
}

void StartInBackground(const QString& tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setProgram(program);
    process.setArguments({folder});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

// One argument of an Exec line: quoted when it holds a reserved character,
// with the four characters that stay special inside quotes escaped.
QString QuoteExecArgument(const QString& arg) {
    static const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : arg) {
        if (kReserved.contains(c))
            needsQuotes = true;
    }
    QString out;
    if (!needsQuotes) {
        out = arg;
    } else {
        out = QStringLiteral("\"");
        for (const QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += c;
        }
        out += QLatin1Char('"');
    }
    // A literal '%' is written twice so it is not taken for a field code.
    out.replace(QLatin1Char('%'), QLatin1String("%%"));
    // The string escapes of the file format come on top of the quoting.
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return out;
}

bool GlobFileClaimsSpk(const QString& path, bool weighted) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxDatabaseSize)
        return false;
    const QByteArray data = file.read(kMaxDatabaseSize);
    for (const QByteArray& rawLine : data.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        // globs2: weight:type:pattern[:flags]   globs: type:pattern
        const QList<QByteArray> fields = line.split(':');
        const int typeField = weighted ? 1 : 0;
        if (fields.size() < typeField + 2)
            continue;
        const QString type = QString::fromUtf8(fields[typeField]);
        const QString pattern = QString::fromUtf8(fields[typeField + 1]);
        if (pattern.compare(QLatin1String("*.spk"), Qt::CaseInsensitive) == 0 &&
            type != ShellIntegration::kMimeType)
            return true;
    }
    return false;
}

} // namespace

bool ShellIntegration::GlobClaimedByOtherType() {
    QStringList dirs{FromLocal(DataHome())};
    for (const std::string& dir : DataDirs())
        dirs << FromLocal(dir);
    for (const QString& dir : dirs) {
        const QString globs2 = dir + QLatin1String("/mime/globs2");
        if (QFileInfo::exists(globs2)) {
            if (GlobFileClaimsSpk(globs2, true))
                return true;
        } else if (GlobFileClaimsSpk(dir + QLatin1String("/mime/globs"), false)) {
            return true;
        }
    }
    return false;
}

QString ShellIntegration::MimeTypeXml(bool claimGlob) {
    QString xml = QString::fromUtf8(ReadResource(QStringLiteral(":/orvane-spk.xml")));
    if (claimGlob)
        return xml;
    QStringList lines = xml.split(QLatin1Char('\n'));
    lines.removeIf(
        [](const QString& line) { return line.trimmed().startsWith(QLatin1String("<glob ")); });
    return lines.join(QLatin1Char('\n'));
}

QString ShellIntegration::DesktopEntry(const QString& executablePath) {
    if (!QDir::isAbsolutePath(executablePath))
        return QString();
    for (const QChar c : executablePath) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QString();
    }
    const QString entry = QString::fromUtf8(ReadResource(QStringLiteral(":/orvane.desktop")));
    QStringList lines = entry.split(QLatin1Char('\n'));
    bool replaced = false;
    for (QString& line : lines) {
        if (line.startsWith(QLatin1String("Exec="))) {
            line =
                QLatin1String("Exec=") + QuoteExecArgument(executablePath) + QLatin1String(" %f");
            replaced = true;
        }
    }
    return replaced ? lines.join(QLatin1Char('\n')) : QString();
}

ShellIntegration::Outcome ShellIntegration::Register(const QString& executablePath,
                                                     bool runUpdaters) {
    Outcome outcome;
    QString exe = executablePath;
    if (exe.isEmpty() && QCoreApplication::instance() != nullptr)
        exe = QCoreApplication::applicationFilePath();
    const QString home = FromLocal(DataHome());

    outcome.claimsGlob = !GlobClaimedByOtherType();
    const QString xml = MimeTypeXml(outcome.claimsGlob);
    if (!xml.isEmpty()) {
        outcome.mimeWritten =
            WriteIfDifferent(home + QLatin1String("/mime/packages/") + kMimeFileName,
                             xml.toUtf8()) == WriteOutcome::Written;
    }

    const QString entry = DesktopEntry(exe);
    if (!entry.isEmpty()) {
        outcome.desktopWritten =
            WriteIfDifferent(home + QLatin1String("/applications/") + kDesktopFileName,
                             entry.toUtf8()) == WriteOutcome::Written;
    }

    // The icons, so "Icon=orvane" resolves also for a program that was never installed.
    const QString icons = home + QLatin1String("/icons/hicolor/scalable/");
    const QByteArray appIcon = ReadResource(QStringLiteral(":/icons/orvane.svg"));
    const QByteArray docIcon = ReadResource(QStringLiteral(":/icons/design.svg"));
    if (!appIcon.isEmpty()) {
        outcome.iconsWritten |= WriteIfDifferent(icons + QLatin1String("apps/orvane.svg"),
                                                 appIcon) == WriteOutcome::Written;
    }
    if (!docIcon.isEmpty()) {
        outcome.iconsWritten |=
            WriteIfDifferent(icons + QLatin1String("mimetypes/application-x-orvane-spk.svg"),
                             docIcon) == WriteOutcome::Written;
    }

    if (runUpdaters) {
        if (outcome.mimeWritten)
            StartInBackground(QStringLiteral("update-mime-database"),
                              home + QLatin1String("/mime"));
        if (outcome.desktopWritten) {
            StartInBackground(QStringLiteral("update-desktop-database"),
                              home + QLatin1String("/applications"));
        }
    }
    return outcome;
}

} // namespace orvane
