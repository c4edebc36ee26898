#include "core/loggerrecord.h"

#include <atomic>

#include <QFileInfo>

#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"

namespace {
std::atomic<quint64> lastRecordId{0};
std::atomic<quint64> lastTripId{0};
}

LoggerRecord::LoggerRecord()
    : recordId(++lastRecordId),
      tripId(++lastTripId),
      imageRead(kImageSize, '\0'),
      imageToWrite(kImageSize, '\0'),
      eepromImage(kImageSize, '\0'),
      eepromFileImage(kImageSize, '\0')
{
}

LimitGroup limitGroupOf(ViewChannel channel)
{
    switch (channel) {
    case ChannelHumidity: return GroupHumidity;
    case ChannelExternal: return GroupExternal;
    default: return GroupInternal;
    }
}

bool LoggerRecord::isChannelOn(ViewChannel channel) const
{
    switch (channel) {
    case ChannelInternal:
        return (sensorFlags & (SensorBits::InternalNtc | SensorBits::DigitalTempHum))
               && (configWord & ConfigBits::InternalOn);
    case ChannelHumidity:
        return (sensorFlags & SensorBits::DigitalTempHum) && (configWord & ConfigBits::HumidityOn);
    case ChannelExternal:
        return (sensorFlags & SensorBits::ExternalProbe) && (configWord & ConfigBits::ExternalOn);
    }
    return false;
}

int LoggerRecord::channelPosition(ViewChannel channel) const
{
    if (!isChannelOn(channel))
        return -1;
    int position = 0;
    for (int c = ChannelInternal; c < channel; ++c)
        if (isChannelOn(ViewChannel(c)))
            ++position;
    return position;
}

int LoggerRecord::sampleCount() const
{
    if (channelCount <= 0)
        return 0;
    return qMin(readingCount, readings.size()) / channelCount;
}

quint16 LoggerRecord::reading(ViewChannel channel, int sample) const
{
    const int position = channelPosition(channel);
    if (position < 0 || channelCount <= 0)
        return 0;
    const int index = position + sample * channelCount;
    return index >= 0 && index < readings.size() ? readings.at(index) : 0;
}

bool LoggerRecord::levelEnabled(ViewChannel channel, AlarmLevel level) const
{
    static const int shift[3] = { 0, 20, 16 };   // by ViewChannel
    return configWord & (quint32(1) << (shift[channel] + level));
}

double LoggerRecord::threshold(ViewChannel channel, AlarmLevel level) const
{
    return alarmThresholds[limitGroupOf(channel)][level];
}

bool LoggerRecord::isPasswordProtected() const
{
    return (passwordWord & PasswordBits::PasswordMask) != 0;
}

bool LoggerRecord::readableWithoutPassword() const
{
    return passwordWaiver == PasswordWaiver::Read && (passwordWord & PasswordBits::ReadWithout);
}

bool LoggerRecord::writableWithoutPassword() const
{
    return passwordWaiver == PasswordWaiver::Write && (passwordWord & PasswordBits::WriteWithout);
}

// A word that allows reading settles the password before anything is
// chosen (what it opens is still the user's choice); writing without it
// only once the user chose so.
bool LoggerRecord::opensWithoutPassword() const
{
    return (passwordWord & PasswordBits::ReadWithout) || writableWithoutPassword();
}

quint32 LoggerRecord::memoryReadings() const
{
    if (!hasHeader)
        return memorySize / 2;
    return memorySize > quint32(kImageSize) ? (memorySize - kImageSize) / 2 : 0;
}

quint32 LoggerRecord::durationOf(qint64 readings) const
{
    // no interval or no channel yet: one second and one channel rather
    // than a division by 0
    const quint64 samples = quint64(qMax<qint64>(0, readings)) / quint64(qMax(1, channelCount));
    return quint32(qMin<quint64>(samples * qMax<quint32>(1, interval), 0xFFFFFFFFu));
}

bool LoggerRecord::hasDataFile() const
{
    return QFileInfo(fileName).isAbsolute();
}

