#pragma once

#include "platform/regularfile.h"
#include "volume/reducedlevel.h"
#include "volume/volumedata.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
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

// Prints a load's error line: "+ Error loading file" + reason, and a blank line.
void printLoadError(const std::string& reason);

// Opens a volume file for a load: prints the "- Loading file" line, and the
// error line where it is no regular file that can be read (null then).
FilePtr openVolumeFile(const std::string& path);

// What a load of a volume file reads: the file's extents, and the level
// 1/factor it is shown at (1: every voxel; reducedlevel.h).
struct VolumeLoadPlan
{
    VolumeExtents extents{};
    uint32_t factor = 1;
    std::string failure; // the error line's reason, should the memory not be had
    unsigned workers() const;
    VolumeExtents levelExtents() const;
};

// Reads the header of `file` and decides the level, with the checks and
// error lines of readVolumeStream; nothing where the file is refused.
std::optional<VolumeLoadPlan> planVolumeLoad(std::FILE* file, uint64_t memoryBudget,
                                             const ExtentsCheck& fits = {});

// The rest of readVolumeStream once the header is planned: the read, with
// its console lines.
bool readVolumeStream(std::FILE* file, VolumeData& volume, const VolumeLoadPlan& plan);

// How a planned read reports: once the file's samples are in memory, after
// each of the level's slices (in order, on the calling thread), and the flag
// that gives it up (then it returns false).
struct LoadProgress
{
    std::function<void()> fileRead;
    std::function<void(size_t slice)> sliceDone;
    const std::atomic<bool>* cancel = nullptr;
};

// Reads the samples after the header as `plan` says into `volume`, printing
// nothing. False, leaving `volume` as it was, where the memory cannot be had
// or the read is given up.
bool readPlannedVolume(std::FILE* file, const VolumeLoadPlan& plan, VolumeData& volume,
                       const LoadProgress& progress);

// The console lines of a planned read: "- Resolution 1/2: ..." for a reduced
// level at once, then "- File loaded.", the "- Preparing data" lines and
// "- Data prepared." as the read reports.
class LoadLines
{
public:
    explicit LoadLines(const VolumeLoadPlan& plan);
    void fileRead();
    void sliceDone(size_t slice);
    void finished();

private:
    bool m_reduced;
    uint32_t m_slices;
};

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
