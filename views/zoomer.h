#pragma once

#include "views/scrollzoomer.h"

#include <QDateTime>
#include <QVector>

class CPlot;
struct LoggerRecord;

// The graph's zoomer: gives the value axis a steady width while zoomed in
// and shows, beside the cursor, the reading under it: its number in its
// data set, its time and the value of each shown channel.
class Zoomer : public ScrollZoomer
{
public:
    Zoomer(QWidget *canvas, CPlot *plot);

    QwtText trackerTextF(const QPointF &pos) const override;
    // The text alone, empty where no reading lies under the cursor.
    QString readingText(const QPointF &pos) const;

    CPlot *ownerPlot = nullptr;

protected:
    void rescale() override;

private:
    struct Hit {
        const LoggerRecord *record;
        int index;
        QDateTime time;
    };
    QVector<Hit> readingsAt(double x) const;
    // Distance in value units from y to the nearest shown channel's value.
    double distanceTo(const Hit &hit, double y) const;
    QString describe(const Hit &hit) const;
};
