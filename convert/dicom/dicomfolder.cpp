// The folder scan: every file of a folder (or the one file given) walked
// (dicomlengths.h), its header read with GDCM up to the pixel data, and its
// slices sorted into series; files that are not DICOM images are left out.
// The choice of a series, and the files of a series beside a single file.

#include "convert/dicom/dicomfolder.h"

#include "convert/dicom/dicomlengths.h"
#include "convert/dicom/dicomtags.h"
#include "convert/dicom/mosaic.h"
#include "convert/dicom/multiframe.h"
#include "convert/formats/converterror.h"
#include "convert/guard/librarycall.h"
#include "platform/console.h"

#include <gdcmMediaStorage.h>
#include <gdcmReader.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>

namespace {

namespace fs = std::filesystem;
using gdcm::Tag;

// Why an image file's pixel data is cut short, or "": uncompressed, it must
// hold all the frames the header announces (its stated length was checked
// against the file before GDCM read it, see dicomlengths.h). Compressed
// fragments were walked; a deflated data set has no bytes to count here,
// and colour pixels, which are refused before they are decoded, may be
// stored with fewer bytes than samples (YBR_FULL_422).
ConvertMessage pixelDataCutShort(const gdcm::Reader& reader, const TagReader& tags,
                                 const std::string& path)
{
    const gdcm::DataSet& ds = reader.GetFile().GetDataSet();
    const size_t start = reader.GetStreamCurrentPosition(); // of the pixel data's value
    const gdcm::TransferSyntax& syntax = reader.GetFile().GetHeader().GetDataSetTransferSyntax();
    if (syntax.IsEncapsulated() || syntax == gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian ||
        tags.number(ds, Tag(0x0028, 0x0002), 1) != 1)
        return {};
    const double bytes =
        tags.number(ds, Tag(0x0028, 0x0010), 0) * tags.number(ds, Tag(0x0028, 0x0011), 0) *
        std::max(1.0, tags.number(ds, Tag(0x0028, 0x0008), 1)) *
        tags.number(ds, Tag(0x0028, 0x0100), 0) / 8 * tags.number(ds, Tag(0x0028, 0x0002), 1);
    const double held = double(fs::file_size(path)) - double(start);
    if (held < bytes)
        return {"pixel-data-short", {uint64_t(std::max(0.0, held)), uint64_t(bytes)}};
    return {};
}

} // namespace

bool startsLikeDicom(const std::string& path)
{
    char magic[132] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(magic, sizeof magic) && std::string(magic + 128, 4) == "DICM";
}

bool DicomPixelFormat::operator==(const DicomPixelFormat& other) const
{
    return samplesPerPixel == other.samplesPerPixel && bitsAllocated == other.bitsAllocated &&
           bitsStored == other.bitsStored && highBit == other.highBit &&
           isSigned == other.isSigned && photometric == other.photometric;
}

