#include "volume/volumeloader.h"

#include "platform/console.h"
#include "platform/regularfile.h"
#include "platform/sliceworkers.h"
#include "platform/systemmemory.h"
#include "volume/reducedlevel.h"
#include "volume/sampleconverter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <ostream>
#include <string>

namespace {

// Histogram counts are 32-bit and the GL takes sizes as 32-bit integers.
constexpr uint64_t kMaxSamples = uint64_t(std::numeric_limits<int32_t>::max());
constexpr size_t kHeaderBytes = 6;

void printLoadError(const char* reason)
{
    console::err() << "+ Error loading file" << reason << std::endl << std::endl;
}

// The three little-endian extents at the start of a volume file; false when
// the file is shorter than its header.
bool readHeader(std::FILE* file, uint32_t extents[3])
{
    unsigned char header[kHeaderBytes];
    if (std::fread(header, 1, kHeaderBytes, file) != kHeaderBytes)
        return false;
    for (int axis = 0; axis < 3; ++axis)
        extents[axis] = header[2 * axis] | uint32_t(header[2 * axis + 1]) << 8;
    return true;
}

std::string extentsText(const uint32_t extents[3])
{
    return std::to_string(extents[0]) + " x " + std::to_string(extents[1]) + " x " +
           std::to_string(extents[2]);
}

void printPreparing(uint64_t slice, uint64_t slices)
{
    // A single slice has no fraction to show: it is the whole volume.
    const uint64_t percent = slices > 1 ? 100 * slice / (slices - 1) : 100;
    console::out() << "\r- Preparing data (" << percent << "%) ..." << std::flush;
}

// The file's samples read once into the level 1/`factor`; the progress
// counts the level's slices, each of which reads `factor` of the file's.
bool readReduced(std::FILE* file, const Extents& extents, uint32_t factor, unsigned workers,
                 VolumeData& volume)
{
    const Extents level = reducedExtents(extents, factor);
    console::out() << "- Resolution 1/" << factor << ": " << extentsText(level.data()) << " of "
                   << extentsText(extents.data()) << std::endl;
    if (!readReducedLevel(file, extents, factor, workers, volume,
                          [&level](size_t k) { printPreparing(k, level[2]); }))
        return false;
    console::out() << std::endl << "- File loaded." << std::endl << "- Data prepared." << std::endl;
    return true;
}

} // namespace

bool volumeFitsLoader(uint64_t width, uint64_t height, uint64_t depth, uint64_t memoryBudget)
{
    constexpr uint64_t kMaxExtent = 0xffff;
    if (width < 1 || height < 1 || depth < 1 || width > kMaxExtent || height > kMaxExtent ||
        depth > kMaxExtent)
        return false;
    const uint64_t count = width * height * depth; // at most 48 bits
    return count <= kMaxSamples && count <= memoryBudget / kLoadBytesPerSample;
}

uint64_t defaultVolumeMemoryBudget()
{
    // KASTRA_MEMORY_MB narrows it, on a machine shared with other work.
    if (const char* megabytes = std::getenv("KASTRA_MEMORY_MB")) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(megabytes, &end, 10);
        if (*megabytes != '\0' && *end == '\0' && value > 0 && value < (1ull << 40))
            return uint64_t(value) << 20;
    }
    const uint64_t physical = physicalMemoryBytes();
    return physical > 0 ? physical / 2 : std::numeric_limits<uint64_t>::max();
}

bool readVolumeFile(const std::string& path, VolumeData& volume)
{
    return readVolumeFile(path, volume, defaultVolumeMemoryBudget());
}

bool readVolumeFile(const std::string& path, VolumeData& volume, uint64_t memoryBudget,
                    const ExtentsCheck& fits)
{
    console::out() << "- Loading file '" << path << "' ... " << std::endl;
    FilePtr file = openRegularFile(path.c_str(), "rb");
    if (!file) {
        printLoadError(".");
        return false;
    }
    return readVolumeStream(file.release(), volume, memoryBudget, fits);
}

