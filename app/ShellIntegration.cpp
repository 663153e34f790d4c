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
#include <functional>
#include <string_view>
#include <unistd.h>

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

void LogFailure(const char* what, const QString& path, int error) {
    qCWarning(lcOrvane, "desktop registration: cannot %s %s: %s", what, qUtf8Printable(path),
              std::strerror(error));
}

// Writes bytes to path unless the file already holds exactly them; true when
// it wrote them. A failure leaves what was there and goes to the log.
bool WriteIfDifferent(const QString& path, const QByteArray& bytes) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly)) {
        const QByteArray current = existing.read(kMaxOwnFileSize + 1);
        if (current == bytes)
            return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        LogFailure("write", path, errno != 0 ? errno : EIO);
        return false;
    }
    const AtomicWriteResult written = WriteFileAtomically(
        QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
    if (!written) {
        LogFailure("write", path, written.error);
        return false;
    }
    return true;
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

// Removes path when it holds a file of ours: one that isOurs recognises.
bool RemoveIfOurs(const QString& path, const std::function<bool(const QByteArray&)>& isOurs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxOwnFileSize)
        return false;
    const QByteArray content = file.read(kMaxOwnFileSize);
    file.close();
    if (!isOurs(content))
        return false;
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        LogFailure("remove", path, errno);
        return false;
    }
    return true;
}

// A desktop entry without its Exec line, which names the program that wrote it.
QByteArray WithoutExecLine(const QByteArray& entry) {
    QList<QByteArray> lines = entry.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.startsWith("Exec="); });
    return lines.join('\n');
}

constexpr QLatin1String kAppIconResource(":/icons/orvane.svg");
constexpr QLatin1String kDocIconResource(":/icons/design.svg");

// What was removed from the user's data folder.
struct Removed {
    bool mime = false;
    bool desktop = false;
    bool icons = false;
    bool Any() const { return mime || desktop || icons; }
    Removed operator|(const Removed& o) const {
        return {mime || o.mime, desktop || o.desktop, icons || o.icons};
    }
};

bool SameBytes(const QByteArray& a, const QByteArray& b) {
    return !a.isEmpty() && a == b;
}

// What version 1.0.0.1 wrote under other names, recognised by our MIME type
// (the desktop entry and MIME package) or by content (the icons).
Removed RemoveOldNames(const QString& home) {
    const QByteArray appIcon = ReadResource(kAppIconResource);
    const QByteArray docIcon = ReadResource(kDocIconResource);
    const QString icons = home + QLatin1String("/icons/hicolor/scalable/");
    Removed removed;
    removed.desktop =
        RemoveIfOurs(home + QLatin1String("/applications/orvane.desktop"), [](const QByteArray& c) {
            return c.contains("\nMimeType=application/x-orvane-spk;");
        });
    removed.mime = RemoveIfOurs(
        home + QLatin1String("/mime/packages/orvane-spk.xml"), [](const QByteArray& c) {
            return c.contains("<mime-type type=\"application/x-orvane-spk\">");
        });
    removed.icons = RemoveIfOurs(icons + QLatin1String("apps/orvane.svg"),
                                 [&](const QByteArray& c) { return SameBytes(c, appIcon); });
    removed.icons |= RemoveIfOurs(icons + QLatin1String("mimetypes/application-x-orvane-spk.svg"),
                                  [&](const QByteArray& c) { return SameBytes(c, docIcon); });
    return removed;
}

// The files Register writes into the user's data folder.
struct OwnFiles {
    explicit OwnFiles(const QString& home)
        : mime(home + QLatin1String("/mime/packages/") + ShellIntegration::kMimeFileName),
          desktop(home + QLatin1String("/applications/") + ShellIntegration::kDesktopFileName),
          appIcon(home + QLatin1String("/icons/hicolor/scalable/apps/") +
                  ShellIntegration::kAppIconName + QLatin1String(".svg")),
          docIcon(home + QLatin1String("/icons/hicolor/scalable/mimetypes/") +
                  ShellIntegration::kMimeIconName + QLatin1String(".svg")) {}
    QString mime;
    QString desktop;
    QString appIcon;
    QString docIcon;
};

