#pragma once

#include "convert/dicom/slicestack.h"
#include "convert/formats/scaninput.h"

#include <array>
#include <vector>

// Resamples slices of `sliceExtents` pixels, stored one after another in the
// order of `geometry.offsets` along their normal and drifting sideways by
// `geometry.driftPerMm`, onto the geometry's even, unsheared grid: linearly
// along the normal between the two nearest slices, bilinearly within each.
// Beyond a slice's pixels it counts as the smallest value of all, so no
// value leaves the source's range.
FloatImage::Pointer resampleSlices(const std::vector<float>& slices,
                                   const std::array<unsigned, 2>& sliceExtents,
                                   const StackGeometry& geometry, ProgressBar& progress);
