// Sorting a series' slices into volumes: those that share a position belong
// to different volumes, told apart by their keys (echo, temporal position,
// ...), compared as numbers where they are numbers.

#include "convert/dicom/seriesvolumes.h"

#include "convert/dicom/slicevectors.h"
#include "convert/formats/converterror.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

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
            throw ConvertError::reading(
                input, {"unwhole-volumes",
                        {count, millimetres(along(positions.front().front())), atPosition.size(),
                         millimetres(along(atPosition.front()))}});
    result.volumes.resize(count);
    for (std::vector<DicomSlice>& atPosition : positions) {
        std::stable_sort(
            atPosition.begin(), atPosition.end(),
            [](const DicomSlice& a, const DicomSlice& b) { return compareKeys(a, b) < 0; });
        for (size_t v = 0; v + 1 < count; ++v)
            if (compareKeys(atPosition[v], atPosition[v + 1]) == 0)
                throw ConvertError::reading(input, {"volumes-not-told-apart",
                                                    {atPosition[v].file, atPosition[v + 1].file}});
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
                    throw ConvertError::reading(
                        input,
                        {"volumes-mixed", {sliceKeyName(key), volume.front().file, slice.file}});
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
