#include "core/loggerrecord.h"

#include <atomic>

#include "core/imagecodec.h"

namespace {
std::atomic<quint64> lastRecordId{0};
}

LoggerRecord::LoggerRecord()
    : recordId(++lastRecordId),
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

quint32 LoggerRecord::memoryReadings() const
{
    if (!hasHeader)
        return memorySize / 2;
    return memorySize > quint32(kImageSize) ? (memorySize - kImageSize) / 2 : 0;
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
    apart.unsavedReadings = unsavedReadings;
    apart.keepAsTrip();
    return apart;
}

void LoggerRecord::keepDownloadAsTrip(const QVector<quint16> &downloaded, const QDateTime &start,
                                      const QDateTime &stop)
{
    readings = downloaded;
    readingCount = downloaded.size();
    recordedCount = quint32(downloaded.size());
    startTime = start;
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
    recorded.recordedCount = recordedCount;
    recordedTrip = std::make_shared<LoggerRecord>(std::move(recorded));
}
