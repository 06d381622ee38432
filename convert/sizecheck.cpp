// The size checks before a conversion reads any sample: will the program
// load what it writes, and does the machine have the memory to convert it.

#include "convert/sizecheck.h"

#include "convert/formats/converterror.h"
#include "volume/volumeloader.h"

#include <cmath>
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

} // namespace

std::string extentsText(const std::array<uint64_t, 3>& extents)
{
    return std::to_string(extents[0]) + " x " + std::to_string(extents[1]) + " x " +
           std::to_string(extents[2]);
}

void checkProgramTakes(const VoxelGrid& grid, const AxisMapping& axes, const ScanHeader& header,
                       const ConvertOptions& options, uint64_t programMemory)
{
    const auto fits = [programMemory](const std::array<uint64_t, 3>& extents) {
        return volumeFitsLoader(extents[0], extents[1], extents[2], programMemory);
    };
    const std::array<uint64_t, 3> written = axes.permuted(grid.extents);
    if (fits(written))
        return;
    ConvertMessage advice("no-shrink-fits");
    for (int shrink = options.shrink + 1; shrink <= 16; ++shrink) {
        const std::array<uint64_t, 3> smaller = axes.permuted(
            voxelGridFor(header.extents, header.spacing, shrink, options.keepGrid).extents);
        if (fits(smaller)) {
            advice = {"shrink-fits", {shrink, extentsText(smaller)}};
            break;
        }
    }
    throw ConvertError(
        {"cannot-convert",
         {options.input, ConvertMessage("volume-too-large",
                                        {extentsText(written), gigabytes(double(programMemory)),
                                         kLoadBytesPerSample, advice})}});
}

void checkConversionMemory(const ScanHeader& header, const VoxelGrid& grid,
                           const std::string& input, uint64_t memory)
{
    const double needed =
        double(product(header.extents)) * header.readBytesPerVoxel +
        double(product(grid.extents)) * (sizeof(uint16_t) + (grid.resampled ? sizeof(float) : 0));
    if (memory > 0 && needed > double(memory))
        throw ConvertError(
            {"cannot-convert",
             {input,
              ConvertMessage("memory-too-small", {gigabytes(needed), gigabytes(double(memory))})}});
}
