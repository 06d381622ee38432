#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Densities are 12-bit sample values.
constexpr int kDensityCount = 4096;
constexpr int kMaxDensity = kDensityCount - 1;

// A loaded volume: normalised densities in 0..1, x fastest, then y, then z,
// and the histogram of the raw sample values. The histogram lives inside the
// record and is read in place through a pointer, so the record must not move
// while such a pointer is held.
struct VolumeData {
    std::vector<float> voxels = std::vector<float>(1, 0.0f);
    int32_t width = 1;
    int32_t height = 1;
    int32_t depth = 1;
    std::array<int32_t, kDensityCount> histogram{};
};

// A volume of raw 12-bit samples, x fastest, then y, then z, as the volume
// file stores them.
struct SampleVolume
{
    int width = 0;
    int height = 0;
    int depth = 0;
    std::vector<uint16_t> samples;

    SampleVolume() = default;
    SampleVolume(int w, int h, int d, uint16_t fill = 0)
        : width(w), height(h), depth(d), samples(size_t(w) * size_t(h) * size_t(d), fill)
    {
    }
    uint16_t& at(int x, int y, int z)
    {
        return samples[size_t(x) + size_t(width) * (size_t(y) + size_t(height) * size_t(z))];
    }
    uint16_t at(int x, int y, int z) const
    {
        return samples[size_t(x) + size_t(width) * (size_t(y) + size_t(height) * size_t(z))];
    }
};

// Bytes of a volume file of the given extents: the 6-byte header and two
// bytes per sample.
constexpr uint64_t volumeFileSize(int width, int height, int depth)
{
    return 6 + 2 * uint64_t(width) * uint64_t(height) * uint64_t(depth);
}

// A 16-bit value as volume files store it, little-endian, in this machine's
// order.
inline uint16_t fromLittleEndian(uint16_t stored)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return uint16_t((stored >> 8) | (stored << 8));
#else
    return stored;
#endif
}
