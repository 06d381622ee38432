// NRRD through NrrdIO, after checks of the header's own word that the
// library does not make (nrrdinput.h).

#include "convert/formats/nrrdinput.h"

#include "convert/formats/converterror.h"
#include "convert/formats/datafilecheck.h"
#include "convert/formats/progressbar.h"
#include "convert/guard/librarycall.h"

#include <NrrdIO.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

const char* const kLibrary = "NrrdIO";

struct NrrdDeleter
{
    void operator()(Nrrd* nrrd) const { nrrdNuke(nrrd); }
    void operator()(NrrdIoState* state) const { nrrdIoStateNix(state); }
};
using NrrdPointer = std::unique_ptr<Nrrd, NrrdDeleter>;
using IoStatePointer = std::unique_ptr<NrrdIoState, NrrdDeleter>;

// What NrrdIO said of its failure, in one line: its innermost message
// (the last), without the function that said it.
std::string libraryError()
{
    char* said = biffGetDone(NRRD);
    std::string text = said ? said : "";
    free(said);
    text.erase(text.find_last_not_of("\n") + 1);
    text.erase(0, text.find_last_of('\n') + 1);
    const size_t colon = text.find(": ");
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

// The patient's direction in ITK's frame (LPS) of the first three
// components of a vector in `space`; false where the space is none of the
// patient's. By the format's definition, each anatomical space names where
// its axes point: "left-anterior-superior" x towards the left, y towards
// the front, z towards the head. Its "-time" form adds time as a fourth
// component, which is no direction.
bool patientDirection(int space, const double* vector, std::array<double, 3>& direction)
{
    std::array<double, 3> towardsLps;
    switch (space) {
    case nrrdSpaceRightAnteriorSuperior:
    case nrrdSpaceRightAnteriorSuperiorTime:
        towardsLps = {-1, -1, 1};
        break;
    case nrrdSpaceLeftAnteriorSuperior:
    case nrrdSpaceLeftAnteriorSuperiorTime:
        towardsLps = {1, -1, 1};
        break;
    case nrrdSpaceLeftPosteriorSuperior:
    case nrrdSpaceLeftPosteriorSuperiorTime:
        towardsLps = {1, 1, 1};
        break;
    default:
        return false;
    }
    for (size_t row = 0; row < 3; ++row)
        direction[row] = towardsLps[row] * vector[row];
    return true;
}

// The stored type's place among the sample types.
bool integerType(int type)
{
    return type != nrrdTypeFloat && type != nrrdTypeDouble;
}

bool signedType(int type)
{
    return type == nrrdTypeChar || type == nrrdTypeShort || type == nrrdTypeInt ||
           type == nrrdTypeLLong;
}

template <class Pixel, class Stored> void copyAs(const void* data, Pixel* out, size_t count)
{
    const Stored* in = static_cast<const Stored*>(data);
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<Pixel>(in[i]);
}

template <class Pixel> void copySamples(const void* data, int type, Pixel* out, size_t count)
{
    switch (type) {
    case nrrdTypeChar:
        return copyAs<Pixel, int8_t>(data, out, count);
    case nrrdTypeUChar:
        return copyAs<Pixel, uint8_t>(data, out, count);
    case nrrdTypeShort:
        return copyAs<Pixel, int16_t>(data, out, count);
    case nrrdTypeUShort:
        return copyAs<Pixel, uint16_t>(data, out, count);
    case nrrdTypeInt:
        return copyAs<Pixel, int32_t>(data, out, count);
    case nrrdTypeUInt:
        return copyAs<Pixel, uint32_t>(data, out, count);
    case nrrdTypeLLong:
        return copyAs<Pixel, int64_t>(data, out, count);
    case nrrdTypeULLong:
        return copyAs<Pixel, uint64_t>(data, out, count);
    case nrrdTypeFloat:
        return copyAs<Pixel, float>(data, out, count);
    default:
        return copyAs<Pixel, double>(data, out, count);
    }
}

} // namespace

