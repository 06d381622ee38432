#pragma once

class QMatrix4x4;

// Per-frame proportions of the volume: its longest side is one unit long and
// the volume is centred on the origin.
struct FrameGeometry {
    float largest = 1;                              // m, the largest extent
    float reciprocal[3] = {1, 1, 1};                // v: m / extent per axis
    float half[3] = {0.5f, 0.5f, 0.5f};             // 0.5 / v: half of each side
    float scale[3] = {2, 2, 2};                     // 2 v: maps the cube onto -1..1
};

FrameGeometry frameGeometryFor(int width, int height, int depth);

// Scale factors for x and y that make one unit the same number of pixels on
// both axes of a view `viewWidth` x `viewHeight`: the square -1..1 fits the
// shorter side, centred. Both are 1 for a square view.
struct AspectScale {
    float x = 1;
    float y = 1;
};
AspectScale aspectScale(int viewWidth, int viewHeight);

// The pixels of a `viewWidth` x `viewHeight` view that the box from `low`
// to `high` (in the cube's coordinates, within -half..half) can cover under
// `modelToNdc`, the view's projection times its turn: a rectangle, one
// pixel wider on every side than the projected corners, within the view.
// Empty (width or height 0) for an empty view.
struct PixelRect {
    int x = 0;
    int y = 0; // from the bottom, as the GL counts rows
    int width = 0;
    int height = 0;
};
PixelRect boxFootprint(const QMatrix4x4& modelToNdc, const float low[3], const float high[3],
                       int viewWidth, int viewHeight);
