// One volume of a DICOM series: the series chosen, its slices split into
// volumes and stacked, then decoded with GDCM, file by file.

#include "convert/dicom/dicominput.h"

#include "convert/dicom/mosaic.h"
#include "convert/dicom/seriesvolumes.h"
#include "convert/dicom/sliceresampling.h"
#include "convert/formats/converterror.h"
#include "convert/formats/progressbar.h"
#include "convert/guard/librarycall.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

std::string degrees(double value)
{
    std::ostringstream text;
    text.precision(3);
    text << value;
    return text.str();
}

void checkPixelFormat(const DicomPixelFormat& format, const std::string& input)
{
    // A volume holds one value a voxel; the colours of a palette are not values either.
    if (format.samplesPerPixel != 1 || format.photometric == "PALETTE COLOR")
        throw ConvertError::reading(input,
                                    format.photometric.empty()
                                        ? ConvertMessage("colour-samples", {format.samplesPerPixel})
                                        : ConvertMessage("colour-pixels", {format.photometric}));
    if (format.bitsAllocated != 8 && format.bitsAllocated != 16 && format.bitsAllocated != 32)
        throw ConvertError::reading(input, {"bits-allocated", {format.bitsAllocated}});
    if (format.bitsStored == 0 || format.bitsStored > format.bitsAllocated ||
        format.highBit + 1 != format.bitsStored)
        throw ConvertError::reading(input, {"bits-stored", {format.bitsStored, format.highBit}});
}

// A stored value without the bits above bits stored (scanners leave overlays
// or junk there), sign-extended when signed.
template <class Stored> double storedValue(Stored raw, const DicomPixelFormat& format)
{
    using Bits = std::make_unsigned_t<Stored>;
    constexpr unsigned kBits = sizeof(Stored) * 8;
    if (format.bitsStored >= kBits)
        return double(raw);
    const Bits value = Bits(raw) & Bits((Bits(1) << format.bitsStored) - 1);
    const bool negative = format.isSigned && (value >> (format.bitsStored - 1)) != 0;
    return negative ? double(value) - double(uint64_t(1) << format.bitsStored) : double(value);
}

// The range of a slice's values: its stored range, rescaled.
std::pair<double, double> valueRange(const DicomSlice& slice, const DicomPixelFormat& format)
{
    const double states = std::ldexp(1.0, int(format.bitsStored));
    const double low = format.isSigned ? -states / 2 : 0;
    const double high = low + states - 1;
    const double a = low * slice.slope + slice.intercept, b = high * slice.slope + slice.intercept;
    return {std::min(a, b), std::max(a, b)};
}

bool isInteger(double value)
{
    return std::floor(value) == value;
}

} // namespace

