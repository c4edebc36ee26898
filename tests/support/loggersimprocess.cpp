#include "support/loggersimprocess.h"

#include "core/platform.h"

#include <QElapsedTimer>

#include "support/testenv.h"

LoggerSimProcess::LoggerSimProcess(const QStringList &arguments, bool pacing)
    : args(arguments)
{
    if (!pacing)
        args << QStringLiteral("--no-pacing");
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

LoggerSimProcess::~LoggerSimProcess()
{
    // A window made later in this process must not find this terminal's name
    // while another test's simulator may own it.
    if (!path.isEmpty())
        hidePort(path);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QString LoggerSimProcess::executable()
{
    return TestEnv::binaryDir() + QStringLiteral("/tools/loggersim/loggersim");
}

void LoggerSimProcess::exposePorts(const QStringList &paths)
{
    Platform::setExtraPorts(paths);
}

void LoggerSimProcess::hidePort(const QString &path)
{
    QStringList ports = Platform::extraPorts();
    ports.removeAll(path);
    exposePorts(ports);
}

bool LoggerSimProcess::start(int timeoutMs)
{
    process.start(executable(), args);
    if (!process.waitForStarted(timeoutMs))
        return false;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!process.canReadLine()) {
        const int left = timeoutMs - int(elapsed.elapsed());
        if (left <= 0 || !process.waitForReadyRead(left))
            return false;
    }
    path = QString::fromLocal8Bit(process.readLine()).trimmed();
    return path.startsWith(QLatin1Char('/'));
}

bool LoggerSimProcess::command(const QString &line, int timeoutMs)
{
    // The terminal's name is free again once the simulator closes it, and
    // a simulator of another test running meanwhile may get it: the core
    // must not find that one under this name.
    if (line.trimmed() == QLatin1String("unplug"))
        hidePort(path);
    process.write(line.toLocal8Bit() + '\n');
    process.waitForBytesWritten(1000);
    const QByteArray ack = "ok " + line.toLocal8Bit().trimmed();
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        while (process.canReadLine())
            if (process.readLine().trimmed() == ack)
                return true;
        const int left = timeoutMs - int(elapsed.elapsed());
        if (left <= 0 || process.state() == QProcess::NotRunning || !process.waitForReadyRead(left))
            return process.canReadLine() && process.readLine().trimmed() == ack;
    }
}

QByteArray LoggerSimProcess::ask(const QByteArray &line, const QByteArray &prefix, int timeoutMs)
{
    process.write(line + '\n');
    process.waitForBytesWritten(1000);
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        while (process.canReadLine()) {
            const QByteArray answer = process.readLine().trimmed();
            if (answer.startsWith(prefix))
                return answer.mid(prefix.size());
        }
        const int left = timeoutMs - int(elapsed.elapsed());
        if (left <= 0 || process.state() == QProcess::NotRunning || !process.waitForReadyRead(left))
            return QByteArray();
    }
}

QByteArray LoggerSimProcess::memory(int timeoutMs)
{
    return QByteArray::fromHex(ask("dump", "memory ", timeoutMs));
}

qint64 LoggerSimProcess::bytesSent(bool *busy, int timeoutMs)
{
    const QList<QByteArray> words = ask("written", "written ", timeoutMs).split(' ');
    bool ok = false;
    const qint64 sent = words.first().toLongLong(&ok);
    if (busy)
        *busy = words.contains("busy");
    return ok ? sent : -1;
}

bool LoggerSimProcess::waitForExit(int timeoutMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}
