#pragma once

#include "convert/axismapping.h"
#include "convert/convertoptions.h"
#include "convert/formats/scanheader.h"
#include "convert/formats/scaninput.h"
#include "volume/volumedata.h"

#include <array>
#include <cstdint>
#include <string>

// The smallest and largest sample value, NaN left out.
struct ValueRange
{
    double low = 0;
    double high = 0;
};

ValueRange valueRange(const SourceImage& image);

// How sample values become 12-bit samples: value * scale + offset, rounded
// and clamped to 0..4095.
struct ValueMapping
{
    enum Rule { Unchanged, Hounsfield, Window, DataRange };
    Rule rule = Unchanged;
    double scale = 1;
    double offset = 0;
    std::string description; // for the console
};

// The first rule that applies: --window LO HI; CT in Hounsfield units (a CT
// series, or --ct): HU + 1024; integer samples within 0..4095: unchanged;
// otherwise the data's range onto 0..4095 (all 0 when the data is constant).
// Throws ConvertError when the data's range is not finite.
ValueMapping chooseValueMapping(const ConvertOptions& options, const ScanHeader& header,
                                const ValueRange& range);

// The written samples, with what the mapping saw.
struct MappedSamples
{
    std::array<int, 3> extents{};
    const uint16_t* samples = nullptr; // in `storage`, or in place in the source image
    SampleVolume storage;
    uint64_t clamped = 0; // samples that fell outside 0..4095
};

// Maps the samples of `image` in the order of the written axes: written axis
// a runs along stored axis axes.source[a]. 16-bit samples in their stored
// order are mapped in place, into the image's own memory, which must outlive
// the result; others into new storage.
MappedSamples mapSamples(const SourceImage& image, const AxisMapping& axes,
                         const ValueMapping& mapping, ProgressBar& progress);
