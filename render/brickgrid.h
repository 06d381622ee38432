#pragma once

#include "render/transfertable.h"
#include "volume/volumedata.h"

#include <array>
#include <cstdint>
#include <vector>

// Voxels per brick side. A brick also holds the first voxel layer of the next
// brick along each axis: a trilinear sample between voxel centres u and u + 1
// (u counted from the first centre) then reads only voxels of brick
// floor(u / kBrickSize), whichever side of a brick face it lies on.
constexpr int kBrickSize = 8;

// A coarse grid over the volume: the least and largest normalised density
// of the voxels each brick holds, x fastest, then y, then z.
struct BrickGrid
{
    int width = 0; // bricks along x: ceil(volume width / kBrickSize)
    int height = 0;
    int depth = 0;
    std::vector<float> ranges; // least, largest, for each brick
};

BrickGrid buildBrickGrid(const VolumeData& volume);

// The same for blocks of `size` voxels whose ranges reach `reach` voxels
// further on every side: block b along an axis covers voxels size * b -
// reach to size * (b + 1) + reach, those within the volume.
BrickGrid buildRangeGrid(const VolumeData& volume, int size, int reach);

// Cells: a finer grid for marching past clear samples inside bricks that may
// show. A sample reads voxels of the cell it lies in, and a sample within
// kCellReach voxels of it along every axis voxels of the cell's range. (A
// reach of two, against one, measured the same at one-voxel steps and a
// sixth faster at half a voxel.)
constexpr int kCellSize = 4;
constexpr int kCellReach = 2;

// For each table index i, the number of entries below i with an opacity
// above zero, and the total at index 4096: entries a..b hold some opacity
// exactly when counts[b + 1] > counts[a].
std::vector<uint32_t> countOpaqueEntries(const std::vector<TransferEntry>& table);

// 255 for each brick that some entry of its density range gives opacity,
// else 0. The range is taken one entry wider on each side: a sample read
// between two entries blends both, and rounding can move it by a fraction.
std::vector<uint8_t> visibleBricks(const BrickGrid& grid, const std::vector<uint32_t>& counts);

// 255 for each brick holding a density above 0, else 0.
std::vector<uint8_t> nonZeroBricks(const BrickGrid& grid);

// The ray caster walks each ray in runs of samples spanning at most
// kBrickSize voxels, the same runs for every pixel: a run that starts in brick b
// reads only bricks within one brick of b along every axis, and the k-th
// run after it only bricks within k + 1 bricks of b.

// Longest leap, and longest march between two looks, in runs.
constexpr int kLongestRuns = 16;

// For each brick, from marks per brick (non-zero: a run that reads the brick
// must be marched), two bytes: the runs from a run starting there that can
// be leapt over, all of whose bricks are unmarked; and the runs that must be
// marched before the next look, at least one, more where their first bricks
// are all marked. No run starts or reads beyond the grid, so the bricks
// there count as unmarked for leaping and as marked for marching.
std::vector<uint8_t> runLengths(const BrickGrid& grid, const std::vector<uint8_t>& marked);

// The box, in volume texture coordinates, of every sample position that
// reads a marked brick: a sample u voxels from the first voxel's centre along
// an axis reads brick floor(u / kBrickSize) there. Rays march only through
// it; outside, every sample reads unmarked bricks alone. Its low corner lies
// above its high one where no brick is marked.
struct SampleBox
{
    std::array<float, 3> low{}, high{};
};
SampleBox markedBox(const BrickGrid& grid, const std::vector<uint8_t>& marked,
                    const std::array<int, 3>& extents);

// For each brick, the largest density of the bricks within one brick and of
// those within two bricks of it: what one run, and two runs, can read.
std::vector<float> largestWithinReach(const BrickGrid& grid);
