#pragma once

#include "convert/axismapping.h"
#include "convert/convertoptions.h"
#include "convert/formats/scanheader.h"
#include "convert/voxelgrid.h"

#include <array>
#include <cstdint>
#include <string>

// The most samples a .dat file holds along a side (its 16-bit extents).
constexpr uint64_t kMaxVolumeExtent = 0xffff;

// Throws ConvertError when the volume written on `grid` is wider than a
// .dat file holds, naming the --shrink that would make it fit. (The program
// opens any other at a reduced level where its memory is short.)
void checkProgramTakes(const VoxelGrid& grid, const AxisMapping& axes, const ScanHeader& header,
                       const ConvertOptions& options);

// Throws ConvertError when the conversion would need more than `memory`
// bytes: the source as read, and the written samples (in floating point
// first when resampled); names the --shrink that would fit, if one does.
void checkConversionMemory(const ScanHeader& header, const VoxelGrid& grid, const AxisMapping& axes,
                           const ConvertOptions& options, uint64_t memory);

std::string extentsText(const std::array<uint64_t, 3>& extents);
