// The engine phantom: see makeEnginePhantom in phantoms.h for what it holds.

#include "tools/phantom/phantoms.h"

#include "tools/phantom/phantom.h"

#include <algorithm>
#include <cmath>

using namespace phantom;

namespace {

// Engine densities: the same scale, for the materials of a machine part.
constexpr float kOil = 900, kCoolant = 1020, kAluminium = 1950, kPiston = 2150;
constexpr float kLiner = 3100, kSteel = 3300, kBolt = 3500, kBronze = 3800;

} // namespace

SampleVolume makeEnginePhantom(int width, int height, int depth)
{
    if (!validExtents(width, height, depth))
        return SampleVolume();
    // The longest side spans -1..1; the others keep the proportions of the
    // extents (-0.8..0.8 and -0.4..0.4 at 160 x 128 x 64).
    Phantom p(Frame(width, height, depth, 0.5f * float(std::max({width, height, depth}))), 10.0f,
              0xe791eull);
    const auto along = [&p](int axis, Vec centre, float halfLength, float radius) {
        Vec size{radius, radius, radius};
        (axis == 0 ? size.x : axis == 1 ? size.y : size.z) = halfLength;
        return p.cylinder(axis, centre, size);
    };

    // The block with four mounting feet, each with a bolt hole.
    p.texture(p.paint(kAluminium, p.box({0.0f, 0.0f, 0.0f}, {0.9f, 0.55f, 0.34f}, 0.04f)), 40,
              0.05f);
    for (float x : {-0.5f, 0.5f})
        for (float y : {-1.0f, 1.0f}) {
            p.paint(kAluminium, p.box({x, y * 0.64f, -0.3f}, {0.22f, 0.12f, 0.035f}, 0.02f));
            p.paint(0, along(2, {x, y * 0.68f, -0.3f}, 0.06f, 0.035f));
        }

    // Crankcase, the oil in its sump, the bulkheads carrying the bearings.
    const Primitive crankcase = p.box({0.0f, 0.0f, -0.19f}, {0.84f, 0.36f, 0.12f}, 0.04f);
    p.paint(0, crankcase);
    p.paint(kOil, crankcase, p.below({0, 0, 1}, -0.24f));
    for (float x : {-0.8f, -0.4f, 0.0f, 0.4f, 0.8f}) {
        p.paint(kAluminium, p.box({x, 0.0f, -0.19f}, {0.03f, 0.36f, 0.12f}));
        p.paint(kBronze, along(0, {x, 0.0f, -0.19f}, 0.035f, 0.09f));
    }
    p.paint(kSteel, along(0, {0.0f, 0.0f, -0.19f}, 0.97f, 0.05f));

    // Four cylinders in line, crank pins up, down, down, up: each with its
    // liner, bore, piston (hollow underneath), wrist pin, rod and crank webs.
    const float cylinders[4] = {-0.6f, -0.2f, 0.2f, 0.6f};
    for (int i = 0; i < 4; ++i) {
        const float x = cylinders[i];
        const float pin = -0.19f + (i == 0 || i == 3 ? 0.06f : -0.06f);
        const float piston = pin + 0.2f;
        p.paint(kLiner, along(2, {x, 0.0f, 0.145f}, 0.195f, 0.17f));
        p.paint(0, along(2, {x, 0.0f, 0.1f}, 0.25f, 0.145f));
        p.paint(kPiston, along(2, {x, 0.0f, piston}, 0.06f, 0.14f));
        p.paint(0, along(2, {x, 0.0f, piston - 0.03f}, 0.04f, 0.11f));
        p.paint(kSteel, along(0, {x, 0.0f, piston - 0.02f}, 0.11f, 0.022f));
        p.paint(kSteel,
                p.box({x, 0.0f, 0.5f * (pin + piston)}, {0.025f, 0.03f, 0.5f * (piston - pin)}));
        for (float side : {-1.0f, 1.0f})
            p.paint(kSteel, p.box({x + side * 0.06f, 0.0f, 0.5f * (pin - 0.19f)},
                                  {0.015f, 0.055f, 0.5f * std::fabs(pin + 0.19f) + 0.05f}));
        p.paint(kSteel, along(0, {x, 0.0f, pin}, 0.075f, 0.03f));
    }

    // Water jackets beside the liners, half full of coolant.
    for (float y : {-0.25f, 0.25f}) {
        p.paint(0, along(0, {0.0f, y, 0.0f}, 0.85f, 0.05f));
        p.paint(kCoolant, along(0, {0.0f, y, 0.0f}, 0.85f, 0.05f), p.below({0, 0, 1}, 0.0f));
    }
    // The camshaft in its tunnel.
    p.paint(0, along(0, {0.0f, -0.42f, -0.05f}, 0.92f, 0.05f));
    p.paint(kSteel, along(0, {0.0f, -0.42f, -0.05f}, 0.95f, 0.03f));
    for (float x : cylinders)
        for (float offset : {-0.07f, 0.07f})
            p.paint(kSteel, p.ellipsoid({x + offset, -0.42f, -0.035f}, {0.015f, 0.03f, 0.04f}));

    // Head-bolt holes along both sides, every other one holding a bolt.
    int hole = 0;
    for (float y : {-0.42f, 0.42f})
        for (float x : {-0.8f, -0.4f, 0.0f, 0.4f, 0.8f}) {
            p.paint(0, along(2, {x, y, 0.2f}, 0.15f, 0.03f));
            if (hole++ % 2 == 0) {
                p.paint(kBolt, along(2, {x, y, 0.22f}, 0.13f, 0.022f));
                p.paint(kBolt, along(2, {x, y, 0.36f}, 0.025f, 0.045f));
            }
        }
    return p.render();
}
