#include "views/scrollzoomer.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QFrame>
#include <QChildEvent>
#include <qwt_plot_layout.h>
#include <qwt_scale_div.h>
#include <qwt_scale_widget.h>

#include "views/scrollbar.h"

ScrollZoomer::ScrollZoomer(QWidget *canvas)
    : QwtPlotZoomer(canvas, true)
{
    if (canvas) {
        hScrollData = new ScrollData;
        vScrollData = new ScrollData;
    }
}

// The pointers are cleared before each delete: the canvas reports the
// removed child to eventFilter while it goes.
ScrollZoomer::~ScrollZoomer()
{
    QWidget *corner = m_cornerWidget;
    m_cornerWidget = nullptr;
    delete corner;
    ScrollData *vertical = vScrollData;
    vScrollData = nullptr;
    delete vertical;
    ScrollData *horizontal = hScrollData;
    hScrollData = nullptr;
    delete horizontal;
}

ScrollData *ScrollZoomer::scrollData(Qt::Orientation orientation) const
{
    return orientation == Qt::Vertical ? vScrollData : hScrollData;
}

ScrollBar *ScrollZoomer::horizontalScrollBar() const
{
    return hScrollData ? hScrollData->scrollBar : nullptr;
}

ScrollBar *ScrollZoomer::verticalScrollBar() const
{
    return vScrollData ? vScrollData->scrollBar : nullptr;
}

void ScrollZoomer::setHScrollBarMode(Qt::ScrollBarPolicy mode)
{
    if (hScrollData && hScrollData->mode != mode) {
        hScrollData->mode = mode;
        updateScrollBars();
    }
}

void ScrollZoomer::setVScrollBarMode(Qt::ScrollBarPolicy mode)
{
    if (vScrollData && vScrollData->mode != mode) {
        vScrollData->mode = mode;
        updateScrollBars();
    }
}

Qt::ScrollBarPolicy ScrollZoomer::hScrollBarMode() const
{
    return hScrollData ? hScrollData->mode : Qt::ScrollBarAsNeeded;
}

Qt::ScrollBarPolicy ScrollZoomer::vScrollBarMode() const
{
    return vScrollData ? vScrollData->mode : Qt::ScrollBarAsNeeded;
}

void ScrollZoomer::setHScrollBarPosition(ScrollBarPosition position)
{
    if (hScrollData && hScrollData->position != position) {
        hScrollData->position = position;
        updateScrollBars();
    }
}

void ScrollZoomer::setVScrollBarPosition(ScrollBarPosition position)
{
    if (vScrollData && vScrollData->position != position) {
        vScrollData->position = position;
        updateScrollBars();
    }
}

ScrollZoomer::ScrollBarPosition ScrollZoomer::hScrollBarPosition() const
{
    return hScrollData ? hScrollData->position : ScrollData::OppositeToScale;
}

ScrollZoomer::ScrollBarPosition ScrollZoomer::vScrollBarPosition() const
{
    return vScrollData ? vScrollData->position : ScrollData::OppositeToScale;
}

void ScrollZoomer::setCornerWidget(QWidget *widget)
{
    if (widget == m_cornerWidget || !canvas())
        return;
    QWidget *old = m_cornerWidget;
    m_cornerWidget = nullptr;
    delete old;
    m_cornerWidget = widget;
    if (widget && widget->parent() != canvas())
        widget->setParent(canvas());
    updateScrollBars();
}

int ScrollZoomer::oppositeAxis(int axis)
{
    switch (axis) {
    case QwtPlot::xBottom: return QwtPlot::xTop;
    case QwtPlot::xTop: return QwtPlot::xBottom;
    case QwtPlot::yRight: return QwtPlot::yLeft;
    case QwtPlot::yLeft: return QwtPlot::yRight;
    default: return axis;
    }
}

int ScrollZoomer::scrollBarAxis(Qt::Orientation orientation) const
{
    const int axis = orientation == Qt::Horizontal ? xAxis() : yAxis();
    const ScrollData *data = scrollData(orientation);
    return data && data->position == ScrollData::OppositeToScale ? oppositeAxis(axis) : axis;
}

