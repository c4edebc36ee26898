#pragma once

#include <qwt_plot.h>
#include <qwt_plot_zoomer.h>

#include "views/scrolldata.h"

class ScrollBar;

// A rubber-band zoomer with scroll bars inside the canvas: while the zoom
// rectangle leaves part of the zoom base uncovered in a direction, that
// direction's bar shows where the view lies in the base, and moving it
// moves the zoom rectangle. Where both bars show, a corner widget fills
// the square between them.
class ScrollZoomer : public QwtPlotZoomer
{
    Q_OBJECT
public:
    using ScrollBarPosition = ScrollData::ScrollBarPosition;

    explicit ScrollZoomer(QWidget *canvas);
    ~ScrollZoomer() override;

    ScrollBar *horizontalScrollBar() const;
    ScrollBar *verticalScrollBar() const;

    void setHScrollBarMode(Qt::ScrollBarPolicy mode);
    void setVScrollBarMode(Qt::ScrollBarPolicy mode);
    Qt::ScrollBarPolicy hScrollBarMode() const;
    Qt::ScrollBarPolicy vScrollBarMode() const;

    void setHScrollBarPosition(ScrollBarPosition position);
    void setVScrollBarPosition(ScrollBarPosition position);
    ScrollBarPosition hScrollBarPosition() const;
    ScrollBarPosition vScrollBarPosition() const;

    QWidget *cornerWidget() const { return m_cornerWidget; }
    // Replaces (and deletes) the corner widget; null removes it.
    virtual void setCornerWidget(QWidget *widget);

    bool eventFilter(QObject *object, QEvent *event) override;

    static int oppositeAxis(int axis);

    // The bar of a direction, created on first need.
    virtual ScrollBar *scrollBar(Qt::Orientation orientation);
    bool needScrollBar(Qt::Orientation orientation) const;
    virtual void updateScrollBars();
    // Places the bars and the corner widget inside rect (canvas coordinates).
    virtual void layoutScrollBars(const QRect &rect);

protected:
    void rescale() override;

private slots:
    void scrollBarMoved(Qt::Orientation orientation, double min, double max);

private:
    // The tracker takes the pointer's place on the canvas again, where a
    // change of the axes or of the canvas's place has left it standing
    // over another point.
    void followPointer();
    int scrollBarAxis(Qt::Orientation orientation) const;
    ScrollData *scrollData(Qt::Orientation orientation) const;
    void showScrollBar(Qt::Orientation orientation, bool show);

    QWidget *m_cornerWidget = nullptr;
    ScrollData *hScrollData = nullptr;
    ScrollData *vScrollData = nullptr;
    bool inZoom = false;
    // each axis's align-canvas-to-scale setting, kept while zoomed in
    bool alignCanvasToScales[QwtPlot::axisCnt] = {};
};
