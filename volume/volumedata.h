#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Densities are 12-bit sample values.
constexpr int kDensityCount = 4096;
constexpr int kMaxDensity = kDensityCount - 1;

// Which voxels of its volume file a loaded volume holds: every one; a reduced
// level, each voxel the mean of a block of factor^3 file voxels (the blocks
// at the far edges cut short), for a file too large to hold whole; or a
// region of the file at full resolution.
struct VolumeLevel
{
    int32_t factor = 1;
    std::array<int32_t, 3> origin{{0, 0, 0}};      // the file voxel where voxel 0, 0, 0 starts
    std::array<int32_t, 3> fileExtents{{1, 1, 1}}; // the file's own extents

    bool reduced() const { return factor > 1; }
    // The file's voxel at the start of the record's voxel `voxel`.
    std::array<int, 3> fileVoxel(const std::array<int, 3>& voxel) const
    {
        std::array<int, 3> file{};
        for (size_t axis = 0; axis < 3; ++axis)
            file[axis] = origin[axis] + voxel[axis] * factor;
        return file;
    }
};

// A loaded volume: normalised densities in 0..1, x fastest, then y, then z,
// and the histogram of the raw sample values (of every voxel of the file,
// where the record holds a reduced level or a region; a count beyond 2^31 - 1
// stays at that). The histogram lives inside the
// record and is read in place through a pointer, so the record must not move
// while such a pointer is held.
struct VolumeData
{
    std::vector<float> voxels = std::vector<float>(1, 0.0f);
    int32_t width = 1;
    int32_t height = 1;
    int32_t depth = 1;
    std::array<int32_t, kDensityCount> histogram{};
    VolumeLevel level;
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
