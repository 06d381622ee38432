#pragma once

#include "volume/volumedata.h"

#include <cstdint>
#include <string>

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
