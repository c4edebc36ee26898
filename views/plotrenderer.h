#pragma once

#include <qwt_plot_renderer.h>
#include <qwt_scale_div.h>

// Qwt's plot renderer, its bottom axis given no more labels than fit the
// width it has on the device painted on, measured in that device's font
// metrics: a page or an image is not as wide as the plot on screen. The
// vertical grid lines follow the labels; the plot itself is left as it was.
class PlotRenderer : public QwtPlotRenderer
{
public:
    PlotRenderer() = default;

    void render(QwtPlot *plot, QPainter *painter, const QRectF &plotRect) const override;

protected:
    void renderScale(const QwtPlot *plot, QPainter *painter, int axisId, int startDist, int endDist,
                     int baseDist, const QRectF &rect) const override;
    void renderCanvas(const QwtPlot *plot, QPainter *painter, const QRectF &canvasRect,
                      const QwtScaleMap *maps) const override;

private:
    // The bottom scale fitted to an axis drawn length units long, once a
    // picture: the canvas and the scale take the same.
    const QwtScaleDiv &fittedBottom(const QwtPlot *plot, QPainter *painter, double length) const;

    mutable QwtScaleDiv bottom;
    mutable bool bottomFitted = false;
};
