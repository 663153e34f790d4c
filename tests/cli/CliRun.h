#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// Runs the built orvane-cli with the given arguments and collects what it
// printed. code is -1 when it did not finish in time or crashed.
struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun RunCli(const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    p.start(QStringLiteral(ORVANE_BINARY_DIR "/cli/orvane-cli"), args);
    CliRun r;
    if (!p.waitForFinished(timeoutMs)) {
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
