#include "core/ccomm.h"

#include <optional>
#include <utility>

#include <QMutexLocker>
#include <QSerialPort>

#include "core/memorymap.h"
#include "core/platform.h"

using namespace MemoryMap;

namespace {

// A sleeping logger needs a moment after the wake line before it reads
// frames. Other frames need no pause: a write waits for its echo, and the
// logger reads every other frame in turn.
constexpr int kPauseAfterWakeMs = 20;
constexpr int kReadsPerTurn = 20;
constexpr int kReadSize = 4096;
// How long a turn waits for a reply to begin, or for the rest of a frame
// cut between two reads. A turn ends as soon as the bytes in end on a frame
// boundary: the next frame goes out at once, and a reply of several frames
// is read on over the following turns.
constexpr int kReadGapMs = 5;
// A missing echo is asked for again once the line has been quiet this long
// after the write: the logger may still be busy with a long reply.
constexpr int kEchoWaitMs = 300;
// A write not confirmed after this many resends is given up, and the rest
// of the transfer dropped instead of looping forever, when the logger has
// been silent this long (gone) or answered only wrong echoes (broken). A
// line that is never quiet gets no resends: there the write is given up
// once it has waited longer than the longest download takes at 115200 baud.
constexpr int kMaxResends = 20;
constexpr int kSilenceBeforeGivingUpMs = 3000;
constexpr int kLongestWriteWaitMs = 30000;
constexpr int kProbeWaitMs = 100;
// A clock reply comes at once, or behind a reply the logger is still
// sending (a whole image takes some 150 ms). A silent logger holds each
// clock set up this long, for each read it misses.
constexpr int kClockReadWaitMs = 500;
constexpr int kClockReadAttempts = 2;

void configure(QSerialPort &port)
{
    port.setBaudRate(QSerialPort::Baud115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

bool isPortFailure(const QSerialPort &port)
{
    switch (port.error()) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
        return false;
    default:
        return true;
    }
}

QString frameBody(const QString &frame)
{
    QString body = frame;
    while (body.endsWith(QLatin1Char('\n')) || body.endsWith(QLatin1Char('\r')))
        body.chop(1);
    return body;
}

// The value a clock-set frame sets the logger's clock to.
std::optional<quint32> clockSetTo(const QString &frame)
{
    const QString body = frameBody(frame);
    const QString read = frameBody(CComm::commandFrame(Command::Clock));
    if (body.size() != read.size() + 8 || !body.startsWith(read))
        return std::nullopt;
    bool ok = false;
    const quint32 value = body.mid(read.size()).toUInt(&ok, 16);
    return ok ? std::optional<quint32>(value) : std::nullopt;
}

}

CComm::CComm(int index, const QString &portName, QObject *parent)
    : QThread(parent), index(index), portName(portName)
{
}

CComm::~CComm()
{
    stop();
}

void CComm::stop()
{
    requestInterruption();
    wait();
}

QString CComm::commandFrame(int command)
{
    return QString::asprintf(".%02X\r\n", unsigned(command & 0xFF));
}

QString CComm::command32Frame(int command, quint32 value)
{
    return QString::asprintf(".%02X%08lX\r\n", unsigned(command & 0xFF), static_cast<unsigned long>(value));
}

QString CComm::readMemoryFrame(int address, int length)
{
    return QString::asprintf(".%02X%04X%04X\r\n", unsigned(Command::ReadMemory),
                             unsigned(address & 0xFFFF), unsigned(length & 0xFFFF));
}

QStringList CComm::writeMemoryFrames(int address, const QByteArray &data)
{
    QStringList frames;
    for (int offset = 0; offset < data.size(); offset += MaxWriteFrameBytes) {
        const QByteArray chunk = data.mid(offset, MaxWriteFrameBytes);
        frames << QString::asprintf(".%02X%04X%02X", unsigned(Command::WriteMemory),
                                    unsigned((address + offset) & 0xFFFF), unsigned(chunk.size()))
                      + QString::fromLatin1(chunk.toHex().toUpper()) + QStringLiteral("\r\n");
    }
    return frames;
}

void CComm::appendFrames(const QStringList &frames)
{
    QMutexLocker lock(&queueMutex);
    commandQueue << frames;
}

int CComm::sendCommand(int command)
{
    QStringList frames;
    if (command == Command::Wake)
        frames << QString::fromLatin1(WakeLine);
    frames << commandFrame(command);
    appendFrames(frames);
    return queueLength();
}

int CComm::sendCommand32(int command, quint32 value)
{
    appendFrames({ command32Frame(command, value) });
    return queueLength();
}

int CComm::sendReadMemory(int address, int length)
{
    appendFrames({ readMemoryFrame(address, length) });
    return queueLength();
}

int CComm::sendWriteMemory(int address, const QByteArray &data)
{
    appendFrames(writeMemoryFrames(address, data));
    return queueLength();
}

int CComm::queueLength() const
{
    QMutexLocker lock(&queueMutex);
    return commandQueue.size();
}

void CComm::forgetExpectedReplies()
{
    QMutexLocker lock(&queueMutex);
    forgetRequested = true;
}

// Taken together with the frame: a transfer queued after the request must
// not lose what its own first frame asks for.
QString CComm::takeFrame(bool &forget)
{
    QMutexLocker lock(&queueMutex);
    forget = std::exchange(forgetRequested, false);
    if (forget)
        pendingWrite.clear();
    return !pendingWrite.isEmpty() || commandQueue.isEmpty() ? QString() : commandQueue.takeFirst();
}

void CComm::setBusyPorts(const QStringList &ports)
{
    busyPorts = ports;
}

QList<LinkResult> CComm::takeResults()
{
    QMutexLocker lock(&resultMutex);
    QList<LinkResult> taken;
    taken.swap(results);
    return taken;
}

void CComm::post(const QList<LinkResult> &newResults)
{
    if (newResults.isEmpty())
        return;
    QMutexLocker lock(&resultMutex);
    results << newResults;
}

void CComm::run()
{
    if (index == ScannerIndex)
        runScanner();
    else
        runLink();
}

void CComm::runLink()
{
    QSerialPort port;
    port.setPortName(portName);
    if (!port.open(QIODevice::ReadWrite)) {
        reportPortLost();
        return;
    }
    configure(port);
    port.clear();

    QElapsedTimer sinceLastReply;
    sinceLastReply.start();
    bool heardLastTurn = false;
    while (!isInterruptionRequested()) {
        bool wakeSent = false;
        bool forget = false;
        const QString frame = takeFrame(forget);
        if (forget)
            gestionSerie.forgetExpectedReplies();
        if (!pendingWrite.isEmpty()) {
            // While the logger is talking (a download, a long reply) its
            // echo is queued behind: only a quiet line counts as waiting.
            if (heardLastTurn)
                sincePendingSent.restart();
            if (pendingFor.elapsed() > kLongestWriteWaitMs) {
                giveUpWrite();
            } else if (resendNow || sincePendingSent.elapsed() >= kEchoWaitMs) {
                if (++resendCount > kMaxResends && mustGiveUpWrite(sinceLastReply.elapsed())) {
                    giveUpWrite();
                } else {
                    sendFrame(port, pendingWrite);
                }
                resendNow = false;
                sincePendingSent.restart();
            }
        } else if (!frame.isEmpty()) {
            const bool clockSet = clockSetTo(frame).has_value();
            if (clockSet)
                readClockBeforeSet(port);
            sendFrame(port, frame);
            if (clockSet)
                ++clockSetsSent;
            announceExpectedReply(frame);
            if (CommandTally *tally = tallyOfFrame(frame))
                ++tally->sent;
            if (frame.startsWith(QStringLiteral(".04"))) {
                ++writeFramesSent;
                pendingWrite = frame;
                resendNow = false;
                resendCount = 0;
                wrongEchoes = 0;
                sincePendingSent.start();
                pendingFor.start();
            }
            wakeSent = frame == QLatin1String(WakeLine);
        }
        // The wake line has no reply: after its pause, only what is already
        // in is read.
        if (wakeSent)
            msleep(kPauseAfterWakeMs);
        heardLastTurn = readReplies(port, wakeSent ? 0 : kReadGapMs);
        if (heardLastTurn)
            sinceLastReply.restart();
        confirmWrites();
        countCommandEchoes();
        post(gestionSerie.takeResults());
        if (isPortFailure(port) || !port.isOpen()) {
            reportPortLost();
            break;
        }
    }
    port.close();
}

void CComm::sendFrame(QSerialPort &port, const QString &frame)
{
    const QByteArray bytes = frame.toLatin1();
    port.write(bytes);
    port.waitForBytesWritten(100);
    bytesWritten += quint64(bytes.size());
}

void CComm::announceExpectedReply(const QString &frame)
{
    if (frame.startsWith(QStringLiteral(".03")) && frame.size() >= 11) {
        bool okAddress = false, okLength = false;
        const int address = frame.mid(3, 4).toInt(&okAddress, 16);
        const int length = frame.mid(7, 4).toInt(&okLength, 16);
        // the alarm word alone is read only ahead of a download
        if (okAddress && okLength && address == AlarmStatus && length == 4)
            gestionSerie.expectAlarmStatus();
        else if (okAddress && okLength)
            gestionSerie.expectMemory(address, length, false);
    } else if (frameBody(frame) == frameBody(commandFrame(Command::End))) {
        gestionSerie.expectMemory(0, ImageSize, true);
    } else if (frameBody(frame) == frameBody(commandFrame(Command::Download))) {
        gestionSerie.expectDownload();
    } else if (const std::optional<quint32> value = clockSetTo(frame)) {
        gestionSerie.expectClockSet(*value);
    }
}

// A recording logger moves its trip's start with its clock: the clock is
// read just before it is set, so that what the set moves it by is known. A
// read the logger missed is sent again; one never answered leaves the set
// unmeasured, and its reply still answers the set.
void CComm::readClockBeforeSet(QSerialPort &port)
{
    for (int attempt = 0; attempt < kClockReadAttempts && !isInterruptionRequested(); ++attempt) {
        gestionSerie.expectClockRead();
        sendFrame(port, commandFrame(Command::Clock));
        QElapsedTimer waited;
        waited.start();
        while (gestionSerie.clockReadAwaited() && waited.elapsed() < kClockReadWaitMs
               && !isInterruptionRequested() && !isPortFailure(port) && port.isOpen())
            readReplies(port, kReadGapMs);
        if (!gestionSerie.clockReadAwaited())
            return;
        gestionSerie.giveUpClockRead();
    }
}

bool CComm::readReplies(QSerialPort &port, int firstByteWaitMs)
{
    bool heard = false;
    for (int i = 0; i < kReadsPerTurn; ++i) {
        const int waitMs = heard ? kReadGapMs : firstByteWaitMs;
        if (port.bytesAvailable() == 0 && !port.waitForReadyRead(waitMs))
            break;
        const QByteArray data = port.read(kReadSize);
        if (data.isEmpty())
            break;
        bytesRead += quint64(data.size());
        gestionSerie.dispatchReply(data);
        heard = true;
        if (!gestionSerie.midFrame())
            break;
    }
    return heard;
}

// An echo equal to the awaited write confirms it; a late echo of the write
// confirmed before (it was resent while its echo was on the way) is
// ignored; any other write echo means the frame was garbled on the way and
// is sent again at once.
void CComm::confirmWrites()
{
    const QStringList echoes = gestionSerie.takeEchoes();
    for (const QString &echo : echoes) {
        if (pendingWrite.isEmpty())
            return;
        if (echo == frameBody(pendingWrite)) {
            lastConfirmed = echo;
            pendingWrite.clear();
            resendNow = false;
        } else if (echo != lastConfirmed) {
            ++wrongEchoes;
            resendNow = true;
        }
    }
}

CComm::CommandTally *CComm::tallyOf(int command)
{
    switch (command) {
    case Command::Commit:
        return &commits;
    case Command::FactoryInit:
        return &factoryInits;
    default:
        return nullptr;
    }
}

CComm::CommandTally *CComm::tallyOfFrame(const QString &frame)
{
    for (int command : { Command::Commit, Command::FactoryInit })
        if (frameBody(frame) == frameBody(commandFrame(command)))
            return tallyOf(command);
    return nullptr;
}

void CComm::countCommandEchoes()
{
    for (int command : gestionSerie.takeCommandEchoes())
        if (CommandTally *tally = tallyOf(command))
            ++tally->echoed;
}

void CComm::reportPortLost()
{
    portLost = true;
    LinkResult lost;
    lost.kind = LinkResult::PortLost;
    post({ lost });
}

bool CComm::mustGiveUpWrite(qint64 silentMs) const
{
    return silentMs > kSilenceBeforeGivingUpMs || wrongEchoes >= kMaxResends;
}

void CComm::giveUpWrite()
{
    pendingWrite.clear();
    {
        // the window ended the transfer first: what is queued now is the next one's
        QMutexLocker lock(&queueMutex);
        if (forgetRequested)
            return;
        ++writesGivenUp;
        commandQueue.clear();
    }
    qWarning("Logger on %s does not confirm its writes; transfer dropped", qPrintable(portName));
    gestionSerie.forgetExpectedReplies();
    LinkResult failed;
    failed.kind = LinkResult::WriteFailed;
    post({ failed });
}

void CComm::runScanner()
{
    const QStringList ports = Platform::serialPorts();
    for (const QString &path : ports) {
        if (isInterruptionRequested())
            return;
        if (busyPorts.contains(path))
            continue;
        if (probe(path))
            emit loggerFound(path);
    }
}

// Sends identify twice and listens after each; a logger answers ".01".
bool CComm::probe(const QString &path)
{
    QSerialPort port;
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    configure(port);
    port.clear();
    QByteArray received;
    for (int attempt = 0; attempt < 2; ++attempt) {
        port.write(commandFrame(Command::Identify).toLatin1());
        port.waitForBytesWritten(100);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kProbeWaitMs && !isInterruptionRequested()) {
            if (port.waitForReadyRead(kReadGapMs))
                received += port.readAll();
            if (isPortFailure(port))
                break;
        }
    }
    port.close();
    const QList<QByteArray> lines = received.split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.startsWith(".01") && line.size() >= 3 + 8)
            return true;
    }
    return false;
}
