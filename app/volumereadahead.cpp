// Reading the next volume of a time series ahead (volumereadahead.h).

#include "app/volumereadahead.h"

#include "volume/sampleconverter.h"
#include "volume/volumeloader.h"

#include <chrono>
#include <thread>

VolumeReadAhead::~VolumeReadAhead()
{
    if (m_read.valid())
        m_read.wait();
}

void VolumeReadAhead::request(const std::string& path)
{
    if (m_read.valid() && m_path == path)
        return;
    if (m_read.valid())
        m_read.wait();
    m_path = path;
    m_read = std::async(std::launch::async, [path] {
        Read read;
        read.error = VolumeReadAhead::read(path, read.volume);
        return read;
    });
}

bool VolumeReadAhead::ready() const
{
    return !m_read.valid() || m_read.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::string VolumeReadAhead::take(const std::string& path, VolumeData& volume)
{
    if (!m_read.valid() || m_path != path)
        request(path);
    Read read = m_read.get();
    volume = std::move(read.volume);
    return read.error;
}

std::string VolumeReadAhead::read(const std::string& path, VolumeData& volume)
{
    SampleVolume samples;
    const std::string error = readVolumeSamples(path, samples);
    if (!error.empty())
        return error;
    volume.width = samples.width;
    volume.height = samples.height;
    volume.depth = samples.depth;
    volume.level = {1, {{0, 0, 0}}, {{samples.width, samples.height, samples.depth}}};
    volume.voxels.resize(samples.samples.size());
    // Half the cores: the view draws meanwhile.
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency() / 2);
    convertSlices(samples.samples.data(), size_t(samples.width) * size_t(samples.height),
                  size_t(samples.depth), volume.voxels.data(), volume.histogram, threads,
                  [](size_t) {});
    return {};
}
