#include "views/histogram.h"

#include <QPalette>
#include <QVector>
#include <qwt_column_symbol.h>
#include <qwt_series_data.h>

// The title holds a serial number, text as typed, never markup.
Histogram::Histogram(const QString &title, const QColor &colour)
    : QwtPlotHistogram(QwtText(title, QwtText::PlainText))
{
    setStyle(QwtPlotHistogram::Columns);
    setColor(colour);
}

void Histogram::setColor(const QColor &colour)
{
    QColor translucent = colour;
    translucent.setAlpha(180);
    setPen(QPen(Qt::black));
    setBrush(QBrush(translucent, Qt::SolidPattern));

    auto *symbol = new QwtColumnSymbol(QwtColumnSymbol::Box);
    symbol->setFrameStyle(QwtColumnSymbol::Raised);
    symbol->setLineWidth(1);
    symbol->setPalette(QPalette(translucent));
    setSymbol(symbol);
}

void Histogram::setValues(int count, const int *values, int start, int step)
{
    QVector<QwtIntervalSample> samples(qMax(0, count));
    for (int i = 0; i < samples.size(); ++i) {
        const QwtInterval interval(start + i * step, start + (i + 1) * step, QwtInterval::ExcludeMaximum);
        samples[i] = QwtIntervalSample(values[i], interval);
    }
    setSamples(new QwtIntervalSeriesData(samples));
}
