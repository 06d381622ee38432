#pragma once

#include "render/transfertable.h"
#include "volume/volumedata.h"

#include <QPointF>

#include <array>
#include <vector>

class QMatrix4x4;

// The voxel under a point of the view: its indices and its stored density.
struct VoxelPick
{
    bool found = false;
    int x = 0, y = 0, z = 0;
    int density = 0;
};

// The voxel at `index`, which lies within the volume.
VoxelPick voxelAt(const VolumeData& volume, const std::array<int, 3>& index);

// On a slice: the voxel of the slice quad of `axis` at `position` (as the
// slice path draws it, under `projection`) under the point `ndc`, in
// normalised device coordinates; none off the quad.
VoxelPick pickOnSlice(const VolumeData& volume, int axis, float position,
                      const QMatrix4x4& projection, QPointF ndc);

// Along the ray through `ndc` into the volume drawn under `modelToNdc` (the
// projection times the turn): the first voxel within the box `low`..`high`
// (volume coordinates, 0..1) whose density `table` makes visible; none where
// the ray meets no such voxel.
VoxelPick pickAlongRay(const VolumeData& volume, const std::vector<TransferEntry>& table,
                       const QMatrix4x4& modelToNdc, const float low[3], const float high[3],
                       QPointF ndc);
