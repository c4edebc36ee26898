#include "views/rowclock.h"

#include <cstdio>

RowClock::RowClock(const QDateTime &origin, bool monthFirst) : clock(origin), monthFirst(monthFirst) {}

QString RowClock::text(qint64 secondsFromOrigin)
{
    QDate date;
    int second = 0;
    clock.wallTime(secondsFromOrigin, date, second);
    if (date != textDate) {
        textDate = date;
        const int leading = monthFirst ? date.month() : date.day();
        const int trailing = monthFirst ? date.day() : date.month();
        dateLength = std::snprintf(dateText, sizeof dateText, "%02d/%02d/%04d ", leading, trailing, date.year());
    }
    // written digit by digit: a table formats tens of thousands of these
    QString text(dateLength + 8, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < dateLength; ++i)
        *out++ = QLatin1Char(dateText[i]);
    const int parts[3] = { second / 3600, (second / 60) % 60, second % 60 };
    for (int part = 0; part < 3; ++part) {
        if (part > 0)
            *out++ = QLatin1Char(':');
        *out++ = QLatin1Char(char('0' + parts[part] / 10));
        *out++ = QLatin1Char(char('0' + parts[part] % 10));
    }
    return text;
}
