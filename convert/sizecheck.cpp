// The size checks before a conversion reads any sample: will the program
// load what it writes, and does the machine have the memory to convert it.

#include "convert/sizecheck.h"

#include "convert/formats/converterror.h"
#include "volume/volumeloader.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace {

uint64_t product(const std::array<uint64_t, 3>& extents)
{
    return extents[0] * extents[1] * extents[2];
}

std::string gigabytes(double bytes)
{
    std::ostringstream text;
    text.precision(bytes < 1e10 ? 2 : 3);
    text << bytes / 1e9 << " GB";
    return text.str();
}

// "--shrink N writes A x B x C" (in the written axes) for the least
// --shrink beyond the options' whose grid `fits` takes, or that none up to
// 16 does.
ConvertMessage shrinkAdvice(const ScanHeader& header, const ConvertOptions& options,
                            const AxisMapping& axes,
                            const std::function<bool(const VoxelGrid&)>& fits)
{
    for (int shrink = options.shrink + 1; shrink <= 16; ++shrink) {
        const VoxelGrid smaller =
            voxelGridFor(header.extents, header.spacing, shrink, options.keepGrid);
        if (fits(smaller))
            return {"shrink-fits", {shrink, extentsText(axes.permuted(smaller.extents))}};
    }
    return ConvertMessage("no-shrink-fits");
}

} // namespace

std::string extentsText(const std::array<uint64_t, 3>& extents)
{
    return std::to_string(extents[0]) + " x " + std::to_string(extents[1]) + " x " +
           std::to_string(extents[2]);
}

void checkProgramTakes(const VoxelGrid& grid, const AxisMapping& axes, const ScanHeader& header,
                       const ConvertOptions& options)
{
    // The program opens what does not fit its memory at a reduced level:
    // only the file's 16-bit extents bound what it takes.
    const auto fits = [](const VoxelGrid& written) {
        return std::all_of(written.extents.begin(), written.extents.end(),
                           [](uint64_t extent) { return extent <= kMaxVolumeExtent; });
    };
    if (fits(grid))
        return;
    throw ConvertError(
        {"cannot-convert",
         {options.input,
          ConvertMessage("wider-than-dat", {extentsText(axes.permuted(grid.extents)),
                                            shrinkAdvice(header, options, axes, fits)})}});
}

void checkConversionMemory(const ScanHeader& header, const VoxelGrid& grid, const AxisMapping& axes,
                           const ConvertOptions& options, uint64_t memory)
{
    // The source is read whole; a coarser grid shrinks only what is written.
    const auto needed = [&header](const VoxelGrid& written) {
        return double(product(header.extents)) * header.readBytesPerVoxel +
               double(product(written.extents)) *
                   (sizeof(uint16_t) + (written.resampled ? sizeof(float) : 0));
    };
    const auto fits = [&](const VoxelGrid& written) { return needed(written) <= double(memory); };
    if (memory == 0 || fits(grid))
        return;
    throw ConvertError(
        {"cannot-convert",
         {options.input,
          ConvertMessage("memory-too-small", {gigabytes(needed(grid)), gigabytes(double(memory)),
                                              shrinkAdvice(header, options, axes, fits)})}});
}
