#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The logger simulator (tools/loggersim) as a child process of a test. It
// runs without baud-rate pacing unless the arguments ask for it, and is
// killed, its terminal taken out of the core's port list, when the object
// goes.
class LoggerSimProcess
{
public:
    explicit LoggerSimProcess(const QStringList &arguments = QStringList(), bool pacing = false);
    ~LoggerSimProcess();

    // Starts the simulator and waits for its terminal path; false on
    // failure or after timeoutMs.
    bool start(int timeoutMs = 5000);
    QString ptyPath() const { return path; }
    // Sends one script line ("unplug", "skew 60", "silent on") and waits
    // until the simulator has acted on it; false when it did not say so
    // within timeoutMs. "unplug" first takes the terminal out of the core's
    // port list: its name may soon belong to another test's simulator.
    bool command(const QString &line, int timeoutMs = 5000);
    // The simulator's 768-byte memory ("dump"); empty when it did not answer.
    QByteArray memory(int timeoutMs = 5000);
    // The bytes the simulator has sent on the line ("written"), -1 when it
    // did not answer; busy tells that it is in the middle of a reply.
    qint64 bytesSent(bool *busy = nullptr, int timeoutMs = 5000);
    // Waits for the process to end after "unplug".
    bool waitForExit(int timeoutMs = 5000);

    static QString executable();
    // Makes the core's port list include these terminals (the extra ports).
    static void exposePorts(const QStringList &paths);
    static void hidePort(const QString &path);

private:
    // Sends a script line and returns the rest of the first output line
    // that starts with prefix; empty when none came within timeoutMs.
    QByteArray ask(const QByteArray &line, const QByteArray &prefix, int timeoutMs);

    QProcess process;
    QStringList args;
    QString path;
};
