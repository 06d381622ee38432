#pragma once

#include "convert/dicom/dicomslice.h"

#include <array>
#include <cmath>
#include <sstream>
#include <string>

// Vectors in the patient frame (mm), and the directions of a slice's rows,
// columns and normal.

using Vector = std::array<double, 3>;

// Positions closer than this (mm) are one position: scanners write the same
// position of every volume with the same digits.
constexpr double kSamePosition = 0.01;

inline double dot(const Vector& a, const Vector& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

inline Vector minus(const Vector& a, const Vector& b)
{
    return {{a[0] - b[0], a[1] - b[1], a[2] - b[2]}};
}

inline double distance(const Vector& a, const Vector& b)
{
    const Vector d = minus(a, b);
    return std::sqrt(dot(d, d));
}

inline Vector rowOf(const DicomSlice& slice)
{
    return {{slice.orientation[0], slice.orientation[1], slice.orientation[2]}};
}

inline Vector columnOf(const DicomSlice& slice)
{
    return {{slice.orientation[3], slice.orientation[4], slice.orientation[5]}};
}

inline Vector normalOf(const DicomSlice& slice)
{
    const Vector r = rowOf(slice), c = columnOf(slice);
    return {{r[1] * c[2] - r[2] * c[1], r[2] * c[0] - r[0] * c[2], r[0] * c[1] - r[1] * c[0]}};
}

// A position or length in millimetres for a message, to four digits.
inline std::string millimetres(double value)
{
    std::ostringstream text;
    text.precision(4);
    text << (std::abs(value) < 5e-5 ? 0.0 : value);
    return text.str();
}
