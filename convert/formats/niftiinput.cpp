// NIfTI-1 and NIfTI-2 through the format's reference library: one volume
// of the file, its values scaled, its patient frame from the sform or qform;
// whether it is CT from a BIDS sidecar beside it.

#include "convert/formats/niftiinput.h"

#include "convert/formats/converterror.h"
#include "convert/formats/datafilecheck.h"
#include "convert/formats/progressbar.h"
#include "convert/guard/librarycall.h"

#include <nifti2_io.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

constexpr const char* kLibrary = "the NIfTI library";

struct FreeDeleter
{
    void operator()(void* data) const { std::free(data); }
};

// Converts `count` stored values of the file's type into `out`, scaled.
template <class Stored, class Out>
void convertValues(const void* data, size_t count, double slope, double intercept, Out* out)
{
    const Stored* values = static_cast<const Stored*>(data);
    for (size_t i = 0; i < count; ++i)
        out[i] = Out(double(values[i]) * slope + intercept);
}

template <class Out>
bool convertStored(int datatype, const void* data, size_t count, double slope, double intercept,
                   Out* out)
{
    switch (datatype) {
    case DT_UINT8:
        convertValues<uint8_t>(data, count, slope, intercept, out);
        return true;
    case DT_INT8:
        convertValues<int8_t>(data, count, slope, intercept, out);
        return true;
    case DT_INT16:
        convertValues<int16_t>(data, count, slope, intercept, out);
        return true;
    case DT_UINT16:
        convertValues<uint16_t>(data, count, slope, intercept, out);
        return true;
    case DT_INT32:
        convertValues<int32_t>(data, count, slope, intercept, out);
        return true;
    case DT_UINT32:
        convertValues<uint32_t>(data, count, slope, intercept, out);
        return true;
    case DT_INT64:
        convertValues<int64_t>(data, count, slope, intercept, out);
        return true;
    case DT_UINT64:
        convertValues<uint64_t>(data, count, slope, intercept, out);
        return true;
    case DT_FLOAT32:
        convertValues<float>(data, count, slope, intercept, out);
        return true;
    case DT_FLOAT64:
        convertValues<double>(data, count, slope, intercept, out);
        return true;
    default:
        return false;
    }
}

// The library converts a NIfTI-2 header without checking dim[0] (a NIfTI-1
// header it checks), walking that many dimensions past the eight there are;
// its own check, nifti_read_header's, reports a bad header and returns it all
// the same. The byte order is the library's guess, from sizeof_hdr.
void checkDimensionCount(const std::string& path, const void* header, int version)
{
    if (version != 2)
        return;
    const nifti_2_header& stored = *static_cast<const nifti_2_header*>(header);
    const int64_t count = NIFTI2_NEEDS_SWAP(stored)
                              ? int64_t(__builtin_bswap64(uint64_t(stored.dim[0])))
                              : stored.dim[0];
    if (count < 1 || count > 7)
        throw ConvertError::reading(path, {"nifti-bad-dim0", {count}});
}

// A BIDS sidecar is a few kilobytes; a larger file is no sidecar.
constexpr std::uintmax_t kSidecarLimit = 16 << 20;

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The sidecar a BIDS dataset keeps beside `path`: scan.json beside
// scan.nii.gz or scan.nii.
std::string sidecarPath(const std::string& path)
{
    const std::string name = lowerCase(path);
    for (const char* ending : {".nii.gz", ".nii"})
        if (name.size() > std::strlen(ending) &&
            name.compare(name.size() - std::strlen(ending), std::string::npos, ending) == 0)
            return path.substr(0, path.size() - std::strlen(ending)) + ".json";
    return {};
}

