#include "convert/slicestack.h"

#include "convert/converterror.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

using Vector = std::array<double, 3>;

// Positions closer than this (mm) are one position: scanners write the same
// position of every volume with the same digits.
constexpr double kSamePosition = 0.01;
// Steps within this share of the grid's spacing count as even: positions are
// written rounded.
constexpr double kEvenStep = 0.05;
// A slice this many pixels off the line through the first and last is not
// on it; a drift smaller than this over the whole stack is no tilt.
constexpr double kOffLinePixels = 0.1;

double dot(const Vector& a, const Vector& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vector minus(const Vector& a, const Vector& b)
{
    return {{a[0] - b[0], a[1] - b[1], a[2] - b[2]}};
}

double distance(const Vector& a, const Vector& b)
{
    const Vector d = minus(a, b);
    return std::sqrt(dot(d, d));
}

Vector rowOf(const DicomSlice& slice)
{
    return {{slice.orientation[0], slice.orientation[1], slice.orientation[2]}};
}

Vector columnOf(const DicomSlice& slice)
{
    return {{slice.orientation[3], slice.orientation[4], slice.orientation[5]}};
}

Vector normalOf(const DicomSlice& slice)
{
    const Vector r = rowOf(slice), c = columnOf(slice);
    return {{r[1] * c[2] - r[2] * c[1], r[2] * c[0] - r[0] * c[2], r[0] * c[1] - r[1] * c[0]}};
}

std::string number(double value)
{
    std::ostringstream text;
    text.precision(4);
    text << (std::abs(value) < 5e-5 ? 0.0 : value);
    return text.str();
}

std::string fileName(const DicomSlice& slice)
{
    return "'" + slice.file + "'";
}

// Compares two key values piece by piece ("1\2" before "1\10"): numbers as
// numbers, other text as text. Empty values are equal.
int compareValues(const std::string& a, const std::string& b)
{
    std::istringstream left(a), right(b);
    std::string x, y;
    for (;;) {
        const bool moreLeft = bool(std::getline(left, x, '\\'));
        const bool moreRight = bool(std::getline(right, y, '\\'));
        if (!moreLeft || !moreRight)
            return int(moreLeft) - int(moreRight);
        char* endX = nullptr;
        char* endY = nullptr;
        const double u = std::strtod(x.c_str(), &endX);
        const double v = std::strtod(y.c_str(), &endY);
        const bool numbers = !x.empty() && !y.empty() && *endX == '\0' && *endY == '\0';
        const int order = numbers ? (u < v ? -1 : u > v ? 1 : 0) : x.compare(y);
        if (order != 0)
            return order < 0 ? -1 : 1;
    }
}

int compareKeys(const DicomSlice& a, const DicomSlice& b)
{
    for (int key = 0; key < kSliceKeys; ++key)
        if (const int order = compareValues(a.keys[size_t(key)], b.keys[size_t(key)]))
            return order;
    return 0;
}

} // namespace

const char* sliceKeyName(SliceKey key)
{
    static const char* const names[kSliceKeys] = {
        "stack",           "image type",         "echo",
        "temporal position", "diffusion",        "dimension index",
        "trigger time",    "acquisition number", "acquisition time",
        "instance number"};
    return names[int(key)];
}

void checkSlicesAlike(const std::vector<DicomSlice>& slices, const std::string& input)
{
    const DicomSlice& first = slices.front();
    const Vector r = rowOf(first), c = columnOf(first);
    const auto unit = [](const Vector& v) { return std::abs(std::sqrt(dot(v, v)) - 1) < 0.01; };
    if (!unit(r) || !unit(c) || std::abs(dot(r, c)) > 0.01)
        throw ConvertError("cannot read '" + input + "': the image orientation of " +
                           fileName(first) + " is not two perpendicular unit vectors");
    for (const DicomSlice& slice : slices) {
        std::string differs;
        for (size_t i = 0; i < 6; ++i)
            if (std::abs(slice.orientation[i] - first.orientation[i]) > 1e-3)
                differs = "orientations";
        if (slice.columns != first.columns || slice.rows != first.rows)
            differs = "extents (" + std::to_string(first.columns) + " x " +
                      std::to_string(first.rows) + " and " + std::to_string(slice.columns) +
                      " x " + std::to_string(slice.rows) + ")";
        for (size_t i = 0; i < 2; ++i)
            if (std::abs(slice.pixelSpacing[i] - first.pixelSpacing[i]) >
                1e-3 * first.pixelSpacing[i])
                differs = "pixel spacings";
        if (!differs.empty())
            throw ConvertError("cannot read '" + input + "': its slices have different " +
                               differs + ", as in " + fileName(first) + " and " + fileName(slice) +
                               "; only slices of one orientation and size make a volume");
    }
}

