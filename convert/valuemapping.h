#pragma once

#include "convert/axismapping.h"
#include "convert/convertoptions.h"
#include "convert/formats/scanheader.h"
#include "convert/formats/scaninput.h"
#include "convert/messages/convertmessage.h"
#include "volume/volumedata.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

// The smallest and largest sample value, NaN left out.
struct ValueRange
{
    double low = 0;
    double high = 0;
};

ValueRange valueRange(const SourceImage& image);

// Whether the values are CT in Hounsfield units, and why ("its modality is
// MR"), for the console and the listing.
struct HounsfieldDecision
{
    bool hounsfield = false;
    ConvertMessage reason;
};

// Whether the options or the input's header decide it: where not, the
// samples must be read.
bool headerDecidesHounsfield(const ConvertOptions& options, const ScanHeader& header);

// The first that speaks: --ct or --no-ct; what the input states (a DICOM
// series' modality, a NIfTI file's sidecar); unsigned samples, which are not;
// else the samples of `image` (null only where the header decides), which are
// CT when they are integers (in any type) from -1024 or below with a peak of
// air near -1000. A minimum at a padding value (-2000, -2048, -3024, -32768)
// is left out of the peak.
HounsfieldDecision decideHounsfield(const ConvertOptions& options, const ScanHeader& header,
                                    const SourceImage* image);

// How sample values become 12-bit samples: value * scale + offset, rounded
// and clamped to 0..4095.
struct ValueMapping
{
    enum Rule { Unchanged, Hounsfield, Window, DataRange };
    Rule rule = Unchanged;
    double scale = 1;
    double offset = 0;
    // A CT's padding value, the source's minimum, which is read as air
    // (-1024, written 0) before any resampling; NaN where there is none.
    double padding = std::numeric_limits<double>::quiet_NaN();
    std::string description; // for the console: "HU + 1024"
    bool hounsfield = false; // what the reason decided
    ConvertMessage reason;   // why CT or not: "its modality is CT"; empty for --window
};

// The first rule that applies: --window LO HI; CT in Hounsfield units
// (decideHounsfield, on `image`): HU + 1024; integer samples within 0..4095:
// unchanged; otherwise the data's range onto 0..4095 (all 0 when the data is
// constant). Throws ConvertError when the data's range is not finite.
ValueMapping chooseValueMapping(const ConvertOptions& options, const ScanHeader& header,
                                const ValueRange& range, const SourceImage& image);

// Sets the mapping's padding samples in `image` to air; returns how many.
uint64_t replacePadding(SourceImage& image, const ValueMapping& mapping);

// The console's line: "- Values: HU + 1024 (CT: its modality is CT), 3
// samples clamped to 0..4095", with the padding where there was some.
std::string valuesLine(const ValueMapping& mapping, uint64_t clamped, uint64_t padded);

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
