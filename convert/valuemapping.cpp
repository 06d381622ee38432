// From sample values to 12-bit samples: the rule that applies, and the
// mapping in the written axes' order.

#include "convert/valuemapping.h"

#include "convert/formats/converterror.h"
#include "convert/formats/progressbar.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <iterator>
#include <limits>
#include <sstream>
#include <type_traits>

namespace {

std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

// Rounds value * scale + offset to 0..4095, counting the values that fall
// outside. NaN becomes 0.
struct SampleMapper
{
    float scale, offset;
    uint64_t clamped = 0;

    // `in` and `out` must not overlap: written so that the compiler
    // vectorises it.
    template <class Pixel>
    void map(const Pixel* __restrict in, uint16_t* __restrict out, int64_t count, int64_t step)
    {
        uint32_t runClamped = 0;
        for (int64_t i = 0; i < count; ++i) {
            const float mapped = float(in[step == 1 ? i : i * step]) * scale + offset;
            runClamped += uint32_t((mapped < -0.5f) | (mapped >= 4095.5f));
            const float up = mapped + 0.5f > 0.0f ? mapped + 0.5f : 0.0f;
            out[i] = uint16_t(int32_t(up < 4095.0f ? up : 4095.0f));
        }
        clamped += runClamped;
    }
};

template <class Pixel>
MappedSamples mapImage(itk::Image<Pixel, 3>& image, const AxisMapping& axes,
                       const ValueMapping& mapping, ProgressBar& progress)
{
    const auto size = image.GetLargestPossibleRegion().GetSize();
    const std::array<int64_t, 3> storedStride{
        {1, int64_t(size[0]), int64_t(size[0]) * int64_t(size[1])}};
    // Per written axis: how far one step moves in the stored samples.
    std::array<int64_t, 3> stride{}, extent{};
    int64_t start = 0;
    for (size_t axis = 0; axis < 3; ++axis) {
        const size_t stored = size_t(axes.source[axis]);
        extent[axis] = int64_t(size[stored]);
        stride[axis] = axes.reversed[axis] ? -storedStride[stored] : storedStride[stored];
        if (axes.reversed[axis])
            start += (extent[axis] - 1) * storedStride[stored];
    }
    MappedSamples result;
    result.extents = {{int(extent[0]), int(extent[1]), int(extent[2])}};
    Pixel* samples = image.GetBufferPointer();
    uint16_t* out;
    // Each sample is read before its place is written: a 16-bit sample's
    // place can take its own mapped value, which spares a second volume's
    // memory and the page faults of touching it.
    if (sizeof(Pixel) == sizeof(uint16_t) && std::is_integral<Pixel>::value &&
        stride == storedStride && start == 0) {
        out = reinterpret_cast<uint16_t*>(samples);
    } else {
        result.storage = SampleVolume(result.extents[0], result.extents[1], result.extents[2]);
        out = result.storage.samples.data();
    }
    result.samples = out;
    SampleMapper mapper{float(mapping.scale), float(mapping.offset)};
    constexpr int64_t kChunk = 2048;
    Pixel chunk[kChunk]; // a run of the row, apart from `out` even when in place
    for (int64_t z = 0; z < extent[2]; ++z) {
        for (int64_t y = 0; y < extent[1]; ++y) {
            const Pixel* row = samples + start + z * stride[2] + y * stride[1];
            for (int64_t x = 0; x < extent[0]; x += kChunk) {
                const int64_t count = std::min(kChunk, extent[0] - x);
                const int64_t step = stride[0];
                if (step == 1) {
                    std::memcpy(chunk, row + x, size_t(count) * sizeof(Pixel));
                    mapper.map(chunk, out, count, 1);
                } else {
                    mapper.map(row + x * step, out, count, step);
                }
                out += count;
            }
        }
        progress.update(double(z + 1) / double(extent[2]));
    }
    result.clamped = mapper.clamped;
    return result;
}

// What scanners write outside the reconstructed circle, below any density.
constexpr double kPaddingValues[] = {-2000, -2048, -3024, -32768};

bool isPadding(double value)
{
    return std::find(std::begin(kPaddingValues), std::end(kPaddingValues), value) !=
           std::end(kPaddingValues);
}

// The histogram of the samples in bins of 40 HU from -1100 to 1100, the
// padding left out.
constexpr int kBinWidth = 40, kFirstBin = -1100, kBins = 55;

// Whether the samples look like Hounsfield units: integers from -1024 or
// below, and air's bin (the fullest of those centred from -1080 to -880) a
// peak: at least 1 % of the samples, and at least twice the bin 80 HU above
// it. Noise spread evenly, a phase map, or data peaking at 0 have no such peak.
template <class Pixel> HounsfieldDecision judgeSamples(const Pixel* samples, size_t count)
{
    double low = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < count; ++i) {
        const double value = double(samples[i]);
        if (!std::is_integral<Pixel>::value &&
            !(std::isfinite(value) && value == std::floor(value)))
            return {false, {"samples-not-integers"}};
        low = std::min(low, value);
    }
    if (!(low <= -1024))
        return {false, {"minimum-above-air", {number(low)}}};
    const double padding = isPadding(low) ? low : std::numeric_limits<double>::quiet_NaN();
    std::array<uint64_t, kBins> bins{};
    uint64_t counted = 0;
    for (size_t i = 0; i < count; ++i) {
        const double value = double(samples[i]);
        if (value == padding)
            continue;
        ++counted;
        const double bin = std::floor((value - kFirstBin) / kBinWidth);
        if (bin >= 0 && bin < kBins)
            ++bins[size_t(bin)];
    }
    const auto air = std::max_element(bins.begin(), bins.begin() + 6);
    const int centre = kFirstBin + kBinWidth / 2 + kBinWidth * int(air - bins.begin());
    if (double(*air) < 0.01 * double(counted) || *air < 2 * *(air + 2))
        return {false, {"no-peak-of-air"}};
    std::ostringstream share;
    share << std::setprecision(2) << 100.0 * double(*air) / double(counted);
    return {true,
            {std::isnan(padding) ? "hounsfield-samples" : "hounsfield-samples-padded",
             {number(low), std::to_string(centre), share.str()}}};
}

} // namespace

