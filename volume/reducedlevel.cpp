#include "volume/reducedlevel.h"

#include "platform/regularfile.h"
#include "platform/sliceworkers.h"
#include "volume/sampleconverter.h"
#include "volume/volumeloader.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

namespace {

constexpr uint64_t kHeaderBytes = 6;
constexpr uint32_t kCoarsestFactor = 64; // block sums of 64^3 samples stay within 32 bits
constexpr uint32_t kFewestVoxelsOnLongestSide = 16;
constexpr size_t kReadBytes = 8 << 20; // a worker's read buffer, at least its level's row of blocks

// Reads by offset from several threads at once: pread on a file the system
// holds, a guarded seek and read on any other stream (one in memory).
class OffsetReader
{
public:
    explicit OffsetReader(std::FILE* file) : m_file(file), m_descriptor(fileno(file))
    {
        struct stat status;
        if (m_descriptor >= 0 && fstat(m_descriptor, &status) == 0)
            m_size = uint64_t(status.st_size);
        else if (fseeko(file, 0, SEEK_END) == 0 && ftello(file) >= 0)
            m_size = uint64_t(ftello(file));
    }

    // Bytes the file holds from `offset` on.
    uint64_t bytesFrom(uint64_t offset) const { return offset < m_size ? m_size - offset : 0; }

    // Bytes read at `offset` into `into`, at most `bytes`; fewer at the end,
    // whole samples only: a file that ends within a sample lacks it.
    size_t read(uint64_t offset, void* into, size_t bytes)
    {
        const size_t got = readBytes(offset, into, bytes);
        return got - got % sizeof(uint16_t);
    }

private:
    size_t readBytes(uint64_t offset, void* into, size_t bytes)
    {
        if (m_descriptor >= 0) {
            size_t done = 0;
            while (done < bytes) {
                const ssize_t got = pread(m_descriptor, static_cast<char*>(into) + done,
                                          bytes - done, off_t(offset + done));
                if (got <= 0)
                    break;
                done += size_t(got);
            }
            return done;
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (fseeko(m_file, off_t(offset), SEEK_SET) != 0)
            return 0;
        return std::fread(into, 1, bytes, m_file);
    }

    std::FILE* m_file;
    int m_descriptor;
    uint64_t m_size = 0;
    std::mutex m_mutex;
};

size_t bandRows(const VolumeExtents& file, uint32_t factor)
{
    const size_t blockRow = size_t(file[0]) * factor * sizeof(uint16_t);
    const size_t blockRows = (size_t(file[1]) + factor - 1) / factor;
    return factor * std::clamp<size_t>(kReadBytes / blockRow, 1, blockRows);
}

unsigned shiftOf(uint32_t factor)
{
    unsigned shift = 0;
    while ((1u << shift) < factor)
        ++shift;
    return shift;
}

// One thread's share of a reduced read.
struct Worker
{
    std::vector<uint32_t> sums;    // a slice of block sums
    std::vector<uint16_t> samples; // a band of file rows
    uint64_t counts[4][kDensityCount] = {};

