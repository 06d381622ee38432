#pragma once

#include "tools/phantom/folds.h"
#include "tools/phantom/frame.h"
#include "tools/phantom/layer.h"
#include "tools/phantom/primitive.h"
#include "volume/volumedata.h"

#include <cstdint>
#include <vector>

namespace phantom {

// Extents below 1 make no volume.
inline bool validExtents(int width, int height, int depth)
{
    return width >= 1 && height >= 1 && depth >= 1;
}

// Builds a phantom as a stack of layers and samples it. Later layers cover
// earlier ones; each voxel blends the layers by their coverage, which is what
// blurs every edge. `noise` is the deviation of the scanner noise added to
// every voxel, in density units.
class Phantom
{
public:
    Phantom(const Frame& frame, float noise, uint64_t seed);

    const Frame& frame() const { return m_frame; }

    // Primitives in normalised coordinates.
    Primitive ellipsoid(Vec centre, Vec radii) const;
    Primitive box(Vec centre, Vec half, float rounding = 0.0f) const;
    // `size` holds the two radii of the cross-section and, along `axis`, the half length.
    Primitive cylinder(int axis, Vec centre, Vec size) const;
    // Everything where normal . u < offset.
    Primitive below(Vec normal, float offset) const;
    // The complement of `p`: as a part of a layer, it cuts a hole into the others.
    static Primitive outside(Primitive p);

    // Adds a layer of `density` over the intersection of the parts. The
    // reference is good until the next paint.
    Layer& paint(float density, const Primitive& a);
    Layer& paint(float density, const Primitive& a, const Primitive& b);
    Layer& paint(float density, const Primitive& a, const Primitive& b, const Primitive& c);
    // Turns the layer's parts into their union, creases rounded over
    // `radius` (normalised units).
    void blend(Layer& layer, float radius) const;
    // Texture amplitude in density units; grain in normalised units.
    void texture(Layer& layer, float amplitude, float grain) const;
    // Fold depth in normalised units. `folds` must outlive the rendering.
    void fold(Layer& layer, const Folds& folds, float depth) const;

    // Samples every voxel, on all cores.
    SampleVolume render();

private:
    void place(Primitive& p, Vec centre, Vec radii) const;
    void bound(Layer& layer) const;
    void renderSlices(SampleVolume& volume, int firstZ, int endZ) const;

    Frame m_frame;
    float m_noise;
    uint64_t m_seed;
    std::vector<Layer> m_layers;
};

} // namespace phantom
