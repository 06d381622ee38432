// The frame benchmark's transfer functions, as control points on the editor.

#include "bench/frametransfers.h"

#include "tfeditor/transferfunction.h"

#include <QColor>

std::vector<ControlPoint> compositeTransfer(int width, int height)
{
    ControlPoint low, high;
    low.color = QColor(26, 26, 26);
    low.x = width / 10;
    low.y = 0;
    high.color = QColor(255, 255, 255);
    high.x = width - 1;
    high.y = height / 4;
    return {low, high};
}

std::vector<ControlPoint> projectionTransfer(int width, int height)
{
    ControlPoint low, high;
    low.color = QColor(0, 0, 0);
    low.x = 0;
    low.y = height;
    high.color = QColor(255, 255, 255);
    high.x = width - 1;
    high.y = height;
    return {low, high};
}

std::vector<ControlPoint> boneTransfer(int width, int height)
{
    const QColor white(255, 255, 255);
    TransferFunction function;
    function.minDensity = 0;
    function.maxDensity = 4095;
    function.points = {{1228, 0.0, white}, {1638, 1.0, white}, {4095, 1.0, white}};
    return pointsOfFunction(function, width, height);
}
