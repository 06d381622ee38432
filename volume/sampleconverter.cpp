#include "volume/sampleconverter.h"

#include <algorithm>
#include <atomic>
#include <thread>
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
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    sample = uint16_t((sample >> 8) | (sample << 8));
#endif
    return std::min<unsigned>(sample, kMaxDensity);
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

// Threads take slices in turn from a shared counter, so that a slow thread
// holds up no more than a slice. The calling thread reports each slice once
// all before it are done: between slices of its own, and for the rest after
// the others have finished.
void convertSlices(const uint16_t* samples, size_t sliceSize, size_t sliceCount, float* voxels,
                   std::array<int32_t, kDensityCount>& histogram, unsigned threads,
                   const std::function<void(size_t slice)>& sliceDone)
{
    threads = unsigned(std::clamp<size_t>(threads, 1, std::max<size_t>(sliceCount, 1)));
    std::unique_ptr<SampleConverter[]> converters(new SampleConverter[threads]);
    std::unique_ptr<std::atomic<bool>[]> done(new std::atomic<bool>[sliceCount]);
    for (size_t z = 0; z < sliceCount; ++z)
        done[z].store(false, std::memory_order_relaxed);
    std::atomic<size_t> next{0};
    const auto convertNext = [&](SampleConverter& converter) {
        const size_t z = next.fetch_add(1, std::memory_order_relaxed);
        if (z >= sliceCount)
            return false;
        converter.convert(samples + z * sliceSize, sliceSize, voxels + z * sliceSize);
        done[z].store(true, std::memory_order_release);
        return true;
    };

    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back([&convertNext, &converter = converters[t]] {
            while (convertNext(converter)) {
            }
        });
    size_t reported = 0;
    while (convertNext(converters[0]))
        for (; reported < sliceCount && done[reported].load(std::memory_order_acquire); ++reported)
            sliceDone(reported);
    for (std::thread& helper : helpers)
        helper.join();
    for (; reported < sliceCount; ++reported)
        sliceDone(reported);

    histogram.fill(0);
    std::array<int32_t, kDensityCount> counts;
    for (unsigned t = 0; t < threads; ++t) {
        converters[t].storeCounts(counts);
        for (size_t b = 0; b < counts.size(); ++b)
            histogram[b] += counts[b];
    }
}
