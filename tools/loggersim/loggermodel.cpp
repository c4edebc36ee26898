#include "loggermodel.h"

#include <QDateTime>

#include "core/byteorder.h"
#include "core/imagecodec.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "loggersimpattern.h"
#include "programming/calibrationtable.h"

using namespace MemoryMap;

namespace {

constexpr quint16 kModelWord = 0x0005;

QByteArray frame(const QString &text)
{
    return text.toLatin1() + "\r\n";
}

QByteArray hex(quint32 value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

quint32 channelBits(quint8 sensors)
{
    quint32 bits = 0;
    if (sensors & (SensorBits::InternalNtc | SensorBits::DigitalTempHum))
        bits |= ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntH;
    if (sensors & SensorBits::ExternalProbe)
        bits |= ConfigBits::ExternalOn | ConfigBits::ExtHH;
    if (sensors & SensorBits::DigitalTempHum)
        bits |= ConfigBits::HumidityOn | ConfigBits::HumH;
    return bits;
}

// The alarm levels a logger latches while it records: a level counts once
// its readings stood beyond the threshold for the consecutive delay in a
// row, or for the total delay in all.
quint32 alarmStatusOf(const LoggerRecord &r)
{
    static const quint32 levelBits[4] = { AlarmStatusBits::HH, AlarmStatusBits::H,
                                          AlarmStatusBits::L, AlarmStatusBits::LL };
    quint32 status = 0;
    for (int c = ChannelInternal; c <= ChannelExternal; ++c) {
        const ViewChannel channel = ViewChannel(c);
        if (!r.isChannelOn(channel))
            continue;
        const LimitGroup group = limitGroupOf(channel);
        const int consecutiveNeeded = qMax<int>(1, r.consecutiveDelay[group]);
        const int totalNeeded = qMax<int>(1, r.totalDelay[group]);
        for (int level = LevelHH; level <= LevelLL; ++level) {
            if (!r.levelEnabled(channel, AlarmLevel(level)))
                continue;
            const double limit = r.threshold(channel, AlarmLevel(level));
            const bool high = level == LevelHH || level == LevelH;
            int run = 0, total = 0;
            for (int sample = 0; sample < r.sampleCount(); ++sample) {
                const double value = ReadingWord::value(r.reading(channel, sample));
                if (high ? value > limit : value < limit) {
                    ++run;
                    ++total;
                } else {
                    run = 0;
                }
                if (run >= consecutiveNeeded || total >= totalNeeded) {
                    status |= levelBits[level];
                    break;
                }
            }
        }
    }
    return status;
}

// A logger keeps each channel's lowest and highest reading of the trip in
// its image, where the graph fitted to the data and the histogram read
// them; a channel it does not record, or a trip without readings, keeps 0.
void keepExtremes(const LoggerRecord &trip, LoggerRecord &image)
{
    for (int c = ChannelInternal; c <= ChannelExternal; ++c) {
        const ViewChannel channel = ViewChannel(c);
        double lowest = 0, highest = 0;
        if (trip.channelPosition(channel) >= 0) {
            for (int sample = 0; sample < trip.sampleCount(); ++sample) {
                const double value = ReadingWord::value(trip.reading(channel, sample));
                lowest = sample == 0 ? value : qMin(lowest, value);
                highest = sample == 0 ? value : qMax(highest, value);
            }
        }
        const LimitGroup group = limitGroupOf(channel);
        image.lowestValue[group] = float(lowest);
        image.highestValue[group] = float(highest);
    }
}

// A sensor's table as production leaves it: its points rise steadily over
// the range, each sensor a little off the next.
QByteArray calibrationTable(int seed)
{
    QVector<qint16> points;
    for (int i = 0; i < CalibrationTable::PointCount; ++i)
        points << qint16(-400 + i * 10 + seed);
    return CalibrationTable::make(-40, 85, -400, 10, points);
}

}

LoggerModel::LoggerModel(const SimOptions &o)
    : options(o)
{
    LoggerRecord r;
    r.versionWord = o.version;
    r.modelWord = kModelWord;
    r.sensorFlags = o.sensors;
    r.configWord = ConfigBits::Programmed | ConfigBits::ShowTemperature | channelBits(o.sensors)
                   | (o.rollover > 0 ? ConfigBits::Continuous : 0);
    r.passwordWord = o.password ? (PasswordBits::Marker | o.passwordAccess | o.password) : 0;
    r.interval = LoggerSimPattern::kInterval;
    r.startAt = LoggerTime::toDateTime(LoggerSimPattern::startSeconds());
    r.memorySize = quint32(kMaxReadings) * 2 + ImageSize;
    r.hasHeader = true;
    r.tripNumber = 1;
    r.maxTrip = kUnlimitedTrips;
    r.recordedCount = quint32(o.readings);
    const double limits[3][4] = { { 30, 25, 5, 0 }, { 40, 35, -5, -10 }, { 90, 80, 20, 10 } };
    for (int g = 0; g < 3; ++g) {
        for (int l = 0; l < 4; ++l)
            r.alarmThresholds[g][l] = limits[g][l];
        r.consecutiveDelay[g] = 1;
        r.totalDelay[g] = 2;
    }
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.battery = 90;
    r.productCode = QStringLiteral("QV-5D");
    r.description = QStringLiteral("Simulated logger");
    r.serialNumber = o.serial;

    const int n = qBound(0, o.readings, kMaxReadings);
    memory.resize(n);
    r.readings.resize(n);
    for (int i = 0; i < n; ++i) {
        r.readings[i] = LoggerSimPattern::reading(i, o.sensors);
        memory[(i + o.rollover) % n] = r.readings.at(i);
    }
    r.readingCount = n;
    r.updateChannels();
    r.alarmStatus = alarmStatusOf(r);
    keepExtremes(r, r);

    QByteArray base(ImageSize, '\0');
    base.replace(InternalTable, BlockSize, calibrationTable(1));
    base.replace(ExternalTable, BlockSize, calibrationTable(2));
    memoryImage = ImageCodec::encode(r, base);
    tripStart = LoggerSimPattern::startSeconds();
    tripInterval = LoggerSimPattern::kInterval;
    tripChannels = qMax(1, r.channelCount);
    setClock(quint32(qint64(LoggerTime::fromDateTime(QDateTime::currentDateTime())) + o.clockOffset));
}

namespace {

// The command code of a frame, -1 for the wake line and noise.
int commandOf(const QByteArray &line)
{
    bool ok = false;
    const int code = line.size() >= 3 && line.at(0) == '.' && line.at(1) != '.' ? line.mid(1, 2).toInt(&ok, 16) : -1;
    return ok ? code : -1;
}

}

void LoggerModel::silenceAfter(int code, int count)
{
    silenceCode = code;
    framesBeforeSilence = count;
    if (count <= 0)
        silent = true;
}

QByteArray LoggerModel::feed(const QByteArray &input)
{
    pending += input;
    QByteArray out;
    int end;
    while ((end = pending.indexOf('\n')) >= 0) {
        QByteArray line = pending.left(end).trimmed();
        pending.remove(0, end + 1);
        const int code = commandOf(line);
        if (silent)
            continue;
        if (code >= 0 && code == dropCode) {
            dropCode = -1;
            continue;
        }
        out += handleFrame(line);
        if (code >= 0 && code == silenceCode && --framesBeforeSilence <= 0) {
            silenceCode = -1;
            silent = true;
        }
    }
    if (pending.size() > 4096)
        pending.clear();
    return out;
}

quint32 LoggerModel::now() const
{
    const double rate = options.fast > 0 ? options.fast : 1;
    const double elapsed = double(QDateTime::currentMSecsSinceEpoch() - realBaseMs) / 1000.0;
    return quint32(qint64(clockBase + elapsed * rate) + options.clockSkew);
}

void LoggerModel::setClock(quint32 seconds)
{
    clockBase = seconds;
    realBaseMs = QDateTime::currentMSecsSinceEpoch();
}

void LoggerModel::setFast(int factor)
{
    recordDueReadings();
    setClock(now() - quint32(options.clockSkew));
    options.fast = qMax(1, factor);
}

bool LoggerModel::longIndex() const
{
    return options.version >= FirstLongIndexVersion;
}

QByteArray LoggerModel::handleFrame(const QByteArray &line)
{
    if (line.size() < 3 || line.at(0) != '.' || line.at(1) == '.')
        return QByteArray();
    bool ok = false;
    const int code = line.mid(1, 2).toInt(&ok, 16);
    if (!ok)
        return QByteArray();
    if (code != Command::End && code != Command::Clock)
        programClockDue = false;
    recordDueReadings();
    const QByteArray payload = line.mid(3);
    switch (code) {
    case Command::Wake:
        return frame(QStringLiteral(".00"));
    case Command::Identify:
        return identify();
    case Command::ReadMemory: {
        const int address = payload.left(4).toInt(nullptr, 16);
        const int length = payload.mid(4, 4).toInt(nullptr, 16);
        return readMemory(address, length);
    }
    case Command::WriteMemory:
        return writeMemory(line);
    case Command::Clock:
        return clock(payload);
    case Command::Commit:
        return commit(line);
    case Command::FactoryInit:
        return factoryInit(line);
    case Command::AlarmStatus:
        if (!options.answersAlarmCommand)
            return QByteArray();
        return ".0B" + hex(ByteOrder::getBE32(memoryImage, AlarmStatus), 8) + "\r\n";
    case Command::End:
        return readMemory(0, ImageSize);
    case Command::Download:
        return download();
    default:
        return QByteArray();
    }
}

QByteArray LoggerModel::identify() const
{
    QByteArray serial = options.serial.toLatin1().left(SerialNumberLength);
    serial.append(QByteArray(SerialNumberLength - serial.size(), '\0'));
    return ".01" + hex(options.version, 4) + hex(kModelWord, 4)
           + serial.toHex().toUpper() + "\r\n";
}

QByteArray LoggerModel::readMemory(int address, int length) const
{
    QByteArray out;
    const int end = qMin(ImageSize, address + length);
    for (int at = address; at < end; at += ReadReplyBytes) {
        const int n = qMin(ReadReplyBytes, end - at);
        out += ".03" + hex(quint32(at), 4) + memoryImage.mid(at, n).toHex().toUpper() + "\r\n";
    }
    return out;
}

QByteArray LoggerModel::writeMemory(const QByteArray &line)
{
    const QByteArray payload = line.mid(3);
    bool okAddress = false, okLength = false;
    const int address = payload.left(4).toInt(&okAddress, 16);
    const int length = payload.mid(4, 2).toInt(&okLength, 16);
    const QByteArray data = QByteArray::fromHex(payload.mid(6));
    if (!okAddress || !okLength || data.size() != length || length > MaxWriteFrameBytes
        || address + length > ImageSize)
        return QByteArray();   // a garbled frame: no echo
    if (options.dropEcho > 0) {   // the frame is lost on the way in
        --options.dropEcho;
        return QByteArray();
    }
    memoryImage.replace(address, length, data);
    QByteArray echo = line;
    if (options.badEcho > 0) {
        --options.badEcho;
        const int last = echo.size() - 1;
        echo[last] = echo.at(last) == '0' ? '1' : '0';
    }
    return echo + "\r\n";
}

QByteArray LoggerModel::clock(const QByteArray &payload)
{
    if (payload.size() == 8) {
        bool ok = false;
        const quint32 value = payload.toUInt(&ok, 16);
        if (ok) {
            // what was due goes in at the old clock; a trip that records
            // goes on by its intervals, its start moved with the clock. A
            // start still to come stays at its time, but a wait counts from
            // its program, on the clock that program sets.
            recordDueReadings();
            const qint64 before = now();
            setClock(value);
            const quint32 c = tripProgram.configWord;
            const bool waitOfThisProgram =
                programClockDue && !(c & ConfigBits::StartAt) && (c & ConfigBits::StartDelay);
            if (recording && (tripBegun || waitOfThisProgram))
                tripStart = quint32(qint64(tripStart) + qint64(now()) - before);
            programClockDue = false;
        }
    }
    return ".06" + hex(now(), 8) + "\r\n";
}

// The readings in blocks (".10" byte count, the raw big-endian words, ".0F"
// index), then the last ".0F" with count, start, end and roll-over offset.
QByteArray LoggerModel::download() const
{
    QByteArray out;
    const int n = memory.size();
    const int indexDigits = longIndex() ? 8 : 4;
    for (int first = 0; first < n; first += LoggerSimPattern::kBlockReadings) {
        const int count = qMin(LoggerSimPattern::kBlockReadings, n - first);
        out += ".10" + hex(quint32(count * 2), 4) + "\r\n";
        for (int k = 0; k < count; ++k) {
            const quint16 word = memory.at(first + k);
            out += char(word >> 8);
            out += char(word & 0xFF);
        }
        out += ".0F" + hex(quint32(first), indexDigits) + "\r\n";
    }
    const int samples = n / tripChannels;
    // once a trip has gone round the memory, its oldest sample is later
    const qint64 overwritten = recordedWords > n ? (recordedWords - n) / tripChannels : 0;
    const quint32 start = tripStart + quint32(overwritten) * tripInterval;
    const quint32 end = start + quint32(qMax(0, samples - 1)) * tripInterval;
    out += ".0F" + QByteArray(indexDigits, 'F') + hex(quint32(n), 8) + hex(start, 8) + hex(end, 8)
           + hex(quint32(options.rollover), 8) + "\r\n";
    return out;
}

// The written program takes effect: the logger starts a new trip, which
// records from its start condition on; the readings of the last trip go.
QByteArray LoggerModel::commit(const QByteArray &line)
{
    programClockDue = true;
    startNewTrip();
    return line + "\r\n";
}

void LoggerModel::clearTrip()
{
    memory.clear();
    options.rollover = 0;
    recording = false;
    recordedWords = 0;
}

// With a clock rate the new trip records from its start condition on, at
// its interval, until its stop condition or a full memory (a continuous
// trip goes round the memory instead).
void LoggerModel::startNewTrip()
{
    clearTrip();
    if (options.fast <= 0)
        return;
    LoggerRecord r;
    ImageCodec::decode(memoryImage, r);
    r.updateChannels();
    if (!(r.configWord & ConfigBits::Programmed) || r.channelCount <= 0)
        return;
    tripChannelOrder = QVector<int>(r.channelCount, ChannelInternal);
    for (int c = ChannelInternal; c <= ChannelExternal; ++c)
        if (r.channelPosition(ViewChannel(c)) >= 0)
            tripChannelOrder[r.channelPosition(ViewChannel(c))] = c;
    capacityWords = int(qMin<quint32>(r.memoryReadings(), quint32(kMaxReadings))) / r.channelCount * r.channelCount;
    if (capacityWords <= 0)
        return;
    tripChannels = r.channelCount;
    tripInterval = qMax<quint32>(1, r.interval);
    if (r.configWord & ConfigBits::StartAt)
        tripStart = LoggerTime::fromDateTime(r.startAt);
    else if (r.configWord & ConfigBits::StartDelay)
        tripStart = now() + r.startDelay;
    else
        tripStart = now();
    tripProgram = r;
    recording = true;
    tripBegun = !(r.configWord & (ConfigBits::StartAt | ConfigBits::StartDelay));
    storeTripState();
    recordDueReadings();
}

void LoggerModel::pressStopButton()
{
    recordDueReadings();
    if (!recording || !(tripProgram.configWord & ConfigBits::StopButton))
        return;
    recording = false;
    if (!(tripProgram.configWord & ConfigBits::AutoRestart))
        return;
    startNewTrip();
    if (!recording)
        return;
    // the next trip begins now, whatever start the program set
    memory.clear();
    recordedWords = 0;
    options.rollover = 0;
    tripStart = now();
    storeTripState();
    recordDueReadings();
}

void LoggerModel::recordDueReadings()
{
    const quint32 t = now();
    if (!recording || t < tripStart || (!tripBegun && programClockDue))
        return;
    tripBegun = true;
    const quint32 c = tripProgram.configWord;
    qint64 samples = qint64(t - tripStart) / tripInterval + 1;
    if (c & ConfigBits::StopAt) {
        const qint64 stop = LoggerTime::fromDateTime(tripProgram.stopAt);
        samples = qMin(samples, stop < tripStart ? 0 : (stop - tripStart) / tripInterval + 1);
    }
    qint64 words = samples * tripChannels;
    if (c & ConfigBits::StopAfterReadings)
        words = qMin<qint64>(words, tripProgram.stopReadingCount / tripChannels * tripChannels);
    if (!(c & ConfigBits::Continuous))
        words = qMin<qint64>(words, capacityWords);
    if (words <= recordedWords)
        return;
    if (words > capacityWords) {   // round the memory: only the newest stay
        memory.resize(capacityWords);
        recordedWords = qMax(recordedWords, words - capacityWords);
    }
    for (qint64 w = recordedWords; w < words; ++w) {
        const quint16 value = LoggerSimPattern::recorded(int(w / tripChannels),
                                                         tripChannelOrder.at(int(w % tripChannels)));
        const int at = int(w % capacityWords);
        if (at < memory.size())
            memory[at] = value;
        else
            memory.append(value);
    }
    recordedWords = words;
    options.rollover = words > capacityWords ? int(words % capacityWords) : 0;
    storeTripState();
}

// The image says how many readings the trip holds, which alarms they
// raised and each channel's extremes.
void LoggerModel::storeTripState()
{
    LoggerRecord trip = tripProgram;
    trip.readings.resize(memory.size());
    for (int i = 0; i < memory.size(); ++i)
        trip.readings[i] = memory.at((i + options.rollover) % memory.size());
    trip.readingCount = memory.size();
    LoggerRecord image;
    ImageCodec::decode(memoryImage, image);
    image.recordedCount = quint32(memory.size());
    image.alarmStatus = alarmStatusOf(trip);
    keepExtremes(trip, image);
    memoryImage = ImageCodec::encode(image, memoryImage);
}

// Back to the state a logger leaves the factory in: identity, memory size,
// range and calibration tables stay; the program, the password, the trip
// count and the texts go.
QByteArray LoggerModel::factoryInit(const QByteArray &line)
{
    LoggerRecord r;
    ImageCodec::decode(memoryImage, r);
    LoggerRecord initial;
    initial.versionWord = r.versionWord;
    initial.modelWord = r.modelWord;
    initial.sensorFlags = r.sensorFlags;
    initial.memorySize = r.memorySize;
    initial.hasHeader = r.hasHeader;
    initial.rangeLow = r.rangeLow;
    initial.rangeHigh = r.rangeHigh;
    initial.battery = r.battery;
    initial.serialNumber = r.serialNumber;
    initial.productCode = r.productCode;
    initial.tripNumber = 0;
    initial.maxTrip = kUnlimitedTrips;
    memoryImage = ImageCodec::encode(initial, memoryImage);
    clearTrip();
    return line + "\r\n";
}
