#pragma once

#include <QDateTime>
#include <qwt_scale_draw.h>

// Labels an axis that counts in units of secondsPerUnit from baseTime with
// the calendar date and the clock time of each tick.
class TimeScaleDraw : public QwtScaleDraw
{
public:
    TimeScaleDraw(const QDateTime &baseTime, int secondsPerUnit, int monthFirst);

    QwtText label(double value) const override;

    // "dd/MM/yyyy\n hh:mm:ss", or month first.
    static QString formatLabel(const QDateTime &time, bool monthFirst);
    // Seconds of an axis value, truncated toward zero.
    static qint64 secondsOf(double value, int secondsPerUnit);

    QDateTime baseTime;
    int secondsPerUnit;
    int monthFirst;
};
