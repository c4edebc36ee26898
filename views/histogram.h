#pragma once

#include <QColor>
#include <QString>
#include <qwt_plot_histogram.h>

// One column series of the histogram view: readings per whole unit of value.
class Histogram : public QwtPlotHistogram
{
public:
    Histogram(const QString &title, const QColor &colour);

    // Translucent columns of the colour with a raised frame.
    void setColor(const QColor &colour);
    // count columns, column i from start + i * step to start + (i + 1) * step
    // (upper end excluded) holding values[i].
    void setValues(int count, const int *values, int start, int step);
};
