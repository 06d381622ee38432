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
#include <optional>
#include <ostream>
#include <string>

namespace {

// Histogram counts are 32-bit and the GL takes sizes as 32-bit integers.
constexpr uint64_t kMaxSamples = uint64_t(std::numeric_limits<int32_t>::max());
constexpr size_t kHeaderBytes = 6;

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

} // namespace

void printLoadError(const std::string& reason)
{
    console::err() << "+ Error loading file" << reason << std::endl << std::endl;
}

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
    FilePtr file = openVolumeFile(path);
    return file && readVolumeStream(file.release(), volume, memoryBudget, fits);
}

FilePtr openVolumeFile(const std::string& path)
{
    console::out() << "- Loading file '" << path << "' ... " << std::endl;
    FilePtr file = openRegularFile(path.c_str(), "rb");
    if (!file)
        printLoadError(".");
    return file;
}

bool readVolumeStream(std::FILE* stream, VolumeData& volume, uint64_t memoryBudget,
                      const ExtentsCheck& fits)
{
    FilePtr file(stream);
    const std::optional<VolumeLoadPlan> plan = planVolumeLoad(file.get(), memoryBudget, fits);
    return plan && readVolumeStream(file.release(), volume, *plan);
}

bool readVolumeStream(std::FILE* stream, VolumeData& volume, const VolumeLoadPlan& plan)
{
    FilePtr file(stream);
    LoadLines lines(plan);
    const bool read =
        readPlannedVolume(file.get(), plan, volume,
                          {[&lines] { lines.fileRead(); },
                           [&lines](size_t slice) { lines.sliceDone(slice); }, nullptr});
    if (!read) {
        printLoadError(plan.failure);
        return false;
    }
    lines.finished();
    return true;
}

std::optional<VolumeLoadPlan> planVolumeLoad(std::FILE* file, uint64_t memoryBudget,
                                             const ExtentsCheck& fits)
{
    // Everything that can fail is checked before the record is touched, so a
    // refused file leaves the previous volume and its histogram in place.
    uint32_t header[3];
    if (!readHeader(file, header)) {
        printLoadError(": the file is shorter than its 6-byte header.");
        return std::nullopt;
    }
    const uint32_t width = header[0], height = header[1], depth = header[2];
    const std::string extents = extentsText(header);
    if (width == 0 || height == 0 || depth == 0) {
        printLoadError(": the volume " + extents + " has no samples.");
        return std::nullopt;
    }
    VolumeLoadPlan plan;
    plan.extents = {width, height, depth};
    plan.failure = ": a volume of " + extents + " samples does not fit in memory.";
    std::string refusal;
    if (!volumeFitsLoader(width, height, depth, memoryBudget))
        refusal = plan.failure;
    else if (const std::string refused = fits ? fits(width, height, depth) : ""; !refused.empty())
        refusal = ": " + refused + ".";
    if (refusal.empty())
        return plan;
    // What does not fit whole is shown at a reduced level, where one fits.
    plan.factor = finestFittingFactor(
        plan.extents, memoryBudget, plan.workers(), [&fits](const VolumeExtents& level) {
            return fits ? fits(level[0], level[1], level[2]) : std::string();
        });
    if (plan.factor == 0) {
        printLoadError(refusal);
        return std::nullopt;
    }
    plan.failure = refusal;
    return plan;
}

unsigned VolumeLoadPlan::workers() const
{
    return workersFor(uint64_t(extents[0]) * extents[1] * extents[2]);
}

VolumeExtents VolumeLoadPlan::levelExtents() const
{
    return reducedExtents(extents, factor);
}

bool readPlannedVolume(std::FILE* file, const VolumeLoadPlan& plan, VolumeData& volume,
                       const LoadProgress& progress)
{
    if (plan.factor > 1) {
        if (!readReducedLevel(file, plan.extents, plan.factor, plan.workers(), volume,
                              progress.sliceDone, progress.cancel))
            return false;
        if (progress.fileRead)
            progress.fileRead();
        return true;
    }

    const uint32_t width = plan.extents[0], height = plan.extents[1], depth = plan.extents[2];
    const uint64_t count = uint64_t(width) * height * depth;
    std::vector<float> storage; // new voxel storage, only when the old is too small
    std::unique_ptr<uint16_t[]> samples(new (std::nothrow) uint16_t[count]);
    try {
        if (volume.voxels.capacity() < count)
            storage.reserve(count);
    } catch (const std::bad_alloc&) {
        samples.reset();
    }
    if (!samples)
        return false;
    adviseLargePages(samples.get(), count * sizeof(uint16_t));
    adviseLargePages(storage.data(), storage.capacity() * sizeof(float));

    // In pieces, so that a read given up ends soon. The samples a short file
    // lacks stay 0.
    constexpr size_t kPiece = size_t(64) << 20;
    size_t read = 0;
    while (read < count) {
        if (progress.cancel && progress.cancel->load())
            return false;
        const size_t wanted = std::min<size_t>(kPiece, count - read);
        const size_t got = std::fread(samples.get() + read, sizeof(uint16_t), wanted, file);
        read += got;
        if (got < wanted)
            break;
    }
    std::fill(samples.get() + read, samples.get() + count, uint16_t(0));
    if (progress.fileRead)
        progress.fileRead();

    if (storage.capacity() > 0)
        volume.voxels = std::move(storage);
    volume.voxels.resize(count);
    volume.width = int32_t(width);
    volume.height = int32_t(height);
    volume.depth = int32_t(depth);
    volume.level = {1, {{0, 0, 0}}, {{int32_t(width), int32_t(height), int32_t(depth)}}};
    convertSlices(samples.get(), size_t(width) * height, depth, volume.voxels.data(),
                  volume.histogram, workersFor(count), progress.sliceDone);
    return true;
}

LoadLines::LoadLines(const VolumeLoadPlan& plan)
    : m_reduced(plan.factor > 1), m_slices(plan.levelExtents()[2])
{
    if (m_reduced)
        console::out() << "- Resolution 1/" << plan.factor << ": "
                       << extentsText(plan.levelExtents().data()) << " of "
                       << extentsText(plan.extents.data()) << std::endl;
}

void LoadLines::fileRead()
{
    // A reduced level is read and prepared in one pass: said at its end.
    if (!m_reduced)
        console::out() << "- File loaded." << std::endl;
}

void LoadLines::sliceDone(size_t slice)
{
    // A single slice has no fraction to show: it is the whole volume.
    const uint64_t percent = m_slices > 1 ? 100 * uint64_t(slice) / (m_slices - 1) : 100;
    console::out() << "\r- Preparing data (" << percent << "%) ..." << std::flush;
}

void LoadLines::finished()
{
    console::out() << std::endl
                   << (m_reduced ? "- File loaded.\n" : "") << "- Data prepared." << std::endl;
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
