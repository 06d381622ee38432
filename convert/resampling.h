#pragma once

#include "convert/formats/scaninput.h"
#include "convert/voxelgrid.h"

// Averages `factor`^3 blocks into one voxel.
SourceImage shrinkImage(const SourceImage& image, int factor, ProgressBar& progress);

// Resamples `image` to the grid (whose extents and spacing are along its own
// axes) with linear interpolation: the result, in floating point, never
// leaves the range of the source's values.
FloatImage::Pointer resampleImage(const SourceImage& image, const VoxelGrid& grid,
                                  ProgressBar& progress);
