#include "views/plotrenderer.h"

#include <cmath>
#include <QPainter>
#include <qwt_plot.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_map.h>

#include "views/axislabelfit.h"

void PlotRenderer::render(QwtPlot *plot, QPainter *painter, const QRectF &plotRect) const
{
    bottomFitted = false;
    QwtPlotRenderer::render(plot, painter, plotRect);
    bottomFitted = false;
}

const QwtScaleDiv &PlotRenderer::fittedBottom(const QwtPlot *plot, QPainter *painter, double length) const
{
    if (!bottomFitted) {
        // lengths are in the plot's units, which the painter maps onto the device
        const int intervals = AxisLabelFit::fittingIntervals(*plot, painter->device(), length,
                                                             painter->combinedTransform().m11());
        bottom = AxisLabelFit::bottomScaleDiv(*plot, intervals);
        bottomFitted = true;
    }
    return bottom;
}

// Qwt paints the canvas before the scales.
void PlotRenderer::renderCanvas(const QwtPlot *plot, QPainter *painter, const QRectF &canvasRect,
                                const QwtScaleMap *maps) const
{
    QList<QPair<QwtPlotGrid *, QwtScaleDiv>> grids;
    if (plot->axisEnabled(QwtPlot::xBottom)) {
        const QwtScaleDiv &fitted = fittedBottom(plot, painter, std::abs(maps[QwtPlot::xBottom].pDist()));
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotGrid)) {
            auto *grid = static_cast<QwtPlotGrid *>(item);
            if (grid->xAxis() != QwtPlot::xBottom)
                continue;
            grids.append(qMakePair(grid, grid->xScaleDiv()));
            grid->setXDiv(fitted);
        }
    }
    QwtPlotRenderer::renderCanvas(plot, painter, canvasRect, maps);
    for (const auto &grid : grids)
        grid.first->setXDiv(grid.second);
}

void PlotRenderer::renderScale(const QwtPlot *plot, QPainter *painter, int axisId, int startDist, int endDist,
                               int baseDist, const QRectF &rect) const
{
    if (axisId != QwtPlot::xBottom || !plot->axisEnabled(axisId)) {
        QwtPlotRenderer::renderScale(plot, painter, axisId, startDist, endDist, baseDist, rect);
        return;
    }
    auto *draw = const_cast<QwtScaleDraw *>(plot->axisScaleDraw(axisId));
    const QwtScaleDiv kept = draw->scaleDiv();
    draw->setScaleDiv(fittedBottom(plot, painter, rect.width() - startDist - endDist));
    QwtPlotRenderer::renderScale(plot, painter, axisId, startDist, endDist, baseDist, rect);
    draw->setScaleDiv(kept);
}
