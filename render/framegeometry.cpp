#include "render/framegeometry.h"

#include <QMatrix4x4>
#include <QVector3D>

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

PixelRect boxFootprint(const QMatrix4x4& modelToNdc, const float low[3], const float high[3],
                       int viewWidth, int viewHeight)
{
    PixelRect rect;
    if (viewWidth <= 0 || viewHeight <= 0)
        return rect;
    double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
    for (int corner = 0; corner < 8; ++corner) {
        const QVector3D ndc = modelToNdc.map(QVector3D(corner & 1 ? high[0] : low[0],
                                                       corner & 2 ? high[1] : low[1],
                                                       corner & 4 ? high[2] : low[2]));
        const double windowX = (double(ndc.x()) + 1.0) * 0.5 * viewWidth;
        const double windowY = (double(ndc.y()) + 1.0) * 0.5 * viewHeight;
        left = std::min(left, windowX);
        right = std::max(right, windowX);
        bottom = std::min(bottom, windowY);
        top = std::max(top, windowY);
    }
    const int x0 = int(std::clamp(std::floor(left) - 1, 0.0, double(viewWidth)));
    const int y0 = int(std::clamp(std::floor(bottom) - 1, 0.0, double(viewHeight)));
    const int x1 = int(std::clamp(std::ceil(right) + 1, 0.0, double(viewWidth)));
    const int y1 = int(std::clamp(std::ceil(top) + 1, 0.0, double(viewHeight)));
    rect.x = x0;
    rect.y = y0;
    rect.width = std::max(0, x1 - x0);
    rect.height = std::max(0, y1 - y0);
    return rect;
}
