#pragma once

#include <array>

// The part of the volume the ray caster draws: voxels `from` to `to`,
// inclusive, along x, y and z. The whole volume unless narrowed; a box
// outside the volume is clamped to it, and an empty one keeps a voxel.
struct CropBox
{
    std::array<int, 3> from{{0, 0, 0}};
    std::array<int, 3> to{{-1, -1, -1}}; // -1: up to the last voxel

    bool operator==(const CropBox& other) const { return from == other.from && to == other.to; }
    bool operator!=(const CropBox& other) const { return !(*this == other); }

    // This box within a volume of `extents`, every range at least one voxel.
    CropBox clampedTo(const std::array<int, 3>& extents) const;
    bool isWhole(const std::array<int, 3>& extents) const;
    // The box in volume coordinates (0..1 over the whole volume): from its
    // first voxel's near face to its last voxel's far face.
    void coordinates(const std::array<int, 3>& extents, float low[3], float high[3]) const;
};

// The box the rays march through, in volume coordinates (0..1): a crop box,
// and where the volume is cut, the part of it behind the cut, which lies on
// the volume coordinate `cutAxis` (or -1: no cut) at `cutAt`.
struct RayBox
{
    float low[3], high[3];
    int cutAxis = -1;
    float cutAt = 0;
};
