#include "core/recordcheck.h"

#include "core/loggerrecord.h"
#include "core/loggertime.h"

namespace {
// The longest interval a logger can be programmed with.
constexpr quint32 kLongestInterval = 24 * 3600 - 1;
// The firmware family: every version word of the loggers this program
// knows lies here, whichever memory layout it selects.
constexpr quint16 kFirstVersion = 0x100;
constexpr quint16 kLastVersion = 0x1FF;
}

namespace RecordCheck {

QString implausibleHeader(const LoggerRecord &r, qint64 readings, const QDateTime &firstReading)
{
    if (readings > r.fileCapacity())
        return QStringLiteral("it holds %1 readings, more than the %2 a data file of this logger holds")
            .arg(readings).arg(r.fileCapacity());
    const quint32 memoryReadings = r.memoryReadings();
    // a continuous trip keeps, downloaded time and again, what its memory
    // dropped going round
    if (quint64(readings) > memoryReadings && !(r.configWord & ConfigBits::Continuous))
        return QStringLiteral("it holds %1 readings, more than the logger's memory of %2")
            .arg(readings).arg(memoryReadings);
    if (r.interval == 0 || r.interval > kLongestInterval)
        return QStringLiteral("its reading interval of %1 s is not a logger's").arg(r.interval);
    // a trip the logger could record is one a file of it opens again
    if (firstReading.isValid() && firstReading.addSecs(r.readingsSpan(readings)) > LoggerTime::lastClockTime())
        return QStringLiteral("its recording times lie outside the logger's clock");
    return QString();
}

QString implausibleVersion(quint16 fileVersion, quint16 imageVersion)
{
    if (fileVersion < kFirstVersion || fileVersion > kLastVersion)
        return QStringLiteral("its version word 0x%1 is not a logger's").arg(fileVersion, 4, 16, QLatin1Char('0'));
    if (imageVersion != fileVersion)
        return QStringLiteral("its memory image is of version 0x%1, not 0x%2")
            .arg(imageVersion, 4, 16, QLatin1Char('0'))
            .arg(fileVersion, 4, 16, QLatin1Char('0'));
    return QString();
}

QString implausibleRange(const LoggerRecord &r)
{
    if (r.rangeLow >= r.rangeHigh)
        return QStringLiteral("its measuring range from %1 to %2 is empty").arg(r.rangeLow).arg(r.rangeHigh);
    return QString();
}

QString implausibleChannels(const LoggerRecord &r, qint64 readings)
{
    if (readings > 0 && r.channelCount <= 0)
        return QStringLiteral("it holds %1 readings, but none of its sensors is on").arg(readings);
    return QString();
}

QString implausibleTrip(const LoggerRecord &r, quint16 fileVersion, qint64 readings, const QDateTime &firstReading)
{
    QString reason = implausibleVersion(fileVersion, r.versionWord);
    if (reason.isEmpty())
        reason = implausibleHeader(r, readings, firstReading);
    if (reason.isEmpty())
        reason = implausibleRange(r);
    return reason;
}

}
