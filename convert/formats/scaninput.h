#pragma once

#include "convert/formats/scanheader.h"

#include <itkImage.h>

#include <cstdint>
#include <variant>

class ProgressBar;

using Int16Image = itk::Image<int16_t, 3>;
using UInt16Image = itk::Image<uint16_t, 3>;
using FloatImage = itk::Image<float, 3>;
using SourceImage = std::variant<Int16Image::Pointer, UInt16Image::Pointer, FloatImage::Pointer>;

// One input: its header on opening, its samples on request.
class ScanInput
{
public:
    virtual ~ScanInput() = default;
    const ScanHeader& header() const { return m_header; }
    // Reads the samples as m_header.sampleType. Throws ConvertError or ITK's
    // exceptions.
    virtual SourceImage read(ProgressBar& progress) = 0;
    // Whether readVolume reads the volumes of a 4-D input from this one
    // opening, which is cheaper in order than opening the input for each.
    virtual bool readsVolumesInTurn() const { return false; }
    // Volume `index` of the input, as read() reads the chosen one.
    virtual SourceImage readVolume(int index, ProgressBar& progress);

protected:
    ScanHeader m_header;
};

// Names an image type for readWithSampleType's callable.
template <class T> struct ImageOf
{
    using Image = T;
};

// Calls read(ImageOf<Image>{}) with the image type of `type`: one switch on
// the sample type for every reader.
template <class Read> SourceImage readWithSampleType(SampleType type, Read&& read)
{
    switch (type) {
    case SampleType::Int16:
        return read(ImageOf<Int16Image>{});
    case SampleType::UInt16:
        return read(ImageOf<UInt16Image>{});
    case SampleType::Float:
        break;
    }
    return read(ImageOf<FloatImage>{});
}

// A stated frame's axes as unit vectors; refused where they do not span a
// volume (an axis of length 0, two along one line), whose layout no rule
// could tell. `field` names the axes in the refusal.
void checkFrame(const std::string& path, const ConvertMessage& field, Direction& direction);

// An empty image of the header's extents, spacing and direction.
template <class Image> typename Image::Pointer allocateImage(const ScanHeader& header);
