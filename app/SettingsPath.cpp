// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsPath.h"

#include "core/files/XdgPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace orvane {

QString SettingsPath(const QString& executableName) {
    const QString name = executableName.isEmpty() ? QStringLiteral("orvane") : executableName;
    return QFile::decodeName(QByteArray::fromStdString(ConfigHome())) + QLatin1Char('/') + name +
           QLatin1String(".ini");
}

QString SettingsPath() {
    QString name;
    if (QCoreApplication::instance() != nullptr)
        name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return SettingsPath(name);
}

} // namespace orvane
