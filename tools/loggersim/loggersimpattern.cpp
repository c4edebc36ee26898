#include "loggersimpattern.h"

#include <QDateTime>

#include "core/loggertime.h"

namespace LoggerSimPattern {

quint16 reading(int index, quint8 sensors)
{
    // Readings interleave internal, humidity, external; the digital sensor
    // adds the internal and the humidity channel, the probe the external.
    const bool digital = sensors & 0x4;
    const int channels = ((sensors & 0x5) ? 1 : 0) + (digital ? 1 : 0) + ((sensors & 0x2) ? 1 : 0);
    const bool humidity = digital && channels > 1 && index % channels == 1;
    // -30.0 .. 89.9 degrees or 0.0 .. 99.9 %, every 101st reading marked
    const int tenths = humidity ? (index * 37) % 1000 : (index * 37) % 1200 - 300;
    return ReadingWord::make(tenths, index % 101 == 0);
}

quint16 recorded(int sample, int channel)
{
    switch (channel) {
    case 1:
        return ReadingWord::make(300 + (sample * 7) % 500);
    case 2:
        return ReadingWord::make(-100 + (sample * 11) % 300);
    default:
        return ReadingWord::make(40 + (sample * 13) % 200);
    }
}

quint32 startSeconds()
{
    return LoggerTime::fromDateTime(QDateTime(QDate(2026, 1, 5), QTime(8, 0), Qt::LocalTime));
}

}
