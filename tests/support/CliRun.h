// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

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
    CliRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    if (p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace orvane
