// What every reader shares: the sample types and the image of a header's
// extents, spacing and direction.

#include "convert/formats/scaninput.h"

#include <stdexcept>

SampleType sampleTypeFor(bool isInteger, bool isSigned, int bytes)
{
    if (isInteger && bytes == 1)
        return SampleType::Int16;
    if (isInteger && bytes == 2)
        return isSigned ? SampleType::Int16 : SampleType::UInt16;
    return SampleType::Float;
}

SourceImage ScanInput::readVolume(int, ProgressBar&)
{
    throw std::logic_error("this input opens each volume on its own");
}

size_t sampleBytes(SampleType type)
{
    return type == SampleType::Float ? sizeof(float) : sizeof(uint16_t);
}

template <class Image> typename Image::Pointer allocateImage(const ScanHeader& header)
{
    auto image = Image::New();
    typename Image::SizeType size;
    typename Image::SpacingType spacing;
    typename Image::DirectionType direction;
    for (unsigned axis = 0; axis < 3; ++axis) {
        size[axis] = header.extents[axis];
        spacing[axis] = header.spacing[axis];
        for (unsigned column = 0; column < 3; ++column)
            direction[axis][column] = header.direction[axis][column];
    }
    image->SetRegions(size);
    image->SetSpacing(spacing);
    image->SetDirection(direction);
    image->Allocate();
    return image;
}

template Int16Image::Pointer allocateImage<Int16Image>(const ScanHeader&);
template UInt16Image::Pointer allocateImage<UInt16Image>(const ScanHeader&);
template FloatImage::Pointer allocateImage<FloatImage>(const ScanHeader&);
