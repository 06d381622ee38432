#include "render/framegeometry.h"

#include <algorithm>
#include <cmath>

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

PixelRect cubeFootprint(const FrameGeometry& frame, int xRotation, int yRotation, int viewWidth,
                        int viewHeight)
{
    PixelRect rect;
    if (viewWidth <= 0 || viewHeight <= 0)
        return rect;
    const double radians = 3.14159265358979323846 / 180.0;
    const double cx = std::cos(xRotation * radians), sx = std::sin(xRotation * radians);
    const double cy = std::cos(yRotation * radians), sy = std::sin(yRotation * radians);
    const AspectScale aspect = aspectScale(viewWidth, viewHeight);

    double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
    for (int corner = 0; corner < 8; ++corner) {
        const double px = (corner & 1 ? 1 : -1) * double(frame.half[0]);
        const double py = (corner & 2 ? 1 : -1) * double(frame.half[1]);
        const double pz = (corner & 4 ? 1 : -1) * double(frame.half[2]);
        // Rx (Ry p): the turn about y applies first.
        const double qx = cy * px + sy * pz;
        const double qz = -sy * px + cy * pz;
        const double rx = qx;
        const double ry = cx * py - sx * qz;
        const double windowX = (rx * aspect.x + 1.0) * 0.5 * viewWidth;
        const double windowY = (ry * aspect.y + 1.0) * 0.5 * viewHeight;
        left = std::min(left, windowX);
        right = std::max(right, windowX);
        bottom = std::min(bottom, windowY);
        top = std::max(top, windowY);
    }
    const int x0 = std::max(0, int(std::floor(left)) - 1);
    const int y0 = std::max(0, int(std::floor(bottom)) - 1);
    const int x1 = std::min(viewWidth, int(std::ceil(right)) + 1);
    const int y1 = std::min(viewHeight, int(std::ceil(top)) + 1);
    rect.x = x0;
    rect.y = y0;
    rect.width = std::max(0, x1 - x0);
    rect.height = std::max(0, y1 - y0);
    return rect;
}
