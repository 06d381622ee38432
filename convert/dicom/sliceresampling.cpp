// Resampling a stack of slices that lie unevenly or drift sideways (a
// gantry tilt) onto an even, unsheared grid.

#include "convert/dicom/sliceresampling.h"

#include "convert/formats/progressbar.h"

#include <algorithm>
#include <cmath>

FloatImage::Pointer resampleSlices(const std::vector<float>& slices,
                                   const std::array<unsigned, 2>& sliceExtents,
                                   const StackGeometry& geometry, ProgressBar& progress)
{
    ScanHeader grid;
    for (size_t axis = 0; axis < 3; ++axis) {
        grid.extents[axis] = geometry.extents[axis];
        grid.spacing[axis] = geometry.spacing[axis];
        for (size_t row = 0; row < 3; ++row)
            grid.direction[row][axis] = geometry.axes[axis][row];
    }
    auto image = allocateImage<FloatImage>(grid);

    const long columns = long(sliceExtents[0]), rows = long(sliceExtents[1]);
    const float outside = *std::min_element(slices.begin(), slices.end());
    // Slice k's value at pixel (x, y) of its own grid, bilinear.
    const auto sample = [&](size_t k, double x, double y) {
        const double fx = std::floor(x), fy = std::floor(y);
        const double wx = x - fx, wy = y - fy;
        const float* slice = slices.data() + k * size_t(columns * rows);
        const auto at = [&](long i, long j) {
            return i < 0 || j < 0 || i >= columns || j >= rows ? outside : slice[j * columns + i];
        };
        const long i = long(fx), j = long(fy);
        return (1 - wy) * ((1 - wx) * at(i, j) + wx * at(i + 1, j)) +
               wy * ((1 - wx) * at(i, j + 1) + wx * at(i + 1, j + 1));
    };
    const std::vector<double>& offsets = geometry.offsets;
    float* out = image->GetBufferPointer();
    for (size_t z = 0; z < geometry.extents[2]; ++z) {
        const double t = double(z) * geometry.spacing[2];
        const size_t k =
            size_t(std::upper_bound(offsets.begin(), offsets.end() - 1, t) - offsets.begin()) - 1;
        const size_t next = std::min(k + 1, offsets.size() - 1);
        const double w =
            next == k ? 0 : std::clamp((t - offsets[k]) / (offsets[next] - offsets[k]), 0.0, 1.0);
        // Where the grid's first pixel lies in each slice's own pixels.
        const auto origin = [&](size_t slice, size_t axis) {
            return geometry.firstPixel[axis] -
                   geometry.driftPerMm[axis] * offsets[slice] / geometry.spacing[axis];
        };
        for (size_t y = 0; y < geometry.extents[1]; ++y)
            for (size_t x = 0; x < geometry.extents[0]; ++x) {
                const double here = sample(k, origin(k, 0) + double(x), origin(k, 1) + double(y));
                const double there =
                    w > 0 ? sample(next, origin(next, 0) + double(x), origin(next, 1) + double(y))
                          : here;
                *out++ = float((1 - w) * here + w * there);
            }
        progress.update(double(z + 1) / double(geometry.extents[2]));
    }
    return image;
}
