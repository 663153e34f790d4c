// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>

namespace orvane {

// What the built orvane-cli printed; code is -1 when it crashed or hung.
struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun RunCli(const QStringList& args,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVANE_BINARY_DIR "/cli/orvane-cli"), args);
    if (!p.waitForFinished(120000))
        p.kill(), p.waitForFinished();
    const bool finished =
        p.exitStatus() == QProcess::NormalExit && p.state() == QProcess::NotRunning;
    return {finished ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

} // namespace orvane
