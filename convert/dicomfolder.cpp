#include "convert/dicomfolder.h"

#include "convert/converterror.h"
#include "convert/dicomlengths.h"
#include "convert/librarycall.h"

#include <gdcmCSAHeader.h>
#include <gdcmMediaStorage.h>
#include <gdcmReader.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmSplitMosaicFilter.h>
#include <gdcmStringFilter.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using gdcm::Tag;

// DICOM pads its text values with spaces or a zero byte.
std::string trimmed(const std::string& text)
{
    static const std::string padding(" \0", 2);
    const size_t first = text.find_first_not_of(padding);
    const size_t last = text.find_last_not_of(padding);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The numbers of a value ("0.5\0.5"); empty when any is not a finite number.
std::vector<double> numbers(const std::string& text)
{
    std::vector<double> values;
    std::istringstream stream(text);
    std::string item;
    while (std::getline(stream, item, '\\')) {
        item = trimmed(item);
        char* end = nullptr;
        const double value = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !std::isfinite(value))
            return {};
        values.push_back(value);
    }
    return values;
}

// The values of elements as text, also of elements nested in sequences.
class TagReader : private gdcm::StringFilter
{
public:
    explicit TagReader(const gdcm::File& file) { SetFile(file); }

    std::string text(const gdcm::DataSet& ds, const Tag& tag) const
    {
        if (!ds.FindDataElement(tag) || ds.GetDataElement(tag).IsEmpty())
            return {};
        return trimmed(ToStringPair(tag, ds).second);
    }
    std::string text(const gdcm::DataSet& ds, const gdcm::PrivateTag& tag) const
    {
        if (!ds.FindDataElement(tag) || ds.GetDataElement(tag).IsEmpty())
            return {};
        return trimmed(ToStringPair(ds.GetDataElement(tag)).second);
    }
    double number(const gdcm::DataSet& ds, const Tag& tag, double missing) const
    {
        const std::vector<double> values = numbers(text(ds, tag));
        return values.size() == 1 ? values[0] : missing;
    }
};

// Item `index` (from 0) of the sequence `tag` in `ds`, or null.
const gdcm::DataSet* item(const gdcm::DataSet& ds, const Tag& tag, size_t index = 0)
{
    if (!ds.FindDataElement(tag))
        return nullptr;
    const gdcm::SmartPointer<gdcm::SequenceOfItems> items =
        ds.GetDataElement(tag).GetValueAsSQ();
    if (!items || index >= items->GetNumberOfItems())
        return nullptr;
    return &items->GetItem(index + 1).GetNestedDataSet(); // GDCM counts items from 1
}

bool startsLikeDicom(const std::string& path)
{
    char magic[132] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(magic, sizeof magic) && std::string(magic + 128, 4) == "DICM";
}

// Why an image file's pixel data is cut short, or "": the header was read up
// to the pixel data, which must follow, and uncompressed must hold all the
// frames the header announces (its stated length was checked against the
// file before GDCM read it, see dicomlengths.h).
std::string pixelDataCutShort(const gdcm::Reader& reader, const TagReader& tags,
                              const std::string& path)
{
    const gdcm::DataSet& ds = reader.GetFile().GetDataSet();
    const size_t start = reader.GetStreamCurrentPosition(); // of the pixel data's value
    if (start == size_t(-1))
        return "it ends before its pixel data";
    if (reader.GetFile().GetHeader().GetDataSetTransferSyntax().IsEncapsulated())
        return {};
    const double bytes = tags.number(ds, Tag(0x0028, 0x0010), 0) *
                         tags.number(ds, Tag(0x0028, 0x0011), 0) *
                         std::max(1.0, tags.number(ds, Tag(0x0028, 0x0008), 1)) *
                         tags.number(ds, Tag(0x0028, 0x0100), 0) / 8 *
                         tags.number(ds, Tag(0x0028, 0x0002), 1);
    const double held = double(fs::file_size(path)) - double(start);
    if (held < bytes)
        return "it holds " + std::to_string(uint64_t(std::max(0.0, held))) +
               " bytes of pixel data, " + std::to_string(uint64_t(bytes)) + " are announced";
    return {};
}

std::string named(const std::string& path)
{
    return "'" + path + "'";
}

