#pragma once

#include "convert/dicomslice.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// The volumes a series' slices make: slices that share a position belong to
// different volumes (a 4-D series: fMRI, diffusion, echoes, cardiac phases,
// the kinds of frame of a multi-frame file).
struct SeriesVolumes
{
    std::vector<std::vector<DicomSlice>> volumes; // in the order of their keys
    std::vector<SliceKey> distinguishing;         // keys whose values tell them apart
    size_t positions = 0;
};

// Sorts `slices` (of one orientation and size) into volumes. Throws
// ConvertError, naming `input`, when they do not make whole volumes that
// their keys tell apart.
SeriesVolumes splitIntoVolumes(std::vector<DicomSlice> slices, const std::string& input);

// "echo 2, temporal position 3": what `volume` is, by the keys that tell the
// series' volumes apart.
std::string volumeDescription(const std::vector<DicomSlice>& volume,
                              const std::vector<SliceKey>& keys);

// Throws ConvertError, naming `input`, unless every slice has the first's
// orientation, extents and pixel spacing.
void checkSlicesAlike(const std::vector<DicomSlice>& slices, const std::string& input);

// The geometry of one volume's slices, sorted along their normal, and the
// even grid it is written on. Slices that do not lie evenly spaced along
// their normal (a missing slice, variable spacing) or whose positions drift
// sideways as they advance (a CT's gantry tilt: the stack is sheared) are
// resampled onto an even, unsheared grid.
struct StackGeometry
{
    // Along a row, down a column, and their cross product: the stored axes.
    std::array<std::array<double, 3>, 3> axes{};
    std::vector<double> offsets; // of each slice along the normal from the first, ascending
    // The in-plane drift of the slices (along a row, down a column) per mm
    // along the normal: zero unless tilted.
    std::array<double, 2> driftPerMm{};
    double tiltDegrees = 0;
    // The even grid: its extents, its spacing (mm) and where its first
    // voxel lies, in pixels along a row and down a column of the first slice.
    std::array<size_t, 3> extents{};
    std::array<double, 3> spacing{};
    std::array<double, 2> firstPixel{};
    bool resampled = false; // the grid is not the slices' own
    std::string gap;        // what makes the spacing uneven, "" if even
};

// Sorts `volume` along its normal and works out its geometry. Throws
// ConvertError, naming `input`, when two slices lie at one position or the
// positions do not advance along a line.
StackGeometry stackGeometry(std::vector<DicomSlice>& volume, const std::string& input);
