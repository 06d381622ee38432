#include "tools/phantoms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

namespace {

constexpr int kMaxSample = 4095;

// Coverage ramps from 1 to 0 while the distance to a surface goes from
// -kEdge to +kEdge voxels: a blur over about one and a half voxels.
constexpr float kEdge = 0.75f;

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
// everything below a plane.
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

// A separable fold pattern, the product of a sine along each axis (two such
// products at different frequencies, so that it does not look like an egg
// crate): wobbles a surface into gyri. Tables per axis keep it a few loads
// and multiplies per voxel.
class Folds
{
public:
    Folds(const Frame& frame, float frequency)
    {
        const float phase[2][3] = {{0.3f, 1.1f, 2.0f}, {1.7f, 0.4f, 2.9f}};
        const float ratio[2][3] = {{1.0f, 0.9f, 1.1f}, {1.9f, 2.3f, 1.7f}};
        for (int set = 0; set < 2; ++set)
            for (int axis = 0; axis < 3; ++axis) {
                std::vector<float>& table = m_tables[set][axis];
                table.resize(size_t(frame.extent(axis)));
                for (int i = 0; i < frame.extent(axis); ++i) {
                    const float u = (float(i) - frame.centre(axis)) / frame.scale();
                    table[size_t(i)] =
                        std::sin(frequency * ratio[set][axis] * u + phase[set][axis]);
                }
            }
    }
    float at(int x, int y, int z) const
    {
        return 0.65f * m_tables[0][0][size_t(x)] * m_tables[0][1][size_t(y)] *
                   m_tables[0][2][size_t(z)] +
               0.35f * m_tables[1][0][size_t(x)] * m_tables[1][1][size_t(y)] *
                   m_tables[1][2][size_t(z)];
    }

private:
    std::vector<float> m_tables[2][3];
};

inline uint64_t splitMix(uint64_t value)
{
    value += 0x9e3779b97f4a7c15ull;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

// Smooth value noise in -1..1 at a position in lattice units: random values
// at the integer lattice, blended with smoothstep weights.
float valueNoise(float x, float y, float z, uint64_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int64_t ix = int64_t(fx), iy = int64_t(fy), iz = int64_t(fz);
    const auto smooth = [](float t) { return t * t * (3.0f - 2.0f * t); };
    const float wx = smooth(x - fx), wy = smooth(y - fy), wz = smooth(z - fz);
    const auto corner = [seed](int64_t a, int64_t b, int64_t c) {
        const uint64_t key =
            uint64_t(a) * 0x8da6b343ull ^ uint64_t(b) * 0xd8163841ull ^ uint64_t(c) * 0xcb1ab31full;
        return float(splitMix(key ^ seed) >> 40) * (2.0f / 16777216.0f) - 1.0f;
    };
    float plane[2];
    for (int k = 0; k < 2; ++k) {
        const float v00 = corner(ix, iy, iz + k), v10 = corner(ix + 1, iy, iz + k);
        const float v01 = corner(ix, iy + 1, iz + k), v11 = corner(ix + 1, iy + 1, iz + k);
        const float row0 = v00 + wx * (v10 - v00), row1 = v01 + wx * (v11 - v01);
        plane[k] = row0 + wy * (row1 - row0);
    }
    return plane[0] + wz * (plane[1] - plane[0]);
}

// Gaussian-like noise of unit deviation for one voxel: the sum of four
// uniform 16-bit parts of one hash (mean 2, variance 1/3 in units of 1).
inline float voxelNoise(uint64_t index, uint64_t seed)
{
    const uint64_t bits = splitMix(index ^ seed);
    const float sum =
        float((bits & 0xffff) + ((bits >> 16) & 0xffff) + ((bits >> 32) & 0xffff) + (bits >> 48)) *
        (1.0f / 65536.0f);
    return (sum - 2.0f) * 1.7320508f;
}

// One material painted over what is below it: a shape (the intersection of
// up to three primitives, or their union with the creases where they meet
// rounded off, as where the face meets the skull) with a density, optionally
// textured (spongy bone) or with a folded surface (the cortex).
struct Layer
{
    std::array<Primitive, 3> parts;
    int partCount = 0;
    float blend = 0.0f; // > 0: the smooth union, rounding creases over this many voxels
    float density = 0.0f;
    float texture = 0.0f; // amplitude of the value noise added to the density
    float grain = 1.0f;   // voxels per lattice step of that noise
    float foldDepth = 0.0f;
    const Folds* folds = nullptr;
    int low[3] = {};  // voxel bounds outside which the layer covers nothing
    int high[3] = {}; // (inclusive)

    float distance(int x, int y, int z) const
    {
        const float px = float(x), py = float(y), pz = float(z);
        float d = parts[0].distance(px, py, pz);
        if (blend > 0.0f) {
            // Polynomial smooth minimum.
            for (int i = 1; i < partCount; ++i) {
                const float e = parts[size_t(i)].distance(px, py, pz);
                const float h = std::max(blend - std::fabs(d - e), 0.0f) / blend;
                d = std::min(d, e) - 0.25f * h * h * blend;
            }
        } else {
            for (int i = 1; i < partCount && d < kEdge; ++i)
                d = std::max(d, parts[size_t(i)].distance(px, py, pz));
        }
        if (folds)
            d -= foldDepth * folds->at(x, y, z);
        return d;
    }
};

// Builds a phantom as a stack of layers and samples it. Later layers cover
// earlier ones; each voxel blends the layers by their coverage, which is what
// blurs every edge.
class Phantom
{
public:
    Phantom(const Frame& frame, float noise, uint64_t seed)
        : m_extents{frame.extent(0), frame.extent(1), frame.extent(2)}, m_frame(frame),
          m_noise(noise), m_seed(seed)
    {
    }

    const Frame& frame() const { return m_frame; }

    // Primitives in normalised coordinates.
    Primitive ellipsoid(Vec centre, Vec radii) const
    {
        Primitive p;
        p.kind = Primitive::Ellipsoid;
        place(p, centre, radii);
        return p;
    }
    Primitive box(Vec centre, Vec half, float rounding = 0.0f) const
    {
        Primitive p;
        p.kind = Primitive::Box;
        place(p, centre, half);
        p.rounding = std::min({rounding * m_frame.scale(), p.r[0], p.r[1], p.r[2]});
        return p;
    }
    // `size` holds the two radii of the cross-section and, along `axis`, the half length.
    Primitive cylinder(int axis, Vec centre, Vec size) const
    {
        Primitive p;
        p.kind = Primitive::Cylinder;
        p.axis = axis;
        place(p, centre, size);
        return p;
    }
    // Everything where normal . u < offset.
    Primitive below(Vec normal, float offset) const
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
    static Primitive outside(Primitive p)
    {
        p.inverted = !p.inverted;
        return p;
    }

    Layer& paint(float density, const Primitive& a)
    {
        m_layers.emplace_back();
        Layer& layer = m_layers.back();
        layer.parts[0] = a;
        layer.partCount = 1;
        layer.density = density;
        return layer;
    }
    Layer& paint(float density, const Primitive& a, const Primitive& b)
    {
        Layer& layer = paint(density, a);
        layer.parts[1] = b;
        layer.partCount = 2;
        return layer;
    }
    Layer& paint(float density, const Primitive& a, const Primitive& b, const Primitive& c)
    {
        Layer& layer = paint(density, a, b);
        layer.parts[2] = c;
        layer.partCount = 3;
        return layer;
    }
    // Turns the layer's parts into their union, creases rounded over
    // `radius` (normalised units).
    void blend(Layer& layer, float radius) const { layer.blend = radius * m_frame.scale(); }
    // Texture amplitude in density units; grain in normalised units.
    void texture(Layer& layer, float amplitude, float grain) const
    {
        layer.texture = amplitude;
        layer.grain = grain * m_frame.scale();
    }
    // Fold depth in normalised units.
    void fold(Layer& layer, const Folds& folds, float depth) const
    {
        layer.folds = &folds;
        layer.foldDepth = depth * m_frame.scale();
    }

    SampleVolume render()
    {
        for (Layer& layer : m_layers)
            bound(layer);
        SampleVolume volume(m_extents[0], m_extents[1], m_extents[2]);
        // Slabs of slices on all cores; every voxel depends on its position
        // only, so the result is the same for any number of threads.
        const int threads =
            int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(m_extents[2])));
        std::vector<std::thread> workers;
        for (int t = 1; t < threads; ++t)
            workers.emplace_back([this, &volume, t, threads] {
                renderSlices(volume, m_extents[2] * t / threads, m_extents[2] * (t + 1) / threads);
            });
        renderSlices(volume, 0, m_extents[2] / threads);
        for (std::thread& worker : workers)
            worker.join();
        return volume;
    }

private:
    void place(Primitive& p, Vec centre, Vec radii) const
    {
        for (int axis = 0; axis < 3; ++axis) {
            p.c[axis] = m_frame.position(axis, centre[axis]);
            p.r[axis] = std::max(radii[axis] * m_frame.scale(), 1e-3f);
        }
    }

