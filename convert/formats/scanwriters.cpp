// The export writers: NIfTI-1 with the format's reference library, NRRD
// and MetaImage with ITK's writers.

#include "convert/formats/scanwriters.h"

#include "convert/formats/converterror.h"
#include "convert/formats/scaninput.h"
#include "convert/guard/librarycall.h"

#include <itkImageFileWriter.h>
#include <itkMetaImageIO.h>
#include <itkNrrdImageIO.h>
#include <nifti2_io.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A volume file's axes run towards the patient's right, front and head
// (RAS+, as the converter writes a scan): said so, an export opens the same
// way in other tools and back here.

void writeWithItk(const SampleVolume& volume, const std::string& path, itk::ImageIOBase::Pointer io)
{
    auto image = UInt16Image::New();
    UInt16Image::SizeType size;
    size[0] = unsigned(volume.width);
    size[1] = unsigned(volume.height);
    size[2] = unsigned(volume.depth);
    image->SetRegions(size);
    UInt16Image::DirectionType towardsRas;
    towardsRas.SetIdentity();
    towardsRas(0, 0) = towardsRas(1, 1) = -1; // ITK's space is LPS
    image->SetDirection(towardsRas);
    // The writer only reads the samples.
    image->GetPixelContainer()->SetImportPointer(const_cast<uint16_t*>(volume.samples.data()),
                                                 volume.samples.size(), false);
    auto writer = itk::ImageFileWriter<UInt16Image>::New();
    writer->SetImageIO(io);
    writer->SetFileName(path);
    writer->SetInput(image);
    const LibraryCall call("ITK's writer", path);
    writer->Update();
}

} // namespace

void writeNiftiFile(const SampleVolume& volume, const std::string& path)
{
    const LibraryCall call("the NIfTI library", path);
    const int64_t dims[8] = {3, volume.width, volume.height, volume.depth, 1, 1, 1, 1};
    nifti_image* nim = nifti_make_new_nim(dims, DT_UINT16, 0);
    const bool named = nim && nifti_set_filenames(nim, path.c_str(), 0, 1) == 0;
    if (named) {
        nim->qform_code = nim->sform_code = NIFTI_XFORM_SCANNER_ANAT; // the identity: RAS+
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                nim->sto_xyz.m[row][column] = row == column ? 1 : 0;
        // The writer only reads the samples.
        nim->data = const_cast<uint16_t*>(volume.samples.data());
        nifti_image_write(nim);
        nim->data = nullptr;
    }
    if (nim)
        nifti_image_free(nim);
    // The writer reports no failure: read the header back.
    nifti_image* written = named ? nifti_image_read(path.c_str(), 0) : nullptr;
    const bool complete =
        written && written->nx == volume.width && written->ny == volume.height &&
        written->nz == volume.depth &&
        (nifti_is_gzfile(path.c_str()) ||
         fs::file_size(path) == uint64_t(written->iname_offset) + 2 * volume.samples.size());
    if (written)
        nifti_image_free(written);
    if (!complete)
        throw ConvertError::writing(path, {"nifti-writer-failed"});
}

void writeNrrdFile(const SampleVolume& volume, const std::string& path)
{
    writeWithItk(volume, path, itk::NrrdImageIO::New());
}

void writeMetaImageFile(const SampleVolume& volume, const std::string& path)
{
    writeWithItk(volume, path, itk::MetaImageIO::New());
}