// Fills the geometry of `slice` from an image position, orientation and
// pixel spacing; a problem when one is missing.
std::string setGeometry(DicomSlice& slice, const std::string& position,
                        const std::string& orientation, const std::string& spacing)
{
    const std::vector<double> p = numbers(position), o = numbers(orientation),
                              s = numbers(spacing);
    if (p.size() != 3 || o.size() != 6)
        return named(slice.file) + " states no image position and orientation";
    if (s.size() != 2 || !(s[0] > 0) || !(s[1] > 0))
        return named(slice.file) + " states no pixel spacing";
    std::copy(p.begin(), p.end(), slice.position.begin());
    std::copy(o.begin(), o.end(), slice.orientation.begin());
    slice.pixelSpacing = {{s[1], s[0]}}; // DICOM gives the row spacing first
    return {};
}

// The slices of an enhanced multi-frame file: a frame each, described by its
// per-frame and shared functional groups.
std::string frameSlices(const TagReader& tags, const gdcm::DataSet& ds, const DicomSlice& file,
                        unsigned frames, std::vector<DicomSlice>& slices)
{
    const gdcm::DataSet* shared = item(ds, Tag(0x5200, 0x9229));
    // The dimension that is the position within a stack orders slices, not
    // volumes: its index is left out of the volume's dimension key.
    long spatial = -1;
    for (size_t d = 0; const gdcm::DataSet* dimension = item(ds, Tag(0x0020, 0x9222), d); ++d) {
        const std::string pointer = tags.text(*dimension, Tag(0x0020, 0x9165));
        if (pointer.find("0020,9057") != std::string::npos ||
            pointer.find("0020,0032") != std::string::npos)
            spatial = long(d);
    }
    for (unsigned f = 0; f < frames; ++f) {
        const gdcm::DataSet* own = item(ds, Tag(0x5200, 0x9230), f);
        if (!own)
            return named(file.file) + " describes fewer frames than the " +
                   std::to_string(frames) + " it holds";
        // A frame's attribute: in its own functional group, else the shared.
        const auto value = [&](const Tag& group, const Tag& tag, const Tag& nested = Tag()) {
            for (const gdcm::DataSet* groups : {own, shared}) {
                const gdcm::DataSet* found = groups ? item(*groups, group) : nullptr;
                if (found && nested != Tag())
                    found = item(*found, tag);
                if (found && found->FindDataElement(nested == Tag() ? tag : nested))
                    return tags.text(*found, nested == Tag() ? tag : nested);
            }
            return std::string();
        };
        DicomSlice slice = file;
        slice.frame = f;
        const std::string problem = setGeometry(slice, value(Tag(0x0020, 0x9113), Tag(0x0020, 0x0032)),
                                                value(Tag(0x0020, 0x9116), Tag(0x0020, 0x0037)),
                                                value(Tag(0x0028, 0x9110), Tag(0x0028, 0x0030)));
        if (!problem.empty())
            return problem + " for frame " + std::to_string(f + 1);
        const std::vector<double> slope = numbers(value(Tag(0x0028, 0x9145), Tag(0x0028, 0x1053)));
        const std::vector<double> intercept =
            numbers(value(Tag(0x0028, 0x9145), Tag(0x0028, 0x1052)));
        slice.slope = slope.size() == 1 && slope[0] != 0 ? slope[0] : 1;
        slice.intercept = intercept.size() == 1 ? intercept[0] : 0;

        // Without a description of the dimensions, their indices are left
        // out: one of them is the position.
        const Tag content(0x0020, 0x9111);
        std::string dimensions;
        std::istringstream indices(spatial >= 0 ? value(content, Tag(0x0020, 0x9157)) : "");
        long d = 0;
        for (std::string index; std::getline(indices, index, '\\'); ++d)
            if (d != spatial)
                dimensions += (dimensions.empty() ? "" : "\\") + index;
        slice.keys[size_t(SliceKey::Stack)] = value(content, Tag(0x0020, 0x9056));
        slice.keys[size_t(SliceKey::TemporalPosition)] = value(content, Tag(0x0020, 0x9128));
        slice.keys[size_t(SliceKey::Dimensions)] = dimensions;
        slice.keys[size_t(SliceKey::AcquisitionTime)] = value(content, Tag(0x0018, 0x9074));
        std::string type = value(Tag(0x0018, 0x9226), Tag(0x0008, 0x9007));
        if (type.empty())
            type = value(Tag(0x0018, 0x9329), Tag(0x0008, 0x9007));
        if (!type.empty())
            slice.keys[size_t(SliceKey::ImageType)] = type;
        slice.keys[size_t(SliceKey::Echo)] = value(Tag(0x0018, 0x9114), Tag(0x0018, 0x9082));
        slice.keys[size_t(SliceKey::TriggerTime)] = value(Tag(0x0018, 0x9118), Tag(0x0020, 0x9153));
        const std::string b = value(Tag(0x0018, 0x9117), Tag(0x0018, 0x9087));
        const std::string gradient =
            value(Tag(0x0018, 0x9117), Tag(0x0018, 0x9076), Tag(0x0018, 0x9089));
        slice.keys[size_t(SliceKey::Diffusion)] = b + (gradient.empty() ? "" : "\\" + gradient);
        slices.push_back(slice);
    }
    return {};
}

