// Reading the next volume of a time series ahead (volumereadahead.h).

#include "app/volumereadahead.h"

#include "platform/regularfile.h"
#include "volume/reducedlevel.h"
#include "volume/sampleconverter.h"
#include "volume/volumeloader.h"

#include <chrono>
#include <thread>

VolumeReadAhead::~VolumeReadAhead()
{
    if (m_read.valid())
        m_read.wait();
}

void VolumeReadAhead::request(const std::string& path, int factor)
{
    if (m_read.valid() && m_path == path && m_factor == factor)
        return;
    if (m_read.valid())
        m_read.wait();
    m_path = path;
    m_factor = factor;
    m_read = std::async(std::launch::async, [path, factor] {
        Read read;
        read.error = VolumeReadAhead::read(path, factor, read.volume);
        return read;
    });
}

bool VolumeReadAhead::ready() const
{
    return !m_read.valid() || m_read.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::string VolumeReadAhead::take(const std::string& path, int factor, VolumeData& volume)
{
    if (!m_read.valid() || m_path != path || m_factor != factor)
        request(path, factor);
    Read read = m_read.get();
    volume = std::move(read.volume);
    return read.error;
}

std::string VolumeReadAhead::read(const std::string& path, int factor, VolumeData& volume)
{
    SampleVolume samples;
    const std::string error = readVolumeSamples(path, samples, factor <= 1);
    if (!error.empty())
        return error;
    // Half the cores: the view draws meanwhile.
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency() / 2);
    if (factor > 1) {
        const VolumeExtents extents{
            {uint32_t(samples.width), uint32_t(samples.height), uint32_t(samples.depth)}};
        FilePtr file = openRegularFile(path.c_str(), "rb");
        if (!file || !readReducedLevel(file.get(), extents, uint32_t(factor), threads, volume, {}))
            return "its level 1/" + std::to_string(factor) + " does not fit in memory";
        return {};
    }
    volume.width = samples.width;
    volume.height = samples.height;
    volume.depth = samples.depth;
    volume.level = {1, {{0, 0, 0}}, {{samples.width, samples.height, samples.depth}}};
    volume.voxels.resize(samples.samples.size());
    convertSlices(samples.samples.data(), size_t(samples.width) * size_t(samples.height),
                  size_t(samples.depth), volume.voxels.data(), volume.histogram, threads,
                  [](size_t) {});
    return {};
}
