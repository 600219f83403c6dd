#pragma once
// Running the project's command-line tools from tests: exit status and both output channels.

#include "qmpaths.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace toolrun {

struct Result {
    int code = -1;        // -1 when the tool crashed or did not end in time
    bool crashed = false; // killed by a signal or by the timeout
    QString out, err;
};

inline Result Run(const QString& program, const QStringList& args,
                  const QProcessEnvironment& env = QProcessEnvironment(), int timeoutMs = 300000) {
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.crashed = true;
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.code = r.crashed ? -1 : p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline Result Batch(const QStringList& args,
                    const QProcessEnvironment& env = QProcessEnvironment()) {
    return Run(QStringLiteral(QM_BIN_DIR "/quillmark-batch"), args, env);
}

inline Result Render(const QStringList& args) {
    return Run(QStringLiteral(QM_BIN_DIR "/quillmark-render"), args);
}

} // namespace toolrun
