#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Writes the volume file: the three extents, then the samples, little-endian.
// The bytes go to `path` + ".part", which is then renamed to `path`. Fails,
// leaving `path` as it was, when an extent does not fit the 16-bit header or
// the samples do not match the extents (such a file would be read back as a
// different volume), or when the write or the rename fails.
bool writeVolumeFile(const std::string& path, const SampleVolume& volume);

// The same for samples held elsewhere: width x height x depth of them at
// `samples`, x fastest.
bool writeVolumeFile(const std::string& path, int width, int height, int depth,
                     const uint16_t* samples);
