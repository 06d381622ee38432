#pragma once

namespace phantom {

// Coverage ramps from 1 to 0 while the distance to a surface goes from
// -kEdge to +kEdge voxels: a blur over about one and a half voxels, as a
// scanner's partial-volume effect gives, so that gradients are well defined.
constexpr float kEdge = 0.75f;

// 0 at t = 0, 1 at t = 1, flat at both ends.
inline float smoothstep(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

// How much of a voxel a solid covers, from the voxel's signed distance to its
// surface (negative inside): 0 from kEdge outwards.
inline float coverage(float distance)
{
    if (distance >= kEdge)
        return 0.0f;
    if (distance > -kEdge)
        return smoothstep((kEdge - distance) / (2.0f * kEdge));
    return 1.0f;
}

} // namespace phantom
