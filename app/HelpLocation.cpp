// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Set by app/CMakeLists.txt.
#ifndef ORVANE_HELP_FROM_BINDIR
#define ORVANE_HELP_FROM_BINDIR "../share/doc/orvane/html"
#endif
#ifndef ORVANE_HELP_SOURCE_DIR
#define ORVANE_HELP_SOURCE_DIR ""
#endif
#ifndef ORVANE_HELP_BUILD_DIR
#define ORVANE_HELP_BUILD_DIR ""
#endif

namespace orvane {

namespace {

bool IsInside(const QString& path, const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString dir = QDir::cleanPath(folder);
    const QString p = QDir::cleanPath(path);
    return p == dir || p.startsWith(dir + QLatin1Char('/'));
}

} // namespace

QString HelpLocation(const QString& executableDir) {
    const QString installed =
        QDir::cleanPath(executableDir + QLatin1Char('/') + QLatin1String(ORVANE_HELP_FROM_BINDIR) +
                        QLatin1String("/index.html"));
    if (QFileInfo(installed).isFile())
        return QFileInfo(installed).absoluteFilePath();

    const QString buildDir = QStringLiteral(ORVANE_HELP_BUILD_DIR);
    const QString exeDir = QFileInfo(executableDir).canonicalFilePath();
    const QString canonicalBuild = QFileInfo(buildDir).canonicalFilePath();
    if (IsInside(exeDir, canonicalBuild)) {
        const QString source =
            QStringLiteral(ORVANE_HELP_SOURCE_DIR) + QLatin1String("/index.html");
        if (QFileInfo(source).isFile())
            return QFileInfo(source).absoluteFilePath();
    }
    return QString();
}

QString HelpLocation() {
    if (QCoreApplication::instance() == nullptr)
        return QString();
    return HelpLocation(QCoreApplication::applicationDirPath());
}

} // namespace orvane
