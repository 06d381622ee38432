#pragma once

namespace phantom {

// A point or a set of radii in the phantoms' normalised coordinates.
struct Vec
{
    float x, y, z;
    float operator[](int axis) const { return axis == 0 ? x : axis == 1 ? y : z; }
};

// Maps the phantoms' normalised coordinates to voxel positions. Voxels are
// cubic, `scale` voxels to the unit along every axis, so that circles stay
// circles: the renderer draws every volume with cubic voxels. x and y are
// centred on the origin; the middle of the z window lies at `zCentre`, so that
// a stack of slices can cover the part of an object it is meant to show.
class Frame
{
public:
    Frame(int width, int height, int depth, float scale, float zCentre = 0.0f)
        : m_extents{width, height, depth}, m_scale(scale)
    {
        for (int axis = 0; axis < 3; ++axis)
            m_centre[axis] = 0.5f * float(m_extents[axis] - 1);
        m_centre[2] -= zCentre * scale;
    }
    float position(int axis, float u) const { return m_centre[axis] + u * m_scale; }
    float centre(int axis) const { return m_centre[axis]; }
    float scale() const { return m_scale; }
    int extent(int axis) const { return m_extents[axis]; }

private:
    int m_extents[3];
    float m_centre[3];
    float m_scale;
};

} // namespace phantom
