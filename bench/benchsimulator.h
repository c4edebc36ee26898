#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include "core/ccomm.h"

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

// Waits up to waitMs for a result of kind from link and hands it over;
// false after the wait, or once a write was given up or the port lost.
inline bool waitFor(CComm &link, LinkResult::Kind kind, int waitMs, LinkResult *found = nullptr)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < waitMs) {
        const QList<LinkResult> results = link.takeResults();
        for (const LinkResult &r : results) {
            if (r.kind == LinkResult::WriteFailed || r.kind == LinkResult::PortLost)
                return false;
            if (r.kind == kind) {
                if (found)
                    *found = r;
                return true;
            }
        }
        // finer than the link's own turns, so that the wait adds no
        // measurable time to what it measures
        QThread::usleep(100);
    }
    return false;
}

}
