// loggersim: a logger on a pseudo-terminal.
//
// Prints the terminal's path on its first line of output, then answers the
// logger protocol on it. Script lines on standard input change it while it
// runs: "unplug" (the logger goes away at once, also halfway through a
// reply), "skew S" (its clock runs S seconds off), "silent on" / "silent
// off" (it stops / resumes answering), "fast N" (as --fast N, from now on),
// "button" (its stop button pressed: with the stop button enabled the trip
// ends, and with Auto-Reset too the next one begins at once),
// "silent after N CC" (it answers N more frames of the command of hex code
// CC, then goes silent as "silent on"), "drop CC" (the next frame of that
// command is lost on the way: neither taken nor answered),
// "dump" (prints "memory " and the 768-byte memory in hex), "written"
// (prints "written N", the bytes sent on the line so far, followed by
// " busy" while a reply is still being sent). Each script
// line is acknowledged on standard output with "ok " and the line, once it
// has taken effect.
//
// --fast N runs its clock N times faster and makes every new program record
// at its interval (N = 1: in real time); without it a new trip stays empty.
//
// --no-0b leaves command 0x0B unanswered, as a logger that is no test jig
// may.
//
// --password N protects the logger with that password; --allow read (or
// write) sets the bit of its protection word that lets it be read (or
// written) without it.
//
// Start it, then the application with MIRELDA_EXTRA_PORTS set to the path
// it printed.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <functional>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include "loggermodel.h"

namespace {

struct Options
{
    SimOptions logger;
    bool pacing = true;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: loggersim [--serial S] [--version 0x11A] [--sensors N] [--password N]\n"
                 "                 [--allow read|write]\n"
                 "                 [--readings N] [--rollover K] [--drop-echo N] [--bad-echo N]\n"
                 "                 [--clock-skew S] [--clock-offset S] [--fast N] [--no-pacing] [--no-0b]\n");
}

bool parseNumber(const QString &text, int &value)
{
    bool ok = false;
    value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                       : text.toInt(&ok, 10);
    return ok;
}

bool parseArguments(const QStringList &args, Options &o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString flag = args.at(i);
        if (flag == QLatin1String("--no-pacing")) {
            o.pacing = false;
            continue;
        }
        if (flag == QLatin1String("--no-0b")) {
            o.logger.answersAlarmCommand = false;
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        const QString value = args.at(++i);
        int number = 0;
        if (flag == QLatin1String("--serial")) {
            o.logger.serial = value;
            continue;
        }
        if (flag == QLatin1String("--allow")) {
            if (value != QLatin1String("read") && value != QLatin1String("write"))
                return false;
            o.logger.passwordAccess =
                value == QLatin1String("read") ? PasswordBits::ReadWithout : PasswordBits::WriteWithout;
            continue;
        }
        if (!parseNumber(value, number))
            return false;
        if (flag == QLatin1String("--version"))
            o.logger.version = quint16(number);
        else if (flag == QLatin1String("--sensors"))
            o.logger.sensors = quint8(number);
        else if (flag == QLatin1String("--password"))
            o.logger.password = quint16(number);
        else if (flag == QLatin1String("--readings"))
            o.logger.readings = qBound(0, number, 65536);
        else if (flag == QLatin1String("--rollover"))
            o.logger.rollover = qMax(0, number);
        else if (flag == QLatin1String("--drop-echo"))
            o.logger.dropEcho = number;
        else if (flag == QLatin1String("--bad-echo"))
            o.logger.badEcho = number;
        else if (flag == QLatin1String("--clock-skew"))
            o.logger.clockSkew = number;
        else if (flag == QLatin1String("--clock-offset"))
            o.logger.clockOffset = number;
        else if (flag == QLatin1String("--fast"))
            o.logger.fast = qMax(1, number);
        else
            return false;
    }
    return true;
}

struct Pty
{
    int master = -1;
    int slave = -1;   // held open so the line stays up while no one uses it
    QByteArray path;
};

