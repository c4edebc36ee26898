#pragma once

#include <QDateTime>
#include <qwt_scale_draw.h>

// Labels an axis that counts in units of secondsPerUnit with the days and
// the clock time elapsed since its start, "3d 01:00:00".
class ElapsedTimeScaleDraw : public QwtScaleDraw
{
public:
    ElapsedTimeScaleDraw(const QDateTime &baseTime, int secondsPerUnit);

    QwtText label(double value) const override;

    // "hh:mm:ss", preceded by "%dd " once a whole day has elapsed. A
    // negative count reads as the same text after a minus sign.
    static QString formatElapsed(qint64 seconds);

    QDateTime baseTime;
    int secondsPerUnit;
};
