#pragma once

#include "volume/volumedata.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// Volumes too large for the memory or the graphics card are shown at a
// reduced level: blocks of 2 x 2 x 2 file voxels averaged (then 4 x 4 x 4,
// up to 64 x 64 x 64), while the file is read once, piece by piece.

using VolumeExtents = std::array<uint32_t, 3>;

// The level's extents: each file extent divided by `factor`, rounded up.
VolumeExtents reducedExtents(const VolumeExtents& file, uint32_t factor);

// Bytes a reduced read of a file of `file` extents holds at its peak on
// `workers` threads: the level's densities, and each worker's block sums of
// one of the level's slices and its read buffer.
uint64_t reducedReadBytes(const VolumeExtents& file, uint32_t factor, unsigned workers);

// The finest level from 1/2 to 1/64 whose read fits `memoryBudget` and which
// `fits` takes ("" takes it), or 0 where none does. A level is not coarser
// than 16 voxels on the file's longest side: a scan that small tells nothing.
uint32_t finestFittingFactor(const VolumeExtents& file, uint64_t memoryBudget, unsigned workers,
                             const std::function<std::string(const VolumeExtents&)>& fits);

// Reads the samples after the 6-byte header of `file` (positioned anywhere;
// read by offset) into `volume` at 1/`factor`: each voxel the mean of its
// block's samples (above 4095 taken as 4095) over 4095, and the histogram of
// every sample of the file. The samples a short file lacks count as 0, as
// the loader shows them. `sliceDone(k)` runs on the calling thread for each
// of the level's slices, in order. False, leaving `volume` as it was, where
// the memory cannot be had.
// A read given up by `cancel` returns false too.
bool readReducedLevel(std::FILE* file, const VolumeExtents& extents, uint32_t factor,
                      unsigned workers, VolumeData& volume,
                      const std::function<void(size_t slice)>& sliceDone,
                      const std::atomic<bool>* cancel = nullptr);

// A coarse level for a first picture, read by striding through the file:
// each voxel the first sample of its block (one row in `factor` of every
// slice in `factor` is read), the histogram that of these samples.
bool readStridedLevel(std::FILE* file, const VolumeExtents& extents, uint32_t factor,
                      VolumeData& volume);

// The least power of two that leaves a level of at most `voxels` voxels.
uint32_t factorForVoxels(const VolumeExtents& file, uint64_t voxels);

// Reads the file's voxels `from` to `to` (inclusive) into `volume` at full
// resolution, row by row, its histogram left as it is (the file's). The
// samples a short file lacks read as 0. Returns "" or why it failed.
std::string readFileRegion(const std::string& path, const std::array<int, 3>& from,
                           const std::array<int, 3>& to, uint64_t memoryBudget, VolumeData& volume);
