#include "core/cmsd.h"

#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include "core/imagecodec.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"
#include "core/platform.h"
#include "core/recordcheck.h"
#include "files/cfilemanager.h"

namespace {
constexpr int kSleepSliceMs = 50;
constexpr int kHeaderBytes = 512;
}

CMsd::CMsd(QObject *parent)
    : QThread(parent)
{
}

CMsd::~CMsd()
{
    stop();
}

void CMsd::stop()
{
    requestInterruption();
    wait();
}

QString CMsd::volumeLabel()
{
    return QStringLiteral("KelpraUSB");
}

QString CMsd::clockLine(quint32 loggerSeconds)
{
    return QString::asprintf("TIME=%08X\r\n", loggerSeconds);
}

QString CMsd::loggerDataFile(const QString &directory)
{
    const QFileInfoList files = QDir(directory).entryInfoList(
        { QStringLiteral("*.QLF"), QStringLiteral("*.qlf") }, QDir::Files, QDir::Time);
    for (const QFileInfo &info : files) {
        const QString path = info.absoluteFilePath();
        if (isLoggersFile(path))
            return path;
    }
    return QString();
}

// Each file is opened once as long as it stays as it is: the drive is
// looked at every second.
bool CMsd::isLoggersFile(const QString &path)
{
    const QString stamp = fileStamp(path);
    {
        QMutexLocker lock(&mutex);
        const auto seen = seenFiles.constFind(path);
        if (seen != seenFiles.constEnd() && seen->stamp == stamp)
            return seen->loggers;
    }
    const bool loggers = !isSavedDataFile(path);
    QMutexLocker lock(&mutex);
    seenFiles.insert(path, { stamp, loggers });
    return loggers;
}

bool CMsd::isSavedDataFile(const QString &path)
{
    LoggerRecord saved;
    QString notOne;
    return CFileManager::readDataFile(path, saved, false, &notOne);
}

bool CMsd::readDataFile(const QString &path, LoggerRecord &record, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray header = file.read(kHeaderBytes);
    if (header.size() < kHeaderBytes) {
        if (error)
            *error = QStringLiteral("file shorter than its header");
        return false;
    }
    // every reading is counted before any is taken, so that a file holding
    // more than a logger's data file can is refused, not cut (an odd last
    // byte is not a reading)
    const qint64 count = (file.size() - kHeaderBytes) / 2;

    LoggerRecord r;
    ImageCodec::decode(header.left(MemoryMap::BlockSize), r);
    // The sensor flags live in the external table, which the file does not
    // carry: the drive logger measures with its internal sensor. The kept
    // image says so too, since a data file saved from it is decoded again.
    if (r.sensorFlags == 0) {
        r.sensorFlags = SensorBits::InternalNtc;
        r.imageRead[MemoryMap::SensorFlags] = char(r.sensorFlags);
        r.updateChannels();
    }
    // The drive carries no sensor table to say which channel its readings
    // are: with none on, they would be shown and saved as no samples at all.
    QString implausible = RecordCheck::implausibleTrip(r, r.versionWord, count, r.startAt);
    if (implausible.isEmpty())
        implausible = RecordCheck::implausibleChannels(r, count);
    if (!implausible.isEmpty()) {
        if (error)
            *error = QStringLiteral("This is not a data file of the logger: %1.").arg(implausible);
        return false;
    }
    const QByteArray body = file.read(count * 2);
    if (body.size() != count * 2) {
        if (error)
            *error = QStringLiteral("file shorter than its readings");
        return false;
    }
    r.readings.resize(count);
    const uchar *raw = reinterpret_cast<const uchar *>(body.constData());
    for (int i = 0; i < count; ++i)
        r.readings[i] = quint16(raw[2 * i] << 8 | raw[2 * i + 1]);
    r.readingCount = int(count);
    r.recordedCount = quint32(count);
    r.startTime = r.startAt;
    const int samples = r.channelCount > 0 ? count / r.channelCount : count;
    if (r.startTime.isValid())
        r.stopTime = r.startTime.addSecs(qint64(qMax(0, samples - 1)) * r.interval);
    r.downloadTime = QDateTime::currentDateTime();
    r.fileName = QFileInfo(path).fileName();
    r.fromFile = true;
    r.massStorage = true;
    r.dataLoaded = true;
    r.ready = true;
    r.keepAsTrip();
    record = r;
    return true;
}

