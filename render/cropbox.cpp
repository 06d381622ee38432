#include "render/cropbox.h"

#include <algorithm>

CropBox CropBox::clampedTo(const std::array<int, 3>& extents) const
{
    CropBox box;
    for (int axis = 0; axis < 3; ++axis) {
        const int last = std::max(extents[axis] - 1, 0);
        box.from[axis] = std::clamp(from[axis], 0, last);
        box.to[axis] = std::clamp(to[axis] < 0 ? last : to[axis], box.from[axis], last);
    }
    return box;
}

bool CropBox::isWhole(const std::array<int, 3>& extents) const
{
    return clampedTo(extents) == CropBox().clampedTo(extents);
}

void CropBox::coordinates(const std::array<int, 3>& extents, float low[3], float high[3]) const
{
    const CropBox box = clampedTo(extents);
    for (int axis = 0; axis < 3; ++axis) {
        const float extent = float(std::max(extents[axis], 1));
        low[axis] = float(box.from[axis]) / extent;
        high[axis] = float(box.to[axis] + 1) / extent;
    }
}
