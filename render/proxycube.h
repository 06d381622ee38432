#pragma once

#include <array>

// The box that bounds the volume, centred on the origin with half extents
// hx, hy, hz. Each face winds counter-clockwise seen from outside, so with
// back faces culled the faces towards the viewer are drawn (ray entry), with
// front faces culled those turned away (ray exit).
struct ProxyCorner {
    float position[3];
    float texCoord[2];
};

struct ProxyFace {
    float color[3];
    std::array<ProxyCorner, 4> corners;
};

using ProxyCube = std::array<ProxyFace, 6>;

// The six faces for the reciprocal extents v (half extents 0.5 / v).
ProxyCube proxyCube(const float reciprocal[3]);

// Draws the cube in immediate mode: one GL_QUADS block, a colour per face and
// a texture coordinate and a vertex per corner. Touches no other GL state.
void drawProxyCube(const float reciprocal[3]);

// The same for the part of the cube from `low` to `high`, in volume
// coordinates (0..1 over the whole volume): the box of a crop or a cut.
void drawProxyBox(const float reciprocal[3], const float low[3], const float high[3]);
