#include "programming/programlimits.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include <QCoreApplication>
#include <QPair>

#include "core/loggerrecord.h"
#include "core/loggertime.h"

namespace ProgramLimits {

namespace {
const QDate kEditorBase(2000, 1, 1);
constexpr int kNoHeaderMaxDelayDays = 22;
constexpr int kMaxDelayDays = 99;   // the editor shows two digits
}

int clampDelay(int value)
{
    return qBound(MinDelay, value, MaxDelay);
}

int clampInterval(int seconds)
{
    return qBound(MinInterval, seconds, MaxInterval);
}

int clampMaxTrips(int value)
{
    return qBound(0, value, MaxTrips);
}

quint16 parsePassword(const QString &text)
{
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 10);
    return ok && value <= uint(MaxPassword) ? quint16(value) : 0;
}

int maxReadings(const LoggerRecord &record)
{
    if (record.memorySize == 0)
        return kMaxReadings;
    return int(qMin<quint32>(record.memoryReadings(), quint32(kMaxReadings)));
}

int maxStartDelayDays(const LoggerRecord &record)
{
    return record.hasHeader ? kMaxDelayDays : kNoHeaderMaxDelayDays;
}

QDateTime delayToEditor(quint32 seconds)
{
    const int days = int(qMin<quint32>(seconds / 86400, kMaxDelayDays));
    const int rest = int(seconds % 86400);
    return QDateTime(kEditorBase.addYears(days), QTime(0, 0).addSecs(rest));
}

quint32 editorToDelay(const QDateTime &value)
{
    // the editor shows the year's last two digits as the days
    const int days = ((value.date().year() % 100) + 100) % 100;
    return quint32(days) * 86400 + quint32(QTime(0, 0).secsTo(value.time()));
}

QDateTime intervalToEditor(quint32 seconds)
{
    return QDateTime(kEditorBase, QTime(0, 0).addSecs(int(qMin<quint32>(seconds, 86399))));
}

int editorToInterval(const QDateTime &value)
{
    return QTime(0, 0).secsTo(value.time());
}

QDateTime toWholeMinutes(const QDateTime &value)
{
    if (!value.isValid())
        return value;
    const QTime t = value.time();
    return QDateTime(value.date(), QTime(t.hour(), t.minute()), value.timeSpec());
}

QDateTime lastLoggerTime()
{
    return LoggerTime::lastClockTime();
}

bool startTimePassed(const QDateTime &startAt, const QDateTime &now)
{
    return !startAt.isValid() || now.secsTo(startAt) <= StartMarginSeconds;
}

bool noProgramsLeft(int tripNumber, int maxTrip)
{
    return maxTrip != MaxTrips && tripNumber >= maxTrip;
}

StartChoice startChoice(quint32 configWord)
{
    const bool at = configWord & ConfigBits::StartAt;
    const bool wait = configWord & ConfigBits::StartDelay;
    if (at && wait)
        return StartChoice::Both;
    if (at)
        return StartChoice::At;
    return wait ? StartChoice::Wait : StartChoice::None;
}

int stopChoices(quint32 configWord)
{
    const quint32 stops[] = { ConfigBits::StopAt, ConfigBits::StopAfterReadings, ConfigBits::Continuous };
    return int(std::count_if(std::begin(stops), std::end(stops),
                             [configWord](quint32 bit) { return configWord & bit; }));
}

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("ProgramLimits", source);
}

