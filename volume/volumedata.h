#pragma once

#include <array>
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
