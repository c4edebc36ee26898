#pragma once

#include <QPolygonF>
#include <qwt_plot_curve.h>

class QwtScaleMap;

// A line curve of samples in ascending x that draws only its visible span,
// and no more points than the canvas has pixel columns: per column, the
// first, lowest, highest and last point in their order, which draws the
// same line as all the points of that column would.
class ReducedCurve : public QwtPlotCurve
{
public:
    explicit ReducedCurve(const QString &title = QString());

    // The samples from first to last in device coordinates, reduced to at
    // most four per pixel column of the x map when reduce is set; rounded
    // to whole pixels when round is set.
    QPolygonF devicePolyline(const QwtScaleMap &xMap, const QwtScaleMap &yMap, int first, int last,
                             bool reduce, bool round) const;
    // Draws a polyline with the curve's pen. On a raster without
    // antialiasing, a wide opaque pen strokes it in short overlapping
    // pieces: the same pixels, without the cost a long outline has when
    // filled. Other painting goes as the plain curve's does.
    void drawPolyline(QPainter *painter, const QPolygonF &points) const;
    // The index span whose lines reach into the canvas: one sample beyond
    // each edge, so that the line runs to the edges.
    void visibleSpan(const QwtScaleMap &xMap, const QRectF &canvasRect, int &first, int &last) const;

protected:
    void drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                    const QRectF &canvasRect, int from, int to) const override;
};
