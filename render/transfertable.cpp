#include "render/transfertable.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

struct RunningValues
{
    float red, green, blue, alpha;
};

// Truncates toward zero; values that drift just outside 0..255 (float steps,
// a point below the widget's bottom edge) stay within a byte.
uint8_t toByte(float value)
{
    const float truncated = std::trunc(value);
    return uint8_t(std::clamp(truncated, 0.0f, 255.0f));
}

float opacityOf(const ControlPoint& point, int height)
{
    return float(point.y) / float(height) * 255.0f;
}

// x times the stored single-precision scale, plus the window's start, in
// double precision, truncated: 300 x 13.65f is 4094.99988 and lands on 4094,
// where single-precision arithmetic would round it up to 4095.
int tableIndex(int x, float scale, int minDensity)
{
    return int(std::trunc(double(x) * double(scale) + double(minDensity)));
}

void fillSegment(std::vector<TransferEntry>& table, const ControlPoint& from,
                 const ControlPoint& to, float scale, int height, int minDensity)
{
    const int first = tableIndex(from.x, scale, minDensity);
    const int last = tableIndex(to.x, scale, minDensity);
    if (last < first)
        return;

    RunningValues value = {float(from.color.red()), float(from.color.green()),
                           float(from.color.blue()), opacityOf(from, height)};
    // A segment whose ends share an index writes that entry once, with the
    // start point's values; it needs no steps.
    const float span = float(last - first);
    RunningValues step = {0, 0, 0, 0};
    if (span > 0) {
        step.red = (float(to.color.red()) - value.red) / span;
        step.green = (float(to.color.green()) - value.green) / span;
        step.blue = (float(to.color.blue()) - value.blue) / span;
        step.alpha = (opacityOf(to, height) - value.alpha) / span;
    }

    for (int i = first; i <= last; ++i) {
        if (i >= 0 && i < int(table.size()))
            table[size_t(i)] = {toByte(value.red), toByte(value.green), toByte(value.blue),
                                toByte(value.alpha)};
        value.red += step.red;
        value.green += step.green;
        value.blue += step.blue;
        value.alpha += step.alpha;
    }
}

} // namespace

// The widget's x range 0..width stands for the density window, y for the
// opacity (0 at the top edge, 255 at the bottom). Two transparent end points
// are added, black at x 0 and white at x = width; neighbouring points are
// joined by linear ramps, each including both its ends, so the later segment
// writes the index two segments share. Entries outside the window stay
// transparent black; indices outside the table are skipped.
void buildTransferTable(std::vector<TransferEntry>& table, const std::vector<ControlPoint>& points,
                        int width, int height, int minDensity, int maxDensity)
{
    table.assign(kDensityCount, TransferEntry{});
    if (width <= 0 || height <= 0)
        return;

    const float scale = float(maxDensity - minDensity) / float(width);

    // The end points go first and last before a stable sort, so a user's
    // point on the widget's left or right edge comes after the black end
    // point, or before the white one, and its own values win the shared index.
    ControlPoint black;
    black.color = QColor(0, 0, 0);
    ControlPoint white;
    white.color = QColor(255, 255, 255);
    white.x = width;
    std::vector<ControlPoint> sorted;
    sorted.reserve(points.size() + 2);
    sorted.push_back(black);
    sorted.insert(sorted.end(), points.begin(), points.end());
    sorted.push_back(white);
    std::stable_sort(sorted.begin(), sorted.end(), lessByX);

    for (size_t k = 0; k + 1 < sorted.size(); ++k)
        fillSegment(table, sorted[k], sorted[k + 1], scale, height, minDensity);
}

float steepDensitySpan(const std::vector<TransferEntry>& table, int top)
{
    const size_t entries = std::min(table.size(), size_t(std::max(top, 0)) + 1);
    // The shortest run of entries whose opacities differ by more than the
    // change, by two pointers: the run ending at each entry shrunk from its
    // start while it still does, its largest and smallest opacity kept in
    // queues of the entries that can still become them.
    const float change = kSteepOpacityChange * 255.0f;
    std::deque<size_t> largest, smallest;
    size_t shortest = entries, start = 0;
    for (size_t end = 0; end < entries; ++end) {
        while (!largest.empty() && table[largest.back()].alpha <= table[end].alpha)
            largest.pop_back();
        while (!smallest.empty() && table[smallest.back()].alpha >= table[end].alpha)
            smallest.pop_back();
        largest.push_back(end);
        smallest.push_back(end);
        while (float(table[largest.front()].alpha) - float(table[smallest.front()].alpha) >
               change) {
            shortest = std::min(shortest, end - start);
            ++start;
            if (largest.front() < start)
                largest.pop_front();
            if (smallest.front() < start)
                smallest.pop_front();
        }
    }
    return shortest == entries ? 2.0f : float(shortest) / float(kDensityCount - 1);
}

int transferTableTop(int width, int minDensity, int maxDensity)
{
    const int top =
        width <= 0
            ? maxDensity
            : std::min(tableIndex(width, float(maxDensity - minDensity) / float(width), minDensity),
                       maxDensity);
    return std::clamp(top, 0, kDensityCount - 2);
}

int projectionTableTop(const std::vector<ControlPoint>& points, int width, int minDensity,
                       int maxDensity)
{
    const int top = transferTableTop(width, minDensity, maxDensity);
    if (points.empty() || width <= 0)
        return top;
    const int densest = std::max_element(points.begin(), points.end(), lessByX)->x;
    const float scale = float(maxDensity - minDensity) / float(width);
    return std::clamp(tableIndex(densest, scale, minDensity), 0, top);
}
