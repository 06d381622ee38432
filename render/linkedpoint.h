#pragma once

#include <algorithm>
#include <array>

// The one point that links the slice panes: a voxel of the volume, and the
// three planes through it, each cutting across one axis at the point's index
// along that axis.
struct LinkedPoint
{
    std::array<int, 3> voxel{{0, 0, 0}};

    // The slice index of the plane through the point that cuts across `axis`.
    int plane(int axis) const { return voxel[size_t(axis)]; }

    // `voxel` kept within a volume of `extents`.
    static LinkedPoint within(std::array<int, 3> voxel, const std::array<int, 3>& extents)
    {
        for (size_t axis = 0; axis < 3; ++axis)
            voxel[axis] = std::clamp(voxel[axis], 0, std::max(extents[axis] - 1, 0));
        return {voxel};
    }

    // The voxel at the volume's centre (the upper of two middle ones).
    static LinkedPoint centreOf(const std::array<int, 3>& extents)
    {
        return {{{extents[0] / 2, extents[1] / 2, extents[2] / 2}}};
    }

    bool operator==(const LinkedPoint& other) const { return voxel == other.voxel; }
    bool operator!=(const LinkedPoint& other) const { return voxel != other.voxel; }
};
