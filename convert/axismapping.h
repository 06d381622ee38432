#pragma once

#include "convert/formats/scanheader.h"

#include <array>
#include <cstddef>
#include <string>

// How the written axes take the stored ones: written axis a runs along stored
// axis source[a], backwards where reversed[a].
struct AxisMapping
{
    std::array<int, 3> source{{0, 1, 2}};
    std::array<bool, 3> reversed{};

    template <class T> std::array<T, 3> permuted(const std::array<T, 3>& stored) const
    {
        return {{stored[size_t(source[0])], stored[size_t(source[1])], stored[size_t(source[2])]}};
    }
};

// The mapping that lays a volume whose stored axes run along the columns of
// `direction` (patient space: x left, y posterior, z superior) in RAS+: the
// written x runs from the patient's left to right, y from posterior to
// anterior and z from inferior to superior, so that the view, which draws
// each slice with its second axis up, shows every slice upright. Each
// written axis takes the stored axis closest to it, of all six orders the one
// closest overall, and runs it backwards where it points the other way. A mirrored (left-handed)
// stored frame thus gets an odd number of reversals, which undo the mirror:
// the result always shows the patient as in life.
AxisMapping patientAxisMapping(const Direction& direction);

// The mapping of a scan: patientAxisMapping where it states the patient's
// frame; else as an image viewer shows it, its first stored row at the top of
// the unturned view, which draws the written y upwards: the stored y reversed.
AxisMapping writtenAxisMapping(const ScanHeader& header);

// The patient directions the three axes of `direction` run towards, as
// letters: "LPS" for the identity (L/R, P/A, S/I).
std::string axisLetters(const Direction& direction);

// The direction of the written axes: the stored columns taken by `mapping`.
Direction mappedDirection(const Direction& direction, const AxisMapping& mapping);

double determinant(const Direction& direction);

// The largest angle, in degrees, between a written axis and the patient
// axis it stands for: how oblique the scan is.
double obliqueDegrees(const Direction& written);