    // The voxel box a layer can touch: that of its bounded parts, widened by
    // the blur and the wobble of the surface.
    void bound(Layer& layer) const
    {
        float low[3], high[3];
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = 0.0f;
            high[axis] = float(m_extents[axis] - 1);
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
                layer.high[axis] = std::min(m_extents[axis] - 1, int(std::floor(highest)));
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

    void renderSlices(SampleVolume& volume, int firstZ, int endZ) const
    {
        const int width = m_extents[0], height = m_extents[1];
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
                    const float density = densityAt(active, x, y, z);
                    const float noisy = density + m_noise * voxelNoise(row + size_t(x), m_seed);
                    volume.samples[row + size_t(x)] =
                        uint16_t(std::clamp(int(std::lround(noisy)), 0, kMaxSample));
                }
            }
    }

    // Composites the layers top down, stopping at the first that covers the
    // voxel completely; below them all is air.
    float densityAt(const std::vector<const Layer*>& active, int x, int y, int z) const
    {
        float density = 0.0f, remaining = 1.0f;
        for (auto it = active.rbegin(); it != active.rend(); ++it) {
            const Layer& layer = **it;
            if (x < layer.low[0] || x > layer.high[0])
                continue;
            const float d = layer.distance(x, y, z);
            if (d >= kEdge)
                continue;
            float cover = 1.0f;
            if (d > -kEdge) {
                const float t = (kEdge - d) / (2.0f * kEdge);
                cover = t * t * (3.0f - 2.0f * t);
            }
            float value = layer.density;
            if (layer.texture != 0.0f)
                value += layer.texture * valueNoise(float(x) / layer.grain, float(y) / layer.grain,
                                                    float(z) / layer.grain, m_seed);
            density += remaining * cover * value;
            remaining -= remaining * cover;
            if (remaining <= 0.0f)
                break;
        }
        return density;
    }

    int m_extents[3];
    Frame m_frame;
    float m_noise;
    uint64_t m_seed;
    std::vector<Layer> m_layers;
};

