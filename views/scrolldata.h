#pragma once

#include <Qt>

class ScrollBar;

// The scroll bar of one direction of a ScrollZoomer, with where it lies
// and when it shows. Owns its bar.
struct ScrollData
{
    // The canvas side of the bar: that of the zoomer's axis, or the other one.
    enum ScrollBarPosition { AttachedToScale = 0, OppositeToScale = 1 };

    ScrollData() = default;
    ~ScrollData();
    ScrollData(const ScrollData &) = delete;
    ScrollData &operator=(const ScrollData &) = delete;

    ScrollBar *scrollBar = nullptr;   // created on first need
    ScrollBarPosition position = OppositeToScale;
    Qt::ScrollBarPolicy mode = Qt::ScrollBarAsNeeded;
};
