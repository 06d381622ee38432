// What every reader shares: the sample types and the image of a header's
// extents, spacing and direction.

#include "convert/formats/scaninput.h"

#include "convert/formats/converterror.h"

#include <vnl/vnl_det.h>

#include <cmath>
#include <stdexcept>

SampleType sampleTypeFor(bool isInteger, bool isSigned, int bytes)
{
    if (isInteger && bytes == 1)
        return SampleType::Int16;
    if (isInteger && bytes == 2)
        return isSigned ? SampleType::Int16 : SampleType::UInt16;
    return SampleType::Float;
}

void checkFrame(const std::string& path, const ConvertMessage& field, Direction& direction)
{
    for (size_t axis = 0; axis < 3; ++axis) {
        double length = 0;
        for (size_t row = 0; row < 3; ++row)
            length += direction[row][axis] * direction[row][axis];
        length = std::sqrt(length);
        for (size_t row = 0; row < 3; ++row)
            direction[row][axis] = length > 0 ? direction[row][axis] / length : 0;
    }
    vnl_matrix_fixed<double, 3, 3> matrix;
    for (size_t row = 0; row < 3; ++row)
        for (size_t axis = 0; axis < 3; ++axis)
            matrix(unsigned(row), unsigned(axis)) = direction[row][axis];
    if (!(std::abs(vnl_det(matrix)) > 0.01))
        throw ConvertError::reading(path, {"frame-not-spanning", {field}});
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
