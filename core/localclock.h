#pragma once

#include <limits>
#include <QDate>
#include <QDateTime>

// Wall times of instants that follow one another, such as the samples of a
// trip. Asking the system for the zone of every instant costs a system call
// or more each; zones change their offsets on quarter-hour boundaries (in
// every year a logger can record), so the offset is asked once per quarter
// hour and the rest is arithmetic.
class LocalClock
{
public:
    // Instants are counted in seconds from origin, whose kind of time (local
    // time, UTC, an offset or a zone) the wall times follow.
    explicit LocalClock(const QDateTime &origin);

    // The wall time that origin.addSecs(secondsFromOrigin) shows; an
    // invalid date when the origin is not a valid time.
    void wallTime(qint64 secondsFromOrigin, QDate &date, int &secondOfDay);

private:
    static qint64 floorDiv(qint64 value, qint64 divisor);

    QDateTime origin;
    qint64 originUtc;
    qint64 offsetBucket = std::numeric_limits<qint64>::min();
    int offset = 0;
    qint64 dateDay = std::numeric_limits<qint64>::min();
    QDate wallDate;
};
