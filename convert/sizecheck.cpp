#include "convert/sizecheck.h"

#include "convert/converterror.h"
#include "volume/volumeloader.h"

#include <sys/stat.h>

#include <cmath>
#include <sstream>

namespace {

constexpr uint64_t kDeflateLimit = 1032;

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

bool plausibleSpacing(double millimetres)
{
    return millimetres > 0 && millimetres <= 1e6;
}

void checkDataFile(const std::string& input, const std::string& dataFile, uint64_t offset,
                   uint64_t announced, DataEncoding encoding)
{
    struct stat status;
    if (stat(dataFile.c_str(), &status) != 0)
        throw ConvertError("cannot read '" + input + "': its data file '" + dataFile +
                           "' is missing");
    // A folder (an empty data file name) or a device has no size to check,
    // and a library reads it until it gives up, or for ever.
    if (!S_ISREG(status.st_mode))
        throw ConvertError("cannot read '" + input + "': its data file '" + dataFile +
                           "' is not a regular file");
    const uint64_t size = uint64_t(status.st_size);
    const uint64_t held = size > offset ? size - offset : 0;
    if ((encoding == DataEncoding::Raw && held < announced) ||
        (encoding == DataEncoding::Gzip && held < announced / kDeflateLimit))
        throw ConvertError("cannot read '" + input + "': the header announces " +
                           std::to_string(announced) + " bytes of samples, '" + dataFile +
                           "' holds " + std::to_string(held) +
                           (encoding == DataEncoding::Gzip ? " compressed" : ""));
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
    std::string advice = "no --shrink up to 16 makes it fit";
    for (int shrink = options.shrink + 1; shrink <= 16; ++shrink) {
        const std::array<uint64_t, 3> smaller = axes.permuted(
            voxelGridFor(header.extents, header.spacing, shrink, options.keepGrid).extents);
        if (fits(smaller)) {
            advice = "--shrink " + std::to_string(shrink) + " writes " + extentsText(smaller);
            break;
        }
    }
    throw ConvertError("cannot convert '" + options.input + "': the volume " +
                       extentsText(written) + " is more than Kastra loads (65535 per side, " +
                       gigabytes(double(programMemory)) + " of memory at " +
                       std::to_string(kLoadBytesPerSample) + " bytes a voxel); " + advice);
}

void checkConversionMemory(const ScanHeader& header, const VoxelGrid& grid,
                           const std::string& input, uint64_t memory)
{
    const double needed =
        double(product(header.extents)) * header.readBytesPerVoxel +
        double(product(grid.extents)) * (sizeof(uint16_t) + (grid.resampled ? sizeof(float) : 0));
    if (memory > 0 && needed > double(memory))
        throw ConvertError("cannot convert '" + input + "': it needs about " + gigabytes(needed) +
                           " of memory, the machine has " + gigabytes(double(memory)));
}
