#pragma once

#include "convert/scaninput.h"
#include "convert/slicestack.h"
#include "convert/voxelgrid.h"

#include <array>
#include <vector>

// Averages `factor`^3 blocks into one voxel.
SourceImage shrinkImage(const SourceImage& image, int factor, ProgressBar& progress);

// Resamples `image` to the grid (whose extents and spacing are along its own
// axes) with linear interpolation: the result, in floating point, never
// leaves the range of the source's values.
FloatImage::Pointer resampleImage(const SourceImage& image, const VoxelGrid& grid,
                                  ProgressBar& progress);

// Resamples slices of `sliceExtents` pixels, stored one after another in the
// order of `geometry.offsets` along their normal and drifting sideways by
// `geometry.driftPerMm`, onto the geometry's even, unsheared grid: linearly
// along the normal between the two nearest slices, bilinearly within each.
// Beyond a slice's pixels it counts as the smallest value of all, so no
// value leaves the source's range.
FloatImage::Pointer resampleSlices(const std::vector<float>& slices,
                                   const std::array<unsigned, 2>& sliceExtents,
                                   const StackGeometry& geometry, ProgressBar& progress);