ScrollBar *ScrollZoomer::scrollBar(Qt::Orientation orientation)
{
    ScrollData *data = scrollData(orientation);
    if (!data)
        return nullptr;
    if (!data->scrollBar) {
        data->scrollBar = new ScrollBar(orientation, canvas());
        data->scrollBar->hide();
        connect(data->scrollBar, &ScrollBar::valueChanged, this, &ScrollZoomer::scrollBarMoved);
    }
    return data->scrollBar;
}

bool ScrollZoomer::needScrollBar(Qt::Orientation orientation) const
{
    const ScrollData *data = scrollData(orientation);
    const Qt::ScrollBarPolicy mode = data ? data->mode : Qt::ScrollBarAsNeeded;
    if (mode == Qt::ScrollBarAlwaysOff)
        return false;
    if (mode == Qt::ScrollBarAlwaysOn)
        return true;
    const QRectF base = zoomBase();
    const QRectF rect = zoomRect();
    if (orientation == Qt::Horizontal)
        return base.left() < rect.left() || base.right() > rect.right();
    return base.top() < rect.top() || base.bottom() > rect.bottom();
}

// Shows or hides a bar; the canvas gives up room on the bar's side while
// it shows, so that no reading lies under it.
void ScrollZoomer::showScrollBar(Qt::Orientation orientation, bool show)
{
    QwtPlot *owner = plot();
    QwtPlotLayout *layout = owner->plotLayout();
    const int axis = scrollBarAxis(orientation);
    if (show) {
        ScrollBar *bar = scrollBar(orientation);
        bar->setPalette(owner->palette());
        const QwtScaleDiv &division = owner->axisScaleDiv(orientation == Qt::Horizontal ? xAxis() : yAxis());
        const QRectF base = zoomBase();
        const QRectF rect = zoomRect();
        if (orientation == Qt::Horizontal) {
            bar->setInverted(division.lowerBound() > division.upperBound());
            bar->setBase(base.left(), base.right());
            bar->moveSlider(rect.left(), rect.right());
        } else {
            bar->setInverted(division.upperBound() > division.lowerBound());
            bar->setBase(base.top(), base.bottom());
            bar->moveSlider(rect.top(), rect.bottom());
        }
        if (!bar->isVisibleTo(canvas())) {
            bar->show();
            layout->setCanvasMargin(layout->canvasMargin(axis) + bar->extent(), axis);
        }
        return;
    }
    ScrollData *data = scrollData(orientation);
    ScrollBar *bar = data ? data->scrollBar : nullptr;
    if (bar && bar->isVisibleTo(canvas())) {
        bar->hide();
        layout->setCanvasMargin(layout->canvasMargin(axis) - bar->extent(), axis);
    }
}

void ScrollZoomer::updateScrollBars()
{
    if (!canvas() || !plot() || !hScrollData || !vScrollData)
        return;
    const bool horizontal = needScrollBar(Qt::Horizontal);
    const bool vertical = needScrollBar(Qt::Vertical);
    showScrollBar(Qt::Horizontal, horizontal);
    showScrollBar(Qt::Vertical, vertical);

    if (horizontal && vertical) {
        if (!m_cornerWidget) {
            m_cornerWidget = new QWidget(canvas());
            m_cornerWidget->setAutoFillBackground(true);
            m_cornerWidget->setPalette(plot()->palette());
        }
        m_cornerWidget->show();
    } else if (m_cornerWidget) {
        m_cornerWidget->hide();
    }
    layoutScrollBars(canvas()->contentsRect());
    plot()->updateLayout();
}

