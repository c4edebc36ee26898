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

// The template names the model by the logger's product code as the logger
// stores it; a template that names none cannot be checked.
bool sameModel(const LoggerRecord &templ, const LoggerRecord &logger)
{
    const QString model = templ.productCode.trimmed();
    return !model.isEmpty() && model == logger.productCode;
}

QString keyValue(const QString &key, double value)
{
    return key + QLatin1Char('=') + QString::number(value, 'g', 12);
}

QString modeText(quint32 configWord)
{
    return QStringLiteral("MODE=") + QString::number(configWord, 16).toUpper();
}

// Every bit of the word is one a box of the page sets, or the mark of a
// programmed logger, and one sensor at least is on.
QString modeRefused(const LoggerRecord &applied)
{
    const quint32 c = applied.configWord;
    if (!(c & ConfigBits::Sensors))
        return text("%1 switches on no sensor, and the logger would record nothing").arg(modeText(c));
    const quint32 unknown = c & ~ConfigBits::Known;
    if (unknown)
        return text("%1 holds bits (%2) that no box of the page sets")
            .arg(modeText(c), QString::number(unknown, 16).toUpper());
    return QString();
}

// A limit shown rounded would be written other than the page shows it.
QString limitNotShownRefused(const LoggerRecord &applied, bool celsius)
{
    for (const LimitGroup group : ProgramLimits::GroupsAsShown) {
        if (!ProgramLimits::groupSwitchedOn(applied.configWord, group))
            continue;
        for (int level = 0; level < 4; ++level) {
            const double limit = applied.alarmThresholds[group][level];
            const bool temperature = group != GroupHumidity;
            if (!ProgramLimits::limitFieldHolds(limit, temperature, celsius))
                return text("%1 is not a limit its field holds: the page shows it as %2")
                    .arg(keyValue(CFileManager::templateLimitKey(group, level), limit),
                         ProgramLimits::limitText(limit, temperature, celsius));
        }
    }
    return QString();
}

QString limitRefused(const LoggerRecord &applied, bool celsius)
{
    const int group = ProgramLimits::groupWithMisplacedLimit(applied);
    if (group < 0)
        return limitNotShownRefused(applied, celsius);
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
            if (delay < ProgramLimits::MinDelay || delay > ProgramLimits::MaxDelay)
                return text("%1 is not a delay the logger takes (%2 to %3)")
                    .arg(keyValue(CFileManager::templateDelayKey(group, consecutive), delay))
                    .arg(ProgramLimits::MinDelay)
                    .arg(ProgramLimits::MaxDelay);
        }
    }
    // the page raises the total delay of the first channel to its
    // consecutive delay, which the total cannot come before
    const quint16 consecutive = applied.consecutiveDelay[GroupInternal];
    if (applied.totalDelay[GroupInternal] < consecutive)
        return text("%1 lies below %2")
            .arg(keyValue(CFileManager::templateDelayKey(GroupInternal, false), applied.totalDelay[GroupInternal]),
                 keyValue(CFileManager::templateDelayKey(GroupInternal, true), consecutive));
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
    const int fewest = (applied.configWord & ConfigBits::StopAfterReadings) ? 1 : 0;
    if (applied.stopReadingCount > readings || applied.stopReadingCount < fewest)
        return text("%1 is not a count of readings the logger takes (%2 to %3)")
            .arg(keyValue(QStringLiteral("PRG_STOP_READING"), applied.stopReadingCount))
            .arg(fewest)
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
    // the start editor sets whole minutes
    if ((applied.configWord & ConfigBits::StartAt) && applied.startAt.time().second() != 0)
        return text("PRG_START_DATE=%1 holds seconds, but a start is set to the minute")
            .arg(applied.startAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    if (ProgramLimits::stopChoices(applied.configWord) > 1)
        return text("%1 holds more than one of Stop At, Stop After and Continuous logging")
            .arg(modeText(applied.configWord));
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
    if (templ.productCode.trimmed().isEmpty())
        return text("Warning!\n\nThe program template %1 names no logger model: its PRODUCTION_CODE is empty.\n"
                    "It was not applied.")
            .arg(path);
    if (!sameModel(templ, logger))
        return text("Warning!\n\nThe program template %1 is for another logger model (%2): "
                    "PRODUCTION_CODE=%2, the logger's is %3.\nIt was not applied.")
            .arg(path, templ.productCode, logger.productCode);
    const QStringList missing = missingSensors(templ.configWord, logger.sensorFlags);
    if (!missing.isEmpty())
        return text("Warning!\n\nThe program template %1 switches on the %2, which the logger %3 does not have.\n"
                    "It was not applied.")
            .arg(path, missing.join(text(" and the ")), logger.serialNumber);
    return QString();
}

QString valueRefused(const LoggerRecord &applied, bool celsius)
{
    QString why = modeRefused(applied);
    if (why.isEmpty())
        why = limitRefused(applied, celsius);
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
