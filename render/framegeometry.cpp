#include "render/framegeometry.h"

#include <algorithm>

FrameGeometry frameGeometryFor(int width, int height, int depth)
{
    FrameGeometry frame;
    const int extents[3] = {width, height, depth};
    frame.largest = float(std::max({width, height, depth}));
    for (int axis = 0; axis < 3; ++axis) {
        frame.reciprocal[axis] = 1.0f / (float(extents[axis]) / frame.largest);
        frame.half[axis] = 0.5f / frame.reciprocal[axis];
        frame.scale[axis] = 2.0f * frame.reciprocal[axis];
    }
    return frame;
}

AspectScale aspectScale(int viewWidth, int viewHeight)
{
    AspectScale aspect;
    if (viewWidth <= 0 || viewHeight <= 0)
        return aspect;
    const float shorter = float(std::min(viewWidth, viewHeight));
    aspect.x = shorter / float(viewWidth);
    aspect.y = shorter / float(viewHeight);
    return aspect;
}
