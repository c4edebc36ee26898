#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

// The logger simulator as a child of a benchmark: looked for beside the
// build (tools/loggersim/loggersim), or where LOGGERSIM names it.
namespace BenchSimulator {

inline QString path()
{
    const QString named = qEnvironmentVariable("LOGGERSIM");
    if (!named.isEmpty())
        return named;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/loggersim/loggersim");
}

// Starts it with arguments and reads the terminal path it prints.
inline bool start(QProcess &sim, const QStringList &arguments, QString &pty)
{
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(path(), arguments);
    if (!sim.waitForStarted(5000))
        return false;
    while (!sim.canReadLine())
        if (!sim.waitForReadyRead(5000))
            return false;
    pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return !pty.isEmpty();
}

}
