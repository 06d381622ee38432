#include "tests/unit/scanfixtures.h"

#include <itkGDCMImageIO.h>
#include <itkImageFileWriter.h>
#include <itkImageSeriesWriter.h>
#include <itkMetaDataObject.h>
#include <itkMetaImageIO.h>
#include <itkNrrdImageIO.h>
#include <nifti2_io.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

template <class Image> typename Image::Pointer toolkitImage(const TestScan& scan)
{
    ScanHeader header;
    for (size_t axis = 0; axis < 3; ++axis)
        header.extents[axis] = scan.extents[axis];
    header.spacing = scan.spacing;
    header.direction = scan.direction;
    auto image = allocateImage<Image>(header);
    std::copy(scan.values.begin(), scan.values.end(), image->GetBufferPointer());
    return image;
}

template <class Image>
void writeImage(const TestScan& scan, const std::string& path, itk::ImageIOBase* io)
{
    auto writer = itk::ImageFileWriter<Image>::New();
    writer->SetImageIO(io);
    writer->SetFileName(path);
    writer->SetInput(toolkitImage<Image>(scan));
    writer->Update();
}

} // namespace

void writeToolkitFile(const TestScan& scan, const std::string& path, bool floating)
{
    const std::string extension = formatExtension(path);
    itk::ImageIOBase::Pointer io;
    if (extension == ".nrrd" || extension == ".nhdr")
        io = itk::NrrdImageIO::New();
    else
        io = itk::MetaImageIO::New();
    if (floating)
        writeImage<FloatImage>(scan, path, io);
    else
        writeImage<Int16Image>(scan, path, io);
}

void writeNifti(const TestScan& scan, const std::string& path, int datatype, bool frame,
                int version, int volumes)
{
    const int64_t dims[8] = {
        volumes > 1 ? 4 : 3, scan.extents[0], scan.extents[1], scan.extents[2], volumes, 1, 1, 1};
    nifti_image* nim = nifti_make_new_nim(dims, datatype, 1);
    const size_t count = scan.values.size();
    for (int v = 0; v < volumes; ++v)
        for (size_t i = 0; i < count; ++i) {
            const double value = scan.values[i] + 1000 * v;
            if (datatype == DT_INT16)
                static_cast<int16_t*>(nim->data)[v * count + i] = int16_t(value);
            else
                static_cast<float*>(nim->data)[v * count + i] = float(value);
        }
    for (int axis = 0; axis < 3; ++axis) {
        nim->pixdim[axis + 1] = scan.spacing[size_t(axis)];
        for (int row = 0; row < 3; ++row) // RAS: the toolkit's x and y reversed
            nim->sto_xyz.m[row][axis] = scan.direction[size_t(row)][size_t(axis)] *
                                        scan.spacing[size_t(axis)] * (row < 2 ? -1 : 1);
    }
    nim->sform_code = frame ? NIFTI_XFORM_SCANNER_ANAT : 0;
    nifti_set_filenames(nim, path.c_str(), 0, 1);
    if (version == 1) {
        nifti_image_write(nim);
    } else { // this library version writes single-file NIfTI-2 wrongly: by hand
        nifti_set_iname_offset(nim, 2);
        nifti_2_header header;
        nifti_convert_nim2n2hdr(nim, &header);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const char noExtensions[4] = {};
        std::fwrite(&header, sizeof header, 1, file);
        std::fwrite(noExtensions, 4, 1, file);
        std::fwrite(nim->data, size_t(nim->nbyper), size_t(nim->nvox), file);
        std::fclose(file);
    }
    nifti_image_free(nim);
}

void writeDicomSeries(const TestScan& scan, const std::string& folder, const std::string& uid,
                      const std::string& modality)
{
    using Slice = itk::Image<int16_t, 2>;
    std::filesystem::create_directories(folder);
    const auto image = toolkitImage<Int16Image>(scan);
    const Direction& d = scan.direction;
    std::ostringstream orientation;
    orientation << d[0][0] << "\\" << d[1][0] << "\\" << d[2][0] << "\\" << d[0][1] << "\\"
                << d[1][1] << "\\" << d[2][1];
    std::vector<std::string> names;
    std::vector<itk::MetaDataDictionary> dictionaries(scan.extents[2]);
    itk::ImageSeriesWriter<Int16Image, Slice>::DictionaryArrayType dictionaryPointers;
    for (unsigned z = 0; z < scan.extents[2]; ++z) {
        Int16Image::PointType position;
        image->TransformIndexToPhysicalPoint({{0, 0, z}}, position);
        std::ostringstream positionText, spacing;
        positionText << position[0] << "\\" << position[1] << "\\" << position[2];
        spacing << scan.spacing[1] << "\\" << scan.spacing[0];
        const std::pair<const char*, std::string> tags[] = {{"0020|000e", uid},
                                                            {"0008|0060", modality},
                                                            {"0020|0032", positionText.str()},
                                                            {"0020|0037", orientation.str()},
                                                            {"0020|0013", std::to_string(z + 1)},
                                                            {"0028|0030", spacing.str()},
                                                            {"0028|0004", "MONOCHROME2"},
                                                            {"0028|1052", "-1024"},
                                                            {"0028|1053", "1"}};
        for (const auto& tag : tags)
            itk::EncapsulateMetaData<std::string>(dictionaries[z], tag.first, tag.second);
        dictionaryPointers.push_back(&dictionaries[z]);
        // Named against the slice order: the reader must sort by position.
        names.push_back(folder + "/" + uid + "-" + std::to_string(scan.extents[2] - z) + ".dcm");
    }
    auto io = itk::GDCMImageIO::New();
    io->KeepOriginalUIDOn(); // the series UID given above
    auto writer = itk::ImageSeriesWriter<Int16Image, Slice>::New();
    writer->SetInput(image);
    writer->SetImageIO(io);
    writer->SetFileNames(names);
    writer->SetMetaDataDictionaryArray(&dictionaryPointers);
    writer->Update();
}

ProcessResult runConvertProcess(const QStringList& arguments)
{
    QProcess process;
    process.start(KASTRA_CONVERT, arguments);
    process.waitForFinished(60000);
    ProcessResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}