DicomFolder::DicomFolder(const std::string& input) : m_input(input)
{
    std::vector<std::string> paths;
    std::error_code error;
    if (!fs::is_directory(input, error))
        paths.push_back(input);
    else
        for (const fs::directory_entry& entry : fs::directory_iterator(input, error))
            if (entry.is_regular_file(error))
                paths.push_back(entry.path().string());
    if (error)
        throw ConvertError::reading(input, {"foreign-text", {error.message()}});
    std::sort(paths.begin(), paths.end());

    std::vector<std::string> leftOut;
    std::map<std::string, size_t> seriesIndex;
    for (const std::string& path : paths) {
        const ConvertMessage lengths = dicomLengthProblem(path);
        if (!lengths.empty() && startsLikeDicom(path))
            throw ConvertError::reading(path, {"file-damaged", {lengths}});
        if (!lengths.empty()) {
            leftOut.push_back(fs::path(path).filename().string());
            continue;
        }
        const LibraryCall call("GDCM", path);
        gdcm::Reader reader;
        reader.SetFileName(path.c_str());
        const Tag pixelData(0x7fe0, 0x0010);
        const bool read = reader.ReadUpToTag(pixelData, {pixelData});
        const gdcm::File& gdcmFile = reader.GetFile();
        const gdcm::DataSet& ds = gdcmFile.GetDataSet();
        const TagReader tags(gdcmFile);
        const std::string uid = read ? tags.text(ds, Tag(0x0020, 0x000e)) : "";
        gdcm::MediaStorage storage;
        storage.SetFromFile(gdcmFile);
        // An image by its class and with rows to read; a data set that only
        // claims to be one in its meta information is left out.
        const bool image =
            read && gdcm::MediaStorage::IsImage(storage) && ds.FindDataElement(Tag(0x0028, 0x0010));
        // The walk found nothing wrong with the file.
        if (startsLikeDicom(path) && !read)
            throw ConvertError::reading(path,
                                        {"gdcm-cannot-read-header", {libraryFailureNote("GDCM")}});
        if (image && uid.empty())
            throw ConvertError::reading(path, {"image-without-series"});
        if (!image) { // a DICOMDIR, a report, a plan, a file that is not DICOM
            leftOut.push_back(fs::path(path).filename().string());
            continue;
        }
        if (reader.GetStreamCurrentPosition() == size_t(-1)) // at the pixel data's value
            throw ConvertError::reading(path, {"no-pixel-data"});
        const ConvertMessage cutShort = pixelDataCutShort(reader, tags, path);
        if (!cutShort.empty())
            throw ConvertError::reading(path, {"file-damaged", {cutShort}});

        auto [at, added] = seriesIndex.emplace(uid, m_series.size());
        if (added) {
            m_series.emplace_back();
            m_series.back().uid = uid;
            m_series.back().description = tags.text(ds, Tag(0x0008, 0x103e));
            m_series.back().modality = tags.text(ds, Tag(0x0008, 0x0060));
        }
        DicomSeries& series = m_series[at->second];
        series.files.push_back(path);

        DicomPixelFormat format;
        format.samplesPerPixel = unsigned(tags.number(ds, Tag(0x0028, 0x0002), 1));
        format.bitsAllocated = unsigned(tags.number(ds, Tag(0x0028, 0x0100), 0));
        format.bitsStored = unsigned(tags.number(ds, Tag(0x0028, 0x0101), format.bitsAllocated));
        format.highBit = unsigned(tags.number(ds, Tag(0x0028, 0x0102), format.bitsStored - 1));
        format.isSigned = tags.number(ds, Tag(0x0028, 0x0103), 0) == 1;
        format.photometric = tags.text(ds, Tag(0x0028, 0x0004));
        if (series.files.size() == 1)
            series.pixelFormat = format;
        else if (!(format == series.pixelFormat) && series.problem.empty())
            series.problem = {"pixels-stored-unlike", {path, series.files.front()}};

        DicomSlice slice;
        slice.file = path;
        slice.columns = unsigned(tags.number(ds, Tag(0x0028, 0x0011), 0));
        slice.rows = unsigned(tags.number(ds, Tag(0x0028, 0x0010), 0));
        const double slope = tags.number(ds, Tag(0x0028, 0x1053), 1);
        slice.slope = slope != 0 ? slope : 1;
        slice.intercept = tags.number(ds, Tag(0x0028, 0x1052), 0);
        const std::pair<SliceKey, Tag> keyTags[] = {
            {SliceKey::ImageType, Tag(0x0008, 0x0008)},
            {SliceKey::Echo, Tag(0x0018, 0x0086)},
            {SliceKey::TemporalPosition, Tag(0x0020, 0x0100)},
            {SliceKey::TriggerTime, Tag(0x0018, 0x1060)},
            {SliceKey::AcquisitionNumber, Tag(0x0020, 0x0012)},
            {SliceKey::AcquisitionTime, Tag(0x0008, 0x0032)},
            {SliceKey::InstanceNumber, Tag(0x0020, 0x0013)}};
        for (const auto& [key, tag] : keyTags)
            slice.keys[size_t(key)] = tags.text(ds, tag);
        std::string b = tags.text(ds, Tag(0x0018, 0x9087));
        std::string gradient = tags.text(ds, Tag(0x0018, 0x9089));
        if (b.empty()) { // Siemens writes them in its private group
            b = tags.text(ds, gdcm::PrivateTag(0x0019, 0x0c, "SIEMENS MR HEADER"));
            gradient = tags.text(ds, gdcm::PrivateTag(0x0019, 0x0e, "SIEMENS MR HEADER"));
        }
        slice.keys[size_t(SliceKey::Diffusion)] = b + (gradient.empty() ? "" : "\\" + gradient);

        const unsigned frames = unsigned(std::max(1.0, tags.number(ds, Tag(0x0028, 0x0008), 1)));
        const bool mosaic = slice.key(SliceKey::ImageType).find("MOSAIC") != std::string::npos;
        ConvertMessage problem;
        if (ds.FindDataElement(Tag(0x5200, 0x9230))) {
            series.multiFrame = true;
            problem = frameSlices(tags, ds, slice, frames, series.slices);
        } else if (frames > 1) {
            problem = {"frames-without-positions", {path, frames}};
        } else {
            problem =
                setGeometry(slice, tags.text(ds, Tag(0x0020, 0x0032)),
                            tags.text(ds, Tag(0x0020, 0x0037)), tags.text(ds, Tag(0x0028, 0x0030)));
            if (problem.empty() && mosaic) {
                series.mosaic = true;
                problem = mosaicSlices(tags, gdcmFile, slice, series.slices);
            } else if (problem.empty()) {
                series.slices.push_back(slice);
            }
        }
        if (series.problem.empty())
            series.problem = problem;
    }
    std::sort(m_series.begin(), m_series.end(),
              [](const DicomSeries& a, const DicomSeries& b) { return a.uid < b.uid; });
    if (!leftOut.empty()) {
        std::string names;
        for (size_t i = 0; i < leftOut.size() && i < 3; ++i)
            names += (i ? ", " : "") + named(leftOut[i]);
        if (leftOut.size() > 3)
            names += ", ...";
        m_leftOut = {leftOut.size() == 1 ? "left-out-file" : "left-out-files",
                     {leftOut.size(), names}};
    }
}

