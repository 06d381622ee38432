// The orientation rule: which stored axis each written axis takes, and
// which run backwards, to lay a patient's scan in RAS+.

#include "convert/axismapping.h"

#include <algorithm>
#include <cmath>

namespace {

// The patient directions of the written axes (RAS+) in ITK's space (LPS):
// towards the right (-x), the front (-y) and the head (+z).
constexpr Direction kWrittenAxes{{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}};

double dot(const Direction& a, int columnA, const Direction& b, int columnB)
{
    double sum = 0;
    for (int row = 0; row < 3; ++row)
        sum += a[size_t(row)][size_t(columnA)] * b[size_t(row)][size_t(columnB)];
    return sum;
}

} // namespace

AxisMapping patientAxisMapping(const Direction& direction)
{
    AxisMapping best;
    double bestScore = -1;
    std::array<int, 3> order{{0, 1, 2}};
    do {
        double score = 0;
        for (int axis = 0; axis < 3; ++axis)
            score += std::abs(dot(direction, order[size_t(axis)], kWrittenAxes, axis));
        if (score > bestScore + 1e-9) {
            bestScore = score;
            best.source = order;
        }
    } while (std::next_permutation(order.begin(), order.end()));
    for (int axis = 0; axis < 3; ++axis)
        best.reversed[size_t(axis)] =
            dot(direction, best.source[size_t(axis)], kWrittenAxes, axis) < 0;
    return best;
}

AxisMapping writtenAxisMapping(const ScanHeader& header)
{
    if (header.statesPatientFrame)
        return patientAxisMapping(header.direction);
    AxisMapping rowsDown;
    rowsDown.reversed[1] = true;
    return rowsDown;
}

std::string axisLetters(const Direction& direction)
{
    std::string letters;
    for (size_t column = 0; column < 3; ++column) {
        size_t dominant = 0;
        for (size_t row = 1; row < 3; ++row)
            if (std::abs(direction[row][column]) > std::abs(direction[dominant][column]))
                dominant = row;
        letters += (direction[dominant][column] > 0 ? "LPS" : "RAI")[dominant];
    }
    return letters;
}

Direction mappedDirection(const Direction& direction, const AxisMapping& mapping)
{
    Direction written{};
    for (size_t axis = 0; axis < 3; ++axis)
        for (size_t row = 0; row < 3; ++row)
            written[row][axis] =
                direction[row][size_t(mapping.source[axis])] * (mapping.reversed[axis] ? -1 : 1);
    return written;
}

double determinant(const Direction& d)
{
    return d[0][0] * (d[1][1] * d[2][2] - d[1][2] * d[2][1]) -
           d[0][1] * (d[1][0] * d[2][2] - d[1][2] * d[2][0]) +
           d[0][2] * (d[1][0] * d[2][1] - d[1][1] * d[2][0]);
}

double obliqueDegrees(const Direction& written)
{
    double smallest = 1;
    for (int axis = 0; axis < 3; ++axis)
        smallest = std::min(smallest, dot(written, axis, kWrittenAxes, axis));
    return std::acos(std::clamp(smallest, -1.0, 1.0)) * 180 / M_PI;
}
