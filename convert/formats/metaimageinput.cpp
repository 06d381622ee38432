// MetaImage through ITK's reader, after checks of the header's own word
// that the library does not make.

#include "convert/formats/metaimageinput.h"

#include "convert/formats/converterror.h"
#include "convert/formats/datafilecheck.h"
#include "convert/formats/progressbar.h"
#include "convert/guard/librarycall.h"

#include <itkImageFileReader.h>
#include <itkMetaImageIO.h>
#include <metaImage.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char* const kLibrary = "ITK's MetaImage reader";

// Whether a MetaImage's ElementDataFile names the header's own file, in
// each spelling MetaIO takes.
bool attachedData(const std::string& dataFile)
{
    return dataFile == "LOCAL" || dataFile == "Local" || dataFile == "local";
}

// The integers of a header value ("3", "256 256 113"); false when anything
// else is there.
bool parseIntegers(const std::string& text, std::vector<long long>& values)
{
    std::istringstream stream(text);
    std::string word;
    while (stream >> word) {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(word.c_str(), &end, 10);
        if (*end != '\0' || errno != 0)
            return false;
        values.push_back(value);
    }
    return true;
}

// The first 40 characters of a header value, for a message.
std::string shortened(std::string text)
{
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t\r") + 1);
    return text.size() > 40 ? text.substr(0, 40) + "..." : text;
}

// What a MetaImage header says beyond what ITK reads of it.
struct MetaImageHeader
{
    std::vector<long long> extents;    // its DimSize
    uint64_t compressedSize = 0;       // its CompressedDataSize, or 0
    bool statesMatrix = false;         // a TransformMatrix (or its old names)
    std::string anatomicalOrientation; // as written, or "" where none is given
};

// MetaIO loops for ever on some dimension counts (NDims = -1 or 1e308),
// copies a key into 255 bytes and allocates the CompressedDataSize it is
// given: every NDims, DimSize and CompressedDataSize must be sound on its own
// line, and every key short, before the file is handed over. As in MetaIO, a
// key ends at '=' or ':' and the header at ElementDataFile; MetaIO takes a
// key's value from the next lines when its own is empty, which is refused
// here; so is a line without a key's end, which MetaIO, reading up to the
// next '=' or ':', would join to the next one and read a header of its own.
// Returns what the header states of the samples' size and orientation.
MetaImageHeader checkMetaImageHeader(const std::string& path)
{
    const auto said = [](const std::string& value) {
        const std::string text = shortened(value);
        return text.empty() ? std::string("empty") : text;
    };
    const auto saidArgument = [&](const std::string& value) -> ConvertMessage::Argument {
        if (shortened(value).empty())
            return ConvertMessage("empty-value");
        return said(value);
    };
    std::ifstream file(path, std::ios::binary);
    std::string line;
    long long dimensions = 0;
    bool sized = false;
    long long compressedSize = 0;
    std::string dataFile;
    MetaImageHeader stated;
    for (int number = 1; std::getline(file, line); ++number) {
        const size_t separator = line.find_first_of("=:");
        if (separator == std::string::npos && line.find_first_not_of(" \t\r") != std::string::npos)
            throw ConvertError::reading(path, {"metaimage-line-without-key", {number}});
        std::string key = line.substr(0, separator);
        // MetaIO compares keys as C strings: a NUL ends one ("NDims\0...").
        key.erase(std::min(key.find('\0'), key.size()));
        key.erase(0, key.find_first_not_of(" \t\r"));
        key.erase(key.find_last_not_of(" \t\r") + 1);
        const std::string value = separator == std::string::npos ? "" : line.substr(separator + 1);
        std::vector<long long> numbers;
        if (key.size() > 254)
            throw ConvertError::reading(path, {"metaimage-key-too-long", {key.size()}});
        if (key == "NDims") {
            if (!parseIntegers(value, numbers) || numbers.size() != 1 || numbers[0] < 1 ||
                numbers[0] > 16)
                throw ConvertError::reading(path, {"metaimage-bad-ndims", {saidArgument(value)}});
            dimensions = numbers[0];
        } else if (key == "DimSize") {
            if (!parseIntegers(value, numbers) || numbers.size() != size_t(dimensions) ||
                std::any_of(numbers.begin(), numbers.end(),
                            [](long long size) { return size < 1; }))
                throw ConvertError::reading(
                    path, {"metaimage-bad-dimsize", {saidArgument(value), dimensions}});
            sized = true;
            stated.extents = numbers;
        } else if (key == "CompressedDataSize") {
            if (!parseIntegers(value, numbers) || numbers.size() != 1 || numbers[0] < 0)
                throw ConvertError::reading(
                    path, {"metaimage-bad-compressed-size", {saidArgument(value)}});
            compressedSize = numbers[0];
        } else if (key == "TransformMatrix" || key == "Rotation" || key == "Orientation") {
            stated.statesMatrix = true;
        } else if (key == "AnatomicalOrientation") {
            stated.anatomicalOrientation = said(value);
        } else if (key == "ElementDataFile") {
            dataFile = shortened(value);
            break;
        }
    }
    if (dimensions == 0 || !sized)
        throw ConvertError::reading(
            path, {"metaimage-key-missing", {dimensions == 0 ? "NDims" : "DimSize"}});
    // The compressed data lies in one file (a list of files is not compressed).
    std::error_code error;
    const auto dataSize = std::filesystem::file_size(
        attachedData(dataFile) ? path : dataFileBesideHeader(path, dataFile), error);
    if (!error && compressedSize > 0 && std::uintmax_t(compressedSize) > dataSize)
        throw ConvertError::reading(path,
                                    {"metaimage-compressed-size-too-large", {compressedSize}});
    stated.compressedSize = uint64_t(compressedSize);
    return stated;
}