const DicomSeries& DicomFolder::chosen(const std::string& uid) const
{
    std::error_code error;
    if (m_series.empty() && !fs::is_directory(m_input, error))
        throw ConvertError::reading(m_input, {"not-dicom-image"});
    if (m_series.empty())
        throw ConvertError::reading(
            m_input, m_leftOut.empty() ? ConvertMessage("no-dicom-series")
                                       : ConvertMessage("no-dicom-series-left-out", {m_leftOut}));
    if (uid.empty() && m_series.size() == 1)
        return m_series.front();
    for (const DicomSeries& series : m_series)
        if (series.uid == uid)
            return series;
    console::out() << "- Series in '" << m_input << "':" << std::endl;
    for (const DicomSeries& series : m_series)
        console::out() << "  " << series.uid << "  \"" << series.description << "\"  "
                       << series.files.size() << (series.files.size() == 1 ? " file" : " files")
                       << std::endl;
    throw ConvertError::reading(m_input, uid.empty()
                                             ? ConvertMessage("several-series", {m_series.size()})
                                             : ConvertMessage("no-such-series", {uid}));
}

size_t filesBeside(const std::string& file, const std::string& uid)
{
    const fs::path folder = fs::path(file).parent_path();
    try {
        const DicomFolder scan(folder.empty() ? "." : folder.string());
        for (const DicomSeries& series : scan.series())
            if (series.uid == uid)
                return series.files.size() - 1;
    } catch (const ConvertError&) {
    }
    return 0;
}
