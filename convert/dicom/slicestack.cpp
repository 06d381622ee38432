// The geometry of one volume's slices: alike in orientation and size,
// sorted along their normal, and the even grid they are written on.

#include "convert/dicom/slicestack.h"

#include "convert/dicom/slicevectors.h"
#include "convert/formats/converterror.h"

#include <algorithm>
#include <cmath>

namespace {

// Steps within this share of the grid's spacing count as even: positions are
// written rounded.
constexpr double kEvenStep = 0.05;
// A slice this many pixels off the line through the first and last is not
// on it; a drift smaller than this over the whole stack is no tilt.
constexpr double kOffLinePixels = 0.1;

} // namespace

void checkSlicesAlike(const std::vector<DicomSlice>& slices, const std::string& input)
{
    const DicomSlice& first = slices.front();
    const Vector r = rowOf(first), c = columnOf(first);
    const auto unit = [](const Vector& v) { return std::abs(std::sqrt(dot(v, v)) - 1) < 0.01; };
    if (!unit(r) || !unit(c) || std::abs(dot(r, c)) > 0.01)
        throw ConvertError::reading(input, {"orientation-not-unit-vectors", {first.file}});
    for (const DicomSlice& slice : slices) {
        ConvertMessage differs;
        for (size_t i = 0; i < 6; ++i)
            if (std::abs(slice.orientation[i] - first.orientation[i]) > 1e-3)
                differs = {"differing-orientations"};
        if (slice.columns != first.columns || slice.rows != first.rows)
            differs = {"differing-extents", {first.columns, first.rows, slice.columns, slice.rows}};
        for (size_t i = 0; i < 2; ++i)
            if (std::abs(slice.pixelSpacing[i] - first.pixelSpacing[i]) >
                1e-3 * first.pixelSpacing[i])
                differs = {"differing-pixel-spacings"};
        if (!differs.empty())
            throw ConvertError::reading(input,
                                        {"slices-unalike", {differs, first.file, slice.file}});
    }
}

StackGeometry stackGeometry(std::vector<DicomSlice>& volume, const std::string& input)
{
    StackGeometry geometry;
    const DicomSlice& first = volume.front();
    const Vector r = rowOf(first), c = columnOf(first), n = normalOf(first);
    const auto normalised = [](Vector v) {
        const double length = std::sqrt(dot(v, v));
        return Vector{{v[0] / length, v[1] / length, v[2] / length}};
    };
    geometry.axes = {normalised(r), normalised(c), normalised(n)};
    const Vector& normal = geometry.axes[2];
    std::sort(volume.begin(), volume.end(), [&](const DicomSlice& a, const DicomSlice& b) {
        return dot(a.position, normal) < dot(b.position, normal);
    });

    const DicomSlice& start = volume.front();
    const std::array<double, 2> pixel = start.pixelSpacing;
    for (const DicomSlice& slice : volume)
        geometry.offsets.push_back(dot(minus(slice.position, start.position), normal));
    for (size_t k = 1; k < volume.size(); ++k)
        if (geometry.offsets[k] - geometry.offsets[k - 1] <= kSamePosition)
            throw ConvertError::reading(
                input, {"slices-at-one-position", {volume[k - 1].file, volume[k].file}});
    const double span = geometry.offsets.back();
    geometry.extents = {{start.columns, start.rows, volume.size()}};
    geometry.spacing = {{pixel[0], pixel[1], std::min(pixel[0], pixel[1])}};
    if (volume.size() == 1)
        return geometry;

    // Sideways drift per mm along the normal, from the first slice to the
    // last; every slice must lie on that line.
    const Vector last = minus(volume.back().position, start.position);
    for (size_t axis = 0; axis < 2; ++axis)
        geometry.driftPerMm[axis] = dot(last, geometry.axes[axis]) / span;
    for (size_t k = 0; k < volume.size(); ++k) {
        const Vector step = minus(volume[k].position, start.position);
        for (size_t axis = 0; axis < 2; ++axis) {
            const double off =
                dot(step, geometry.axes[axis]) - geometry.driftPerMm[axis] * geometry.offsets[k];
            if (std::abs(off) > kOffLinePixels * pixel[axis] + kSamePosition)
                throw ConvertError::reading(
                    input, {"slices-off-line", {volume[k].file, millimetres(std::abs(off))}});
        }
    }
    const double drift = std::hypot(geometry.driftPerMm[0], geometry.driftPerMm[1]);
    if (drift * span > kOffLinePixels * std::min(pixel[0], pixel[1])) {
        geometry.tiltDegrees = std::atan(drift) * 180 / M_PI;
        geometry.resampled = true;
        // The grid widens to hold every slice's pixels as they drift.
        for (size_t axis = 0; axis < 2; ++axis) {
            const double shift = geometry.driftPerMm[axis] * span / pixel[axis];
            const double low = std::floor(std::min(0.0, shift) + 1e-6);
            const double high = std::ceil(std::max(0.0, shift) - 1e-6);
            geometry.firstPixel[axis] = low;
            geometry.extents[axis] += size_t(high - low);
        }
    } else {
        geometry.driftPerMm = {};
    }

    // The even grid: the usual (median) step, adjusted so that the first and
    // last slices lie on it.
    std::vector<double> steps;
    for (size_t k = 1; k < volume.size(); ++k)
        steps.push_back(geometry.offsets[k] - geometry.offsets[k - 1]);
    std::vector<double> sorted = steps;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    const double usual = sorted[sorted.size() / 2];
    const size_t count = size_t(std::llround(std::min(span / usual, 1e6))) + 1;
    const double spacing = span / double(count - 1);
    geometry.extents[2] = count;
    geometry.spacing[2] = spacing;
    size_t uneven = 0, widest = 0;
    for (size_t k = 0; k < steps.size(); ++k)
        if (std::abs(steps[k] - spacing) > kEvenStep * spacing) {
            ++uneven;
            if (std::abs(steps[k] - spacing) > std::abs(steps[widest] - spacing) || uneven == 1)
                widest = k;
        }
    if (uneven > 0 || count != volume.size()) {
        geometry.resampled = true;
        const double at = dot(volume[widest].position, normal);
        geometry.gap = {uneven > 1 ? "uneven-steps" : "uneven-step",
                        {millimetres(at), millimetres(at + steps[widest]),
                         millimetres(steps[widest]), millimetres(usual), uneven}};
    }
    return geometry;
}