quint32 LoggerRecord::readingsSpan(qint64 readings) const
{
    const qint64 samples = qMax<qint64>(0, readings) / qMax(1, channelCount);
    return samples > 0 ? durationOf(qint64(samples - 1) * qMax(1, channelCount)) : 0;
}

int LoggerRecord::fileCapacity() const
{
    // the files of the first loggers count their readings in 16 bits
    return versionWord <= MemoryMap::LastInternalOnlyVersion ? 0xFFFF : kMaxReadings;
}

void LoggerRecord::updateChannels()
{
    recordedChannels = 0;
    for (int bit = 0; bit < 3; ++bit)
        if (sensorFlags & (1u << bit))
            ++recordedChannels;
    channelCount = 0;
    for (int c = ChannelInternal; c <= ChannelExternal; ++c)
        if (isChannelOn(ViewChannel(c)))
            ++channelCount;
}

LoggerRecord &LoggerRecord::tripForChange()
{
    if (!recordedTrip)
        return *this;
    if (recordedTrip.use_count() > 1)
        recordedTrip = std::make_shared<LoggerRecord>(*recordedTrip);
    return *recordedTrip;
}

void LoggerRecord::keepAsTrip()
{
    auto kept = std::make_shared<LoggerRecord>(*this);
    kept->recordedTrip.reset();
    recordedTrip = std::move(kept);
}

void LoggerRecord::standWithoutLogger()
{
    portName.clear();
    commandLink = nullptr;
    fromFile = true;
    loggerGone = true;
    disconnectRequested = false;
}

LoggerRecord LoggerRecord::tripApart() const
{
    LoggerRecord apart = trip();
    apart.recordId = ++lastRecordId;
    apart.standWithoutLogger();
    // never saved: it is named by its serial number until it is
    apart.fileName.clear();
    apart.exportFileName.clear();
    apart.downloadRunning = false;
    apart.programSentSinceDownload = false;
    apart.clockSetsSinceDownload = {};
    apart.unsavedReadings = unsavedReadings;
    apart.lostFileName = lostFileName;
    apart.keepAsTrip();
    return apart;
}

void LoggerRecord::beginNextTrip()
{
    tripId = ++lastTripId;
}

LoggerRecord LoggerRecord::asLastRead() const
{
    LoggerRecord logger;
    ImageCodec::decode(imageRead, logger);
    return logger;
}

void LoggerRecord::keepDownloadAsTrip(const QVector<quint16> &downloaded, const QDateTime &start,
                                      const QDateTime &stop, int kept)
{
    // the trip held so far, which the download's trip replaces below
    const std::shared_ptr<const LoggerRecord> held = kept > 0 ? recordedTrip : nullptr;
    readings = held ? held->readings.mid(0, kept) + downloaded : downloaded;
    readingCount = readings.size();
    recordedCount = quint32(downloaded.size());
    startTime = start;
    if (held) {
        const quint32 keptSeconds = quint32(kept / qMax(1, held->channelCount)) * held->interval;
        startTime = LoggerTime::toDateTime(LoggerTime::fromDateTime(start) - keptSeconds);
    }
    stopTime = stop;
    downloadTime = QDateTime::currentDateTime();
    dataLoaded = true;

    LoggerRecord recorded = *this;
    recorded.recordedTrip.reset();
    // the alarm state came in its own reply, and the comment line is the
    // trip's: both stand as they are, the rest as the logger holds it
    ImageCodec::decode(imageRead, recorded);
    recorded.alarmStatus = alarmStatus;
    recorded.comment = comment;
    recorded.recordedCount = quint32(readingCount);
    if (held) {
        // the image saved with the trip fits the graph to its extremes
        recorded.alarmStatus |= held->alarmStatus;
        for (int g = 0; g < 3; ++g) {
            recorded.lowestValue[g] = qMin(recorded.lowestValue[g], held->lowestValue[g]);
            recorded.highestValue[g] = qMax(recorded.highestValue[g], held->highestValue[g]);
        }
        recorded.imageRead = ImageCodec::encode(recorded, recorded.imageRead);
    }
    recordedTrip = std::make_shared<LoggerRecord>(std::move(recorded));
}
