#pragma once

#include "convert/messages/convertmessage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The sample types the converter reads into: 8- and 16-bit signed integers
// as Int16, unsigned 16-bit as UInt16, everything wider or scaled as Float.
enum class SampleType { Int16, UInt16, Float };

// The type to read samples of a file's component type into.
SampleType sampleTypeFor(bool isInteger, bool isSigned, int bytes);

size_t sampleBytes(SampleType type);

// Row r, column c; column c is the direction of stored axis c in ITK's
// patient space (x towards the left, y posterior, z superior: LPS).
using Direction = std::array<std::array<double, 3>, 3>;
constexpr Direction kIdentityDirection{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

// What an input says about its volume before its samples are read.
struct ScanHeader
{
    std::string format;                     // for the console: "NIfTI", "DICOM series (CT)"
    std::array<uint64_t, 3> extents{};      // voxels along the stored axes
    std::array<double, 3> spacing{1, 1, 1}; // mm
    Direction direction = kIdentityDirection;
    bool statesPatientFrame = false; // the direction is the patient's: reorient by it
    SampleType sampleType = SampleType::Float;
    bool integerSamples = false; // every value is an integer
    // Whether the values are CT in Hounsfield units, where the input says so
    // or not (a DICOM series' modality, a NIfTI file's sidecar): who says it
    // ("its modality is MR"); empty where the input is silent and its samples
    // decide.
    bool hounsfield = false;
    ConvertMessage valuesStatedBy;
    // Bytes the reading holds per source voxel at its peak (a converted
    // copy beside the file's own samples, for instance).
    double readBytesPerVoxel = 4;
    // What the input found that the user must know (volumes, gaps, tilt,
    // files left out), a console line each.
    std::vector<std::string> notes;
    // The volumes the input holds (--volume chooses): how many, what tells
    // them apart ("echo"; "" for one, or where only their number does) and
    // what each is ("echo 2"; none where only their number tells them apart).
    uint64_t volumeCount = 1;
    std::string toldApartBy;
    std::vector<std::string> volumeNames;
};