    // Adds a file row to the block sums of its row of blocks and counts it.
    void addRow(const uint16_t* row, uint32_t width, unsigned shift, uint32_t* blockRow)
    {
        uint32_t x = 0;
        for (; x + 4 <= width; x += 4) {
            const unsigned s0 = std::min<unsigned>(fromLittleEndian(row[x]), kMaxDensity);
            const unsigned s1 = std::min<unsigned>(fromLittleEndian(row[x + 1]), kMaxDensity);
            const unsigned s2 = std::min<unsigned>(fromLittleEndian(row[x + 2]), kMaxDensity);
            const unsigned s3 = std::min<unsigned>(fromLittleEndian(row[x + 3]), kMaxDensity);
            ++counts[0][s0];
            ++counts[1][s1];
            ++counts[2][s2];
            ++counts[3][s3];
            blockRow[x >> shift] += s0;
            blockRow[(x + 1) >> shift] += s1;
            blockRow[(x + 2) >> shift] += s2;
            blockRow[(x + 3) >> shift] += s3;
        }
        for (; x < width; ++x) {
            const unsigned s = std::min<unsigned>(fromLittleEndian(row[x]), kMaxDensity);
            ++counts[0][s];
            blockRow[x >> shift] += s;
        }
    }
};

} // namespace

VolumeExtents reducedExtents(const VolumeExtents& file, uint32_t factor)
{
    VolumeExtents level{};
    for (size_t axis = 0; axis < 3; ++axis)
        level[axis] = (file[axis] + factor - 1) / factor;
    return level;
}

uint64_t reducedReadBytes(const VolumeExtents& file, uint32_t factor, unsigned workers)
{
    const VolumeExtents level = reducedExtents(file, factor);
    const uint64_t sliceSums = uint64_t(level[0]) * level[1] * sizeof(uint32_t);
    const uint64_t band = uint64_t(bandRows(file, factor)) * file[0] * sizeof(uint16_t);
    return uint64_t(level[0]) * level[1] * level[2] * sizeof(float) +
           workers * (sliceSums + band + sizeof(Worker));
}

uint32_t finestFittingFactor(const VolumeExtents& file, uint64_t memoryBudget, unsigned workers,
                             const std::function<std::string(const VolumeExtents&)>& fits)
{
    const uint32_t longest = std::max({file[0], file[1], file[2]});
    for (uint32_t factor = 2; factor <= kCoarsestFactor; factor *= 2) {
        if ((longest + factor - 1) / factor < kFewestVoxelsOnLongestSide)
            break;
        const VolumeExtents level = reducedExtents(file, factor);
        const uint64_t count = uint64_t(level[0]) * level[1] * level[2];
        if (count <= uint64_t(std::numeric_limits<int32_t>::max()) &&
            reducedReadBytes(file, factor, workers) <= memoryBudget &&
            (!fits || fits(level).empty()))
            return factor;
    }
    return 0;
}

bool readReducedLevel(std::FILE* file, const VolumeExtents& extents, uint32_t factor,
                      unsigned workers, VolumeData& volume,
                      const std::function<void(size_t slice)>& sliceDone,
                      const std::atomic<bool>* cancel)
{
    const VolumeExtents level = reducedExtents(extents, factor);
    const size_t levelSlice = size_t(level[0]) * level[1];
    workers = std::clamp<unsigned>(workers, 1, level[2]);
    const size_t rows = bandRows(extents, factor);
    std::vector<float> voxels;
    std::vector<Worker> state;
    try {
        voxels.resize(levelSlice * level[2]);
        state.resize(workers);
        for (Worker& worker : state) {
            worker.sums.resize(levelSlice);
            worker.samples.resize(rows * extents[0]);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }

    OffsetReader reader(file);
    const unsigned shift = shiftOf(factor);
    const uint64_t width = extents[0], height = extents[1];
    forEachSlice(
        level[2], workers,
        [&](size_t k, unsigned index) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return;
            Worker& worker = state[index];
            std::fill(worker.sums.begin(), worker.sums.end(), 0u);
            const uint32_t zFrom = uint32_t(k) * factor;
            const uint32_t zTo = std::min(zFrom + factor, extents[2]);
            for (uint32_t z = zFrom; z < zTo; ++z)
                for (uint32_t y0 = 0; y0 < height; y0 += uint32_t(rows)) {
                    const size_t bandHeight = std::min<size_t>(rows, height - y0);
                    const size_t bytes = bandHeight * width * sizeof(uint16_t);
                    const uint64_t offset =
                        kHeaderBytes + (uint64_t(z) * height + y0) * width * sizeof(uint16_t);
                    if (reader.bytesFrom(offset) == 0) {
                        // Past a short file's end: zeros, which add nothing to the sums.
                        worker.counts[0][0] += bandHeight * width;
                        continue;
                    }
                    const size_t got = reader.read(offset, worker.samples.data(), bytes);
                    std::memset(reinterpret_cast<char*>(worker.samples.data()) + got, 0,
                                bytes - got);
                    for (size_t row = 0; row < bandHeight; ++row)
                        worker.addRow(worker.samples.data() + row * width, uint32_t(width), shift,
                                      worker.sums.data() + ((y0 + row) >> shift) * level[0]);
                }
            // The blocks at the far edges hold fewer samples.
            float* out = voxels.data() + k * levelSlice;
            const uint32_t depth = zTo - zFrom;
            for (uint32_t j = 0; j < level[1]; ++j) {
                const uint32_t rowsIn = std::min(factor, extents[1] - j * factor);
                for (uint32_t i = 0; i < level[0]; ++i) {
                    const uint32_t columns = std::min(factor, extents[0] - i * factor);
                    const double samples = double(columns) * rowsIn * depth;
                    out[size_t(j) * level[0] + i] = float(
                        double(worker.sums[size_t(j) * level[0] + i]) / samples / kMaxDensity);
                }
            }
        },
        sliceDone);
    if (cancel && cancel->load())
        return false;

    volume.voxels = std::move(voxels);
    volume.width = int32_t(level[0]);
    volume.height = int32_t(level[1]);
    volume.depth = int32_t(level[2]);
    for (size_t bin = 0; bin < size_t(kDensityCount); ++bin) {
        uint64_t count = 0;
        for (const Worker& worker : state)
            count += worker.counts[0][bin] + worker.counts[1][bin] + worker.counts[2][bin] +
                     worker.counts[3][bin];
        volume.histogram[bin] =
            int32_t(std::min<uint64_t>(count, uint64_t(std::numeric_limits<int32_t>::max())));
    }
    volume.level = {int32_t(factor),
                    {{0, 0, 0}},
                    {{int32_t(extents[0]), int32_t(extents[1]), int32_t(extents[2])}}};
    return true;
}

bool readStridedLevel(std::FILE* file, const VolumeExtents& extents, uint32_t factor,
                      VolumeData& volume)
{
    const VolumeExtents level = reducedExtents(extents, factor);
    const size_t levelSlice = size_t(level[0]) * level[1];
    const unsigned workers = workersFor(levelSlice * level[2] * factor);
    std::vector<float> voxels;
    std::vector<std::vector<uint16_t>> rows(workers);
    std::vector<SampleConverter> counters(workers);
    try {
        voxels.resize(levelSlice * level[2]);
        for (std::vector<uint16_t>& row : rows)
            row.resize(extents[0]);
    } catch (const std::bad_alloc&) {
        return false;
    }
    OffsetReader reader(file);
    forEachSlice(level[2], workers, [&](size_t k, unsigned index) {
        std::vector<uint16_t>& row = rows[index];
        std::vector<uint16_t> picked(level[0]);
        for (uint32_t j = 0; j < level[1]; ++j) {
            const uint64_t start =
                (uint64_t(k) * factor * extents[1] + uint64_t(j) * factor) * extents[0];
            const size_t bytes = row.size() * sizeof(uint16_t);
            const size_t got =
                reader.read(kHeaderBytes + start * sizeof(uint16_t), row.data(), bytes);
            std::memset(reinterpret_cast<char*>(row.data()) + got, 0, bytes - got);
            for (uint32_t i = 0; i < level[0]; ++i)
                picked[i] = row[size_t(i) * factor];
            counters[index].convert(picked.data(), picked.size(),
                                    voxels.data() + k * levelSlice + size_t(j) * level[0]);
        }
    });
    volume.voxels = std::move(voxels);
    volume.width = int32_t(level[0]);
    volume.height = int32_t(level[1]);
    volume.depth = int32_t(level[2]);
    volume.histogram.fill(0);
    for (const SampleConverter& counter : counters) {
        std::array<int32_t, kDensityCount> counts;
        counter.storeCounts(counts);
        for (size_t bin = 0; bin < counts.size(); ++bin)
            volume.histogram[bin] += counts[bin];
    }
    volume.level = {int32_t(factor),
                    {{0, 0, 0}},
                    {{int32_t(extents[0]), int32_t(extents[1]), int32_t(extents[2])}}};
    return true;
}

uint32_t factorForVoxels(const VolumeExtents& file, uint64_t voxels)
{
    uint32_t factor = 1;
    for (;;) {
        const VolumeExtents level = reducedExtents(file, factor);
        if (uint64_t(level[0]) * level[1] * level[2] <= voxels || factor >= (1u << 16))
            return factor;
        factor *= 2;
    }
}

std::string readFileRegion(const std::string& path, const std::array<int, 3>& from,
                           const std::array<int, 3>& to, uint64_t memoryBudget, VolumeData& volume)
{
    FilePtr file = openRegularFile(path.c_str(), "rb");
    unsigned char header[kHeaderBytes];
    if (!file || std::fread(header, 1, kHeaderBytes, file.get()) != kHeaderBytes)
        return "the volume file cannot be read";
    VolumeExtents extents{};
    for (size_t axis = 0; axis < 3; ++axis)
        extents[axis] = header[2 * axis] | uint32_t(header[2 * axis + 1]) << 8;
    std::array<uint32_t, 3> size{};
    for (size_t axis = 0; axis < 3; ++axis) {
        if (from[axis] < 0 || from[axis] > to[axis] || uint32_t(to[axis]) >= extents[axis])
            return "the region lies outside the volume";
        size[axis] = uint32_t(to[axis] - from[axis] + 1);
    }
    const std::string sizeText =
        std::to_string(size[0]) + " x " + std::to_string(size[1]) + " x " + std::to_string(size[2]);
    if (!volumeFitsLoader(size[0], size[1], size[2], memoryBudget))
        return "a region of " + sizeText + " samples does not fit in memory";
    std::vector<float> voxels;
    std::vector<uint16_t> row(size[0]);
    try {
        voxels.resize(size_t(size[0]) * size[1] * size[2]);
    } catch (const std::bad_alloc&) {
        return "a region of " + sizeText + " samples does not fit in memory";
    }
    OffsetReader reader(file.get());
    SampleConverter converter; // its counts are the region's; the file's histogram stays
    float* out = voxels.data();
    for (uint32_t z = 0; z < size[2]; ++z)
        for (uint32_t y = 0; y < size[1]; ++y, out += size[0]) {
            const uint64_t index = (uint64_t(from[2]) + z) * extents[1] * extents[0] +
                                   (uint64_t(from[1]) + y) * extents[0] + uint64_t(from[0]);
            const size_t bytes = row.size() * sizeof(uint16_t);
            const size_t got =
                reader.read(kHeaderBytes + index * sizeof(uint16_t), row.data(), bytes);
            std::memset(reinterpret_cast<char*>(row.data()) + got, 0, bytes - got);
            converter.convert(row.data(), row.size(), out);
        }
    volume.voxels = std::move(voxels);
    volume.width = int32_t(size[0]);
    volume.height = int32_t(size[1]);
    volume.depth = int32_t(size[2]);
    volume.level = {1,
                    {{from[0], from[1], from[2]}},
                    {{int32_t(extents[0]), int32_t(extents[1]), int32_t(extents[2])}}};
    return {};
}
