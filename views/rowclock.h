#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include "core/localclock.h"

// Date and time texts of the rows of one readings table: the wall time of
// each row from the clock, in the table's date order.
class RowClock
{
public:
    RowClock(const QDateTime &origin, bool monthFirst);

    // Text of the time secondsFromOrigin after the origin, as
    // QDateTime::addSecs and toString would give it.
    QString text(qint64 secondsFromOrigin);

private:
    LocalClock clock;
    bool monthFirst;
    QDate textDate;
    char dateText[32] = {};
    int dateLength = 0;
};
