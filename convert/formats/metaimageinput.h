#pragma once

#include "convert/formats/scaninput.h"

#include <itkImageIOBase.h>

#include <cstdint>
#include <string>

// A MetaImage file (.mha, or a detached header .mhd), read with ITK's
// reader, in its stored order; the patient's frame where it states one.
class MetaImageInput : public ScanInput
{
public:
    explicit MetaImageInput(const std::string& path);
    SourceImage read(ProgressBar& progress) override;

private:
    void checkMetaImageData(uint64_t announced) const;

    std::string m_path;
    itk::ImageIOBase::Pointer m_io;
    uint64_t m_compressedSize = 0; // its CompressedDataSize, or 0
};
