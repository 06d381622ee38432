#pragma once

#include "volume/volumedata.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The loader's one pass over the samples: normalises raw little-endian
// samples to min(s / 4095, 1) and counts them in a 4096-bin histogram,
// values above 4095 in the last bin. Feed it the grid in pieces (the loader
// goes slice by slice); the counts add up across calls.
class SampleConverter
{
public:
    SampleConverter();
    ~SampleConverter();

    void convert(const uint16_t* samples, size_t count, float* voxels);

    // Writes the counts so far into `histogram`, replacing its contents.
    void storeCounts(std::array<int32_t, kDensityCount>& histogram) const;

private:
    struct PartialHistograms;
    std::unique_ptr<PartialHistograms> m_counts;
};
