#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QPaintDevice;
class QwtPlot;
class QwtScaleDiv;

// Keeps a plot's bottom axis to no more major ticks than its labels have
// room for, so that no two labels touch: Qwt's scale engine is given a
// count of intervals and knows nothing of the labels' width. The plot's
// axis is fitted again when its canvas changes size and when the axis
// takes a new scale, as a zoom gives it; pictures on another device are
// fitted to that device by PlotRenderer.
class AxisLabelFit : public QObject
{
    Q_OBJECT
public:
    // Qwt's own default: a fit only ever lowers it.
    static constexpr int kMostIntervals = 8;

    // Watches the plot's bottom axis from now on; the plot owns it.
    explicit AxisLabelFit(QwtPlot *plot);

    // The most intervals, up to kMostIntervals, that the plot's scale
    // engine can give its bottom axis, drawn length units long, with its
    // labels at least a digit apart. The labels are measured in the axis
    // font's metrics on device, where one unit is devicePixelsPerUnit of
    // its pixels.
    static int fittingIntervals(const QwtPlot &plot, const QPaintDevice *device, double length,
                                double devicePixelsPerUnit);
    // The plot's bottom scale divided again into at most that many intervals.
    static QwtScaleDiv bottomScaleDiv(const QwtPlot &plot, int intervals);

    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void refit();

private:
    QwtPlot *plot;
    // The canvas is known by this copy of its address: its events go on
    // while the plot is destroyed, when no member of the plot may be called.
    QPointer<QWidget> canvas;
    bool fitting = false;
};
