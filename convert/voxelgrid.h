#pragma once

#include <array>
#include <cstdint>

// The grid the samples are written on, along the stored axes.
struct VoxelGrid
{
    std::array<uint64_t, 3> extents{};
    std::array<double, 3> spacing{};
    bool resampled = false;
};

// The grid for a volume of `extents` and `spacing` (mm), averaged in
// `shrink`^3 blocks (a remainder of fewer than `shrink` voxels is dropped),
// then, unless `keepGrid`, resampled to cubes of the smallest spacing when the
// spacings differ. The cube grid spans the source's voxel centres, centred,
// so that every written sample lies inside the source and interpolates
// between its samples.
VoxelGrid voxelGridFor(const std::array<uint64_t, 3>& extents, const std::array<double, 3>& spacing,
                       int shrink, bool keepGrid);
