#include "loggersimpattern.h"

#include <QDateTime>

#include "core/loggertime.h"

namespace LoggerSimPattern {

quint16 reading(int index)
{
    // -30.0 .. 89.9 degrees, every 101st reading marked
    const int tenths = (index * 37) % 1200 - 300;
    return ReadingWord::make(tenths, index % 101 == 0);
}

quint32 startSeconds()
{
    return LoggerTime::fromDateTime(QDateTime(QDate(2026, 1, 5), QTime(8, 0), Qt::LocalTime));
}

}
