#pragma once

#include "convert/axismapping.h"
#include "convert/convertoptions.h"
#include "convert/scanheader.h"
#include "convert/voxelgrid.h"

#include <array>
#include <cstdint>
#include <string>

// How an input's samples are stored in their data file, for checking that
// the file can hold what the header announces.
enum class DataEncoding { Raw, Gzip, Unknown };

// Throws ConvertError when `dataFile`, holding `announced` bytes of samples
// from byte `offset` on, is not a regular file or too short for them. Gzip
// data cannot expand more than 1032 times (deflate's limit); of other
// encodings nothing is known.
void checkDataFile(const std::string& input, const std::string& dataFile, uint64_t offset,
                   uint64_t announced, DataEncoding encoding);

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

// Whether `millimetres` can be a voxel's spacing: above 0 and at most a
// kilometre. A header's NaN or 0 would make the cube grid meaningless, and a
// larger size, which no scan has, overflows it once shrunk.
bool plausibleSpacing(double millimetres);

std::string extentsText(const std::array<uint64_t, 3>& extents);
