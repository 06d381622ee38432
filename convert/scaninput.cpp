#include "convert/scaninput.h"

#include "convert/converterror.h"
#include "convert/datinput.h"
#include "convert/dicominput.h"
#include "convert/imagefileinput.h"
#include "convert/niftiinput.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

std::string formatExtension(const std::string& path)
{
    std::string name = std::filesystem::path(path).filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const char* extension : {".nii.gz", ".nii", ".nrrd", ".nhdr", ".mha", ".mhd", ".dat"}) {
        const std::string ending(extension);
        if (name.size() > ending.size() &&
            name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            return ending;
    }
    return {};
}

std::unique_ptr<ScanInput> openScanInput(const ConvertOptions& options)
{
    const std::string& path = options.input;
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::make_unique<DicomInput>(path, options.series);
    if (!std::filesystem::exists(path, error))
        throw ConvertError("cannot read '" + path + "': no such file or folder");
    const std::string extension = formatExtension(path);
    if (extension != ".nii" && extension != ".nii.gz" && options.volume != 0)
        throw ConvertError("--volume applies to 4-D NIfTI files, not to '" + path + "'");
    if (extension == ".nii" || extension == ".nii.gz")
        return std::make_unique<NiftiInput>(path, options.volume);
    if (extension == ".nrrd" || extension == ".nhdr")
        return std::make_unique<ImageFileInput>(path, ImageFileInput::NrrdFile);
    if (extension == ".mha" || extension == ".mhd")
        return std::make_unique<ImageFileInput>(path, ImageFileInput::MetaImageFile);
    if (extension == ".dat")
        return std::make_unique<DatInput>(path);
    throw ConvertError("cannot read '" + path +
                       "': not a DICOM folder, .nii, .nii.gz, .nrrd, .nhdr, .mha, .mhd or .dat");
}

SampleType sampleTypeFor(bool isInteger, bool isSigned, int bytes)
{
    if (isInteger && bytes == 1)
        return SampleType::Int16;
    if (isInteger && bytes == 2)
        return isSigned ? SampleType::Int16 : SampleType::UInt16;
    return SampleType::Float;
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