QString minuteText(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

// Readings, and the clock's end, fall on any second of a minute.
QString secondText(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// When the last of count readings from start is taken.
QDateTime readingsEnd(const LoggerRecord &program, const QDateTime &start, qint64 count)
{
    return start.addSecs(qint64(program.readingsSpan(count)));
}

}

QString unrunnableProgram(const LoggerRecord &program, const QDateTime &now)
{
    const quint32 c = program.configWord;
    if (program.interval < quint32(MinInterval) || program.interval > quint32(MaxInterval))
        return text("Warning!\n\nThe logger cannot record every %1 s.\n"
                    "Set an interval between 00h00m05s and 11h59m59s.")
            .arg(program.interval);
    if (!(c & ConfigBits::Sensors))
        return text("Warning!\n\nNo sensor is switched on: the logger would record nothing.\n"
                    "Check Enable Sensor on one of the alarm tabs.");
    const StartChoice start = startChoice(c);
    if (start == StartChoice::None)
        return text("Warning!\n\nNo start is chosen.\n"
                    "Check At (a date and time) or Wait (the start button, after a wait).");
    if (start == StartChoice::Both)
        return text("Warning!\n\nAt and Wait are both checked, but the logger starts one way only.\n"
                    "Uncheck the start you do not want.");
    if (stopChoices(c) > 1)
        return text("Warning!\n\nMore than one of Stop At, Stop After and Continuous logging is "
                    "checked, but the logger stops one way only.\nCheck the stop you want.");
    if (c & ConfigBits::StopAt) {
        // the earliest the logger can start: its time, or now and the wait
        const QDateTime earliestStart =
            start == StartChoice::At ? program.startAt : now.addSecs(qint64(program.startDelay));
        if (!program.stopAt.isValid() || program.stopAt <= earliestStart)
            return text("Warning!\n\nThe stop time %1 does not lie after the start (%2).\n"
                        "Set Stop At later, or choose another stop.")
                .arg(program.stopAt.isValid() ? minuteText(program.stopAt) : QStringLiteral("-"),
                     minuteText(earliestStart));
        // a stop after the last reading the memory holds would take one more
        const QDateTime memoryFull = readingsEnd(program, earliestStart, maxReadings(program));
        if (program.stopAt > memoryFull)
            return text("Warning!\n\nThe memory is full on %1, before the stop time %2.\n"
                        "Set Stop At earlier or a longer interval.")
                .arg(secondText(memoryFull), secondText(program.stopAt));
    }
    return QString();
}

// An empty field programs no password; 0, which the logger reads as none,
// is no password one could type to protect it.
QString passwordRefusal(const QString &typed)
{
    if (typed.trimmed().isEmpty() || parsePassword(typed) != 0)
        return QString();
    return text("Warning!\n\nThe logger password has to be a number from 1 to %1 "
                "(an empty field for no password).\nNothing was written to the logger.")
        .arg(MaxPassword);
}

// The end of the readings counts for a logger that starts at a time and
// stops after its count, or once its memory is full: one that stops at a
// time is checked by that time, and one logging over a full memory has no end.
QString timesTheLoggerCannotHold(const LoggerRecord &program)
{
    const quint32 c = program.configWord;
    const QDateTime last = lastLoggerTime();
    const bool startsAt = (c & ConfigBits::StartAt) && program.startAt.isValid();
    QDateTime lastReading;
    if (startsAt && !(c & (ConfigBits::StopAt | ConfigBits::Continuous))) {
        const int count = (c & ConfigBits::StopAfterReadings) ? program.stopReadingCount : maxReadings(program);
        lastReading = readingsEnd(program, program.startAt, count);
    }
    const QPair<const char *, QDateTime> times[] = {
        { QT_TRANSLATE_NOOP("ProgramLimits", "The start"), startsAt ? program.startAt : QDateTime() },
        { QT_TRANSLATE_NOOP("ProgramLimits", "The stop"), (c & ConfigBits::StopAt) ? program.stopAt : QDateTime() },
        { QT_TRANSLATE_NOOP("ProgramLimits", "The end of the readings"), lastReading },
    };
    for (const auto &time : times) {
        if (time.second.isValid() && time.second > last)
            return text("Warning!\n\n%1 (%2) lies beyond %3, the last time the logger's clock can hold.\n"
                        "Nothing was written to the logger.")
                .arg(text(time.first), secondText(time.second), secondText(last));
    }
    return QString();
}

namespace {

// each character once, in the order of the text; a character beyond the
// 16-bit range stays whole
QString charactersBeyondLatin1(const QString &text)
{
    QString found;
    for (const uint c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (c > 0xFF && !found.contains(character))
            found += character;
    }
    return found;
}

}

QString textTheLoggerCannotHold(const LoggerRecord &program)
{
    const QPair<const char *, QString> fields[] = {
        { QT_TRANSLATE_NOOP("ProgramLimits", "Serial #"), program.serialNumber },
        { QT_TRANSLATE_NOOP("ProgramLimits", "Product #"), program.productCode },
        { QT_TRANSLATE_NOOP("ProgramLimits", "Description"), program.description },
        { QT_TRANSLATE_NOOP("ProgramLimits", "Comment"), program.comment },
        { QT_TRANSLATE_NOOP("ProgramLimits", "Configured by"), program.configuredBy },
    };
    QString lines;
    for (const auto &field : fields) {
        const QString beyond = charactersBeyondLatin1(field.second);
        if (!beyond.isEmpty())
            lines += QStringLiteral("%1: %2\n").arg(text(field.first), beyond);
    }
    if (lines.isEmpty())
        return QString();
    return text("Warning!\n\nThe logger cannot hold these characters:\n%1"
                "Replace them and program again.")
        .arg(lines);
}

double shownFromCelsius(double value, bool temperature, bool celsius)
{
    return temperature && !celsius ? Units::celsiusToFahrenheit(value) : value;
}

double celsiusFromShown(double value, bool temperature, bool celsius)
{
    return temperature && !celsius ? (value - 32.0) * 5.0 / 9.0 : value;
}

QString limitText(double value, bool temperature, bool celsius)
{
    return Units::decimalText(shownFromCelsius(value, temperature, celsius), 1);
}

bool limitFieldHolds(double value, bool temperature, bool celsius)
{
    // the logger keeps a limit in hundredths of a degree or of a percent
    const double hundredths = value * 100.0;
    if (!std::isfinite(value) || std::abs(hundredths - std::round(hundredths)) > 1e-6)
        return false;
    const double shown = limitText(value, temperature, celsius).toDouble();
    return qRound(celsiusFromShown(shown, temperature, celsius) * 100.0) == qRound(hundredths);
}

bool correctAlarmLimits(double limits[4], const bool enabled[4], double low, double high)
{
    bool changed = false;
    for (int level = 0; level < 4; ++level) {
        double value = limits[level];
        if (!std::isfinite(value))
            value = low < high ? low : 0.0;
        if (low < high)
            value = qBound(low, value, high);
        if (value != limits[level]) {
            limits[level] = value;
            changed = true;
        }
    }
    double above = std::numeric_limits<double>::infinity();
    for (int level = 0; level < 4; ++level) {
        if (!enabled[level])
            continue;
        if (limits[level] > above) {
            limits[level] = above;
            changed = true;
        }
        above = limits[level];
    }
    return changed;
}

void limitRange(const LoggerRecord &record, LimitGroup group, double &low, double &high)
{
    low = HumidityLow;
    high = HumidityHigh;
    if (group != GroupHumidity) {
        low = record.rangeLow;
        high = record.rangeHigh;
    }
}

int misplacedLimit(const LoggerRecord &record, LimitGroup group)
{
    static const ViewChannel channelOf[3] = { ChannelInternal, ChannelExternal, ChannelHumidity };
    double limits[4];
    bool enabled[4];
    for (int level = 0; level < 4; ++level) {
        limits[level] = record.alarmThresholds[group][level];
        enabled[level] = record.levelEnabled(channelOf[group], AlarmLevel(level));
    }
    double low = 0, high = 0;
    limitRange(record, group, low, high);
    if (!correctAlarmLimits(limits, enabled, low, high))
        return -1;
    for (int level = 0; level < 4; ++level)
        if (limits[level] != record.alarmThresholds[group][level])
            return level;
    return -1;
}

bool groupSwitchedOn(quint32 configWord, LimitGroup group)
{
    static const quint32 sensorOf[3] = { ConfigBits::InternalOn, ConfigBits::ExternalOn, ConfigBits::HumidityOn };
    return configWord & sensorOf[group];
}

int groupWithMisplacedLimit(const LoggerRecord &program)
{
    for (const LimitGroup group : GroupsAsShown)
        if (groupSwitchedOn(program.configWord, group) && misplacedLimit(program, group) >= 0)
            return group;
    return -1;
}

namespace {

// The logger holds its range in whole degrees Celsius; it is shown in whole
// degrees of the settings' unit, which give the same Celsius degrees back.
int shownRangeEnd(int rangeEnd, bool celsius)
{
    return celsius ? rangeEnd : qRound(Units::celsiusToFahrenheit(rangeEnd));
}

}

QString rangeText(const LoggerRecord &record, bool celsius)
{
    return QStringLiteral("%1/%2").arg(shownRangeEnd(record.rangeLow, celsius)).arg(shownRangeEnd(record.rangeHigh, celsius));
}

QString rangeTextWithUnit(const LoggerRecord &record, bool celsius)
{
    return rangeText(record, celsius) + (celsius ? QStringLiteral(" °C") : QStringLiteral(" °F"));
}

QString limitRangeText(const LoggerRecord &record, LimitGroup group, bool celsius)
{
    if (group == GroupHumidity)
        return QStringLiteral("%1/%2 %").arg(HumidityLow).arg(HumidityHigh);
    return rangeTextWithUnit(record, celsius);
}

}