// Our copies, but only as this program would write them now (any Exec line),
// so that files the user changed stay.
Removed RemoveOwnCopies(const OwnFiles& own) {
    const QByteArray entry =
        WithoutExecLine(ShellIntegration::DesktopEntry(QStringLiteral("/")).toUtf8());
    const QByteArray withGlob = ShellIntegration::MimeTypeXml(true).toUtf8();
    const QByteArray withoutGlob = ShellIntegration::MimeTypeXml(false).toUtf8();
    const QByteArray appIcon = ReadResource(kAppIconResource);
    const QByteArray docIcon = ReadResource(kDocIconResource);
    Removed removed;
    removed.desktop = RemoveIfOurs(
        own.desktop, [&](const QByteArray& c) { return SameBytes(WithoutExecLine(c), entry); });
    removed.mime = RemoveIfOurs(own.mime, [&](const QByteArray& c) {
        return SameBytes(c, withGlob) || SameBytes(c, withoutGlob);
    });
    removed.icons =
        RemoveIfOurs(own.appIcon, [&](const QByteArray& c) { return SameBytes(c, appIcon); });
    removed.icons |=
        RemoveIfOurs(own.docIcon, [&](const QByteArray& c) { return SameBytes(c, docIcon); });
    return removed;
}

// Rebuilds the user's MIME and desktop databases after a change.
void RefreshDatabases(const QString& home, bool mime, bool desktop) {
    if (mime)
        StartInBackground(QStringLiteral("update-mime-database"), home + QLatin1String("/mime"));
    if (desktop) {
        StartInBackground(QStringLiteral("update-desktop-database"),
                          home + QLatin1String("/applications"));
    }
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

QString ShellIntegration::DataHome() {
    return FromLocal(orvane::DataHome());
}

QStringList ShellIntegration::DataDirs() {
    QStringList dirs;
    for (const std::string& dir : orvane::DataDirs())
        dirs << FromLocal(dir);
    return dirs;
}

bool ShellIntegration::GlobClaimedByOtherType() {
    QStringList dirs{DataHome()};
    dirs += DataDirs();
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

bool ShellIntegration::SystemHasPackage() {
    // A data folder that is also the user's own holds what we wrote there.
    const QString home = QDir::cleanPath(DataHome());
    for (const QString& dir : DataDirs()) {
        if (dir == home)
            continue;
        if (QFileInfo(dir + QLatin1String("/applications/") + kDesktopFileName).isFile() &&
            QFileInfo(dir + QLatin1String("/mime/packages/") + kMimeFileName).isFile())
            return true;
    }
    return false;
}

QString ShellIntegration::MimeTypeXml(bool claimGlob) {
    QString xml = QString::fromUtf8(ReadResource(QLatin1Char(':') + kMimeFileName));
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
    const QString entry = QString::fromUtf8(ReadResource(QLatin1Char(':') + kDesktopFileName));
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
    const QString home = DataHome();
    const OwnFiles own(home);

    Removed removed = RemoveOldNames(home);
    outcome.systemInstalled = SystemHasPackage();
    if (outcome.systemInstalled) {
        removed = removed | RemoveOwnCopies(own);
        outcome.removed = removed.Any();
        if (runUpdaters)
            RefreshDatabases(home, removed.mime, removed.desktop);
        return outcome;
    }
    outcome.removed = removed.Any();

    outcome.claimsGlob = !GlobClaimedByOtherType();
    const QString xml = MimeTypeXml(outcome.claimsGlob);
    if (!xml.isEmpty())
        outcome.mimeWritten = WriteIfDifferent(own.mime, xml.toUtf8());

    const QString entry = DesktopEntry(exe);
    if (!entry.isEmpty())
        outcome.desktopWritten = WriteIfDifferent(own.desktop, entry.toUtf8());

    // The icons, so the entry's Icon resolves also for a program that was never installed.
    const QByteArray appIcon = ReadResource(kAppIconResource);
    const QByteArray docIcon = ReadResource(kDocIconResource);
    if (!appIcon.isEmpty())
        outcome.iconsWritten |= WriteIfDifferent(own.appIcon, appIcon);
    if (!docIcon.isEmpty())
        outcome.iconsWritten |= WriteIfDifferent(own.docIcon, docIcon);

    if (runUpdaters) {
        RefreshDatabases(home, outcome.mimeWritten || removed.mime,
                         outcome.desktopWritten || removed.desktop);
    }
    return outcome;
}

} // namespace orvane