// MetaIO names where each axis comes from ("RAI": x from the patient's right
// to the left, y from anterior, z from inferior, ITK's identity); index 2 r
// and 2 r + 1 are the two ends of ITK's axis r (LPS).
constexpr char kFromLetters[] = "RLAPIS";

// The patient's frame of a three-dimensional MetaImage, from its
// TransformMatrix (which ITK read into `direction`) or its
// AnatomicalOrientation, which ITK ignores; where it gives both, they must
// agree: each letter the patient axis nearest its column. Returns whether
// either is given.
bool metaImageFrame(const std::string& path, const MetaImageHeader& stated, Direction& direction)
{
    const std::string& letters = stated.anatomicalOrientation;
    if (stated.statesMatrix)
        checkFrame(path, {"axes-of", {"TransformMatrix"}}, direction);
    if (letters.empty())
        return stated.statesMatrix;
    Direction named{};
    bool valid = letters.size() == 3;
    for (size_t axis = 0; axis < 3 && valid; ++axis) {
        const char* letter = std::strchr(kFromLetters, letters[axis]);
        const size_t index = letter ? size_t(letter - kFromLetters) : 0;
        valid = letter && letters[axis] != '\0' && named[index / 2] == std::array<double, 3>{};
        if (valid)
            named[index / 2][axis] = index % 2 == 0 ? 1 : -1;
    }
    if (!valid)
        throw ConvertError::reading(path, {"metaimage-bad-orientation-letters", {letters}});
    if (!stated.statesMatrix) {
        direction = named;
        return true;
    }
    std::string fromMatrix;
    bool agree = true;
    for (size_t axis = 0; axis < 3; ++axis) {
        size_t nearest = 0;
        double along = 0, largest = 0;
        for (size_t row = 0; row < 3; ++row) {
            along += named[row][axis] * direction[row][axis];
            if (std::abs(direction[row][axis]) > std::abs(direction[nearest][axis]))
                nearest = row;
            largest = std::max(largest, std::abs(direction[row][axis]));
        }
        // A column between two axes (45 degrees) agrees with either.
        agree = agree && along > 0 && along >= largest - 1e-6;
        fromMatrix += kFromLetters[2 * nearest + (direction[nearest][axis] < 0 ? 1 : 0)];
    }
    if (!agree)
        throw ConvertError::reading(path,
                                    {"metaimage-orientation-contradicts", {letters, fromMatrix}});
    return true;
}

} // namespace