bool openPty(Pty &pty)
{
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0)
        return false;
    const char *name = ptsname(pty.master);
    if (!name)
        return false;
    pty.path = name;
    pty.slave = open(name, O_RDWR | O_NOCTTY);
    if (pty.slave < 0)
        return false;
    termios tio;
    if (tcgetattr(pty.slave, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    return tcsetattr(pty.slave, TCSANOW, &tio) == 0;
}

void closePty(Pty &pty)
{
    if (pty.slave >= 0)
        close(pty.slave);
    if (pty.master >= 0)
        close(pty.master);
    pty.slave = pty.master = -1;
}

struct Script
{
    QByteArray pending;
    bool open = true;
    qint64 written = 0;     // bytes sent on the line
    bool replying = false;  // between the first and last chunk of a reply
};

// Writes out, at the line's 115200 baud (10 bits a byte) unless pacing is
// off, in chunks; between two chunks plugged() may say the logger is gone,
// which ends the reply where it stands. False then.
bool writeAll(int fd, const QByteArray &out, bool pacing, Script &script, const std::function<bool()> &plugged)
{
    script.replying = true;
    constexpr int kChunk = 64;
    int written = 0;
    while (written < out.size()) {
        if (!plugged())
            return false;
        const int n = qMin(kChunk, out.size() - written);
        const ssize_t done = write(fd, out.constData() + written, size_t(n));
        if (done < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            script.replying = false;
            return true;
        }
        written += int(done);
        script.written += done;
        if (pacing)
            usleep(useconds_t(done * 10 * 1000000LL / 115200));
    }
    script.replying = false;
    return true;
}

// Returns false when the logger is unplugged.
bool runScriptLine(const QByteArray &line, LoggerModel &model, const Script &script)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray command = words.value(0);
    if (command == "unplug")
        return false;
    if (command == "skew")
        model.setClockSkew(words.value(1).toInt());
    else if (command == "silent" && words.value(1) == "after")
        model.silenceAfter(words.value(3).toInt(nullptr, 16), words.value(2).toInt());
    else if (command == "silent")
        model.setSilent(words.value(1) != "off");
    else if (command == "drop")
        model.dropNext(words.value(1).toInt(nullptr, 16));
    else if (command == "fast")
        model.setFast(words.value(1).toInt());
    else if (command == "button")
        model.pressStopButton();
    else if (command == "dump")
        std::printf("memory %s\n", model.image().toHex().toUpper().constData());
    else if (command == "written")
        std::printf("written %lld%s\n", static_cast<long long>(script.written),
                    script.replying ? " busy" : "");
    return true;
}

// Acts on the script lines waiting on standard input, each acknowledged
// once it took effect; false once the logger is unplugged. Called between
// the chunks of a long reply too, so that an unplug cuts a download short.
bool serveScript(Script &script, LoggerModel &model)
{
    pollfd input = { 0, POLLIN, 0 };
    if (!script.open || poll(&input, 1, 0) <= 0 || !(input.revents & (POLLIN | POLLHUP)))
        return true;
    char buffer[4096];
    const ssize_t n = read(0, buffer, sizeof buffer);
    if (n <= 0) {
        script.open = false;   // keep running without a script
        return true;
    }
    script.pending.append(buffer, int(n));
    int end;
    while ((end = script.pending.indexOf('\n')) >= 0) {
        const QByteArray line = script.pending.left(end).trimmed();
        script.pending.remove(0, end + 1);
        const bool plugged = runScriptLine(line, model, script);
        std::printf("ok %s\n", line.constData());
        std::fflush(stdout);
        if (!plugged)
            return false;
    }
    return true;
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Options options;
    if (!parseArguments(app.arguments(), options)) {
        usage();
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    Pty pty;
    if (!openPty(pty)) {
        std::perror("loggersim: pseudo-terminal");
        return 1;
    }
    std::printf("%s\n", pty.path.constData());
    std::fflush(stdout);

    LoggerModel model(options.logger);
    Script script;
    const auto plugged = [&script, &model] { return serveScript(script, model); };
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = { { pty.master, POLLIN, 0 }, { script.open ? 0 : -1, POLLIN, 0 } };
        if (poll(fds, 2, 100) < 0 && errno != EINTR)
            break;
        // Script lines first: a change asked for before a frame arrived
        // applies to that frame.
        if ((fds[1].revents & (POLLIN | POLLHUP)) && !plugged())
            break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(pty.master, buffer, sizeof buffer);
            if (n > 0) {
                const QByteArray out = model.feed(QByteArray(buffer, int(n)));
                if (!out.isEmpty() && !writeAll(pty.master, out, options.pacing, script, plugged))
                    break;
            }
        }
    }
    closePty(pty);
    return 0;
}