DicomInput::DicomInput(const DicomFolder& scan, const std::string& input, const DicomChoice& choice)
{
    const DicomSeries& series = scan.chosen(choice.series);
    if (!scan.leftOut().empty())
        m_header.notes.push_back("- L" + scan.leftOut().text().substr(1));
    std::error_code error;
    const size_t beside = choice.listing || series.mosaic || series.multiFrame ||
                                  std::filesystem::is_directory(input, error)
                              ? 0
                              : filesBeside(input, series.uid);
    if (beside > 0)
        m_header.notes.push_back("- One slice: its folder holds " + std::to_string(beside) +
                                 (beside == 1 ? " more file" : " more files") +
                                 " of its series; convert the folder for the volume");
    m_format = series.pixelFormat;
    checkPixelFormat(m_format, input);
    if (!series.problem.empty())
        throw ConvertError::reading(input, series.problem);
    if (series.slices.empty())
        throw ConvertError::reading(input, {"no-slices"});
    checkSlicesAlike(series.slices, input);

    SeriesVolumes split = splitIntoVolumes(series.slices, input);
    const size_t volumes = split.volumes.size();
    if (size_t(choice.volume) >= volumes)
        throw ConvertError::reading(
            input, volumes == 1 ? ConvertMessage("volume-missing-one", {choice.volume})
                                : ConvertMessage("volume-missing", {choice.volume, volumes - 1}));
    m_header.volumeCount = volumes;
    for (SliceKey key : split.distinguishing)
        m_header.toldApartBy +=
            (m_header.toldApartBy.empty() ? "" : " and ") + std::string(sliceKeyName(key));
    for (size_t v = 0; v < volumes && volumes > 1; ++v)
        m_header.volumeNames.push_back(volumeDescription(split.volumes[v], split.distinguishing));
    if (volumes > 1) {
        m_header.notes.push_back("- Volumes: " + std::to_string(volumes) + " at each of " +
                                 std::to_string(split.positions) + " positions, told apart by " +
                                 m_header.toldApartBy + "; writing volume " +
                                 std::to_string(choice.volume) + " (--volume N chooses)");
        for (size_t v = 0; v < volumes && volumes <= 16; ++v)
            m_header.notes.push_back("  volume " + std::to_string(v) + ": " +
                                     m_header.volumeNames[v]);
    }
    m_slices = std::move(split.volumes[size_t(choice.volume)]);
    m_geometry = stackGeometry(m_slices, input);
    if (m_geometry.tiltDegrees > 0) {
        if (choice.keepGrid)
            throw ConvertError::reading(input,
                                        {"sheared-keep-grid", {degrees(m_geometry.tiltDegrees)}});
        m_header.notes.push_back("- Gantry tilt: the slices are sheared by " +
                                 degrees(m_geometry.tiltDegrees) +
                                 " degrees; resampled onto an unsheared grid (linear)");
    }
    if (!m_geometry.gap.empty()) {
        if (choice.keepGrid)
            throw ConvertError::reading(input, {"uneven-slice-spacing", {m_geometry.gap}});
        m_header.notes.push_back("- Uneven slices: " + m_geometry.gap.text() +
                                 "; resampled onto an even grid (linear)");
    }

    m_header.format = "DICOM series (" +
                      (series.modality.empty() ? std::string("no modality") : series.modality) +
                      (series.mosaic       ? ", mosaic"
                       : series.multiFrame ? ", multi-frame"
                                           : "") +
                      ")";
    m_header.hounsfield = series.modality == "CT";
    m_header.valuesStatedBy = series.modality.empty()
                                  ? ConvertMessage("series-without-modality")
                                  : ConvertMessage("modality", {series.modality});
    m_header.statesPatientFrame = true;
    for (size_t axis = 0; axis < 3; ++axis) {
        m_header.extents[axis] = m_geometry.extents[axis];
        m_header.spacing[axis] = m_geometry.spacing[axis];
        for (size_t row = 0; row < 3; ++row)
            m_header.direction[row][axis] = m_geometry.axes[axis][row];
    }

    // The narrowest type that holds every rescaled value exactly.
    double low = HUGE_VAL, high = -HUGE_VAL;
    bool integers = true;
    for (const DicomSlice& slice : m_slices) {
        const auto [a, b] = valueRange(slice, m_format);
        low = std::min(low, a);
        high = std::max(high, b);
        integers = integers && isInteger(slice.slope) && isInteger(slice.intercept);
    }
    m_header.integerSamples = integers;
    m_header.sampleType = !integers || m_geometry.resampled ? SampleType::Float
                          : low >= -32768 && high <= 32767  ? SampleType::Int16
                          : low >= 0 && high <= 65535       ? SampleType::UInt16
                                                            : SampleType::Float;
    // The samples; when resampled, the slices as decoded beside them; and
    // the decoded pixels of one file.
    const DicomSlice& first = m_slices.front();
    const double sliceVoxels = double(first.columns) * first.rows;
    const double voxels = double(m_header.extents[0]) * m_header.extents[1] * m_header.extents[2];
    const double framesPerFile = first.mosaicTile || series.multiFrame
                                     ? double(series.slices.size()) / series.files.size()
                                     : 1;
    m_header.readBytesPerVoxel =
        double(sampleBytes(m_header.sampleType)) +
        (m_geometry.resampled ? sizeof(float) * sliceVoxels * m_slices.size() / voxels : 0) +
        2.0 * m_format.bitsAllocated / 8 * sliceVoxels * framesPerFile / voxels;
}

