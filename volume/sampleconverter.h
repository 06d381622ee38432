#pragma once

#include "volume/volumedata.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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

// The whole pass over `sliceCount` slices of `sliceSize` samples on up to
// `threads` threads, the calling thread one of them: each converts whole
// slices with a converter of its own, and the counts are added up into
// `histogram` at the end. `sliceDone(z)` runs on the calling thread once for
// every slice, in order, after slices 0..z are all converted.
void convertSlices(const uint16_t* samples, size_t sliceSize, size_t sliceCount, float* voxels,
                   std::array<int32_t, kDensityCount>& histogram, unsigned threads,
                   const std::function<void(size_t slice)>& sliceDone);
