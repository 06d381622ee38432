// The grid the samples are written on: shrunk in blocks, then cubes of the
// smallest spacing unless the grid is kept.

#include "convert/voxelgrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Spacings closer than this (relative) count as equal: a header's decimal
// rounding must not trigger a resampling.
constexpr double kSpacingTolerance = 1e-4;

} // namespace

VoxelGrid voxelGridFor(const std::array<uint64_t, 3>& extents, const std::array<double, 3>& spacing,
                       int shrink, bool keepGrid)
{
    VoxelGrid grid;
    for (int axis = 0; axis < 3; ++axis) {
        grid.extents[axis] = std::max<uint64_t>(extents[axis] / uint64_t(shrink), 1);
        grid.spacing[axis] = spacing[axis] * shrink;
    }
    const double cube = *std::min_element(grid.spacing.begin(), grid.spacing.end());
    const double largest = *std::max_element(grid.spacing.begin(), grid.spacing.end());
    if (keepGrid || largest - cube <= kSpacingTolerance * cube)
        return grid;
    for (int axis = 0; axis < 3; ++axis) {
        const double span = double(grid.extents[axis] - 1) * grid.spacing[axis];
        // Capped far beyond any size the checks let through, to stay an integer.
        grid.extents[axis] = uint64_t(std::min(std::floor(span / cube + 1e-6), 1e15)) + 1;
        grid.spacing[axis] = cube;
    }
    grid.resampled = true;
    return grid;
}