bool validExtents(int width, int height, int depth)
{
    return width >= 1 && height >= 1 && depth >= 1;
}

// Head densities (HU + 1024).
namespace head {
constexpr float kFat = 940, kVitreous = 1030, kCsf = 1012, kVentricle = 1006;
constexpr float kWhiteMatter = 1048, kGreyMatter = 1086, kDeepGrey = 1074, kBrainstem = 1060;
constexpr float kCord = 1046, kSoftTissue = 1064, kSkin = 1112, kLens = 1140;
constexpr float kEarCartilage = 1150, kCartilage = 1250;
constexpr float kThinBone = 1900, kDiploe = 1850, kTable = 2650, kInnerTable = 2550;
constexpr float kPetrous = 2950, kJaw = 2350, kVertebra = 1750, kCorticalRim = 2300;
constexpr float kDentine = 3150, kEnamel = 3850, kMetal = 4400; // saturates at 4095
constexpr float kHoneycomb = 250; // air cells with bony walls: textured air
constexpr float kCalcification = 1950;

// The upper face of the top slice: a few voxels of air above the crown (the
// scalp's top is at 0.94). At 256 x 256 x 113 the bottom slice then lies
// at 0.08, through the roofs of the orbits and the frontal sinus, where a
// brain scan starts.
constexpr float kWindowTop = 0.962f;
} // namespace head

