#include "views/axislabelfit.h"

#include <cmath>
#include <limits>
#include <QEvent>
#include <QFontMetricsF>
#include <QScopedValueRollback>
#include <qwt_plot.h>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_engine.h>
#include <qwt_scale_widget.h>

namespace {

// The label's text laid out as Qwt lays it out: its widest line.
double labelWidth(const QwtText &label, const QFontMetricsF &metrics)
{
    const QRectF unbounded(0.0, 0.0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return metrics.boundingRect(unbounded, label.renderFlags(), label.text()).width();
}

// The least distance between two major ticks; infinite with fewer than two.
double narrowestStep(const QwtScaleDiv &div)
{
    const QList<double> ticks = div.ticks(QwtScaleDiv::MajorTick);
    double narrowest = std::numeric_limits<double>::infinity();
    for (int i = 1; i < ticks.size(); ++i)
        narrowest = qMin(narrowest, std::abs(ticks.at(i) - ticks.at(i - 1)));
    return narrowest;
}

}

AxisLabelFit::AxisLabelFit(QwtPlot *plot)
    : QObject(plot),
      plot(plot),
      canvas(plot->canvas())
{
    canvas->installEventFilter(this);
    connect(plot->axisWidget(QwtPlot::xBottom), &QwtScaleWidget::scaleDivChanged, this, &AxisLabelFit::refit);
}

int AxisLabelFit::fittingIntervals(const QwtPlot &plot, const QPaintDevice *device, double length,
                                   double devicePixelsPerUnit)
{
    const QwtScaleDraw &draw = *plot.axisScaleDraw(QwtPlot::xBottom);
    const QFontMetricsF metrics(plot.axisWidget(QwtPlot::xBottom)->font(), device);
    // The labels of the ticks Qwt gave and of the ends of the scale: an
    // elapsed time grows longest toward the end, a date stays as wide.
    const QwtScaleDiv &div = draw.scaleDiv();
    QList<double> values = div.ticks(QwtScaleDiv::MajorTick);
    values << div.lowerBound() << div.upperBound();
    double widest = 0.0;
    for (double value : values)
        widest = qMax(widest, labelWidth(draw.label(value), metrics));
    const double room = (widest + metrics.horizontalAdvance(QLatin1Char('0'))) / devicePixelsPerUnit;
    const double range = std::abs(div.upperBound() - div.lowerBound());
    if (!(length > 0.0) || !(range > 0.0))
        return kMostIntervals;
    // The engine rounds its step up to a round number, so that more than
    // length / room intervals may still leave the room: each is tried.
    int intervals = kMostIntervals;
    while (intervals > 1 && narrowestStep(bottomScaleDiv(plot, intervals)) * length / range < room)
        --intervals;
    return intervals;
}

QwtScaleDiv AxisLabelFit::bottomScaleDiv(const QwtPlot &plot, int intervals)
{
    const int axis = QwtPlot::xBottom;
    const QwtScaleDiv &current = plot.axisScaleDiv(axis);
    return plot.axisScaleEngine(axis)->divideScale(current.lowerBound(), current.upperBound(), intervals,
                                                   plot.axisMaxMinor(axis), plot.axisStepSize(axis));
}

bool AxisLabelFit::eventFilter(QObject *watched, QEvent *event)
{
    // The canvas is placed after the axes: the axis has its new length.
    if (watched == canvas && event->type() == QEvent::Resize)
        refit();
    return QObject::eventFilter(watched, event);
}

void AxisLabelFit::refit()
{
    const QwtScaleWidget *axis = plot->axisWidget(QwtPlot::xBottom);
    const double length = axis->scaleDraw()->length();
    // A hidden axis has no length of its own yet: it is fitted when shown.
    if (fitting || !axis->isVisible() || length <= 0.0)
        return;
    const int wanted = fittingIntervals(*plot, axis, length, 1.0);
    if (wanted == plot->axisMaxMajor(QwtPlot::xBottom))
        return;
    const QScopedValueRollback<bool> guard(fitting, true);
    plot->setAxisMaxMajor(QwtPlot::xBottom, wanted);
    plot->replot();
}
