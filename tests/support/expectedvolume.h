#pragma once

#include "volume/volumedata.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

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
    return volume;
}

// The same for a byte container (QByteArray, std::string).
template <typename Bytes>
VolumeData expectedVolume(const Bytes& bytes)
{
    return expectedVolume(reinterpret_cast<const uint8_t*>(bytes.data()), size_t(bytes.size()));
}

inline bool sameVolume(const VolumeData& a, const VolumeData& b)
{
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           a.voxels == b.voxels && a.histogram == b.histogram;
}
