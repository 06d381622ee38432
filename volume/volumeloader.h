#pragma once

#include "volume/volumedata.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// Volume file (".dat"), little-endian: three unsigned 16-bit extents (width,
// height, depth), then width x height x depth unsigned 16-bit samples with 12
// significant bits, x fastest, then y, then z.
//
// Reads `path` into `volume`, normalising every sample to min(s / 4095, 1)
// and counting the raw values in the 4096-bin histogram (values above 4095
// count in bin 4095). Progress goes to the console. A file that cannot be
// used leaves `volume` exactly as it was and prints an error line starting
// with "+ ": a path that is not a regular file or cannot be read, a file
// shorter than its header, or a header with an extent of 0. A file cut short
// in its samples loads with the missing samples as 0.
// A volume whose samples need more than `memoryBudget` bytes (6 bytes per
// sample in flight) or are more than 2^31 - 1, or which `fits` turns down,
// loads at the finest reduced level that fits both (reducedlevel.h), with a
// line "- Resolution 1/2: ... of ..."; where none does, it is refused.
// `fits`, where given, is asked about the extents after the loader's own
// checks: a reason it gives ("" takes them) is the refusal, as " + reason + ".".
using ExtentsCheck = std::function<std::string(uint32_t width, uint32_t height, uint32_t depth)>;
// Returns whether the volume loaded.
bool readVolumeFile(const std::string& path, VolumeData& volume);
bool readVolumeFile(const std::string& path, VolumeData& volume, uint64_t memoryBudget,
                    const ExtentsCheck& fits = {});

// The same for an open stream positioned at the header; `readVolumeFile`
// prints the "- Loading file" line and opens the file, then calls this.
// Takes the stream over and closes it.
bool readVolumeStream(std::FILE* file, VolumeData& volume, uint64_t memoryBudget,
                      const ExtentsCheck& fits = {});

// Bytes a load may hold in flight by default: half the machine's memory, or
// the megabytes the environment variable KASTRA_MEMORY_MB gives.
uint64_t defaultVolumeMemoryBudget();

// Bytes a load of `sampleCount` samples holds at its peak: the float voxels
// and the temporary 16-bit samples.
constexpr uint64_t kLoadBytesPerSample = sizeof(float) + sizeof(uint16_t);

// Whether the loader takes a volume of these extents: each from 1 to 65535
// (the header's 16 bits), at most 2^31 - 1 samples, and kLoadBytesPerSample
// bytes per sample within `memoryBudget`. Tools that write volume files ask
// this to refuse exactly what the program would refuse.
bool volumeFitsLoader(uint64_t width, uint64_t height, uint64_t depth, uint64_t memoryBudget);

// A volume file's raw samples as stored (values above 4095 included), for
// tools that convert volumes rather than show them. Fills in the extents from
// the header and then, if `withSamples`, the samples. Unlike the loader, which
// shows the samples a short file lacks as 0, it refuses such a file before
// allocating anything. Returns "" or why it failed.
std::string readVolumeSamples(const std::string& path, SampleVolume& volume,
                              bool withSamples = true);
