#pragma once

#include "convert/formats/scaninput.h"

#include <itkImageIOBase.h>

#include <cstdint>
#include <string>

// A NRRD (.nrrd, .nhdr) or MetaImage (.mha, .mhd) file, read with the
// ITK's readers, in its stored order; the patient's frame where it states one.
class ImageFileInput : public ScanInput
{
public:
    enum Format { NrrdFile, MetaImageFile };
    ImageFileInput(const std::string& path, Format format);
    SourceImage read(ProgressBar& progress) override;

private:
    bool checkNrrdHeader(uint64_t announced) const;
    void checkMetaImageData(uint64_t announced) const;

    std::string m_path;
    itk::ImageIOBase::Pointer m_io;
    uint64_t m_compressedSize = 0; // a MetaImage's CompressedDataSize, or 0
};
