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
    if (!fitsHeader(volume.width) || !fitsHeader(volume.height) || !fitsHeader(volume.depth) ||
        volume.samples.size() !=
            size_t(volume.width) * size_t(volume.height) * size_t(volume.depth))
        return false;

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
    putLittleEndian(&bytes[0], uint16_t(volume.width));
    putLittleEndian(&bytes[2], uint16_t(volume.height));
    putLittleEndian(&bytes[4], uint16_t(volume.depth));
    bool written = std::fwrite(bytes.data(), 1, 6, file) == 6;
    for (size_t first = 0; written && first < volume.samples.size(); first += kBlockSamples) {
        const size_t count = std::min(kBlockSamples, volume.samples.size() - first);
        for (size_t i = 0; i < count; ++i)
            putLittleEndian(&bytes[2 * i], volume.samples[first + i]);
        written = std::fwrite(bytes.data(), 1, 2 * count, file) == 2 * count;
    }
    // A full disk may only show when the buffered rest is flushed on close.
    const bool closed = std::fclose(file) == 0;
    if (written && closed && std::rename(partial.c_str(), path.c_str()) == 0)
        return true;
    std::remove(partial.c_str());
    return false;
}
