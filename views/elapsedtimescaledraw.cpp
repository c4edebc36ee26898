#include "views/elapsedtimescaledraw.h"

#include "views/timescaledraw.h"

ElapsedTimeScaleDraw::ElapsedTimeScaleDraw(const QDateTime &baseTime, int secondsPerUnit)
    : baseTime(baseTime), secondsPerUnit(secondsPerUnit)
{
}

QString ElapsedTimeScaleDraw::formatElapsed(qint64 seconds)
{
    if (seconds < 0)
        return QLatin1Char('-') + formatElapsed(-seconds);
    const qint64 days = seconds / 86400;
    const qint64 rest = seconds % 86400;
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(rest / 3600, 2, 10, QLatin1Char('0'))
                              .arg((rest / 60) % 60, 2, 10, QLatin1Char('0'))
                              .arg(rest % 60, 2, 10, QLatin1Char('0'));
    return days >= 1 ? QStringLiteral("%1d ").arg(days) + clock : clock;
}

QwtText ElapsedTimeScaleDraw::label(double value) const
{
    return QwtText(formatElapsed(TimeScaleDraw::secondsOf(value, secondsPerUnit)));
}
