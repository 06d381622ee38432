#pragma once

#include "tfeditor/transferfunction.h"
#include "volume/volumedata.h"

#include <array>
#include <cstdint>
#include <vector>

using DensityHistogram = std::array<int32_t, kDensityCount>;

// The transfer functions offered ready made. Those for CT are placed in
// densities of the converter's CT rule (HU + 1024); those for MR and
// anything else by the volume's histogram, since their intensities carry no
// unit. Each sets the density window it needs.
struct TransferPreset
{
    const char* name; // the menu's caption, its mnemonic marked by "&"
    bool forCT;
    TransferFunction (*make)(const DensityHistogram& histogram);
};

const std::vector<TransferPreset>& transferPresets();

// The presets a scan starts with when it is opened by its path: skin and
// bone for CT; for anything else a colour ramp over the object's densities,
// its background (histogrambackground.h) clear.
TransferFunction skinAndBonePreset(const DensityHistogram& histogram);
TransferFunction objectRampPreset(const DensityHistogram& histogram);
// The object ramp as projections (Average, MIP) show it, one density a ray:
// opaque sooner, and at its top.
TransferFunction opaqueObjectRampPreset(const DensityHistogram& histogram);
// The grey ramp over the 1st to the 99.5th percentile of the densities.
TransferFunction greyRampPreset(const DensityHistogram& histogram);
// The grey ramp as a projection (Average, MIP) shows it: its top opaque, so
// that the densest voxel is white, not the grey of the top's opacity.
TransferFunction opaqueGreyRampPreset(const DensityHistogram& histogram);

// The least density at or below which at least `share` (0..1) of the
// counted voxels lie; 0 for an empty histogram.
int densityPercentile(const DensityHistogram& histogram, double share);
