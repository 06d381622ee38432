#include "convert/dicominput.h"

#include "convert/converterror.h"
#include "convert/progressbar.h"
#include "platform/console.h"

#include <gdcmTrace.h>
#include <itkGDCMImageIO.h>
#include <itkGDCMSeriesFileNames.h>
#include <itkImageSeriesReader.h>
#include <itkMetaDataObject.h>

#include <algorithm>
#include <ostream>

namespace {

// DICOM pads its text values with spaces or a zero byte.
std::string trimmed(const std::string& text)
{
    static const std::string padding(" \0", 2);
    const size_t first = text.find_first_not_of(padding);
    const size_t last = text.find_last_not_of(padding);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string tag(const itk::GDCMImageIO& io, const char* key)
{
    std::string value;
    itk::ExposeMetaData<std::string>(io.GetMetaDataDictionary(), key, value);
    return trimmed(value);
}

itk::GDCMImageIO::Pointer readHeaderOf(const std::string& file)
{
    auto io = itk::GDCMImageIO::New();
    io->SetFileName(file);
    io->ReadImageInformation();
    return io;
}

// Lists the folder's series on the console: UID, description, slices.
void listSeries(itk::GDCMSeriesFileNames& names, const std::vector<std::string>& uids)
{
    for (const std::string& uid : uids) {
        const std::vector<std::string>& files = names.GetFileNames(uid);
        const std::string description = tag(*readHeaderOf(files.front()), "0008|103e");
        console::out() << "  " << uid << "  \"" << description << "\"  " << files.size()
                       << (files.size() == 1 ? " slice" : " slices") << std::endl;
    }
}

} // namespace

DicomInput::DicomInput(const std::string& folder, const std::string& seriesUid, int)
{
    // The library's warnings about odd but readable files would break the
    // one-line report; what matters fails with an exception.
    gdcm::Trace::WarningOff();
    gdcm::Trace::DebugOff();
    auto names = itk::GDCMSeriesFileNames::New();
    names->SetUseSeriesDetails(false); // series go by their UID alone
    names->SetDirectory(folder);
    const std::vector<std::string> uids = names->GetSeriesUIDs();
    if (uids.empty())
        throw ConvertError("cannot read '" + folder + "': the folder holds no DICOM series");
    std::string uid = seriesUid;
    if (uid.empty() && uids.size() == 1)
        uid = uids.front();
    if (std::find(uids.begin(), uids.end(), uid) == uids.end()) {
        console::out() << "- Series in '" << folder << "':" << std::endl;
        listSeries(*names, uids);
        throw ConvertError("cannot read '" + folder + "': " +
                           (uid.empty()
                                ? "it holds " + std::to_string(uids.size()) +
                                      " series (listed above); choose one with --series UID"
                                : "it holds no series " + uid + " (the series are listed above)"));
    }
    m_files = names->GetFileNames(uid);

    const auto first = readHeaderOf(m_files.front());
    if (first->GetNumberOfComponents() != 1)
        throw ConvertError("cannot read '" + folder + "': its pixels are colour, not one value");
    const std::string modality = tag(*first, "0008|0060");
    m_header.format = "DICOM series (" + (modality.empty() ? "no modality" : modality) + ")";
    m_header.hounsfield = modality == "CT";
    m_header.statesPatientFrame = true;

    // The series' geometry (slice spacing and order come from the slice
    // positions) without its pixels.
    auto reader = itk::ImageSeriesReader<FloatImage>::New();
    reader->SetImageIO(itk::GDCMImageIO::New());
    reader->SetFileNames(m_files);
    reader->UpdateOutputInformation();
    const FloatImage& geometry = *reader->GetOutput();
    for (unsigned axis = 0; axis < 3; ++axis) {
        m_header.extents[axis] = geometry.GetLargestPossibleRegion().GetSize()[axis];
        m_header.spacing[axis] = geometry.GetSpacing()[axis];
        for (unsigned row = 0; row < 3; ++row)
            m_header.direction[row][axis] = geometry.GetDirection()[row][axis];
    }

    using IOComponent = itk::IOComponentEnum;
    const IOComponent component = first->GetComponentType(); // after the rescale
    const bool isInteger = component != IOComponent::FLOAT && component != IOComponent::DOUBLE;
    const bool isSigned = component != IOComponent::UCHAR && component != IOComponent::USHORT &&
                          component != IOComponent::UINT && component != IOComponent::ULONG &&
                          component != IOComponent::ULONGLONG;
    m_header.sampleType = sampleTypeFor(isInteger, isSigned, int(first->GetComponentSize()));
    m_header.integerSamples = isInteger;
    // The samples, and one slice in the reader's hands.
    m_header.readBytesPerVoxel = double(sampleBytes(m_header.sampleType));
}

SourceImage DicomInput::read(ProgressBar& progress)
{
    return readWithSampleType(m_header.sampleType, [&](auto type) -> SourceImage {
        using Image = typename decltype(type)::Image;
        auto reader = itk::ImageSeriesReader<Image>::New();
        reader->SetImageIO(itk::GDCMImageIO::New());
        reader->SetFileNames(m_files);
        progress.follow(*reader);
        reader->Update();
        return typename Image::Pointer(reader->GetOutput());
    });
}
