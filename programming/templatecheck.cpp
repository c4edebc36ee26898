#include "programming/templatecheck.h"

#include <QCoreApplication>
#include <QStringList>

#include "core/loggerrecord.h"
#include "files/cfilemanager.h"
#include "programming/programlimits.h"

namespace TemplateCheck {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("TemplateCheck", source);
}

// The sensors a configuration word switches on that the logger lacks, by name.
QStringList missingSensors(quint32 configWord, quint8 sensorFlags)
{
    const bool internal = sensorFlags & (SensorBits::InternalNtc | SensorBits::DigitalTempHum);
    const bool humidity = sensorFlags & SensorBits::DigitalTempHum;
    const bool external = sensorFlags & SensorBits::ExternalProbe;
    QStringList missing;
    if (!internal && (configWord & ConfigBits::InternalOn))
        missing << text("internal temperature sensor");
    if (!humidity && (configWord & ConfigBits::HumidityOn))
        missing << text("humidity sensor");
    if (!external && (configWord & ConfigBits::ExternalOn))
        missing << text("external probe");
    return missing;
}

bool sameModel(const LoggerRecord &templ, const LoggerRecord &logger)
{
    const QString model = templ.productCode.trimmed();
    const QString loggerModel = logger.productCode.trimmed();
    return model.isEmpty() || loggerModel.isEmpty() || model.compare(loggerModel, Qt::CaseInsensitive) == 0;
}

QString keyValue(const QString &key, double value)
{
    return key + QLatin1Char('=') + QString::number(value, 'g', 12);
}

QString limitRefused(const LoggerRecord &applied)
{
    const int group = ProgramLimits::groupWithMisplacedLimit(applied);
    if (group < 0)
        return QString();
    const int level = ProgramLimits::misplacedLimit(applied, LimitGroup(group));
    double low = 0, high = 0;
    ProgramLimits::limitRange(applied, LimitGroup(group), low, high);
    // a template holds its limits in Celsius, whatever unit the page shows
    return text("%1 lies outside %2/%3 %4 or above an enabled level over it")
        .arg(keyValue(CFileManager::templateLimitKey(group, level), applied.alarmThresholds[group][level]))
        .arg(low)
        .arg(high)
        .arg(group == GroupHumidity ? QStringLiteral("%") : QStringLiteral("°C"));
}

QString delayRefused(const LoggerRecord &applied)
{
    for (int group = 0; group < 3; ++group) {
        for (bool consecutive : { true, false }) {
            const quint16 delay = consecutive ? applied.consecutiveDelay[group] : applied.totalDelay[group];
            if (delay > ProgramLimits::MaxDelay)
                return text("%1 is a longer delay than the logger takes (%2)")
                    .arg(keyValue(CFileManager::templateDelayKey(group, consecutive), delay))
                    .arg(ProgramLimits::MaxDelay);
        }
    }
    return QString();
}

QString scheduleRefused(const LoggerRecord &applied)
{
    if (applied.interval < quint32(ProgramLimits::MinInterval) || applied.interval > quint32(ProgramLimits::MaxInterval))
        return text("%1 is not an interval the logger takes (%2 to %3 s)")
            .arg(keyValue(QStringLiteral("PRG_INTERVAL"), applied.interval))
            .arg(ProgramLimits::MinInterval)
            .arg(ProgramLimits::MaxInterval);
    const int readings = ProgramLimits::maxReadings(applied);
    if (applied.stopReadingCount > readings)
        return text("%1 is more readings than the logger holds (%2)")
            .arg(keyValue(QStringLiteral("PRG_STOP_READING"), applied.stopReadingCount))
            .arg(readings);
    const int waitDays = ProgramLimits::maxStartDelayDays(applied);
    if (applied.startDelay > quint32(waitDays) * 86400)
        return text("%1 is a longer wait than the logger takes (%2 days)")
            .arg(keyValue(QStringLiteral("PRG_START_WAIT"), applied.startDelay))
            .arg(waitDays);
    const QDateTime last = ProgramLimits::lastLoggerTime();
    const QPair<QString, QDateTime> dates[] = { { QStringLiteral("PRG_START_DATE"), applied.startAt },
                                                { QStringLiteral("PRG_STOP_DATE"), applied.stopAt } };
    for (const auto &date : dates)
        if (date.second.isValid() && date.second > last)
            return text("%1=%2 lies beyond %3, the last time the logger's clock can hold")
                .arg(date.first, date.second.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                     last.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    if (ProgramLimits::stopChoices(applied.configWord) > 1)
        return text("MODE=%1 holds more than one of Stop At, Stop After and Continuous logging")
            .arg(QString::number(applied.configWord, 16).toUpper());
    if (applied.maxTrip > ProgramLimits::MaxTrips)
        return text("%1 is more trips than the logger counts (%2)")
            .arg(keyValue(QStringLiteral("MAX_TRIP"), applied.maxTrip))
            .arg(ProgramLimits::MaxTrips);
    return QString();
}

}

bool sensorsAvailable(quint32 configWord, quint8 sensorFlags)
{
    return missingSensors(configWord, sensorFlags).isEmpty();
}

bool suits(const LoggerRecord &templ, const LoggerRecord &logger)
{
    return sameModel(templ, logger) && sensorsAvailable(templ.configWord, logger.sensorFlags);
}

QString whyItDoesNotSuit(const QString &path, const LoggerRecord &templ, const LoggerRecord &logger)
{
    if (!sameModel(templ, logger))
        return text("Warning!\n\nThe program template %1 is for another logger model (%2).\nIt was not applied.")
            .arg(path, templ.productCode);
    const QStringList missing = missingSensors(templ.configWord, logger.sensorFlags);
    if (!missing.isEmpty())
        return text("Warning!\n\nThe program template %1 switches on the %2, which the logger %3 does not have.\n"
                    "It was not applied.")
            .arg(path, missing.join(text(" and the ")), logger.serialNumber);
    return QString();
}

QString valueRefused(const LoggerRecord &applied)
{
    QString why = limitRefused(applied);
    if (why.isEmpty())
        why = delayRefused(applied);
    if (why.isEmpty())
        why = scheduleRefused(applied);
    return why;
}

bool lockedProgramSuits(quint32 configWord, quint32 memorySize, qint32 readingCount,
                        const LoggerRecord &logger)
{
    const bool countsReadings = configWord & ConfigBits::StopAfterReadings;
    const bool sameMemory = logger.memorySize == memorySize;
    return sensorsAvailable(configWord, logger.sensorFlags)
           && (sameMemory || !countsReadings || readingCount <= ProgramLimits::maxReadings(logger));
}

}