bool readVolumeStream(std::FILE* stream, VolumeData& volume, uint64_t memoryBudget,
                      const ExtentsCheck& fits)
{
    FilePtr file(stream);

    // Everything that can fail is checked before the record is touched, so a
    // refused file leaves the previous volume and its histogram in place.
    uint32_t header[3];
    if (!readHeader(file.get(), header)) {
        printLoadError(": the file is shorter than its 6-byte header.");
        return false;
    }
    const uint32_t width = header[0], height = header[1], depth = header[2];
    const std::string extents = extentsText(header);
    if (width == 0 || height == 0 || depth == 0) {
        printLoadError((": the volume " + extents + " has no samples.").c_str());
        return false;
    }
    const uint64_t count = uint64_t(width) * height * depth;
    const std::string tooLarge = ": a volume of " + extents + " samples does not fit in memory.";
    std::string refusal;
    if (!volumeFitsLoader(width, height, depth, memoryBudget))
        refusal = tooLarge;
    else if (const std::string refused = fits ? fits(width, height, depth) : ""; !refused.empty())
        refusal = ": " + refused + ".";
    if (!refusal.empty()) {
        // What does not fit whole is shown at a reduced level, where one fits.
        const unsigned workers = workersFor(count);
        const uint32_t factor = finestFittingFactor(
            {width, height, depth}, memoryBudget, workers, [&fits](const Extents& level) {
                return fits ? fits(level[0], level[1], level[2]) : std::string();
            });
        if (factor > 0 && readReduced(file.get(), {width, height, depth}, factor, workers, volume))
            return true;
        printLoadError(refusal.c_str());
        return false;
    }

    std::vector<float> storage; // new voxel storage, only when the old is too small
    std::unique_ptr<uint16_t[]> samples(new (std::nothrow) uint16_t[count]);
    try {
        if (volume.voxels.capacity() < count)
            storage.reserve(count);
    } catch (const std::bad_alloc&) {
        samples.reset();
    }
    if (!samples) {
        printLoadError(tooLarge.c_str());
        return false;
    }
    adviseLargePages(samples.get(), count * sizeof(uint16_t));
    adviseLargePages(storage.data(), storage.capacity() * sizeof(float));

    // One read for all samples. The samples a short file lacks stay 0.
    const size_t read = std::fread(samples.get(), sizeof(uint16_t), count, file.get());
    std::fill(samples.get() + read, samples.get() + count, uint16_t(0));
    file.reset();
    console::out() << "- File loaded." << std::endl;

    if (storage.capacity() > 0)
        volume.voxels = std::move(storage);
    volume.voxels.resize(count);
    volume.width = int32_t(width);
    volume.height = int32_t(height);
    volume.depth = int32_t(depth);
    volume.level = {1, {{0, 0, 0}}, {{int32_t(width), int32_t(height), int32_t(depth)}}};

    const size_t sliceSize = size_t(width) * height;
    convertSlices(samples.get(), sliceSize, depth, volume.voxels.data(), volume.histogram,
                  workersFor(count), [depth](size_t z) { printPreparing(z, depth); });
    console::out() << std::endl << "- Data prepared." << std::endl;
    return true;
}

std::string readVolumeSamples(const std::string& path, SampleVolume& volume, bool withSamples)
{
    FilePtr file = openRegularFile(path.c_str(), "rb");
    if (!file)
        return "it is not a readable file";
    uint32_t extents[3];
    if (!readHeader(file.get(), extents))
        return "the file is shorter than its 6-byte header";
    if (extents[0] == 0 || extents[1] == 0 || extents[2] == 0)
        return "the volume " + extentsText(extents) + " has no samples";
    struct stat status;
    const uint64_t needed = volumeFileSize(int(extents[0]), int(extents[1]), int(extents[2]));
    if (fstat(fileno(file.get()), &status) != 0 || uint64_t(status.st_size) < needed)
        return "the header announces " + extentsText(extents) + " samples (" +
               std::to_string(needed) + " bytes), the file holds " +
               std::to_string(status.st_size) + " bytes";
    volume.width = int(extents[0]);
    volume.height = int(extents[1]);
    volume.depth = int(extents[2]);
    volume.samples.clear();
    if (!withSamples)
        return {};
    const size_t count = size_t(extents[0]) * extents[1] * extents[2];
    try {
        volume.samples.resize(count);
    } catch (const std::bad_alloc&) {
        return "a volume of " + extentsText(extents) + " samples does not fit in memory";
    }
    if (std::fread(volume.samples.data(), sizeof(uint16_t), count, file.get()) != count)
        return "reading the samples failed";
    for (uint16_t& sample : volume.samples)
        sample = fromLittleEndian(sample);
    return {};
}
