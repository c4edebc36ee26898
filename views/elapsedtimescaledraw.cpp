#include "views/elapsedtimescaledraw.h"

#include <cstdio>

#include "views/timescaledraw.h"

ElapsedTimeScaleDraw::ElapsedTimeScaleDraw(const QDateTime &baseTime, int secondsPerUnit)
    : baseTime(baseTime), secondsPerUnit(secondsPerUnit)
{
}

QString ElapsedTimeScaleDraw::formatElapsed(qint64 seconds)
{
    if (seconds < 0)
        return QLatin1Char('-') + formatElapsed(-seconds);
    const long long days = seconds / 86400;
    const int rest = int(seconds % 86400);
    // Built in a buffer: tables format one of these per row.
    char text[40];
    if (days >= 1)
        std::snprintf(text, sizeof text, "%lldd %02d:%02d:%02d", days, rest / 3600, (rest / 60) % 60,
                      rest % 60);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", rest / 3600, (rest / 60) % 60, rest % 60);
    return QString::fromLatin1(text);
}

QwtText ElapsedTimeScaleDraw::label(double value) const
{
    return QwtText(formatElapsed(TimeScaleDraw::secondsOf(value, secondsPerUnit)));
}
