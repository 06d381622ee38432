#pragma once

#include "volume/volumedata.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The volume a load of a volume file's bytes must give, worked out from the
// format alone: the extents from the header, every sample normalised (0 where
// the file ends early, values above 4095 as 4095) and counted in its bin. For
// bytes that hold at least the 6-byte header. Free of Qt, for the fuzzer too.
inline VolumeData expectedVolume(const uint8_t* bytes, size_t size)
{
    const auto u16 = [bytes, size](size_t at) {
        return at + 1 < size ? unsigned(bytes[at]) | unsigned(bytes[at + 1]) << 8 : 0u;
    };
    VolumeData volume;
    volume.width = int32_t(u16(0));
    volume.height = int32_t(u16(2));
    volume.depth = int32_t(u16(4));
    volume.voxels.resize(size_t(volume.width) * volume.height * volume.depth);
    for (size_t i = 0; i < volume.voxels.size(); ++i) {
        const unsigned sample = std::min(u16(6 + 2 * i), unsigned(kMaxDensity));
        volume.voxels[i] = float(double(sample) / kMaxDensity);
        ++volume.histogram[sample];
    }
    volume.level.fileExtents = {{volume.width, volume.height, volume.depth}};
    return volume;
}

// The level 1/`factor` of a volume file's bytes: each voxel the mean of the
// samples (as above) of its block of factor^3, fewer at the far edges, and
// the histogram of every sample of the file. Goes over the samples the bytes
// hold, not those the header announces, so that a huge header costs nothing.
inline VolumeData expectedLevel(const uint8_t* bytes, size_t size, int factor)
{
    int64_t extents[3];
    for (int axis = 0; axis < 3; ++axis)
        extents[axis] = size >= 6 ? bytes[2 * axis] | bytes[2 * axis + 1] << 8 : 0;
    int64_t level[3];
    for (int axis = 0; axis < 3; ++axis)
        level[axis] = (extents[axis] + factor - 1) / factor;
    std::vector<double> sums(size_t(level[0] * level[1] * level[2]));
    std::array<uint64_t, kDensityCount> counts{};
    const uint64_t announced = uint64_t(extents[0] * extents[1] * extents[2]);
    const uint64_t held = std::min<uint64_t>(announced, size > 6 ? (size - 6) / 2 : 0);
    for (uint64_t i = 0; i < held; ++i) {
        const unsigned sample = std::min(
            unsigned(bytes[6 + 2 * i]) | unsigned(bytes[7 + 2 * i]) << 8, unsigned(kMaxDensity));
        const int64_t x = int64_t(i) % extents[0], y = int64_t(i) / extents[0] % extents[1],
                      z = int64_t(i) / extents[0] / extents[1];
        sums[size_t(x / factor + level[0] * (y / factor + level[1] * (z / factor)))] += sample;
        ++counts[sample];
    }
    counts[0] += announced - held;
    VolumeData volume;
    volume.width = int32_t(level[0]);
    volume.height = int32_t(level[1]);
    volume.depth = int32_t(level[2]);
    volume.voxels.resize(sums.size());
    for (int64_t z = 0; z < level[2]; ++z)
        for (int64_t y = 0; y < level[1]; ++y)
            for (int64_t x = 0; x < level[0]; ++x) {
                const int64_t block[3] = {x, y, z};
                double samples = 1;
                for (int axis = 0; axis < 3; ++axis)
                    samples *=
                        double(std::min<int64_t>(factor, extents[axis] - block[axis] * factor));
                const size_t i = size_t(x + level[0] * (y + level[1] * z));
                volume.voxels[i] = float(sums[i] / samples / kMaxDensity);
            }
    for (size_t bin = 0; bin < counts.size(); ++bin)
        volume.histogram[bin] = int32_t(std::min<uint64_t>(counts[bin], 0x7fffffff));
    volume.level = {
        factor, {{0, 0, 0}}, {{int32_t(extents[0]), int32_t(extents[1]), int32_t(extents[2])}}};
    return volume;
}

// The same for a byte container (QByteArray, std::string).
template <typename Bytes> VolumeData expectedVolume(const Bytes& bytes)
{
    return expectedVolume(reinterpret_cast<const uint8_t*>(bytes.data()), size_t(bytes.size()));
}

template <typename Bytes> VolumeData expectedLevel(const Bytes& bytes, int factor)
{
    return expectedLevel(reinterpret_cast<const uint8_t*>(bytes.data()), size_t(bytes.size()),
                         factor);
}

inline bool sameVolume(const VolumeData& a, const VolumeData& b)
{
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           a.voxels == b.voxels && a.histogram == b.histogram && a.level.factor == b.level.factor &&
           a.level.origin == b.level.origin && a.level.fileExtents == b.level.fileExtents;
}
