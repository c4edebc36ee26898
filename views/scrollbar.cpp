#include "views/scrollbar.h"

#include <cmath>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// A tick count as an int: not-a-number counts as 0 and absurd windows are
// held far inside the int range, so no conversion is undefined.
int clampedTicks(double ticks)
{
    constexpr double kLimit = 1.0e9;
    if (std::isnan(ticks))
        return 0;
    return int(qBound(-kLimit, ticks, kLimit));
}

}

ScrollBar::ScrollBar(QWidget *parent)
    : QScrollBar(parent)
{
    init();
}

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    init();
}

ScrollBar::ScrollBar(double min, double max, Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    init();
    setBase(min, max);
    moveSlider(min, max);
}

void ScrollBar::init()
{
    inverted = orientation() == Qt::Vertical;
    baseTicks = kBaseTicks;
    minBase = 0.0;
    maxBase = 1.0;
    moveSlider(minBase, maxBase);
    connect(this, &QAbstractSlider::sliderMoved, this, &ScrollBar::catchSliderMoved);
    connect(this, &QAbstractSlider::valueChanged, this, &ScrollBar::catchValueChanged);
}

void ScrollBar::setInverted(bool on)
{
    if (on == inverted)
        return;
    inverted = on;
    moveSlider(minSliderValue(), maxSliderValue());
}

// A base without width has no scale: everything maps onto its one value
// and its window is the whole bar.
double ScrollBar::ticksPerUnit() const
{
    const double width = maxBase - minBase;
    return width != 0.0 && std::isfinite(width) ? baseTicks / width : 0.0;
}

int ScrollBar::mapToTick(double value) const
{
    return clampedTicks((value - minBase) * ticksPerUnit());
}

double ScrollBar::mapFromTick(int tick) const
{
    return minBase + (maxBase - minBase) * tick / baseTicks;
}

void ScrollBar::setBase(double min, double max)
{
    if (min == minBase && max == maxBase)
        return;
    minBase = min;
    maxBase = max;
    moveSlider(minSliderValue(), maxSliderValue());
}

void ScrollBar::moveSlider(double min, double max)
{
    const bool flat = ticksPerUnit() == 0.0;
    const int sliderTicks = flat ? baseTicks : clampedTicks(std::round((max - min) * ticksPerUnit()));
    const QSignalBlocker blocker(this);
    setRange(sliderTicks / 2, baseTicks - sliderTicks / 2);
    setSingleStep(qMax(1, sliderTicks / 200));
    setPageStep(sliderTicks);
    int tick = flat ? baseTicks / 2 : mapToTick((max - min) * 0.5 + min);
    if (inverted)
        tick = baseTicks - tick;
    setSliderPosition(tick);
}

void ScrollBar::sliderRange(int value, double &min, double &max) const
{
    const int tick = inverted ? baseTicks - value : value;
    const int half = pageStep() / 2;
    min = mapFromTick(tick - half);
    max = mapFromTick(tick + half);
}

double ScrollBar::minSliderValue() const
{
    double min = 0.0;
    double max = 0.0;
    sliderRange(value(), min, max);
    return min;
}

double ScrollBar::maxSliderValue() const
{
    double min = 0.0;
    double max = 0.0;
    sliderRange(value(), min, max);
    return max;
}

void ScrollBar::catchValueChanged(int value)
{
    double min = 0.0;
    double max = 0.0;
    sliderRange(value, min, max);
    emit valueChanged(orientation(), min, max);
}

void ScrollBar::catchSliderMoved(int value)
{
    double min = 0.0;
    double max = 0.0;
    sliderRange(value, min, max);
    emit sliderMoved(orientation(), min, max);
}

int ScrollBar::extent() const
{
    QStyleOptionSlider option;
    option.initFrom(this);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = orientation();
    option.minimum = minimum();
    option.maximum = maximum();
    option.sliderPosition = sliderPosition();
    option.sliderValue = value();
    option.singleStep = singleStep();
    option.pageStep = pageStep();
    option.upsideDown = invertedAppearance();
    if (orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, this);
}