template <class Take> void DicomInput::decodeSlices(ProgressBar& progress, Take&& take)
{
    // A file is decoded once for all the slices it holds.
    std::map<std::string, std::vector<size_t>> slicesOfFile;
    std::vector<std::string> files;
    for (size_t index = 0; index < m_slices.size(); ++index) {
        auto& indices = slicesOfFile[m_slices[index].file];
        if (indices.empty())
            files.push_back(m_slices[index].file);
        indices.push_back(index);
    }
    std::vector<double> values;
    for (size_t done = 0; done < files.size(); ++done) {
        const std::string& file = files[done];
        const DicomSlice& some = m_slices[slicesOfFile[file].front()];
        const LibraryCall call("GDCM", file);
        gdcm::ImageReader reader;
        reader.SetFileName(file.c_str());
        if (!reader.Read())
            throw ConvertError::reading(file, {"gdcm-cannot-decode", {libraryFailureNote("GDCM")}});
        // GDCM copies as many bytes as the header announces from pixels
        // stored as they are, however few the pixel data holds: elements
        // after it may make up the file length the folder scan checked.
        const gdcm::ByteValue* stored = reader.GetImage().GetDataElement().GetByteValue();
        const uint64_t announced = reader.GetImage().GetBufferLength();
        if (stored && stored->GetLength() < announced)
            throw ConvertError::reading(
                file,
                {"file-damaged",
                 {ConvertMessage("pixel-data-short", {uint64_t(stored->GetLength()), announced})}});
        gdcm::SplitMosaicFilter splitter;
        const gdcm::Image& image =
            some.mosaicTile ? splitMosaic(reader, splitter, file) : reader.GetImage();
        const gdcm::PixelFormat& format = image.GetPixelFormat();
        const unsigned frames = image.GetNumberOfDimensions() > 2 ? image.GetDimension(2) : 1;
        unsigned needed = 0;
        for (size_t index : slicesOfFile[file])
            needed = std::max(needed, m_slices[index].frame + 1);
        if (image.GetDimension(0) != some.columns || image.GetDimension(1) != some.rows ||
            frames < needed || format.GetSamplesPerPixel() != 1 ||
            format.GetBitsAllocated() != m_format.bitsAllocated ||
            bool(format.GetPixelRepresentation()) != m_format.isSigned)
            throw ConvertError::reading(file, {"pixel-data-unlike-header"});
        const size_t count = size_t(some.columns) * some.rows;
        std::vector<char> buffer(image.GetBufferLength());
        if (buffer.size() < count * needed * m_format.bitsAllocated / 8)
            throw ConvertError::reading(file, {"pixel-data-unlike-header"});
        if (!image.GetBuffer(buffer.data()))
            throw ConvertError::reading(file, {"gdcm-cannot-decode", {libraryFailureNote("GDCM")}});

        values.resize(count);
        for (size_t index : slicesOfFile[file]) {
            const DicomSlice& slice = m_slices[index];
            const auto convert = [&](const auto* stored) {
                stored += size_t(slice.frame) * count;
                for (size_t i = 0; i < count; ++i)
                    values[i] = storedValue(stored[i], m_format) * slice.slope + slice.intercept;
            };
            const char* data = buffer.data();
            switch (m_format.bitsAllocated) {
            case 8:
                m_format.isSigned ? convert(reinterpret_cast<const int8_t*>(data))
                                  : convert(reinterpret_cast<const uint8_t*>(data));
                break;
            case 16:
                m_format.isSigned ? convert(reinterpret_cast<const int16_t*>(data))
                                  : convert(reinterpret_cast<const uint16_t*>(data));
                break;
            default:
                m_format.isSigned ? convert(reinterpret_cast<const int32_t*>(data))
                                  : convert(reinterpret_cast<const uint32_t*>(data));
            }
            take(index, values);
        }
        progress.update(double(done + 1) / double(files.size()));
    }
}

SourceImage DicomInput::read(ProgressBar& progress)
{
    const DicomSlice& first = m_slices.front();
    const size_t sliceSize = size_t(first.columns) * first.rows;
    if (m_geometry.resampled) {
        std::vector<float> stack(sliceSize * m_slices.size());
        decodeSlices(progress, [&](size_t index, const std::vector<double>& values) {
            std::copy(values.begin(), values.end(), stack.begin() + long(index * sliceSize));
        });
        return resampleSlices(stack, {{first.columns, first.rows}}, m_geometry, progress);
    }
    return readWithSampleType(m_header.sampleType, [&](auto type) -> SourceImage {
        using Image = typename decltype(type)::Image;
        using Pixel = typename Image::PixelType;
        auto image = allocateImage<Image>(m_header);
        decodeSlices(progress, [&](size_t index, const std::vector<double>& values) {
            Pixel* out = image->GetBufferPointer() + index * sliceSize;
            for (size_t i = 0; i < sliceSize; ++i)
                out[i] = Pixel(values[i]);
        });
        return image;
    });
}
