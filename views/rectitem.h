#pragma once

#include <QBrush>
#include <QPen>
#include <QRectF>
#include <qwt_plot_item.h>

// A filled rectangle in plot coordinates, painted behind the curves: one
// alarm band of the graph. It has no legend entry and takes no part in
// autoscaling.
class RectItem : public QwtPlotItem
{
public:
    RectItem();
    ~RectItem() override;

    // rect: left x, lower y, width and height in plot coordinates.
    void setRect(const QRectF &rect);
    void setBrush(const QBrush &brush);
    const QRectF &rect() const { return m_rect; }
    const QBrush &brush() const { return m_brush; }

    void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
              const QRectF &canvasRect) const override;
    QRectF boundingRect() const override;

private:
    QPen m_pen;
    QBrush m_brush;
    QRectF m_rect;
};
