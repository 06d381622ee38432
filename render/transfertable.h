#pragma once

#include "tfeditor/controlpoint.h"
#include "volume/volumedata.h"

#include <cstdint>
#include <vector>

// One entry of the transfer table: colour and opacity of one density.
struct TransferEntry
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
};

inline bool operator==(const TransferEntry& a, const TransferEntry& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

// Builds the 4096-entry table from control points placed on a widget of
// `width` x `height` pixels whose x range stands for the densities
// minDensity..maxDensity. See transfertable.cpp for the exact rules.
void buildTransferTable(std::vector<TransferEntry>& table, const std::vector<ControlPoint>& points,
                        int width, int height, int minDensity, int maxDensity);

// The table's top entry for projections: where the white end point lands,
// the window's top density or, where the scale's rounding stops short of
// it, the one below; never entry 4095, the end point of a full window.
// Projections classify denser samples as this entry, so that the densest
// voxels, which the window or the end point leaves transparent, stay the
// brightest.
int transferTableTop(int width, int minDensity, int maxDensity);

// The entry projections (Average, MIP) classify denser samples as: the
// densest control point's, so that past its last point the table holds that
// point's colour and opacity instead of falling to the transparent end
// point; never above transferTableTop. Without points, transferTableTop.
int projectionTableTop(const std::vector<ControlPoint>& points, int width, int minDensity,
                       int maxDensity);

// A change of the table's opacity between two samples larger than this
// (0..1) is a surface between them, which the ray caster marches finely.
constexpr float kSteepOpacityChange = 0.1f;

// The shortest span of normalised density (0..1) over which the table's
// opacity changes by more than kSteepOpacityChange up to entry `top`, 2
// where it never does: samples whose densities lie closer never have a
// surface between them. Above the top (transferTableTop) the table falls to
// its transparent end point, which no scan's surface is.
float steepDensitySpan(const std::vector<TransferEntry>& table, int top);

// A table whose steep span is at most this is sharp: it shows surfaces, and
// the ray caster looks for them between samples. A gentler one, as a ramp
// over the densities, would pay for the look at every sample for nothing.
constexpr float kSharpTableSpan = 0.05f;