SeriesVolumes splitIntoVolumes(std::vector<DicomSlice> slices, const std::string& input)
{
    const Vector n = normalOf(slices.front()), r = rowOf(slices.front());
    const auto along = [&](const DicomSlice& slice) { return dot(slice.position, n); };
    std::sort(slices.begin(), slices.end(), [&](const DicomSlice& a, const DicomSlice& b) {
        const double da = along(a), db = along(b);
        return da != db ? da < db : dot(a.position, r) < dot(b.position, r);
    });
    std::vector<std::vector<DicomSlice>> positions;
    for (DicomSlice& slice : slices) {
        if (positions.empty() ||
            distance(slice.position, positions.back().front().position) > kSamePosition)
            positions.emplace_back();
        positions.back().push_back(std::move(slice));
    }

    SeriesVolumes result;
    result.positions = positions.size();
    const size_t count = positions.front().size();
    for (const std::vector<DicomSlice>& atPosition : positions)
        if (atPosition.size() != count)
            throw ConvertError("cannot read '" + input +
                               "': its slices do not make whole volumes: " +
                               std::to_string(count) + " lie at " +
                               number(along(positions.front().front())) +
                               " mm along the slice normal but " +
                               std::to_string(atPosition.size()) + " at " +
                               number(along(atPosition.front())) + " mm");
    result.volumes.resize(count);
    for (std::vector<DicomSlice>& atPosition : positions) {
        std::stable_sort(atPosition.begin(), atPosition.end(),
                         [](const DicomSlice& a, const DicomSlice& b) {
                             return compareKeys(a, b) < 0;
                         });
        for (size_t v = 0; v + 1 < count; ++v)
            if (compareKeys(atPosition[v], atPosition[v + 1]) == 0)
                throw ConvertError("cannot read '" + input + "': " + fileName(atPosition[v]) +
                                   " and " + fileName(atPosition[v + 1]) +
                                   " lie at one position and nothing tells their volumes apart");
        for (size_t v = 0; v < count; ++v)
            result.volumes[v].push_back(std::move(atPosition[v]));
    }
    if (count == 1)
        return result;

    for (int k = 0; k < kSliceKeys; ++k) {
        const SliceKey key = SliceKey(k);
        bool differs = false;
        for (const std::vector<DicomSlice>& volume : result.volumes) {
            differs = differs || volume.front().key(key) != result.volumes[0].front().key(key);
            if (!describesVolume(key))
                continue;
            for (const DicomSlice& slice : volume)
                if (slice.key(key) != volume.front().key(key))
                    throw ConvertError("cannot read '" + input + "': the slices of one volume " +
                                       "differ in their " + sliceKeyName(key) + " (" +
                                       fileName(volume.front()) + " and " + fileName(slice) +
                                       "); its volumes are mixed");
        }
        if (differs && (describesVolume(key) || result.distinguishing.empty()))
            result.distinguishing.push_back(key);
    }
    return result;
}

std::string volumeDescription(const std::vector<DicomSlice>& volume,
                              const std::vector<SliceKey>& keys)
{
    std::string text;
    for (SliceKey key : keys)
        text += (text.empty() ? "" : ", ") + std::string(sliceKeyName(key)) + " " +
                volume.front().key(key);
    return text;
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
            throw ConvertError("cannot read '" + input + "': " + fileName(volume[k - 1]) +
                               " and " + fileName(volume[k]) + " lie at one position");
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
                throw ConvertError("cannot read '" + input + "': its slice positions do not " +
                                   "advance along a line; " + fileName(volume[k]) + " lies " +
                                   number(std::abs(off)) + " mm off it");
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
        geometry.gap = "the slices at " + number(at) + " and " + number(at + steps[widest]) +
                       " mm along the slice normal lie " + number(steps[widest]) +
                       " mm apart, the usual spacing is " + number(usual) + " mm" +
                       (uneven > 1 ? " (" + std::to_string(uneven) + " uneven steps)" : "");
    }
    return geometry;
}
