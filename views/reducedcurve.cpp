#include "views/reducedcurve.h"

#include <climits>
#include <algorithm>
#include <QPainter>
#include <qwt_clipper.h>
#include <qwt_painter.h>
#include <qwt_point_data.h>
#include <qwt_scale_map.h>

// The title holds a serial number, text as typed, never markup.
ReducedCurve::ReducedCurve(const QString &title)
    : QwtPlotCurve(QwtText(title, QwtText::PlainText))
{
}

void ReducedCurve::visibleSpan(const QwtScaleMap &xMap, const QRectF &canvasRect, int &first, int &last) const
{
    // the canvas reaches past the scale's ends by its margins
    const double left = xMap.invTransform(canvasRect.left());
    const double right = xMap.invTransform(canvasRect.right());
    const double low = qMin(left, right);
    const double high = qMax(left, right);
    // first sample at or right of low
    int begin = first;
    int end = last + 1;
    while (begin < end) {
        const int middle = begin + (end - begin) / 2;
        if (sample(middle).x() < low)
            begin = middle + 1;
        else
            end = middle;
    }
    const int visibleFirst = begin;
    // first sample right of high
    end = last + 1;
    while (begin < end) {
        const int middle = begin + (end - begin) / 2;
        if (sample(middle).x() <= high)
            begin = middle + 1;
        else
            end = middle;
    }
    const int visibleLast = begin - 1;
    first = qMax(first, visibleFirst - 1);
    last = qMin(last, visibleLast + 1);
}

namespace {

// Device coordinates stay far inside the int range, however deep the zoom.
constexpr double kDeviceLimit = 1.0e9;
// beyond this many pixels off the canvas a line is cut before it is drawn
constexpr double kFarOutside = 100000.0;

double nearestPixel(double value)
{
    return qRound(qBound(-kDeviceLimit, value, kDeviceLimit));
}

int pixelColumn(double x)
{
    x = qBound(-kDeviceLimit, x, kDeviceLimit);
    const int column = int(x);
    return column > x ? column - 1 : column;
}

}

QPolygonF ReducedCurve::devicePolyline(const QwtScaleMap &xMap, const QwtScaleMap &yMap, int first, int last,
                                       bool reduce, bool round) const
{
    // The graph's curves hold plain arrays: read them without a call per sample.
    const auto *arrays = dynamic_cast<const QwtPointArrayData *>(data());
    const double *xs = arrays ? arrays->xData().constData() : nullptr;
    const double *ys = arrays ? arrays->yData().constData() : nullptr;
    const auto toDevice = [&](int i) {
        const QPointF value = xs ? QPointF(xs[i], ys[i]) : sample(i);
        const double x = xMap.transform(value.x());
        const double y = yMap.transform(value.y());
        return round ? QPointF(nearestPixel(x), nearestPixel(y)) : QPointF(x, y);
    };
    QPolygonF points;
    if (!reduce) {
        points.reserve(last - first + 1);
        for (int i = first; i <= last; ++i)
            points.append(toDevice(i));
        return points;
    }
    points.reserve(int(4 * (qAbs(xMap.p2() - xMap.p1()) + 3)));
    // Per pixel column the sample indices of its first, lowest, highest and
    // last value; only those are mapped to the device.
    int start = -1;
    int low = -1;
    int high = -1;
    int end = -1;
    double lowValue = 0.0;
    double highValue = 0.0;
    int column = INT_MIN;
    const auto flush = [&]() {
        if (start < 0)
            return;
        int order[4] = { start, low, high, end };
        std::sort(order, order + 4);
        for (int k = 0; k < 4; ++k)
            if (k == 0 || order[k] != order[k - 1])
                points.append(toDevice(order[k]));
    };
    for (int i = first; i <= last; ++i) {
        const double x = xs ? xs[i] : sample(i).x();
        const double y = ys ? ys[i] : sample(i).y();
        const double deviceX = xMap.transform(x);
        const int index = pixelColumn(round ? nearestPixel(deviceX) : deviceX);
        if (index != column) {
            flush();
            column = index;
            start = low = high = end = i;
            lowValue = highValue = y;
            continue;
        }
        if (y < lowValue) {
            lowValue = y;
            low = i;
        }
        if (y > highValue) {
            highValue = y;
            high = i;
        }
        end = i;
    }
    flush();
    return points;
}

void ReducedCurve::drawPolyline(QPainter *painter, const QPolygonF &points) const
{
    constexpr int kPiece = 32;
    const QPen linePen = pen();
    painter->setPen(linePen);
    const bool rasterEngine = painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster;
    const bool aliased = rasterEngine && !painter->testRenderHint(QPainter::Antialiasing);
    const bool thin = linePen.widthF() <= 1.0 || linePen.isCosmetic();
    const bool opaque = linePen.color().alpha() == 255 && linePen.style() == Qt::SolidLine;
    if (!aliased || (!thin && !opaque)) {
        QwtPainter::drawPolyline(painter, points);   // as the plain curve draws it
        return;
    }
    if (thin || points.size() <= kPiece) {
        painter->drawPolyline(points);
        return;
    }
    // Pieces share their end segments, so every join is drawn by one of
    // them; flat ends add nothing beyond the line, and the two true ends
    // get the pen's own caps.
    QPen piecePen = linePen;
    piecePen.setCapStyle(Qt::FlatCap);
    painter->setPen(piecePen);
    const int count = points.size();
    for (int start = 0; start < count - 1; start += kPiece)
        painter->drawPolyline(points.constData() + start, qMin(kPiece + 2, count - start));
    painter->setPen(linePen);
    painter->drawPolyline(points.constData(), 2);
    painter->drawPolyline(points.constData() + count - 2, 2);
}

void ReducedCurve::drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                              const QRectF &canvasRect, int from, int to) const
{
    const int size = int(dataSize());
    if (to < 0 || to >= size)
        to = size - 1;
    from = qMax(0, from);
    if (from > to)
        return;
    visibleSpan(xMap, canvasRect, from, to);
    if (from > to)
        return;
    const bool plainLine = style() == Lines && !symbol() && brush().style() == Qt::NoBrush;
    if (!plainLine || from == to) {
        QwtPlotCurve::drawSeries(painter, xMap, yMap, canvasRect, from, to);
        return;
    }
    // Only on whole pixels does a column's line stay within its column;
    // scaled, vector and antialiased painting get every visible point.
    const bool aligned = QwtPainter::roundingAlignment(painter);
    const double columns = qAbs(xMap.p2() - xMap.p1()) + 1.0;
    const bool reduce = aligned && !painter->testRenderHint(QPainter::Antialiasing) && to - from + 1 > 4.0 * columns;
    QPolygonF points = devicePolyline(xMap, yMap, from, to, reduce, aligned);
    // points on one pixel add nothing but would hide a join between pieces
    points.erase(std::unique(points.begin(), points.end()), points.end());
    // Points far outside (a deep zoom) are cut at the canvas, as the plain
    // curve does; nearer ones stay, since a cut end moves the pixels the
    // rest of its line takes.
    const QRectF reach = canvasRect.adjusted(-kFarOutside, -kFarOutside, kFarOutside, kFarOutside);
    if (!reach.contains(points.boundingRect())) {
        const qreal margin = qMax(qreal(1.0), pen().widthF());
        points = QwtClipper::clipPolygonF(canvasRect.adjusted(-margin, -margin, margin, margin), points);
    }
    painter->save();
    painter->setBrush(Qt::NoBrush);
    drawPolyline(painter, points);
    painter->restore();
}
