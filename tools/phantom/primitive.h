#pragma once

#include <algorithm>
#include <cmath>

namespace phantom {

inline float length2(float a, float b)
{
    return std::sqrt(a * a + b * b);
}

// 2D ellipse distance estimate, exact on the ellipse and good near it.
inline float ellipseDistance(float a, float b, float ra, float rb)
{
    const float k0 = length2(a / ra, b / rb);
    const float k1 = length2(a / (ra * ra), b / (rb * rb));
    return k1 > 1e-12f ? k0 * (k0 - 1.0f) / k1 : -std::min(ra, rb);
}

// One solid in voxel space with a signed distance: negative inside, in
// voxels. Cylinders may have elliptic cross-sections; a half-space is
// everything below a plane. Defined here, not out of line, because the
// renderer asks every voxel for several of these distances.
struct Primitive
{
    enum Kind { Ellipsoid, Box, Cylinder, HalfSpace };
    Kind kind = Ellipsoid;
    bool inverted = false; // the complement: cuts a hole into the shape
    float c[3] = {};       // centre, or the plane's unit normal
    float r[3] = {};       // radii, half sizes, or (cylinder) the half length along its axis
    float rounding = 0.0f; // box edges
    float offset = 0.0f;   // plane: distance of the plane from the origin along the normal
    int axis = 2;          // cylinder

    float distance(float x, float y, float z) const
    {
        const float d = signedDistance(x, y, z);
        return inverted ? -d : d;
    }

    float signedDistance(float x, float y, float z) const
    {
        const float p[3] = {x - c[0], y - c[1], z - c[2]};
        switch (kind) {
        case Ellipsoid: {
            const float a = p[0] / r[0], b = p[1] / r[1], e = p[2] / r[2];
            const float k0 = std::sqrt(a * a + b * b + e * e);
            const float a2 = a / r[0], b2 = b / r[1], e2 = e / r[2];
            const float k1 = std::sqrt(a2 * a2 + b2 * b2 + e2 * e2);
            return k1 > 1e-12f ? k0 * (k0 - 1.0f) / k1 : -std::min({r[0], r[1], r[2]});
        }
        case Box: {
            float outside = 0.0f, inside = -1e30f;
            for (int i = 0; i < 3; ++i) {
                const float q = std::fabs(p[i]) - (r[i] - rounding);
                outside += q > 0.0f ? q * q : 0.0f;
                inside = std::max(inside, q);
            }
            return std::sqrt(outside) + std::min(inside, 0.0f) - rounding;
        }
        case Cylinder: {
            const int a = (axis + 1) % 3, b = (axis + 2) % 3;
            const float radial = ellipseDistance(p[a], p[b], r[a], r[b]);
            const float along = std::fabs(p[axis]) - r[axis];
            return std::min(std::max(radial, along), 0.0f) +
                   length2(std::max(radial, 0.0f), std::max(along, 0.0f));
        }
        case HalfSpace:
            return c[0] * x + c[1] * y + c[2] * z - offset;
        }
        return 0.0f;
    }
};

} // namespace phantom
