#include "views/rectitem.h"

#include <cmath>
#include <QPainter>
#include <qwt_painter.h>
#include <qwt_scale_map.h>

namespace {

bool nearlyEqual(double a, double b)
{
    return std::fabs(a - b) <= 1e-12 * std::min(std::fabs(a), std::fabs(b));
}

bool sameRect(const QRectF &a, const QRectF &b)
{
    return nearlyEqual(a.x(), b.x()) && nearlyEqual(a.y(), b.y())
           && nearlyEqual(a.width(), b.width()) && nearlyEqual(a.height(), b.height());
}

}

RectItem::RectItem()
    : QwtPlotItem(QwtText())
{
}

RectItem::~RectItem() = default;

void RectItem::setRect(const QRectF &rect)
{
    if (!sameRect(rect, m_rect)) {
        m_rect = rect;
        itemChanged();
    }
}

void RectItem::setBrush(const QBrush &brush)
{
    if (brush != m_brush) {
        m_brush = brush;
        itemChanged();
    }
}

QRectF RectItem::boundingRect() const
{
    return m_rect;
}

void RectItem::draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                    const QRectF &canvasRect) const
{
    if (!(m_rect.width() > 0.0) || !(m_rect.height() > 0.0))
        return;
    const double x1 = xMap.transform(m_rect.x());
    const double x2 = xMap.transform(m_rect.x() + m_rect.width());
    const double y1 = yMap.transform(m_rect.y());
    const double y2 = yMap.transform(m_rect.y() + m_rect.height());
    QRectF mapped = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    // An edge on an axis's end reaches the canvas's edge: the scale maps the
    // end onto the last pixel, whose far side would stay uncoloured.
    const QRectF axes = QRectF(QPointF(xMap.p1(), yMap.p1()), QPointF(xMap.p2(), yMap.p2())).normalized();
    if (mapped.left() <= axes.left())
        mapped.setLeft(qMin(axes.left(), canvasRect.left()));
    if (mapped.right() >= axes.right())
        mapped.setRight(qMax(axes.right(), canvasRect.right()));
    if (mapped.top() <= axes.top())
        mapped.setTop(qMin(axes.top(), canvasRect.top()));
    if (mapped.bottom() >= axes.bottom())
        mapped.setBottom(qMax(axes.bottom(), canvasRect.bottom()));
    painter->setPen(m_pen);
    painter->setBrush(m_brush);
    QwtPainter::fillRect(painter, mapped, m_brush);
}
