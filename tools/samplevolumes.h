#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A volume of raw 12-bit samples, x fastest, then y, then z, as the volume
// file stores them.
struct SampleVolume {
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

// Writes the volume file: the three extents, then the samples, little-endian.
bool writeVolumeFile(const std::string& path, const SampleVolume& volume);
