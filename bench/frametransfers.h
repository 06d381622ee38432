#pragma once

// The transfer functions the frame benchmark draws with.

#include "tfeditor/controlpoint.h"

#include <vector>

// Transfer functions like the peer renderer's defaults, drawn on a widget of
// the histogram editor's size: for Composite a grey ramp, transparent below
// 10 % of the range and reaching opacity 0.25 per voxel at the top; for the
// projections an opaque grey ramp.
std::vector<ControlPoint> compositeTransfer(int width, int height);
std::vector<ControlPoint> projectionTransfer(int width, int height);

// A sharp table for Composite that shows the bone of a CT as an opaque white
// surface: transparent up to density 1228, opaque from 1638 on, white
// throughout.
std::vector<ControlPoint> boneTransfer(int width, int height);
