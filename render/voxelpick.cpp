#include "render/voxelpick.h"

#include "render/framegeometry.h"
#include "render/slicequad.h"

#include <QMatrix4x4>
#include <QVector3D>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

std::array<int, 3> extentsOf(const VolumeData& volume)
{
    return {volume.width, volume.height, volume.depth};
}

} // namespace

VoxelPick voxelAt(const VolumeData& volume, const std::array<int, 3>& index)
{
    VoxelPick pick;
    pick.found = true;
    pick.x = index[0];
    pick.y = index[1];
    pick.z = index[2];
    const size_t at = size_t(index[0]) +
                      size_t(volume.width) * (size_t(index[1]) + size_t(volume.height) * index[2]);
    pick.density = int(std::lround(volume.voxels[at] * kMaxDensity));
    return pick;
}

VoxelPick pickOnSlice(const VolumeData& volume, int axis, float position,
                      const QMatrix4x4& projection, QPointF ndc)
{
    const FrameGeometry frame = frameGeometryFor(volume.width, volume.height, volume.depth);
    const SliceQuad quad = sliceQuad(axis, position, frame.half);
    const QVector3D point = projection.inverted().map(QVector3D(float(ndc.x()), float(ndc.y()), 0));
    // Across from the first corner to the second, up from the first to the fourth.
    const float across = (point.x() - quad[0].position[0]) /
                         (quad[1].position[0] - quad[0].position[0]);
    const float up = (point.y() - quad[0].position[1]) / (quad[3].position[1] - quad[0].position[1]);
    if (!(across >= 0 && across <= 1 && up >= 0 && up <= 1))
        return {};
    const std::array<int, 3> extents = extentsOf(volume);
    std::array<int, 3> index;
    for (int i = 0; i < 3; ++i) {
        const float coordinate = quad[0].texCoord[i] +
                                 across * (quad[1].texCoord[i] - quad[0].texCoord[i]) +
                                 up * (quad[3].texCoord[i] - quad[0].texCoord[i]);
        index[i] = std::clamp(int(std::floor(coordinate * float(extents[i]))), 0, extents[i] - 1);
    }
    return voxelAt(volume, index);
}

VoxelPick pickAlongRay(const VolumeData& volume, const std::vector<TransferEntry>& table,
                       const QMatrix4x4& modelToNdc, const float low[3], const float high[3],
                       QPointF ndc)
{
    // The ray from in front of the volume (the viewer is towards +z) to
    // behind it, in voxel units: voxel i spans i..i + 1.
    const FrameGeometry frame = frameGeometryFor(volume.width, volume.height, volume.depth);
    const QMatrix4x4 toModel = modelToNdc.inverted();
    const QVector3D front = toModel.map(QVector3D(float(ndc.x()), float(ndc.y()), 4));
    const QVector3D back = toModel.map(QVector3D(float(ndc.x()), float(ndc.y()), -4));
    const std::array<int, 3> extents = extentsOf(volume);
    double origin[3], direction[3], enter = 0, leave = 1;
    for (int i = 0; i < 3; ++i) {
        const auto voxels = [&](float model) {
            return (double(model) / (2.0 * double(frame.half[i])) + 0.5) * extents[i];
        };
        origin[i] = voxels(front[i]);
        direction[i] = voxels(back[i]) - origin[i];
        const double a = double(low[i]) * extents[i], b = double(high[i]) * extents[i];
        if (std::abs(direction[i]) < 1e-12) {
            if (origin[i] < a || origin[i] > b)
                return {};
            continue;
        }
        const double t0 = (a - origin[i]) / direction[i], t1 = (b - origin[i]) / direction[i];
        enter = std::max(enter, std::min(t0, t1));
        leave = std::min(leave, std::max(t0, t1));
    }
    if (enter >= leave)
        return {};

    // The voxels the ray passes through, in its order (a walk from face to
    // face of the grid), within the box.
    std::array<int, 3> index, step, first, last;
    double next[3], across[3];
    const double middle = (enter + leave) / 2;
    for (int i = 0; i < 3; ++i) {
        first[i] = std::clamp(int(std::floor(double(low[i]) * extents[i] + 1e-9)), 0, extents[i] - 1);
        last[i] = std::clamp(int(std::ceil(double(high[i]) * extents[i] - 1e-9)) - 1, first[i],
                             extents[i] - 1);
        // The voxel where the ray enters: nudged towards the ray's middle.
        const double at = origin[i] + direction[i] * (enter + 1e-9 * (middle - enter));
        index[i] = std::clamp(int(std::floor(at)), first[i], last[i]);
        step[i] = direction[i] > 0 ? 1 : -1;
        const double boundary = index[i] + (step[i] > 0 ? 1 : 0);
        across[i] = std::abs(direction[i]) < 1e-12 ? std::numeric_limits<double>::infinity()
                                                   : 1.0 / std::abs(direction[i]);
        next[i] = std::abs(direction[i]) < 1e-12 ? std::numeric_limits<double>::infinity()
                                                 : (boundary - origin[i]) / direction[i];
    }
    for (;;) {
        const VoxelPick pick = voxelAt(volume, index);
        if (table[size_t(pick.density)].alpha > 0)
            return pick;
        const int axis = next[0] < next[1] ? (next[0] < next[2] ? 0 : 2) : (next[1] < next[2] ? 1 : 2);
        if (next[axis] > leave)
            return {};
        index[axis] += step[axis];
        if (index[axis] < first[axis] || index[axis] > last[axis])
            return {};
        next[axis] += across[axis];
    }
}