// Whether a CSA header's counts and lengths stay within its bytes: GDCM's
// parser reads them as given and loops for ever past the end of a damaged
// one. "SV10" and the older layout: a count of elements, each 84 bytes with
// its count of items at 76, each item 16 bytes with its length at 4, then
// that many bytes padded to four.
bool csaHeaderHolds(const gdcm::DataElement& element)
{
    const gdcm::ByteValue* value = element.GetByteValue();
    if (!value || !value->GetPointer())
        return false;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(value->GetPointer());
    const uint64_t size = value->GetLength();
    const auto number = [&](uint64_t at, uint64_t& out) {
        if (at + 4 > size)
            return false;
        out = bytes[at] | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
              uint32_t(bytes[at + 3]) << 24;
        return true;
    };
    uint64_t at = size >= 4 && std::memcmp(bytes, "SV10", 4) == 0 ? 8 : 0, elements = 0;
    if (!number(at, elements))
        return false;
    at += 8;
    for (uint64_t e = 0; e < elements; ++e) {
        uint64_t items = 0;
        if (!number(at + 76, items))
            return false;
        at += 84;
        for (uint64_t i = 0; i < items; ++i) {
            uint64_t length = 0;
            if (!number(at + 4, length) || at + 16 + (length + 3) / 4 * 4 > size)
                return false;
            at += 16 + (length + 3) / 4 * 4;
        }
    }
    return true;
}

// The tiles of a mosaic: GDCM finds their number and the direction they
// advance in from the scanner's private (CSA) header; the mosaic's position
// is that of a slice as large as the whole mosaic, centred on the first tile.
std::string mosaicSlices(const TagReader& tags, const gdcm::File& gdcmFile,
                         const DicomSlice& file, std::vector<DicomSlice>& slices)
{
    const gdcm::DataSet& ds = gdcmFile.GetDataSet();
    // Without the private header, GDCM guesses the count from the
    // acquisition matrix, padding the volume with blank slices.
    gdcm::CSAHeader csa;
    for (const gdcm::PrivateTag& tag :
         {csa.GetCSAImageHeaderInfoTag(), csa.GetCSASeriesHeaderInfoTag()})
        if (ds.FindDataElement(tag) && !csaHeaderHolds(ds.GetDataElement(tag)))
            return named(file.file) + " is a mosaic whose private (CSA) header is damaged";
    const gdcm::PrivateTag& csaTag = csa.GetCSAImageHeaderInfoTag();
    const bool counted = ds.FindDataElement(csaTag) &&
                         csa.LoadFromDataElement(ds.GetDataElement(csaTag)) &&
                         csa.FindCSAElementByName("NumberOfImagesInMosaic");
    const unsigned tiles =
        counted ? gdcm::SplitMosaicFilter::GetNumberOfImagesInMosaic(gdcmFile) : 0;
    gdcm::SplitMosaicFilter filter;
    filter.SetFile(gdcmFile);
    unsigned dims[3] = {};
    double normal[3] = {};
    bool inverted = false;
    if (tiles == 0 || !filter.ComputeMOSAICDimensions(dims) || dims[0] == 0 || dims[1] == 0)
        return named(file.file) + " is a mosaic whose number of tiles its header does not give";
    if (!filter.ComputeMOSAICSliceNormal(normal, inverted))
        return named(file.file) + " is a mosaic whose slice direction its header does not give";
    const double spacing = tags.number(ds, Tag(0x0018, 0x0088), 0);
    if (!(spacing > 0) && tiles > 1)
        return named(file.file) + " is a mosaic that states no spacing between its slices";
    DicomSlice tile = file;
    tile.mosaicTile = true;
    tile.columns = dims[0];
    tile.rows = dims[1];
    const double across = file.pixelSpacing[0] * (file.columns - dims[0]) / 2;
    const double down = file.pixelSpacing[1] * (file.rows - dims[1]) / 2;
    for (unsigned t = 0; t < tiles; ++t) {
        // GDCM's splitter lays the tiles out along the slice normal: in
        // their stored order, or reversed when they advance against it.
        tile.frame = inverted ? tiles - 1 - t : t;
        for (size_t axis = 0; axis < 3; ++axis)
            tile.position[axis] = file.position[axis] + across * file.orientation[axis] +
                                  down * file.orientation[3 + axis] + t * spacing * normal[axis];
        slices.push_back(tile);
    }
    return {};
}

} // namespace

