#include "tfeditor/transferfunction.h"

#include <algorithm>
#include <cmath>

namespace {

// The table's own scale and rounding (transfertable.cpp): a single-precision
// scale, the product taken in double and truncated.
float densityScale(int width, int minDensity, int maxDensity)
{
    return float(maxDensity - minDensity) / float(width);
}

int densityAt(int x, float scale, int minDensity)
{
    return int(std::trunc(double(x) * double(scale) + double(minDensity)));
}

} // namespace

TransferFunction functionOfPoints(const std::vector<ControlPoint>& points, int width, int height,
                                  int minDensity, int maxDensity)
{
    TransferFunction function;
    function.minDensity = minDensity;
    function.maxDensity = maxDensity;
    if (width <= 0 || height <= 0)
        return function;
    const float scale = densityScale(width, minDensity, maxDensity);
    for (const ControlPoint& point : points) {
        TransferPoint p;
        p.density = std::clamp(densityAt(point.x, scale, minDensity), minDensity, maxDensity);
        p.opacity = std::clamp(double(point.y) / double(height), 0.0, 1.0);
        p.color = QColor(point.color.red(), point.color.green(), point.color.blue());
        function.points.push_back(p);
    }
    std::stable_sort(
        function.points.begin(), function.points.end(),
        [](const TransferPoint& a, const TransferPoint& b) { return a.density < b.density; });
    return function;
}

std::vector<ControlPoint> pointsOfFunction(const TransferFunction& function, int width, int height)
{
    std::vector<ControlPoint> points;
    if (width <= 0 || height <= 0 || function.maxDensity <= function.minDensity)
        return points;
    const float scale = densityScale(width, function.minDensity, function.maxDensity);
    for (const TransferPoint& p : function.points) {
        // The nearest pixel by the exact quotient, then the neighbour whose
        // truncated entry comes closer, if one does.
        const double exact = double(p.density - function.minDensity) / double(scale);
        int best = std::clamp(int(std::lround(exact)), 0, width);
        for (int x : {best - 1, best + 1})
            if (x >= 0 && x <= width &&
                std::abs(densityAt(x, scale, function.minDensity) - p.density) <
                    std::abs(densityAt(best, scale, function.minDensity) - p.density))
                best = x;
        ControlPoint point;
        point.x = best;
        point.y = int(std::lround(p.opacity * height));
        point.color = p.color;
        points.push_back(point);
    }
    std::stable_sort(points.begin(), points.end(), lessByX);
    return points;
}
