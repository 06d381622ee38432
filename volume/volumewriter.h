#pragma once

#include "volume/volumedata.h"

#include <cstdint>
#include <string>
#include <vector>

// Writes the volume file: the three extents, then the samples, little-endian.
// The bytes go to `path` + ".part", which is then renamed to `path`. Fails,
// leaving `path` as it was, when an extent does not fit the 16-bit header or
// the samples do not match the extents (such a file would be read back as a
// different volume), or when the write or the rename fails.
bool writeVolumeFile(const std::string& path, const SampleVolume& volume);

// The same for samples held elsewhere: width x height x depth of them at
// `samples`, x fastest.
bool writeVolumeFile(const std::string& path, int width, int height, int depth,
                     const uint16_t* samples);

// A volume file written a row at a time, for volumes larger than memory,
// under the same rules: into `path` + ".part", renamed by commit(). Rows of
// zeros are not written: the file holds them as holes, so that a volume of
// mostly air takes little disk.
class VolumeFileWriter
{
public:
    VolumeFileWriter(const std::string& path, int width, int height, int depth);
    ~VolumeFileWriter(); // removes the part file unless committed
    VolumeFileWriter(const VolumeFileWriter&) = delete;
    VolumeFileWriter& operator=(const VolumeFileWriter&) = delete;

    // Row `y` of slice `z`: `width` samples.
    bool writeRow(int y, int z, const uint16_t* samples);
    // Closes the file and renames it; false, removing it, when a write failed.
    bool commit();

private:
    std::string m_path;
    int m_width, m_height;
    int m_descriptor = -1;
    bool m_failed = false;
    std::vector<unsigned char> m_bytes;
};
