// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane {

namespace {

QString ConfigHome() {
    // The base directory rules ask to ignore a relative value.
    const QString fromEnv = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!fromEnv.isEmpty() && QDir::isAbsolutePath(fromEnv))
        return QDir::cleanPath(fromEnv);
    return QDir::homePath() + QLatin1String("/.config");
}

} // namespace

QString SettingsPath(const QString& executableName) {
    const QString name = executableName.isEmpty() ? QStringLiteral("orvane") : executableName;
    return ConfigHome() + QLatin1Char('/') + name + QLatin1String(".ini");
}

QString SettingsPath() {
    QString name;
    if (QCoreApplication::instance() != nullptr)
        name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return SettingsPath(name);
}

} // namespace orvane
