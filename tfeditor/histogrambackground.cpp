// The background of a scan without units (histogrambackground.h).

#include "tfeditor/histogrambackground.h"

#include <algorithm>
#include <numeric>

namespace {

// Padding fills at least this share of the voxels, and this many times the
// mean of the next occupied densities: a scan's own values spread out.
constexpr double kPaddingShare = 0.005;
constexpr double kPaddingRatio = 8.0;
constexpr int kPaddingNeighbours = 4;
// The background's peak lies in the lowest fifth of the densities and ends
// where the histogram falls to a twentieth of it, or, where the object's
// densities begin before it falls that far, at the valley between them.
constexpr double kLowEnd = 0.2;
constexpr double kFall = 0.05;

// Whether `density`, at an end of the occupied densities, is padding;
// `inward` (+1 or -1) points to the others.
bool isPadding(const DensityHistogram& histogram, int density, int inward, int64_t total)
{
    int64_t next = 0;
    int found = 0;
    for (int d = density + inward; d >= 0 && d < kDensityCount && found < kPaddingNeighbours;
         d += inward)
        if (histogram[size_t(d)] > 0) {
            next += histogram[size_t(d)];
            ++found;
        }
    const double count = histogram[size_t(density)];
    return found > 0 && count >= kPaddingShare * double(total) &&
           count * found >= kPaddingRatio * double(next);
}

int occupied(const DensityHistogram& histogram, int from, int step)
{
    while (from >= 0 && from < kDensityCount && histogram[size_t(from)] == 0)
        from += step;
    return from;
}

} // namespace

HistogramBackground findBackground(const DensityHistogram& histogram)
{
    HistogramBackground found;
    const int64_t total = std::accumulate(histogram.begin(), histogram.end(), int64_t(0));
    if (total == 0)
        return found;
    DensityHistogram rest = histogram;
    int low = occupied(histogram, 0, 1), high = occupied(histogram, kMaxDensity, -1);
    if (low < high && isPadding(histogram, low, 1, total)) {
        found.lowPadding = low;
        rest[size_t(low)] = 0;
        low = occupied(rest, low, 1);
    }
    if (low < high && isPadding(histogram, high, -1, total)) {
        found.highPadding = high;
        rest[size_t(high)] = 0;
        high = occupied(rest, high, -1);
    }
    found.densest = high;
    found.background = found.lowPadding >= 0 ? found.lowPadding : std::max(low - 1, 0);

    // The counts summed over 2 * reach + 1 densities, so that noise and the
    // gaps that a stretch of integer values leaves make no peaks.
    const int span = std::max(densityPercentile(rest, 0.995) - low, 1);
    const int reach = std::max(1, span / 256);
    std::array<int64_t, kDensityCount + 1> below{};
    for (int d = 0; d < kDensityCount; ++d)
        below[size_t(d) + 1] = below[size_t(d)] + rest[size_t(d)];
    const auto smoothed = [&](int d) {
        return double(below[size_t(std::min(d + reach, kMaxDensity)) + 1] -
                      below[size_t(std::max(d - reach, 0))]);
    };

    // The peak at its fullest raw density within the sum that found it.
    int peak = low;
    for (int d = low; d <= std::min(low + std::max(reach, int(kLowEnd * span)), high); ++d)
        if (smoothed(d) > smoothed(peak))
            peak = d;
    const double height = smoothed(peak);
    for (int d = std::max(peak - reach, low); d <= std::min(peak + reach, high); ++d)
        if (rest[size_t(d)] > rest[size_t(peak)])
            peak = d;
    // Where the low end rises above the peak's height, or never falls, it is
    // the object's, not a peak of its own.
    int valley = peak;
    for (int d = peak + 1; d <= high && smoothed(d) <= height; ++d) {
        if (smoothed(d) < smoothed(valley))
            valley = d;
        const bool fallen = smoothed(d) <= kFall * height;
        if (fallen || (smoothed(valley) <= 0.5 * height && smoothed(d) >= 2 * smoothed(valley))) {
            // Where the peak falls into a gap, it ends at its last voxel.
            int end = fallen ? d : valley;
            while (end > peak && rest[size_t(end)] == 0)
                --end;
            found.peak = peak;
            found.background = end;
            break;
        }
    }

    std::fill(rest.begin(), rest.begin() + found.background + 1, 0);
    found.top = std::accumulate(rest.begin(), rest.end(), int64_t(0)) > 0
                    ? densityPercentile(rest, 0.995)
                    : found.background;
    return found;
}
