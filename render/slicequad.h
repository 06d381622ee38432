#pragma once

#include <array>

// One corner of the slice quad: the volume texture coordinate (s, t, r)
// and the position (x, y) in the view, at z = -1.
struct SliceCorner {
    float texCoord[3];
    float position[2];
};

using SliceQuad = std::array<SliceCorner, 4>;

// The counter-clockwise quad that cuts the volume texture at coordinate
// `position` for the slice axis (0, 1, anything else as 2), sized by the
// half extents of the volume.
SliceQuad sliceQuad(int axis, float position, const float half[3]);
