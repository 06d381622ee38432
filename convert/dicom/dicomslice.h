#pragma once

#include "convert/messages/convertmessage.h"

#include <array>
#include <cstddef>
#include <string>

// What can tell apart the slices of a series that share a position, in the
// order they are sorted by. The first ones describe a volume and are the
// same on all its slices; the last ones only order (a volume's slices each
// have their own acquisition time and instance number).
enum class SliceKey {
    Stack,            // of an enhanced multi-frame file
    ImageType,        // the frame's or image's kind: magnitude, phase, a field map
    Echo,             // echo number
    TemporalPosition, // temporal position (identifier or index)
    Diffusion,        // b-value and gradient direction
    Dimensions,       // a multi-frame file's dimension index, but for the position's
    TriggerTime,
    AcquisitionNumber,
    AcquisitionTime,
    InstanceNumber,
    Count
};
constexpr int kSliceKeys = int(SliceKey::Count);

// Whether all the slices of one volume share the key's value.
constexpr bool describesVolume(SliceKey key)
{
    return key <= SliceKey::Dimensions;
}

// For the console: "echo", "temporal position".
const char* sliceKeyName(SliceKey key);

// One 2-D image of a DICOM series: a single-frame file, a frame of a
// multi-frame file, or a tile of a mosaic. Directions and positions are in
// the patient frame of DICOM (LPS, mm).
struct DicomSlice
{
    std::string file;
    unsigned frame = 0; // of the file's decoded pixel data (frame or tile), from 0
    bool mosaicTile = false;
    unsigned columns = 0, rows = 0;
    std::array<double, 2> pixelSpacing{{1, 1}}; // between columns, between rows
    std::array<double, 3> position{};           // of the first pixel's centre
    std::array<double, 6> orientation{};        // along a row, then down a column
    double slope = 1, intercept = 0;            // value = stored * slope + intercept
    std::array<std::string, kSliceKeys> keys;   // "" where the file says nothing

    const std::string& key(SliceKey k) const { return keys[size_t(k)]; }
};

// Fills the geometry of `slice` from an image position, orientation and
// pixel spacing; empty or, naming the file, what is missing.
ConvertMessage setGeometry(DicomSlice& slice, const std::string& position,
                           const std::string& orientation, const std::string& spacing);
