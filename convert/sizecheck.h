#pragma once

#include "convert/axismapping.h"
#include "convert/convertoptions.h"
#include "convert/formats/scanheader.h"
#include "convert/voxelgrid.h"

#include <array>
#include <cstdint>
#include <string>

// Throws ConvertError when the volume written on `grid` would be refused by
// the program (its memory rule, and 65535 samples per side), naming the
// --shrink that would make it fit.
void checkProgramTakes(const VoxelGrid& grid, const AxisMapping& axes, const ScanHeader& header,
                       const ConvertOptions& options, uint64_t programMemory);

// Throws ConvertError when the conversion would need more than `memory`
// bytes: the source as read, and the written samples (in floating point
// first when resampled).
void checkConversionMemory(const ScanHeader& header, const VoxelGrid& grid,
                           const std::string& input, uint64_t memory);

std::string extentsText(const std::array<uint64_t, 3>& extents);
