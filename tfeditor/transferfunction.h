#pragma once

#include "tfeditor/controlpoint.h"

#include <QColor>

#include <vector>

// A point of a transfer function placed by what it means rather than where
// the editor draws it: a density of the 12-bit range, an opacity 0..1 (the
// editor's 0 at its top edge, 1 at its bottom), a colour.
struct TransferPoint
{
    int density = 0;
    double opacity = 0.0;
    QColor color = QColor(0, 0, 0);
};

// A transfer function as presets and files hold it: the density window and
// its points, sorted by density. It does not depend on the editor's size.
struct TransferFunction
{
    int minDensity = 0;
    int maxDensity = 4095;
    std::vector<TransferPoint> points;
};

// The function the editor's points stand for on a widget of width x height
// pixels showing minDensity..maxDensity. Each point's density is the table
// entry its x lands on (transfertable.cpp); a colour never chosen is black,
// which is what the table reads from it.
TransferFunction functionOfPoints(const std::vector<ControlPoint>& points, int width, int height,
                                  int minDensity, int maxDensity);

// The editor's points for `function` on a widget of width x height pixels:
// each at the pixel whose table entry is nearest its density, so a function
// read back from them changes no density by more than one pixel's worth.
std::vector<ControlPoint> pointsOfFunction(const TransferFunction& function, int width, int height);
