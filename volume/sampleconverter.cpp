#include "volume/sampleconverter.h"

#include "platform/sliceworkers.h"

#include <algorithm>
#include <vector>

namespace {

// min(s / 4095, 1) for every 12-bit sample: the quotient in double rounded to
// float, so that the pass over the grid is a table lookup.
struct NormalisationTable {
    float value[kDensityCount];
    NormalisationTable()
    {
        for (int s = 0; s < kDensityCount; ++s)
            value[s] = std::min(float(double(s) / double(kMaxDensity)), 1.0f);
    }
};

inline unsigned clampedSample(uint16_t sample)
{
    return std::min<unsigned>(fromLittleEndian(sample), kMaxDensity);
}

} // namespace

// Four partial histograms, used in turn: long runs of one value (the air
// around a scan) would otherwise make every increment wait for the previous
// one to the same counter.
struct SampleConverter::PartialHistograms {
    uint32_t bins[4][kDensityCount] = {};
};

SampleConverter::SampleConverter() : m_counts(new PartialHistograms) {}

SampleConverter::~SampleConverter() = default;

void SampleConverter::convert(const uint16_t* raw, size_t count, float* voxels)
{
    static const NormalisationTable table;
    uint32_t(&bins)[4][kDensityCount] = m_counts->bins;
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const unsigned s0 = clampedSample(raw[i]), s1 = clampedSample(raw[i + 1]);
        const unsigned s2 = clampedSample(raw[i + 2]), s3 = clampedSample(raw[i + 3]);
        voxels[i] = table.value[s0];
        voxels[i + 1] = table.value[s1];
        voxels[i + 2] = table.value[s2];
        voxels[i + 3] = table.value[s3];
        ++bins[0][s0];
        ++bins[1][s1];
        ++bins[2][s2];
        ++bins[3][s3];
    }
    for (; i < count; ++i) {
        const unsigned s = clampedSample(raw[i]);
        voxels[i] = table.value[s];
        ++bins[0][s];
    }
}

void SampleConverter::storeCounts(std::array<int32_t, kDensityCount>& histogram) const
{
    const uint32_t(&bins)[4][kDensityCount] = m_counts->bins;
    for (int b = 0; b < kDensityCount; ++b)
        histogram[size_t(b)] = int32_t(bins[0][b] + bins[1][b] + bins[2][b] + bins[3][b]);
}

void convertSlices(const uint16_t* samples, size_t sliceSize, size_t sliceCount, float* voxels,
                   std::array<int32_t, kDensityCount>& histogram, unsigned threads,
                   const std::function<void(size_t slice)>& sliceDone)
{
    threads = unsigned(std::clamp<size_t>(threads, 1, std::max<size_t>(sliceCount, 1)));
    std::unique_ptr<SampleConverter[]> converters(new SampleConverter[threads]);
    forEachSlice(
        sliceCount, threads,
        [&](size_t z, unsigned worker) {
            converters[worker].convert(samples + z * sliceSize, sliceSize, voxels + z * sliceSize);
        },
        sliceDone);

    histogram.fill(0);
    std::array<int32_t, kDensityCount> counts;
    for (unsigned t = 0; t < threads; ++t) {
        converters[t].storeCounts(counts);
        for (size_t b = 0; b < counts.size(); ++b)
            histogram[b] += counts[b];
    }
}
