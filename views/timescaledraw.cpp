#include "views/timescaledraw.h"

#include <cmath>

TimeScaleDraw::TimeScaleDraw(const QDateTime &baseTime, int secondsPerUnit, int monthFirst)
    : baseTime(baseTime), secondsPerUnit(secondsPerUnit), monthFirst(monthFirst)
{
}

qint64 TimeScaleDraw::secondsOf(double value, int secondsPerUnit)
{
    const double seconds = std::trunc(double(secondsPerUnit) * value);
    // Far-off ticks of a zoomed-out axis must not overflow the conversion.
    constexpr double kLimit = 1e15;
    if (!(seconds > -kLimit))
        return qint64(-kLimit);
    if (!(seconds < kLimit))
        return qint64(kLimit);
    return qint64(seconds);
}

QString TimeScaleDraw::formatLabel(const QDateTime &time, bool monthFirst)
{
    return time.toString(monthFirst ? QStringLiteral("MM/dd/yyyy\n hh:mm:ss")
                                    : QStringLiteral("dd/MM/yyyy\n hh:mm:ss"));
}

QwtText TimeScaleDraw::label(double value) const
{
    return QwtText(formatLabel(baseTime.addSecs(secondsOf(value, secondsPerUnit)), monthFirst != 0));
}