MetaImageInput::MetaImageInput(const std::string& path)
    : m_path(path), m_io(itk::MetaImageIO::New())
{
    const MetaImageHeader stated = checkMetaImageHeader(path);
    m_compressedSize = stated.compressedSize;
    {
        const LibraryCall call(kLibrary, path);
        if (!m_io->CanReadFile(path.c_str()))
            throw ConvertError::reading(path, {"not-metaimage"});
        m_io->SetFileName(path);
        m_io->ReadImageInformation();
    }
    m_header.format = "MetaImage";

    const unsigned dimensions = m_io->GetNumberOfDimensions();
    if (dimensions > 3)
        throw ConvertError::reading(path, {"too-many-dimensions", {dimensions, 3}});
    if (m_io->GetNumberOfComponents() != 1)
        throw ConvertError::reading(path, {"several-components", {m_io->GetNumberOfComponents()}});
    for (unsigned axis = 0; axis < dimensions; ++axis) {
        m_header.extents[axis] = m_io->GetDimensions(axis);
        m_header.spacing[axis] = std::abs(m_io->GetSpacing(axis));
        const std::vector<double> direction = m_io->GetDirection(axis);
        for (unsigned row = 0; row < dimensions; ++row)
            m_header.direction[row][axis] = direction[row];
    }
    for (unsigned axis = dimensions; axis < 3; ++axis)
        m_header.extents[axis] = 1;
    // What MetaIO read must be what the header says, or it reads samples of
    // another size into the image.
    std::string read, said;
    for (unsigned axis = 0; axis < dimensions; ++axis)
        read += (axis ? " x " : "") + std::to_string(m_io->GetDimensions(axis));
    for (size_t axis = 0; axis < stated.extents.size(); ++axis)
        said += (axis ? " x " : "") + std::to_string(stated.extents[axis]);
    if (read != said)
        throw ConvertError::reading(path, {"metaimage-read-otherwise", {read, said}});
    // A size beyond what ITK holds arrives as 0, and the library would then
    // allocate the size it read.
    if (std::find(m_header.extents.begin(), m_header.extents.end(), 0) != m_header.extents.end())
        throw ConvertError::reading(path, {"extent-out-of-range"});
    checkSpacing(path, m_header.spacing);

    using IOComponent = itk::IOComponentEnum;
    const IOComponent component = m_io->GetComponentType();
    const bool isInteger = component != IOComponent::FLOAT && component != IOComponent::DOUBLE;
    const bool isSigned = component == IOComponent::CHAR || component == IOComponent::SHORT ||
                          component == IOComponent::INT || component == IOComponent::LONG ||
                          component == IOComponent::LONGLONG;
    const int bytes = int(m_io->GetComponentSize());
    m_header.sampleType = sampleTypeFor(isInteger, isSigned, bytes);
    m_header.integerSamples = isInteger;
    // Into another type, the reader converts through a buffer of the file's.
    const bool sameType = (component == IOComponent::SHORT && isSigned && bytes == 2) ||
                          (component == IOComponent::USHORT && bytes == 2) ||
                          component == IOComponent::FLOAT;
    m_header.readBytesPerVoxel = double(sampleBytes(m_header.sampleType)) + (sameType ? 0 : bytes);

    checkMetaImageData(m_io->GetImageSizeInBytes());
    // In fewer dimensions, a matrix cannot say where the patient lies.
    m_header.statesPatientFrame =
        dimensions == 3 && metaImageFrame(path, stated, m_header.direction);
}

void MetaImageInput::checkMetaImageData(uint64_t announced) const
{
    MetaImage* meta = static_cast<itk::MetaImageIO&>(*m_io).GetMetaImagePointer();
    const std::string name = meta->ElementDataFileName();
    // MetaIO reads the slice files of a LIST, or of a name pattern with a '%'
    // (which it formats with printf), unchecked: an empty line in the list or
    // a "%s" in the name takes it down.
    if (name.rfind("LIST", 0) == 0 || name.find('%') != std::string::npos)
        throw ConvertError::reading(m_path, {"metaimage-several-data-files", {shortened(name)}});
    // A file of fewer than three dimensions is read as a region of the
    // three-dimensional image, and MetaIO writes text samples of a region past
    // the end of the buffer.
    const unsigned dimensions = m_io->GetNumberOfDimensions();
    if (!meta->BinaryData() && dimensions < 3)
        throw ConvertError::reading(m_path, {"metaimage-text-samples", {dimensions}});
    const DataEncoding encoding = meta->CompressedData() ? DataEncoding::Gzip : DataEncoding::Raw;
    const std::string dataFile = attachedData(name) ? m_path : dataFileBesideHeader(m_path, name);
    checkDataFile(m_path, dataFile, 0, announced, encoding);
    if (encoding != DataEncoding::Gzip)
        return;
    // Attached samples begin after the ElementDataFile line, which ends the header.
    uint64_t offset = 0;
    if (attachedData(name)) {
        std::ifstream header(m_path, std::ios::binary);
        for (std::string line; std::getline(header, line);)
            if (line.substr(0, line.find_first_of("=:")).find("ElementDataFile") !=
                std::string::npos) {
                offset = uint64_t(header.tellg());
                break;
            }
    }
    checkDeflatedData(m_path, dataFile, offset, m_compressedSize, announced);
}

SourceImage MetaImageInput::read(ProgressBar& progress)
{
    return readWithSampleType(m_header.sampleType, [&](auto type) -> SourceImage {
        using Image = typename decltype(type)::Image;
        auto reader = itk::ImageFileReader<Image>::New();
        reader->SetImageIO(m_io);
        reader->SetFileName(m_path);
        progress.follow(*reader);
        const LibraryCall call(kLibrary, m_path);
        reader->Update();
        return typename Image::Pointer(reader->GetOutput());
    });
}