void CMsd::pause()
{
    paused = true;
    state = Idle;
}

void CMsd::resume()
{
    {
        QMutexLocker lock(&mutex);
        clockFailureTold = false;   // the next user is told too
    }
    state = Looking;
    paused = false;
}

void CMsd::requestClockLine(quint32 loggerSeconds)
{
    QMutexLocker lock(&mutex);
    pendingClock = loggerSeconds;
    pendingSince = steadyClock();
    state = ClockPending;
}

void CMsd::readFailed(const QString &dataFilePath)
{
    QMutexLocker lock(&mutex);
    seenFiles.insert(dataFilePath, { fileStamp(dataFilePath), false });
    state = Looking;
}

void CMsd::setSteadyClock(const SteadyClock &clock)
{
    QMutexLocker lock(&mutex);
    steadyClock = clock;
}

QString CMsd::fileStamp(const QString &path)
{
    const QFileInfo info(path);
    return QString::number(info.size()) + QLatin1Char('@')
           + QString::number(info.lastModified().toMSecsSinceEpoch());
}

void CMsd::run()
{
    while (!isInterruptionRequested()) {
        if (!paused)
            step();
        ++polls;
        for (int slept = 0; slept < pollMs && !isInterruptionRequested(); slept += kSleepSliceMs)
            msleep(qMin(kSleepSliceMs, pollMs.load()));
    }
}

void CMsd::step()
{
    const QString root = Platform::volumeRoot(volumeLabel());
    if (root.isEmpty()) {
        driveGone();
        return;
    }
    switch (state.load()) {
    case Looking:
        lookAt(root);
        break;
    case ClockPending:
        // a logger file that changed is read again, and asks for a line of its own
        if (dataFileChanged(root))
            moveState(ClockPending, Looking);
        else
            writePendingLine(root);
        break;
    case Idle:
        if (dataFileChanged(root))
            moveState(Idle, Looking);
        break;
    default:
        break;
    }
}

void CMsd::lookAt(const QString &root)
{
    const QString dataFile = loggerDataFile(root);
    if (dataFile.isEmpty())
        return;
    {
        QMutexLocker lock(&mutex);
        readRoot = root;
        readFile = dataFile;
        readStamp = fileStamp(dataFile);
    }
    if (moveState(Looking, Found))
        emit massStorageFound(dataFile);
}

bool CMsd::dataFileChanged(const QString &root)
{
    const QString dataFile = loggerDataFile(root);
    QMutexLocker lock(&mutex);
    return dataFile != readFile || fileStamp(dataFile) != readStamp;
}

// The next drive plugged in is another logger, or this one with what it
// recorded since: a line still waiting was this drive's, and is dropped.
// The user hears of it unless the line's failure was told already.
void CMsd::driveGone()
{
    bool told = false;
    QString root;
    {
        QMutexLocker lock(&mutex);
        seenFiles.clear();
        readFile.clear();
        readStamp.clear();
        told = std::exchange(clockFailureTold, false);
        root = readRoot;
    }
    if (!moveState(ClockPending, Looking))
        moveState(Idle, Looking);
    else if (!told)
        emit clockLineDropped(root);
}

// The core moves the state too: a step changes it only from what it saw.
bool CMsd::moveState(State from, State to)
{
    int expected = from;
    return state.compare_exchange_strong(expected, to);
}

void CMsd::writePendingLine(const QString &root)
{
    quint32 seconds = 0;
    {
        QMutexLocker lock(&mutex);
        seconds = pendingClock + quint32(qMax<qint64>(0, steadyClock() - pendingSince) / 1000);
    }
    QString reason;
    if (writeClockLine(root, seconds, &reason)) {
        moveState(ClockPending, Idle);
        return;
    }
    // tried again at every look, but told once
    bool tell = false;
    {
        QMutexLocker lock(&mutex);
        tell = !clockFailureTold;
        clockFailureTold = true;
    }
    if (tell)
        emit clockLineFailed(root, reason);
}

bool CMsd::writeClockLine(const QString &root, quint32 seconds, QString *reason)
{
    QFile file(QDir(root).filePath(QStringLiteral("CMD.TXT")));
    // Only a line that reached the drive counts; a full or vanished drive
    // shows at flush or close, and the line is written again next time.
    const QByteArray line = clockLine(seconds).toLatin1();
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(line) == line.size() && file.flush()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    *reason = file.errorString();
    return false;
}