NrrdInput::NrrdInput(const std::string& path) : m_path(path)
{
    m_header.format = "NRRD";
    const NrrdPointer nrrd(nrrdNew());
    const IoStatePointer state(nrrdIoStateNew());
    state->skipData = AIR_TRUE;
    {
        const LibraryCall call(kLibrary, path);
        if (nrrdLoad(nrrd.get(), path.c_str(), state.get()) != 0)
            throw ConvertError::reading(path, {"not-nrrd", {libraryError()}});
    }
    m_type = nrrd->type;
    if (m_type <= nrrdTypeUnknown || m_type >= nrrdTypeBlock)
        throw ConvertError::reading(path,
                                    {"nrrd-type-not-numbers", {airEnumStr(nrrdType, m_type)}});

    // The axes along which the samples lie, and those that hold a voxel's
    // components: in a space, the axes with and without a space direction.
    unsigned domain[NRRD_DIM_MAX], range[NRRD_DIM_MAX];
    const unsigned domainAxes = nrrdDomainAxesGet(nrrd.get(), domain);
    const unsigned rangeAxes = nrrdRangeAxesGet(nrrd.get(), range);
    const int space = nrrd->space;
    uint64_t components = 1, voxels = 1;
    for (unsigned i = 0; i < rangeAxes; ++i) {
        const size_t size = nrrd->axis[range[i]].size;
        components = size != 0 && components <= UINT64_MAX / size ? components * size : 0;
    }
    if (components != 1)
        throw ConvertError::reading(path, {"several-components", {components}});
    if (domainAxes > 3)
        throw ConvertError::reading(path, {"too-many-dimensions", {domainAxes, 3}});

    bool patientFrame = domainAxes == 3 && nrrd->spaceDim > 0;
    for (unsigned i = 0; i < domainAxes; ++i) {
        const NrrdAxisInfo& axis = nrrd->axis[domain[i]];
        m_header.extents[i] = axis.size;
        voxels = axis.size != 0 && voxels <= UINT64_MAX / axis.size ? voxels * axis.size : 0;
        double spacing = std::abs(axis.spacing);
        if (nrrd->spaceDim > 0) {
            if (!AIR_EXISTS(axis.spaceDirection[0]))
                throw ConvertError::reading(
                    path, space ? ConvertMessage("nrrd-axis-without-direction",
                                                 {airEnumStr(nrrdSpace, space)})
                                : ConvertMessage("nrrd-axis-without-direction-in-dimension"));
            std::array<double, 3> towards{axis.spaceDirection[0], axis.spaceDirection[1],
                                          nrrd->spaceDim > 2 ? axis.spaceDirection[2] : 0.0};
            spacing = std::hypot(towards[0], towards[1], towards[2]);
            patientFrame = patientDirection(space, towards.data(), towards) && patientFrame;
            for (size_t row = 0; row < 3; ++row)
                m_header.direction[row][i] = towards[row];
        } else if (!AIR_EXISTS(axis.spacing)) {
            spacing = 1;
        }
        m_header.spacing[i] = spacing;
    }
    for (unsigned i = domainAxes; i < 3; ++i)
        m_header.extents[i] = 1;
    const uint64_t bytes = nrrdTypeSize[m_type];
    if (voxels == 0 || voxels > UINT64_MAX / bytes)
        throw ConvertError::reading(path, {"extent-out-of-range"});
    checkSpacing(path, m_header.spacing);
    m_header.statesPatientFrame = patientFrame;
    if (patientFrame)
        checkFrame(path, {"space-directions"}, m_header.direction);
    else
        m_header.direction = kIdentityDirection; // kept as stored

    m_header.integerSamples = integerType(m_type);
    m_header.sampleType = sampleTypeFor(integerType(m_type), signedType(m_type), int(bytes));
    // The library reads into a buffer of the file's type, copied from there.
    m_header.readBytesPerVoxel = double(sampleBytes(m_header.sampleType) + bytes);

    DataEncoding encoding = DataEncoding::Unknown;
    if (std::strcmp(state->encoding->name, "raw") == 0)
        encoding = DataEncoding::Raw;
    else if (std::strcmp(state->encoding->name, "gzip") == 0)
        encoding = DataEncoding::Gzip;
    std::string dataFile;
    if (state->dataFNArr->len == 0) {
        dataFile = path; // attached
    } else if (state->dataFNArr->len == 1 && !state->dataFNFormat) {
        dataFile = dataFileBesideHeader(path, state->dataFN[0]);
    }
    if (!dataFile.empty())
        checkDataFile(path, dataFile, 0, voxels * bytes, encoding);
}

SourceImage NrrdInput::read(ProgressBar& progress)
{
    return readWithSampleType(m_header.sampleType, [&](auto type) -> SourceImage {
        using Image = typename decltype(type)::Image;
        auto image = allocateImage<Image>(m_header);
        const NrrdPointer nrrd(nrrdNew());
        {
            const LibraryCall call(kLibrary, m_path);
            if (nrrdLoad(nrrd.get(), m_path.c_str(), nullptr) != 0)
                throw ConvertError::reading(m_path, {"foreign-text", {libraryError()}});
        }
        // The file must not have changed since its header was read.
        const size_t count = image->GetPixelContainer()->Size();
        if (nrrd->type != m_type || nrrdElementNumber(nrrd.get()) != count || !nrrd->data)
            throw ConvertError::reading(m_path, {"changed-while-read"});
        progress.update(0.5);
        copySamples(nrrd->data, m_type, image->GetBufferPointer(), count);
        progress.update(1);
        return typename Image::Pointer(image);
    });
}
