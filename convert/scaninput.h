#pragma once

#include "convert/convertoptions.h"

#include <itkImage.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

class ProgressBar;

// The sample types the converter reads into: 8- and 16-bit signed integers
// as Int16, unsigned 16-bit as UInt16, everything wider or scaled as Float.
enum class SampleType { Int16, UInt16, Float };

using Int16Image = itk::Image<int16_t, 3>;
using UInt16Image = itk::Image<uint16_t, 3>;
using FloatImage = itk::Image<float, 3>;
using SourceImage = std::variant<Int16Image::Pointer, UInt16Image::Pointer, FloatImage::Pointer>;

// Row r, column c; column c is the direction of stored axis c in the
// toolkit's patient space (x towards the left, y posterior, z superior).
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
    bool hounsfield = false;     // CT in Hounsfield units, as the scanner says
    // Bytes the reading holds per source voxel at its peak (a converted
    // copy beside the file's own samples, for instance).
    double readBytesPerVoxel = 4;
};

// One input: its header on opening, its samples on request.
class ScanInput
{
public:
    virtual ~ScanInput() = default;
    const ScanHeader& header() const { return m_header; }
    // Reads the samples as m_header.sampleType. Throws ConvertError or the
    // toolkit's exceptions.
    virtual SourceImage read(ProgressBar& progress) = 0;

protected:
    ScanHeader m_header;
};

// Opens the input the options name, by its kind (a folder holds a DICOM
// series; a file goes by its extension), and reads its header. Throws
// ConvertError or the toolkit's exceptions.
std::unique_ptr<ScanInput> openScanInput(const ConvertOptions& options);

// The lower-case extension of `path` that names a format, ".nii.gz" included;
// "" when none.
std::string formatExtension(const std::string& path);

// The type to read samples of a file's component type into.
SampleType sampleTypeFor(bool isInteger, bool isSigned, int bytes);

// An empty image of the header's extents, spacing and direction.
template <class Image> typename Image::Pointer allocateImage(const ScanHeader& header);

size_t sampleBytes(SampleType type);
