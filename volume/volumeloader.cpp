#include "volume/volumeloader.h"

#include "platform/console.h"
#include "platform/regularfile.h"
#include "platform/systemmemory.h"
#include "volume/sampleconverter.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <ostream>

namespace {

// Histogram counts are 32-bit and the GL takes sizes as 32-bit integers.
constexpr uint64_t kMaxSamples = uint64_t(std::numeric_limits<int32_t>::max());
constexpr size_t kHeaderBytes = 6;

void printLoadError(const char* reason)
{
    console::err() << "+ Error loading file" << reason << std::endl << std::endl;
}

} // namespace

uint64_t defaultVolumeMemoryBudget()
{
    const uint64_t physical = physicalMemoryBytes();
    return physical > 0 ? physical / 2 : std::numeric_limits<uint64_t>::max();
}

void readVolumeFile(const std::string& path, VolumeData& volume)
{
    readVolumeFile(path, volume, defaultVolumeMemoryBudget());
}

void readVolumeFile(const std::string& path, VolumeData& volume, uint64_t memoryBudget)
{
    console::out() << "- Loading file '" << path << "' ... " << std::endl;
    FilePtr file = openRegularFile(path.c_str(), "rb");
    if (!file) {
        printLoadError(".");
        return;
    }
    readVolumeStream(file.release(), volume, memoryBudget);
}

void readVolumeStream(std::FILE* stream, VolumeData& volume, uint64_t memoryBudget)
{
    FilePtr file(stream);

    // Everything that can fail is checked before the record is touched, so a
    // refused file leaves the previous volume and its histogram in place.
    unsigned char header[kHeaderBytes];
    if (std::fread(header, 1, kHeaderBytes, file.get()) != kHeaderBytes) {
        printLoadError(": the file is shorter than its 6-byte header.");
        return;
    }
    const uint32_t width = header[0] | uint32_t(header[1]) << 8;
    const uint32_t height = header[2] | uint32_t(header[3]) << 8;
    const uint32_t depth = header[4] | uint32_t(header[5]) << 8;
    const std::string extents =
        std::to_string(width) + " x " + std::to_string(height) + " x " + std::to_string(depth);
    if (width == 0 || height == 0 || depth == 0) {
        printLoadError((": the volume " + extents + " has no samples.").c_str());
        return;
    }
    const uint64_t count = uint64_t(width) * height * depth; // at most 48 bits
    const std::string tooLarge = ": a volume of " + extents + " samples does not fit in memory.";
    if (count > kMaxSamples || count > memoryBudget / kLoadBytesPerSample) {
        printLoadError(tooLarge.c_str());
        return;
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
        return;
    }

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

    SampleConverter converter;
    const size_t sliceSize = size_t(width) * height;
    for (uint32_t z = 0; z < depth; ++z) {
        const size_t first = z * sliceSize;
        converter.convert(samples.get() + first, sliceSize, volume.voxels.data() + first);
        // A single slice has no fraction to show: it is the whole volume.
        const uint32_t percent = depth > 1 ? 100 * z / (depth - 1) : 100;
        console::out() << "\r- Preparing data (" << percent << "%) ..." << std::flush;
    }
    converter.storeCounts(volume.histogram);
    console::out() << std::endl << "- Data prepared." << std::endl;
}
