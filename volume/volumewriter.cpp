#include "volume/volumewriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

bool fitsHeader(int extent)
{
    return extent >= 0 && extent <= 0xffff;
}

void putLittleEndian(unsigned char* bytes, uint16_t value)
{
    bytes[0] = uint8_t(value & 0xff);
    bytes[1] = uint8_t(value >> 8);
}

} // namespace

bool writeVolumeFile(const std::string& path, const SampleVolume& volume)
{
    if (volume.samples.size() != size_t(std::max(volume.width, 0)) *
                                     size_t(std::max(volume.height, 0)) *
                                     size_t(std::max(volume.depth, 0)))
        return false;
    return writeVolumeFile(path, volume.width, volume.height, volume.depth, volume.samples.data());
}

bool writeVolumeFile(const std::string& path, int width, int height, int depth,
                     const uint16_t* samples)
{
    VolumeFileWriter writer(path, width, height, depth);
    const size_t row = size_t(std::max(width, 0));
    for (int z = 0; z < depth; ++z)
        for (int y = 0; y < height; ++y)
            writer.writeRow(y, z, samples + row * (size_t(y) + size_t(height) * size_t(z)));
    return writer.commit();
}

// Written beside the target and renamed over it: an interrupted or failed
// write never leaves a half-written volume, or damages an older one, under
// the final name.
VolumeFileWriter::VolumeFileWriter(const std::string& path, int width, int height, int depth)
    : m_path(path), m_width(width), m_height(height), m_bytes(2 * size_t(std::max(width, 0)))
{
    m_failed = !fitsHeader(width) || !fitsHeader(height) || !fitsHeader(depth);
    if (m_failed)
        return;
    m_descriptor = ::open((path + ".part").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    unsigned char header[6];
    putLittleEndian(&header[0], uint16_t(width));
    putLittleEndian(&header[2], uint16_t(height));
    putLittleEndian(&header[4], uint16_t(depth));
    const off_t size = off_t(volumeFileSize(width, height, depth));
    m_failed = m_descriptor < 0 || ::pwrite(m_descriptor, header, 6, 0) != 6 ||
               ::ftruncate(m_descriptor, size) != 0;
}

VolumeFileWriter::~VolumeFileWriter()
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        std::remove((m_path + ".part").c_str());
    }
}

bool VolumeFileWriter::writeRow(int y, int z, const uint16_t* samples)
{
    if (m_failed || y < 0 || y >= m_height || z < 0)
        return false;
    if (std::all_of(samples, samples + m_width, [](uint16_t sample) { return sample == 0; }))
        return true;
    for (int x = 0; x < m_width; ++x)
        putLittleEndian(&m_bytes[2 * size_t(x)], samples[x]);
    const off_t offset =
        off_t(6 + 2 * (uint64_t(z) * uint64_t(m_height) + uint64_t(y)) * uint64_t(m_width));
    size_t done = 0;
    while (done < m_bytes.size()) {
        const ssize_t wrote = ::pwrite(m_descriptor, m_bytes.data() + done, m_bytes.size() - done,
                                       offset + off_t(done));
        if (wrote <= 0) {
            m_failed = true;
            return false;
        }
        done += size_t(wrote);
    }
    return true;
}

bool VolumeFileWriter::commit()
{
    if (m_descriptor < 0)
        return false;
    const bool closed = ::close(m_descriptor) == 0;
    m_descriptor = -1;
    const std::string partial = m_path + ".part";
    if (!m_failed && closed && std::rename(partial.c_str(), m_path.c_str()) == 0)
        return true;
    std::remove(partial.c_str());
    return false;
}
