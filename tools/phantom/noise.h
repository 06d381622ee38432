#pragma once

#include "tools/phantom/coverage.h" // smoothstep

#include <cmath>
#include <cstdint>

// Noise as a pure function of position and seed, so that a phantom comes out
// the same on any machine and with any number of threads. Defined here, not
// out of line, because the renderer asks for it at every voxel.
namespace phantom {

inline uint64_t splitMix(uint64_t value)
{
    value += 0x9e3779b97f4a7c15ull;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

// Smooth value noise in -1..1 at a position in lattice units: random values
// at the integer lattice, blended with smoothstep weights.
inline float valueNoise(float x, float y, float z, uint64_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int64_t ix = int64_t(fx), iy = int64_t(fy), iz = int64_t(fz);
    const float wx = smoothstep(x - fx), wy = smoothstep(y - fy), wz = smoothstep(z - fz);
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

// Gaussian-like noise of unit deviation for one voxel, by its index: the sum
// of four uniform 16-bit parts of one hash (mean 2, variance 1/3 in units of 1).
inline float voxelNoise(uint64_t index, uint64_t seed)
{
    const uint64_t bits = splitMix(index ^ seed);
    const float sum =
        float((bits & 0xffff) + ((bits >> 16) & 0xffff) + ((bits >> 32) & 0xffff) + (bits >> 48)) *
        (1.0f / 65536.0f);
    return (sum - 2.0f) * 1.7320508f;
}

} // namespace phantom