// What the sidecar says of the values: its Modality, "CT" or another. One
// that cannot be read says nothing and leaves a note: the NIfTI file is whole
// without it, and its samples decide then.
void readSidecar(const std::string& path, ScanHeader& header)
{
    const std::string sidecar = sidecarPath(path);
    std::error_code error;
    if (sidecar.empty() || !std::filesystem::is_regular_file(sidecar, error))
        return;
    const std::string name = named(std::filesystem::path(sidecar).filename().string());
    const auto unread = [&](const std::string& why) {
        header.notes.push_back("- Sidecar: " + name + " " + why +
                               "; the samples decide whether they are CT");
    };
    const std::uintmax_t size = std::filesystem::file_size(sidecar, error);
    std::ifstream file(sidecar, std::ios::binary);
    if (error || !file)
        return unread("cannot be read");
    if (size > kSidecarLimit)
        return unread("holds " + std::to_string(size) + " bytes, too many for a sidecar");
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& failure) {
        return unread("is not valid JSON (at byte " + std::to_string(failure.byte) + ")");
    }
    if (!json.is_object())
        return unread("is no JSON object");
    const auto modality = json.find("Modality");
    if (modality == json.end())
        return;
    if (!modality->is_string())
        return unread("gives a Modality that is no text");
    const std::string said = modality->get<std::string>();
    header.hounsfield = lowerCase(said) == "ct";
    header.valuesStatedBy = {"sidecar-modality",
                             {std::filesystem::path(sidecar).filename().string(), said}};
}

} // namespace

struct NiftiInput::Header
{
    nifti_image* image;
    znzFile stream = nullptr; // the samples, read in turn: at volume `next`
    int64_t next = 0;
    ~Header()
    {
        if (stream)
            znzclose(stream);
        nifti_image_free(image);
    }
};

NiftiInput::NiftiInput(const std::string& path, int volume) : m_path(path), m_volume(volume)
{
    int version = 0;
    nifti_image* image = nullptr;
    {
        const LibraryCall call(kLibrary, path);
        const std::unique_ptr<void, FreeDeleter> rawHeader(
            nifti_read_header(path.c_str(), &version, 0));
        if (rawHeader)
            checkDimensionCount(path, rawHeader.get(), version);
        image = rawHeader ? nifti_image_read(path.c_str(), 0) : nullptr;
    }
    if (!image)
        throw ConvertError::reading(path, {"not-nifti"});
    m_nifti.reset(new Header{image});
    const nifti_image& nim = *image;
    m_header.format = "NIfTI-" + std::to_string(version);

    for (int dimension = 5; dimension <= 7; ++dimension)
        if (nim.dim[0] >= dimension && nim.dim[dimension] > 1)
            throw ConvertError::reading(path, {"too-many-dimensions", {nim.dim[0], 4}});
    const int64_t volumes = nim.dim[0] >= 4 ? std::max<int64_t>(nim.dim[4], 1) : 1;
    if (volume >= volumes)
        throw ConvertError::reading(path, {"volume-missing", {volume, volumes - 1}});
    m_header.volumeCount = uint64_t(volumes);
    for (int axis = 0; axis < 3; ++axis)
        m_header.extents[size_t(axis)] =
            uint64_t(nim.dim[0] > axis ? std::max<int64_t>(nim.dim[axis + 1], 1) : 1);

    int bytesPerValue = 0, swapSize = 0;
    nifti_datatype_sizes(nim.datatype, &bytesPerValue, &swapSize);
    const bool isInteger = nifti_is_inttype(nim.datatype) != 0;
    if (bytesPerValue == 0 ||
        (!isInteger && nim.datatype != DT_FLOAT32 && nim.datatype != DT_FLOAT64))
        throw ConvertError::reading(path,
                                    {"nifti-not-scalars", {nifti_datatype_string(nim.datatype)}});
    m_scaled = nim.scl_slope != 0 && (nim.scl_slope != 1 || nim.scl_inter != 0);
    const bool isSigned = nim.datatype != DT_UINT8 && nim.datatype != DT_UINT16 &&
                          nim.datatype != DT_UINT32 && nim.datatype != DT_UINT64;
    m_header.sampleType =
        m_scaled ? SampleType::Float : sampleTypeFor(isInteger, isSigned, bytesPerValue);
    m_header.integerSamples =
        isInteger && (!m_scaled || (std::floor(nim.scl_slope) == nim.scl_slope &&
                                    std::floor(nim.scl_inter) == nim.scl_inter));
    // The library's buffer of stored values, and the converted samples.
    m_header.readBytesPerVoxel = double(sampleBytes(m_header.sampleType)) + bytesPerValue;

    // The sform when set, else the qform: both map (i, j, k) to millimetres
    // in RAS space (x towards the patient's right, y to the front, z up),
    // whose x and y are ITK's (LPS) reversed.
    const nifti_dmat44* frame = nim.sform_code > 0   ? &nim.sto_xyz
                                : nim.qform_code > 0 ? &nim.qto_xyz
                                                     : nullptr;
    m_header.statesPatientFrame = frame != nullptr;
    for (size_t axis = 0; axis < 3; ++axis) {
        double length = 0;
        for (size_t row = 0; row < 3 && frame; ++row)
            length += frame->m[row][axis] * frame->m[row][axis];
        length = std::sqrt(length);
        if (frame && !plausibleSpacing(length)) {
            std::ostringstream width;
            width << length;
            throw ConvertError::reading(
                path,
                {"nifti-implausible-voxel", {nim.sform_code > 0 ? "sform" : "qform", width.str()}});
        }
        for (size_t row = 0; row < 3 && frame; ++row)
            m_header.direction[row][axis] = frame->m[row][axis] / length * (row < 2 ? -1 : 1);
        const double pixdim = std::abs(nim.pixdim[axis + 1]);
        m_header.spacing[axis] = frame ? length : plausibleSpacing(pixdim) ? pixdim : 1;
    }
    if (frame) // an sform may be any matrix
        checkFrame(path, {"axes-of", {nim.sform_code > 0 ? "sform" : "qform"}}, m_header.direction);

    const uint64_t announced = uint64_t(nim.nvox) * uint64_t(bytesPerValue);
    checkDataFile(path, nim.iname ? nim.iname : path, uint64_t(nim.iname_offset), announced,
                  nifti_is_gzfile(nim.iname ? nim.iname : path.c_str()) ? DataEncoding::Gzip
                                                                        : DataEncoding::Raw);
    readSidecar(path, m_header);
}