// Engine densities: the same scale, for the materials of a machine part.
namespace engine {
constexpr float kOil = 900, kCoolant = 1020, kAluminium = 1950, kPiston = 2150;
constexpr float kLiner = 3100, kSteel = 3300, kBolt = 3500, kBronze = 3800;
} // namespace engine

} // namespace

SampleVolume makeHeadPhantom(int width, int height, int depth)
{
    using namespace head;
    if (!validExtents(width, height, depth))
        return SampleVolume();
    // The slice spans -1..1 across and front to back; slices are as thick as
    // voxels are wide, counted down from kWindowTop, so the stack reaches as
    // far down the head as it has slices.
    const float scale = 0.5f * float(std::max(width, height));
    const float zCentre = kWindowTop - 0.5f * float(depth) / scale;
    Phantom p(Frame(width, height, depth, scale, zCentre), 5.0f, 0x4ead5eedull);
    const Folds gyri(p.frame(), 40.0f);
    const Folds folia(p.frame(), 95.0f);

    // Coordinates: u left-right, v face (-) to back (+), w neck (-) to crown (+).
    // The outer surface: cranium, face, neck, nose and ears, skin over soft tissue.
    const Vec craniumC{0.0f, 0.04f, 0.22f}, craniumR{0.66f, 0.82f, 0.72f};
    const Vec faceC{0.0f, -0.16f, -0.30f}, faceR{0.55f, 0.68f, 0.58f};
    const Vec neckC{0.0f, 0.18f, -0.75f}, neckR{0.40f, 0.38f, 0.45f};
    const Vec noseC{0.0f, -0.80f, -0.12f}, noseR{0.09f, 0.15f, 0.19f};
    const auto shrunk = [](Vec r, float by) { return Vec{r.x - by, r.y - by, r.z - by}; };
    for (float side : {-1.0f, 1.0f})
        p.paint(kSkin, p.ellipsoid({side * 0.66f, 0.08f, -0.02f}, {0.06f, 0.13f, 0.17f}));
    const float jowl = 0.12f;
    p.blend(p.paint(kSkin, p.ellipsoid(craniumC, craniumR), p.ellipsoid(faceC, faceR),
                    p.cylinder(2, neckC, neckR)),
            jowl);
    p.paint(kSkin, p.ellipsoid(noseC, noseR));
    const float skin = 0.025f;
    for (float side : {-1.0f, 1.0f})
        p.paint(kEarCartilage, p.ellipsoid({side * 0.66f, 0.08f, -0.02f}, {0.02f, 0.1f, 0.13f}));
    p.blend(p.paint(kSoftTissue, p.ellipsoid(craniumC, shrunk(craniumR, skin)),
                    p.ellipsoid(faceC, shrunk(faceR, skin)),
                    p.cylinder(2, neckC, {neckR.x - skin, neckR.y - skin, neckR.z})),
            jowl);
    p.paint(kSoftTissue, p.ellipsoid(noseC, shrunk(noseR, skin)));

    // Eyes in bony orbits padded with fat; cheekbones below them.
    for (float side : {-1.0f, 1.0f}) {
        const float u = side * 0.27f;
        p.paint(kThinBone, p.ellipsoid({u, -0.44f, 0.0f}, {0.15f, 0.2f, 0.13f}),
                Phantom::outside(p.below({0, 1, 0}, -0.54f)));
        p.paint(kFat, p.ellipsoid({u, -0.44f, 0.0f}, {0.13f, 0.18f, 0.11f}),
                Phantom::outside(p.below({0, 1, 0}, -0.58f)));
        p.paint(kVitreous, p.ellipsoid({u, -0.54f, 0.0f}, {0.1f, 0.1f, 0.1f}));
        p.paint(kLens, p.ellipsoid({u, -0.625f, 0.0f}, {0.035f, 0.012f, 0.035f}));
        p.texture(
            p.paint(2000, p.ellipsoid({side * 0.37f, -0.42f, -0.12f}, {0.09f, 0.09f, 0.045f})), 120,
            0.03f);
        p.paint(2100, p.cylinder(1, {side * 0.47f, -0.17f, -0.11f}, {0.02f, 0.22f, 0.025f}));
    }

    // Sinuses and the nasal airway, each air space inside a thin bony wall.
    const auto airCell = [&p](Vec c, Vec r, float wall, float air, float texture) {
        p.paint(kThinBone, p.ellipsoid(c, r));
        Layer& inside = p.paint(air, p.ellipsoid(c, {r.x - wall, r.y - wall, r.z - wall}));
        if (texture > 0)
            p.texture(inside, texture, 0.025f);
    };
    for (float side : {-1.0f, 1.0f})
        airCell({side * 0.2f, -0.42f, -0.24f}, {0.13f, 0.17f, 0.11f}, 0.018f, 0, 0);
    airCell({0.0f, -0.5f, -0.16f}, {0.09f, 0.28f, 0.14f}, 0.02f, 0, 0);
    p.paint(kCartilage, p.box({0.0f, -0.5f, -0.16f}, {0.008f, 0.25f, 0.11f}));
    airCell({0.0f, -0.30f, -0.04f}, {0.09f, 0.13f, 0.08f}, 0.02f, kHoneycomb, 500);
    airCell({0.0f, -0.13f, -0.10f}, {0.08f, 0.07f, 0.06f}, 0.018f, 0, 0);
    // Pharynx, joined to the back of the nose.
    p.paint(0, p.cylinder(2, {0.0f, 0.05f, -0.71f}, {0.05f, 0.04f, 0.49f}));
    p.paint(0, p.ellipsoid({0.0f, -0.12f, -0.2f}, {0.05f, 0.2f, 0.06f}));

    // Jaws: U-shaped arches open at the back, the palate, the rami.
    const Primitive upperOpen = p.below({0, 1, 0}, -0.15f);
    p.texture(p.paint(2200, p.cylinder(2, {0.0f, -0.12f, -0.40f}, {0.36f, 0.48f, 0.05f}),
                      Phantom::outside(p.cylinder(2, {0.0f, -0.12f, -0.40f}, {0.28f, 0.40f, 0.1f})),
                      upperOpen),
              150, 0.03f);
    p.paint(2000, p.cylinder(2, {0.0f, -0.12f, -0.33f}, {0.29f, 0.41f, 0.02f}), upperOpen);
    const Primitive lowerOpen = p.below({0, 1, 0}, 0.2f);
    p.texture(p.paint(kJaw, p.cylinder(2, {0.0f, -0.10f, -0.66f}, {0.38f, 0.50f, 0.12f}),
                      Phantom::outside(p.cylinder(2, {0.0f, -0.10f, -0.66f}, {0.30f, 0.42f, 0.2f})),
                      lowerOpen),
              150, 0.03f);
    for (float side : {-1.0f, 1.0f})
        p.texture(p.paint(2300, p.box({side * 0.40f, 0.12f, -0.40f}, {0.03f, 0.07f, 0.26f}, 0.02f)),
                  150, 0.03f);

    // Teeth along the arch, crowns meeting at the bite plane; two fillings.
    const float bite = -0.46f;
    for (int jaw = 0; jaw < 2; ++jaw)
        for (float side : {-1.0f, 1.0f})
            for (int k = 0; k < 7; ++k) {
                const float angle = side * (0.12f + 0.2f * float(k));
                const Vec at{0.33f * std::sin(angle), -0.11f - 0.45f * std::cos(angle), 0.0f};
                const float radius = 0.024f + 0.0025f * float(k);
                const float up = jaw == 0 ? -1.0f : 1.0f; // lower teeth grow down from the bite
                const Vec centre{at.x, at.y, bite + up * 0.072f};
                const Vec size{radius, radius, 0.075f};
                p.paint(kDentine, p.ellipsoid(centre, size));
                p.paint(kEnamel, p.ellipsoid(centre, size),
                        p.below({0, 0, up}, up * bite + 0.035f));
                if ((jaw == 0 && side < 0 && k == 5) || (jaw == 1 && side > 0 && k == 6))
                    p.paint(kMetal, p.ellipsoid({at.x, at.y, bite + up * 0.012f},
                                                {0.6f * radius, 0.6f * radius, 0.012f}));
            }

    // Cervical spine: vertebral bodies with a cortical rim, the arches
    // behind them, the canal and the cord.
    for (int i = 0; i < 4; ++i) {
        const float w = -0.98f + 0.17f * float(i);
        p.paint(kCorticalRim, p.cylinder(2, {0.0f, 0.18f, w}, {0.075f, 0.065f, 0.065f}));
        p.texture(p.paint(kVertebra, p.cylinder(2, {0.0f, 0.18f, w}, {0.063f, 0.053f, 0.055f})),
                  120, 0.03f);
        p.texture(p.paint(2100, p.cylinder(2, {0.0f, 0.32f, w}, {0.09f, 0.08f, 0.06f})), 120,
                  0.03f);
    }
    p.paint(kCsf, p.cylinder(2, {0.0f, 0.32f, -0.75f}, {0.05f, 0.045f, 0.5f}));

    // Cranium above the skull base, which slopes from above the orbits down
    // to the back: outer table, spongy diploe, inner table, nested.
    const Vec skullC{0.0f, 0.05f, 0.24f}, skullR{0.61f, 0.77f, 0.66f};
    // Above the floor w = -0.05 - 0.35 v, raised by `lift`.
    const auto aboveFloor = [&p](float lift) {
        return p.below({0.0f, -0.35f, -1.0f}, 0.05f - lift);
    };
    p.texture(p.paint(kTable, p.ellipsoid(skullC, skullR), aboveFloor(-0.05f)), 80, 0.03f);
    p.texture(p.paint(kDiploe, p.ellipsoid(skullC, shrunk(skullR, 0.018f)), aboveFloor(-0.038f)),
              200, 0.02f);
    p.texture(
        p.paint(kInnerTable, p.ellipsoid(skullC, shrunk(skullR, 0.042f)), aboveFloor(-0.014f)), 80,
        0.03f);
    // A burr hole high on the right of the forehead, covered by a curved
    // titanium plate on the outer table, held by two screws: metal in the
    // slices of a brain scan, now that the teeth lie below them.
    {
        const float u = 0.22f, v = -0.2f;
        const auto skullTop = [&](float du) { // where the skull's outer surface is
            const float a = (u + du - skullC.x) / skullR.x, b = (v - skullC.y) / skullR.y;
            return skullC.z + skullR.z * std::sqrt(1.0f - a * a - b * b);
        };
        const float w = skullTop(0.0f);
        p.paint(kSoftTissue, p.cylinder(2, {u, v, w}, {0.05f, 0.05f, 0.2f}),
                p.ellipsoid(skullC, skullR));
        p.paint(kMetal, p.cylinder(2, {u, v, w}, {0.08f, 0.08f, 0.2f}),
                p.ellipsoid(skullC, shrunk(skullR, -0.02f)),
                Phantom::outside(p.ellipsoid(skullC, skullR)));
        for (float du : {-0.066f, 0.066f})
            p.paint(kMetal,
                    p.cylinder(2, {u + du, v, skullTop(du) - 0.01f}, {0.01f, 0.01f, 0.02f}));
    }
    // Dense petrous bone holding the middle ear, the ear canal, honeycombed
    // mastoids, the frontal sinus, the opening for the spinal cord.
    for (float side : {-1.0f, 1.0f}) {
        p.texture(
            p.paint(kPetrous, p.ellipsoid({side * 0.34f, 0.12f, -0.08f}, {0.2f, 0.08f, 0.065f})),
            100, 0.03f);
        p.paint(0, p.ellipsoid({side * 0.42f, 0.10f, -0.08f}, {0.035f, 0.03f, 0.03f}));
        p.paint(0, p.cylinder(0, {side * 0.58f, 0.10f, -0.08f}, {0.14f, 0.022f, 0.025f}));
        p.texture(
            p.paint(kHoneycomb, p.ellipsoid({side * 0.46f, 0.24f, -0.12f}, {0.06f, 0.06f, 0.06f})),
            600, 0.02f);
    }
    airCell({0.0f, -0.655f, 0.13f}, {0.105f, 0.045f, 0.06f}, 0.015f, 0, 0);
    p.paint(kCsf, p.cylinder(2, {0.0f, 0.32f, -0.28f}, {0.06f, 0.055f, 0.17f}));
    p.paint(kCord, p.cylinder(2, {0.0f, 0.32f, -0.65f}, {0.03f, 0.027f, 0.55f}));

    // The brain in its CSF: folded cortex over white matter in two
    // hemispheres, the corpus callosum bridging them, deep grey nuclei,
    // ventricles, the cerebellum below the back of the brain, the brainstem.
    const Primitive cavity = p.ellipsoid(skullC, shrunk(skullR, 0.055f));
    p.paint(kCsf, cavity, aboveFloor(0.0f));
    p.fold(p.paint(kGreyMatter, p.ellipsoid(skullC, shrunk(skullR, 0.07f)), aboveFloor(0.012f)),
           gyri, 0.012f);
    p.paint(kCsf, p.box({0.0f, -0.02f, 0.65f}, {0.008f, 0.7f, 0.31f}), cavity);
    for (float side : {-1.0f, 1.0f})
        p.fold(p.paint(kWhiteMatter, p.ellipsoid(skullC, shrunk(skullR, 0.11f)),
                       p.below({-side, 0, 0}, -0.012f), aboveFloor(0.06f)),
               gyri, 0.025f);
    p.paint(kWhiteMatter, p.ellipsoid({0.0f, 0.0f, 0.31f}, {0.1f, 0.32f, 0.045f}));
    for (float side : {-1.0f, 1.0f}) {
        p.paint(kDeepGrey, p.ellipsoid({side * 0.13f, 0.04f, 0.12f}, {0.08f, 0.12f, 0.08f}));
        p.paint(kVentricle, p.ellipsoid({side * 0.07f, 0.02f, 0.24f}, {0.045f, 0.3f, 0.06f}));
        p.paint(kVentricle, p.ellipsoid({side * 0.12f, 0.35f, 0.22f}, {0.03f, 0.12f, 0.04f}));
    }
    p.paint(kVentricle, p.ellipsoid({0.0f, 0.05f, 0.13f}, {0.012f, 0.1f, 0.06f}));
    // Calcifications that most adult scans show: the pineal gland behind
    // the third ventricle, the choroid plexus in the lateral ventricles.
    p.paint(kCalcification, p.ellipsoid({0.0f, 0.18f, 0.14f}, {0.018f, 0.02f, 0.016f}));
    for (float side : {-1.0f, 1.0f})
        p.paint(kCalcification - 150,
                p.ellipsoid({side * 0.12f, 0.3f, 0.21f}, {0.016f, 0.024f, 0.014f}));
    const Vec cerebellumC{0.0f, 0.48f, -0.12f}, cerebellumR{0.40f, 0.24f, 0.15f};
    p.paint(kCsf, p.ellipsoid(cerebellumC, shrunk(cerebellumR, -0.015f)), cavity, aboveFloor(0.0f));
    p.fold(p.paint(kGreyMatter - 4, p.ellipsoid(cerebellumC, cerebellumR),
                   p.ellipsoid(skullC, shrunk(skullR, 0.07f)), aboveFloor(0.012f)),
           folia, 0.01f);
    p.paint(kWhiteMatter, p.ellipsoid({0.0f, 0.46f, -0.12f}, {0.25f, 0.13f, 0.07f}));
    p.paint(kVentricle, p.ellipsoid({0.0f, 0.36f, -0.12f}, {0.03f, 0.025f, 0.04f}));
    p.paint(kBrainstem, p.cylinder(2, {0.0f, 0.30f, -0.06f}, {0.065f, 0.055f, 0.18f}));
    return p.render();
}

SampleVolume makeEnginePhantom(int width, int height, int depth)
{
    using namespace engine;
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