ValueRange valueRange(const SourceImage& source)
{
    return std::visit(
        [](const auto& image) {
            using Pixel = typename std::decay_t<decltype(image)>::ObjectType::PixelType;
            const Pixel* samples = image->GetBufferPointer();
            const size_t count = image->GetPixelContainer()->Size();
            Pixel low = std::numeric_limits<Pixel>::max();
            Pixel high = std::numeric_limits<Pixel>::lowest();
            for (size_t i = 0; i < count; ++i) {
                low = samples[i] < low ? samples[i] : low;
                high = samples[i] > high ? samples[i] : high;
            }
            return low > high ? ValueRange{} : ValueRange{double(low), double(high)};
        },
        source);
}

bool headerDecidesHounsfield(const ConvertOptions& options, const ScanHeader& header)
{
    return options.ct || options.noCt || !header.valuesStatedBy.empty() ||
           header.sampleType == SampleType::UInt16;
}

HounsfieldDecision decideHounsfield(const ConvertOptions& options, const ScanHeader& header,
                                    const SourceImage* image)
{
    if (options.ct || options.noCt)
        return {options.ct, {options.ct ? "ct-option" : "no-ct-option"}};
    if (!header.valuesStatedBy.empty())
        return {header.hounsfield, header.valuesStatedBy};
    if (header.sampleType == SampleType::UInt16)
        return {false, {"samples-unsigned"}};
    if (!image)
        return {false, {"samples-not-read"}};
    return std::visit(
        [](const auto& read) {
            return judgeSamples(read->GetBufferPointer(), read->GetPixelContainer()->Size());
        },
        *image);
}

ValueMapping chooseValueMapping(const ConvertOptions& options, const ScanHeader& header,
                                const ValueRange& range, const SourceImage& image)
{
    ValueMapping mapping;
    if (options.window) {
        mapping.rule = ValueMapping::Window;
        mapping.scale = 4095 / (options.windowHigh - options.windowLow);
        mapping.offset = -options.windowLow * mapping.scale;
        mapping.description = "window " + number(options.windowLow) + ".." +
                              number(options.windowHigh) + " onto 0..4095";
        return mapping;
    }
    const HounsfieldDecision ct = decideHounsfield(options, header, &image);
    mapping.reason = ct.reason;
    mapping.hounsfield = ct.hounsfield;
    if (ct.hounsfield) {
        mapping.rule = ValueMapping::Hounsfield;
        mapping.offset = 1024;
        mapping.description = "HU + 1024";
        if (isPadding(range.low))
            mapping.padding = range.low;
    } else if (header.integerSamples && range.low >= 0 && range.high <= 4095) {
        mapping.description = "unchanged";
    } else {
        if (!std::isfinite(range.low) || !std::isfinite(range.high))
            throw ConvertError({"cannot-map-values", {options.input, {"infinite-values"}}});
        mapping.rule = ValueMapping::DataRange;
        mapping.scale = range.high > range.low ? 4095 / (range.high - range.low) : 0;
        mapping.offset = -range.low * mapping.scale;
        mapping.description =
            "the data's range " + number(range.low) + ".." + number(range.high) + " onto 0..4095";
    }
    return mapping;
}

uint64_t replacePadding(SourceImage& image, const ValueMapping& mapping)
{
    if (std::isnan(mapping.padding))
        return 0;
    return std::visit(
        [&](const auto& read) {
            using Pixel = typename std::decay_t<decltype(read)>::ObjectType::PixelType;
            Pixel* samples = read->GetBufferPointer();
            const size_t count = read->GetPixelContainer()->Size();
            uint64_t replaced = 0;
            for (size_t i = 0; i < count; ++i)
                if (double(samples[i]) == mapping.padding) {
                    samples[i] = Pixel(-1024);
                    ++replaced;
                }
            return replaced;
        },
        image);
}

std::string valuesLine(const ValueMapping& mapping, uint64_t clamped, uint64_t padded)
{
    std::ostringstream line;
    line << "- Values: " << mapping.description;
    if (!mapping.reason.empty())
        line << " (" << (mapping.hounsfield ? "CT: " : "not CT: ") << mapping.reason.text() << ")";
    if (padded > 0)
        line << ", the padding " << mapping.padding << " written as air's 0 (" << padded
             << (padded == 1 ? " sample)" : " samples)");
    line << ", " << clamped << (clamped == 1 ? " sample" : " samples") << " clamped to 0..4095";
    return line.str();
}

MappedSamples mapSamples(const SourceImage& image, const AxisMapping& axes,
                         const ValueMapping& mapping, ProgressBar& progress)
{
    return std::visit(
        [&](const auto& source) { return mapImage(*source, axes, mapping, progress); }, image);
}