void ScrollZoomer::layoutScrollBars(const QRect &rect)
{
    const int hPos = scrollBarAxis(Qt::Horizontal);
    const int vPos = scrollBarAxis(Qt::Vertical);
    ScrollBar *hBar = horizontalScrollBar();
    ScrollBar *vBar = verticalScrollBar();
    const int hdim = hBar ? hBar->extent() : 0;
    const int vdim = vBar ? vBar->extent() : 0;
    const bool hShown = hBar && hBar->isVisibleTo(canvas());
    const bool vShown = vBar && vBar->isVisibleTo(canvas());

    if (hShown) {
        int x = rect.left();
        const int y = hPos == QwtPlot::xTop ? rect.top() : rect.bottom() - hdim + 1;
        int w = rect.width();
        if (vShown) {
            if (vPos == QwtPlot::yLeft)
                x += vdim;
            w -= vdim;
        }
        hBar->setGeometry(x, y, w, hdim);
    }
    if (vShown) {
        const int x = vPos == QwtPlot::yLeft ? rect.left() : rect.right() - vdim + 1;
        int y = rect.top();
        int h = rect.height();
        if (hShown) {
            if (hPos == QwtPlot::xTop)
                y += hdim;
            h -= hdim;
        }
        vBar->setGeometry(x, y, vdim, h);
    }
    if (hShown && vShown && m_cornerWidget)
        m_cornerWidget->setGeometry(vBar->pos().x(), hBar->pos().y(), vdim, hdim);
}

bool ScrollZoomer::eventFilter(QObject *object, QEvent *event)
{
    if (object && object == canvas()) {
        if (event->type() == QEvent::Resize) {
            const QSize size = static_cast<QResizeEvent *>(event)->size();
            int frame = 0;
            if (const auto *frameWidget = qobject_cast<const QFrame *>(canvas()))
                frame = frameWidget->frameWidth();
            layoutScrollBars(QRect(QPoint(frame, frame),
                                   QPoint(size.width() - 1 - frame, size.height() - 1 - frame)));
        } else if (event->type() == QEvent::ChildRemoved) {
            const QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child == m_cornerWidget)
                m_cornerWidget = nullptr;
            else if (hScrollData && child == hScrollData->scrollBar)
                hScrollData->scrollBar = nullptr;
            else if (vScrollData && child == vScrollData->scrollBar)
                vScrollData->scrollBar = nullptr;
        }
    }
    return QwtPlotZoomer::eventFilter(object, event);
}

void ScrollZoomer::rescale()
{
    QwtPlot *owner = plot();
    if (!owner) {
        QwtPlotZoomer::rescale();
        return;
    }
    QwtScaleWidget *xScale = owner->axisWidget(xAxis());
    QwtScaleWidget *yScale = owner->axisWidget(yAxis());
    QwtPlotLayout *layout = owner->plotLayout();
    if (zoomRectIndex() == 0) {
        if (inZoom) {
            xScale->setMinBorderDist(0, 0);
            yScale->setMinBorderDist(0, 0);
            for (int axis = 0; axis < QwtPlot::axisCnt; ++axis)
                layout->setAlignCanvasToScale(axis, alignCanvasToScales[axis]);
            inZoom = false;
        }
    } else if (!inZoom) {
        // Freeze the border distances, so that changing labels do not
        // shift the canvas while the user scrolls.
        for (QwtScaleWidget *scale : { xScale, yScale }) {
            int start = 0;
            int end = 0;
            scale->getBorderDistHint(start, end);
            scale->setMinBorderDist(start, end);
        }
        for (int axis = 0; axis < QwtPlot::axisCnt; ++axis) {
            alignCanvasToScales[axis] = layout->alignCanvasToScale(axis);
            layout->setAlignCanvasToScale(axis, false);
        }
        inZoom = true;
    }
    QwtPlotZoomer::rescale();
    updateScrollBars();
    followPointer();
}

// Qwt moves the tracker only with the mouse: while the pointer stands
// still, the label would name the point that was under it before.
void ScrollZoomer::followPointer()
{
    QWidget *widget = canvas();
    if (!widget || isActive() || trackerPosition() == QPoint(-1, -1))
        return;
    QMouseEvent move(QEvent::MouseMove, widget->mapFromGlobal(QCursor::pos()), Qt::NoButton,
                     QApplication::mouseButtons(), QApplication::keyboardModifiers());
    widgetMouseMoveEvent(&move);
}

void ScrollZoomer::scrollBarMoved(Qt::Orientation orientation, double min, double)
{
    const QRectF rect = zoomRect();
    if (orientation == Qt::Horizontal)
        moveTo(QPointF(min, rect.top()));
    else
        moveTo(QPointF(rect.left(), min));
    emit zoomed(zoomRect());
}
