#include "volume/volumewriter.h"

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
    if (!fitsHeader(width) || !fitsHeader(height) || !fitsHeader(depth))
        return false;
    const size_t total = size_t(width) * size_t(height) * size_t(depth);

    // Written beside the target and renamed over it: an interrupted or failed
    // write never leaves a half-written volume, or damages an older one,
    // under the final name.
    const std::string partial = path + ".part";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return false;

    // Converted a block at a time: a whole-file byte copy of a large volume
    // would double the memory the writer needs.
    constexpr size_t kBlockSamples = size_t(1) << 16;
    std::vector<unsigned char> bytes(2 * kBlockSamples);
    putLittleEndian(&bytes[0], uint16_t(width));
    putLittleEndian(&bytes[2], uint16_t(height));
    putLittleEndian(&bytes[4], uint16_t(depth));
    bool written = std::fwrite(bytes.data(), 1, 6, file) == 6;
    for (size_t first = 0; written && first < total; first += kBlockSamples) {
        const size_t count = std::min(kBlockSamples, total - first);
        for (size_t i = 0; i < count; ++i)
            putLittleEndian(&bytes[2 * i], samples[first + i]);
        written = std::fwrite(bytes.data(), 1, 2 * count, file) == 2 * count;
    }
    // A full disk may only show when the buffered rest is flushed on close.
    const bool closed = std::fclose(file) == 0;
    if (written && closed && std::rename(partial.c_str(), path.c_str()) == 0)
        return true;
    std::remove(partial.c_str());
    return false;
}
