#pragma once

#include <QColor>

#include <cstdint>

// One transfer-function control point, in pixels of the histogram widget
// (origin at its top-left corner, y growing downwards). The colour stays the
// invalid colour of Qt, whose red, green and blue read as 0, until the
// user picks one.
struct ControlPoint {
    QColor color;
    int32_t x = 0;
    int32_t y = 0;
};

// Control points are ordered by x alone.
inline bool lessByX(const ControlPoint& a, const ControlPoint& b) { return a.x < b.x; }
