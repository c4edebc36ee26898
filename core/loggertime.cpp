#include "core/loggertime.h"

#include <algorithm>

#include "files/appsettings.h"

namespace LoggerTime {

QDateTime epoch()
{
    return QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0), Qt::UTC);
}

QDateTime toDateTime(quint32 seconds)
{
    // Computed in UTC so that no daylight-saving gap or repeat moves the
    // wall time, then handed out as local wall time.
    const QDateTime utc = epoch().addSecs(qint64(seconds));
    const QDateTime local(utc.date(), utc.time(), Qt::LocalTime);
    if (local.isValid())
        return local;
    // A wall time that the PC's spring-forward change skips is still the
    // logger's time: it stands at the offset in force the day before.
    const int before = QDateTime(utc.date().addDays(-1), utc.time(), Qt::LocalTime).offsetFromUtc();
    return QDateTime(utc.date(), utc.time(), Qt::OffsetFromUTC, before);
}

QDateTime lastClockTime()
{
    return toDateTime(0xFFFFFFFFu);
}

QDateTime readingOrigin(const QDateTime &start, const AppSettings &settings)
{
    if (!settings.zoneChosen() || !start.isValid())
        return start;
    return QDateTime(start.date(), start.time(), Qt::OffsetFromUTC, int(settings.zoneOffsetSeconds()));
}

quint32 fromDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0;
    const QDateTime asUtc(dateTime.date(), dateTime.time(), Qt::UTC);
    const qint64 seconds = epoch().secsTo(asUtc);
    return seconds < 0 ? 0 : quint32(qMin<qint64>(seconds, 0xFFFFFFFFLL));
}

}

namespace ReadingWord {

int tenths(quint16 word)
{
    const int value = word & 0x7FF;
    return (value & 0x400) ? value - 0x800 : value;
}

double value(quint16 word)
{
    return tenths(word) / 10.0;
}

bool mark(quint16 word)
{
    return word & 0x800;
}

quint16 make(int tenths, bool mark)
{
    return quint16((tenths & 0x7FF) | (mark ? 0x800 : 0));
}

}

namespace Units {

double celsiusToFahrenheit(double celsius)
{
    return 9.0 * celsius / 5.0 + 32.0;
}

QString decimalText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    const auto zeroDigit = [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); };
    if (text.startsWith(QLatin1Char('-')) && std::all_of(text.cbegin() + 1, text.cend(), zeroDigit))
        text.remove(0, 1);
    return text;
}

}
