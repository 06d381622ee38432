// A volume file (.dat) as the converter's input, for exports.

#include "convert/formats/datinput.h"

#include "convert/formats/converterror.h"
#include "volume/volumeloader.h"

DatInput::DatInput(const std::string& path) : m_path(path)
{
    const std::string error = readVolumeSamples(path, m_volume, false);
    if (!error.empty())
        throw ConvertError::reading(path, {"foreign-text", {error}});
    m_header.format = "volume file";
    m_header.extents = {
        {uint64_t(m_volume.width), uint64_t(m_volume.height), uint64_t(m_volume.depth)}};
    m_header.sampleType = SampleType::UInt16;
    m_header.integerSamples = true;
    m_header.readBytesPerVoxel = sizeof(uint16_t);
}

SourceImage DatInput::read(ProgressBar&)
{
    const std::string error = readVolumeSamples(m_path, m_volume);
    if (!error.empty())
        throw ConvertError::reading(m_path, {"foreign-text", {error}});
    auto image = UInt16Image::New();
    UInt16Image::SizeType size;
    for (unsigned axis = 0; axis < 3; ++axis)
        size[axis] = m_header.extents[axis];
    image->SetRegions(size);
    image->GetPixelContainer()->SetImportPointer(m_volume.samples.data(), m_volume.samples.size(),
                                                 false);
    return image;
}
