#include "tools/phantom/phantom.h"

#include "tools/phantom/coverage.h"
#include "tools/phantom/noise.h"
#include "volume/volumedata.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace phantom {

Phantom::Phantom(const Frame& frame, float noise, uint64_t seed)
    : m_frame(frame), m_noise(noise), m_seed(seed)
{
}

Primitive Phantom::ellipsoid(Vec centre, Vec radii) const
{
    Primitive p;
    p.kind = Primitive::Ellipsoid;
    place(p, centre, radii);
    return p;
}

Primitive Phantom::box(Vec centre, Vec half, float rounding) const
{
    Primitive p;
    p.kind = Primitive::Box;
    place(p, centre, half);
    p.rounding = std::min({rounding * m_frame.scale(), p.r[0], p.r[1], p.r[2]});
    return p;
}

Primitive Phantom::cylinder(int axis, Vec centre, Vec size) const
{
    Primitive p;
    p.kind = Primitive::Cylinder;
    p.axis = axis;
    place(p, centre, size);
    return p;
}

Primitive Phantom::below(Vec normal, float offset) const
{
    // normal . (p - centre) / scale < offset, as a plane in voxel space.
    float n[3], constant = offset, norm = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        n[axis] = normal[axis] / m_frame.scale();
        constant += n[axis] * m_frame.centre(axis);
        norm += n[axis] * n[axis];
    }
    norm = std::sqrt(norm);
    Primitive p;
    p.kind = Primitive::HalfSpace;
    for (int axis = 0; axis < 3; ++axis)
        p.c[axis] = n[axis] / norm;
    p.offset = constant / norm;
    return p;
}

Primitive Phantom::outside(Primitive p)
{
    p.inverted = !p.inverted;
    return p;
}

Layer& Phantom::paint(float density, const Primitive& a)
{
    m_layers.emplace_back();
    Layer& layer = m_layers.back();
    layer.parts[0] = a;
    layer.partCount = 1;
    layer.density = density;
    return layer;
}

Layer& Phantom::paint(float density, const Primitive& a, const Primitive& b)
{
    Layer& layer = paint(density, a);
    layer.parts[1] = b;
    layer.partCount = 2;
    return layer;
}

Layer& Phantom::paint(float density, const Primitive& a, const Primitive& b, const Primitive& c)
{
    Layer& layer = paint(density, a, b);
    layer.parts[2] = c;
    layer.partCount = 3;
    return layer;
}

void Phantom::blend(Layer& layer, float radius) const
{
    layer.blend = radius * m_frame.scale();
}

void Phantom::texture(Layer& layer, float amplitude, float grain) const
{
    layer.texture = amplitude;
    layer.grain = grain * m_frame.scale();
}

void Phantom::fold(Layer& layer, const Folds& folds, float depth) const
{
    layer.folds = &folds;
    layer.foldDepth = depth * m_frame.scale();
}

namespace {

// Composites the layers top down, stopping at the first that covers the voxel
// completely; below them all is air. A file-local function, so that the
// compiler folds it into the slice loop, its only caller.
float densityAt(const std::vector<const Layer*>& active, int x, int y, int z, uint64_t seed)
{
    float density = 0.0f, remaining = 1.0f;
    for (auto it = active.rbegin(); it != active.rend(); ++it) {
        const Layer& layer = **it;
        if (x < layer.low[0] || x > layer.high[0])
            continue;
        const float cover = coverage(layer.distance(x, y, z));
        if (cover == 0.0f)
            continue;
        float value = layer.density;
        if (layer.texture != 0.0f)
            value += layer.texture * valueNoise(float(x) / layer.grain, float(y) / layer.grain,
                                                float(z) / layer.grain, seed);
        density += remaining * cover * value;
        remaining -= remaining * cover;
        if (remaining <= 0.0f)
            break;
    }
    return density;
}

} // namespace

SampleVolume Phantom::render()
{
    for (Layer& layer : m_layers)
        bound(layer);
    const int depth = m_frame.extent(2);
    SampleVolume volume(m_frame.extent(0), m_frame.extent(1), depth);
    // Slabs of slices on all cores; every voxel depends on its position
    // only, so the result is the same for any number of threads.
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(depth)));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back([this, &volume, t, threads, depth] {
            renderSlices(volume, depth * t / threads, depth * (t + 1) / threads);
        });
    renderSlices(volume, 0, depth / threads);
    for (std::thread& worker : workers)
        worker.join();
    return volume;
}

void Phantom::place(Primitive& p, Vec centre, Vec radii) const
{
    for (int axis = 0; axis < 3; ++axis) {
        p.c[axis] = m_frame.position(axis, centre[axis]);
        p.r[axis] = std::max(radii[axis] * m_frame.scale(), 1e-3f);
    }
}

// The voxel box a layer can touch: that of its bounded parts, widened by the
// blur and the wobble of the surface.
void Phantom::bound(Layer& layer) const
{
    float low[3], high[3];
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = 0.0f;
        high[axis] = float(m_frame.extent(axis) - 1);
    }
    const float margin = kEdge + std::fabs(layer.foldDepth) + 1.0f;
    if (layer.blend > 0.0f) {
        // A union reaches as far as any of its parts.
        for (int axis = 0; axis < 3; ++axis) {
            float lowest = high[axis], highest = low[axis];
            for (int i = 0; i < layer.partCount; ++i) {
                const Primitive& p = layer.parts[size_t(i)];
                lowest = std::min(lowest, p.c[axis] - p.r[axis] - margin);
                highest = std::max(highest, p.c[axis] + p.r[axis] + margin);
            }
            layer.low[axis] = std::max(0, int(std::ceil(lowest)));
            layer.high[axis] = std::min(m_frame.extent(axis) - 1, int(std::floor(highest)));
        }
        return;
    }
    for (int i = 0; i < layer.partCount; ++i) {
        const Primitive& p = layer.parts[size_t(i)];
        if (p.kind == Primitive::HalfSpace || p.inverted)
            continue;
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::max(low[axis], p.c[axis] - p.r[axis] - margin);
            high[axis] = std::min(high[axis], p.c[axis] + p.r[axis] + margin);
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        layer.low[axis] = int(std::ceil(low[axis]));
        layer.high[axis] = int(std::floor(high[axis]));
    }
}

void Phantom::renderSlices(SampleVolume& volume, int firstZ, int endZ) const
{
    const int width = m_frame.extent(0), height = m_frame.extent(1);
    std::vector<const Layer*> active;
    active.reserve(m_layers.size());
    for (int z = firstZ; z < endZ; ++z)
        for (int y = 0; y < height; ++y) {
            active.clear();
            for (const Layer& layer : m_layers)
                if (y >= layer.low[1] && y <= layer.high[1] && z >= layer.low[2] &&
                    z <= layer.high[2] && layer.low[0] <= layer.high[0])
                    active.push_back(&layer);
            const size_t row = size_t(width) * (size_t(y) + size_t(height) * size_t(z));
            for (int x = 0; x < width; ++x) {
                const float density = densityAt(active, x, y, z, m_seed);
                const float noisy = density + m_noise * voxelNoise(row + size_t(x), m_seed);
                volume.samples[row + size_t(x)] =
                    uint16_t(std::clamp(int(std::lround(noisy)), 0, kMaxDensity));
            }
        }
}

} // namespace phantom
