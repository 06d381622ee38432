#pragma once

#include "convert/dicom/dicomslice.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

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
    ConvertMessage gap;     // what makes the spacing uneven, empty if even
};

// Sorts `volume` along its normal and works out its geometry. Throws
// ConvertError, naming `input`, when two slices lie at one position or the
// positions do not advance along a line.
StackGeometry stackGeometry(std::vector<DicomSlice>& volume, const std::string& input);