NiftiInput::~NiftiInput() = default;

SourceImage NiftiInput::read(ProgressBar&)
{
    nifti_image* nim = m_nifti->image;
    // The library allocates the stored values itself: a buffer of ours it
    // would free after a short read, under its owner's feet.
    void* data = nullptr;
    int64_t only[8] = {-1, -1, -1, -1, m_volume, -1, -1, -1}; // one volume: all of x, y, z
    const int64_t bytes = [&] {
        const LibraryCall call(kLibrary, m_path);
        return nifti_read_collapsed_image(nim, only, &data);
    }();
    const std::unique_ptr<void, FreeDeleter> stored(data);
    const size_t count = m_header.extents[0] * m_header.extents[1] * m_header.extents[2];
    if (bytes != int64_t(count) * nim->nbyper || !data)
        throw ConvertError::reading(m_path, {"samples-cut-short"});
    return samplesOf(data, count);
}

SourceImage NiftiInput::readVolume(int index, ProgressBar&)
{
    nifti_image* nim = m_nifti->image;
    const size_t count = m_header.extents[0] * m_header.extents[1] * m_header.extents[2];
    const int64_t bytes = int64_t(count) * nim->nbyper;
    const std::unique_ptr<void, FreeDeleter> stored(std::malloc(size_t(bytes)));
    if (!stored)
        throw std::bad_alloc();
    const char* file = nim->iname ? nim->iname : m_path.c_str();
    const bool read = [&] {
        const LibraryCall call(kLibrary, m_path);
        if (m_nifti->stream && index < m_nifti->next)
            znzclose(m_nifti->stream); // back to the start: a gzip stream only reads on
        if (!m_nifti->stream) {
            m_nifti->stream = znzopen(file, "rb", nifti_is_gzfile(file));
            m_nifti->next = 0;
            if (!m_nifti->stream || znzseek(m_nifti->stream, nim->iname_offset, SEEK_SET) < 0)
                return false;
        }
        // Skipping forward inflates in turn too.
        if (index > m_nifti->next &&
            znzseek(m_nifti->stream, (index - m_nifti->next) * bytes, SEEK_CUR) < 0)
            return false;
        m_nifti->next = index + 1;
        return nifti_read_buffer(m_nifti->stream, stored.get(), bytes, nim) == bytes;
    }();
    if (!read)
        throw ConvertError::reading(m_path, {"samples-cut-short"});
    return samplesOf(stored.get(), count);
}

SourceImage NiftiInput::samplesOf(const void* data, size_t count) const
{
    const nifti_image* nim = m_nifti->image;
    const double slope = m_scaled ? nim->scl_slope : 1;
    const double intercept = m_scaled ? nim->scl_inter : 0;
    return readWithSampleType(m_header.sampleType, [&](auto type) -> SourceImage {
        auto image = allocateImage<typename decltype(type)::Image>(m_header);
        convertStored(nim->datatype, data, count, slope, intercept, image->GetBufferPointer());
        return image;
    });
}
