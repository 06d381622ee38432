#include "tools/samplevolumes.h"

#include <cstdio>
#include <memory>

namespace {
void putLittleEndian(std::vector<unsigned char>& bytes, uint16_t value)
{
    bytes.push_back(uint8_t(value & 0xff));
    bytes.push_back(uint8_t(value >> 8));
}
} // namespace

bool writeVolumeFile(const std::string& path, const SampleVolume& volume)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(6 + 2 * volume.samples.size());
    putLittleEndian(bytes, uint16_t(volume.width));
    putLittleEndian(bytes, uint16_t(volume.height));
    putLittleEndian(bytes, uint16_t(volume.depth));
    for (uint16_t sample : volume.samples)
        putLittleEndian(bytes, sample);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                          std::fclose);
    if (!file)
        return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}
