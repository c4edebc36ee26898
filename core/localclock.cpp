#include "core/localclock.h"

namespace {
constexpr qint64 kQuarterHour = 900;
constexpr qint64 kDay = 86400;
constexpr qint64 kJulianDayOfEpoch = 2440588;   // 1970-01-01
}

LocalClock::LocalClock(const QDateTime &origin)
    : origin(origin), originUtc(origin.toSecsSinceEpoch())
{
}

qint64 LocalClock::floorDiv(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

void LocalClock::wallTime(qint64 secondsFromOrigin, QDate &date, int &secondOfDay)
{
    if (!origin.isValid()) {
        date = QDate();
        secondOfDay = 0;
        return;
    }
    const qint64 utc = originUtc + secondsFromOrigin;
    const qint64 bucket = floorDiv(utc, kQuarterHour);
    if (bucket != offsetBucket) {
        offsetBucket = bucket;
        offset = origin.addSecs(secondsFromOrigin).offsetFromUtc();
    }
    const qint64 wall = utc + offset;
    const qint64 day = floorDiv(wall, kDay);
    if (day != dateDay) {
        dateDay = day;
        wallDate = QDate::fromJulianDay(day + kJulianDayOfEpoch);
    }
    date = wallDate;
    secondOfDay = int(wall - day * kDay);
}