bool DicomPixelFormat::operator==(const DicomPixelFormat& other) const
{
    return samplesPerPixel == other.samplesPerPixel && bitsAllocated == other.bitsAllocated &&
           bitsStored == other.bitsStored && highBit == other.highBit &&
           isSigned == other.isSigned;
}

DicomFolder::DicomFolder(const std::string& folder)
{
    std::vector<std::string> paths;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error))
            paths.push_back(entry.path().string());
    if (error)
        throw ConvertError("cannot read '" + folder + "': " + error.message());
    std::sort(paths.begin(), paths.end());

    std::vector<std::string> leftOut;
    std::map<std::string, size_t> seriesIndex;
    for (const std::string& path : paths) {
        const std::string lengths = dicomLengthProblem(path);
        if (!lengths.empty() && startsLikeDicom(path))
            throw ConvertError("cannot read " + named(path) + ": " + lengths +
                               "; the file is damaged");
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
        const bool image = read && gdcm::MediaStorage::IsImage(storage);
        if (startsLikeDicom(path) && (!read || uid.empty()))
            throw ConvertError("cannot read " + named(path) + ": " +
                               (read ? "it names no series" : "GDCM cannot read its header") +
                               "; the file is damaged");
        if (!image || uid.empty()) {
            leftOut.push_back(fs::path(path).filename().string());
            continue;
        }
        const std::string cutShort = pixelDataCutShort(reader, tags, path);
        if (!cutShort.empty())
            throw ConvertError("cannot read " + named(path) + ": " + cutShort +
                               "; the file is damaged");

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
        if (series.files.size() == 1)
            series.pixelFormat = format;
        else if (!(format == series.pixelFormat) && series.problem.empty())
            series.problem = named(path) + " stores its pixels unlike " +
                             named(series.files.front());

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
        std::string problem;
        if (ds.FindDataElement(Tag(0x5200, 0x9230))) {
            series.multiFrame = true;
            problem = frameSlices(tags, ds, slice, frames, series.slices);
        } else if (frames > 1) {
            problem = named(path) + " holds " + std::to_string(frames) +
                      " frames without a position for each";
        } else {
            problem = setGeometry(slice, tags.text(ds, Tag(0x0020, 0x0032)),
                                  tags.text(ds, Tag(0x0020, 0x0037)),
                                  tags.text(ds, Tag(0x0028, 0x0030)));
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
        m_leftOut = "- Left out " + std::to_string(leftOut.size()) +
                    (leftOut.size() == 1 ? " file" : " files") + " that " +
                    (leftOut.size() == 1 ? "is" : "are") + " not a DICOM image: ";
        for (size_t i = 0; i < leftOut.size() && i < 3; ++i)
            m_leftOut += (i ? ", " : "") + named(leftOut[i]);
        if (leftOut.size() > 3)
            m_leftOut += ", ...";
    }
}
