#include "render/brickgrid.h"

#include <algorithm>
#include <cmath>

namespace {

// The blocks of `size` voxels along an axis of `extent` voxels.
int blockCount(int extent, int size)
{
    return (extent + size - 1) / size;
}

// The voxels a block's range covers along an axis: its own, the next
// block's first, and `reach` more on either side, within the volume.
int firstVoxel(int block, int size, int reach)
{
    return std::max(block * size - reach, 0);
}
int lastVoxel(int block, int size, int reach, int extent)
{
    return std::min(block * size + size + reach, extent - 1);
}

// Widens least..largest element by element over `count` values.
void widen(float* least, float* largest, const float* lows, const float* highs, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        least[i] = std::min(least[i], lows[i]);
        largest[i] = std::max(largest[i], highs[i]);
    }
}

int densityIndex(float normalised)
{
    return int(std::lround(normalised * float(kMaxDensity)));
}

// Replaces each of the grid's values (`components` per brick, this one at
// `component`) by pick() of it and its neighbours within one brick along
// each axis, one axis at a time, line by line; `outside` stands for the
// bricks beyond the grid.
template <typename Value, typename Pick>
void spreadToNeighbours(const BrickGrid& grid, std::vector<Value>& values, size_t components,
                        size_t component, Value outside, Pick pick)
{
    const size_t extents[3] = {size_t(grid.width), size_t(grid.height), size_t(grid.depth)};
    size_t stride = components; // from one brick to the next along the axis
    std::vector<Value> line;
    for (size_t extent : extents) {
        line.assign(extent + 2, outside);
        for (size_t outer = 0; outer < values.size(); outer += stride * extent)
            for (size_t inner = component; inner < stride; inner += components) {
                Value* first = values.data() + outer + inner;
                for (size_t k = 0; k < extent; ++k)
                    line[k + 1] = first[k * stride];
                for (size_t k = 0; k < extent; ++k)
                    first[k * stride] = pick(pick(line[k], line[k + 1]), line[k + 2]);
            }
        stride *= extent;
    }
}

// For each brick, the largest r + 1, up to `most`, such that every brick
// within r bricks of it along every axis is in `set` (non-zero); 0 for
// bricks outside the set. A cube of bricks lies in the set when each of its
// lines does, so the depth is found one axis at a time: on each line of
// bricks, a brick's depth becomes the largest d that the depths within d - 1
// of it along the line all reach. `outside` is the depth beyond the grid.
std::vector<uint8_t> depthInSet(const BrickGrid& grid, const std::vector<uint8_t>& set,
                                uint8_t outside, uint8_t most)
{
    std::vector<uint8_t> depth(set.size());
    for (size_t b = 0; b < set.size(); ++b)
        depth[b] = set[b] ? most : 0;
    const size_t extents[3] = {size_t(grid.width), size_t(grid.height), size_t(grid.depth)};
    size_t stride = 1;
    std::vector<uint8_t> reach, wider, deepest;
    for (size_t extent : extents) {
        for (size_t outer = 0; outer < depth.size(); outer += stride * extent)
            for (size_t inner = 0; inner < stride; ++inner) {
                uint8_t* first = depth.data() + outer + inner;
                // reach[k + 1]: the least depth within d - 1 of brick k.
                reach.assign(extent + 2, outside);
                deepest.assign(extent, 0);
                for (size_t k = 0; k < extent; ++k)
                    reach[k + 1] = first[k * stride];
                wider = reach;
                for (uint8_t d = 1; d <= most; ++d) {
                    bool any = false;
                    for (size_t k = 0; k < extent; ++k)
                        if (reach[k + 1] >= d) {
                            deepest[k] = d;
                            any = true;
                        }
                    if (!any)
                        break;
                    for (size_t k = 0; k < extent; ++k)
                        wider[k + 1] = std::min({reach[k], reach[k + 1], reach[k + 2]});
                    reach.swap(wider);
                }
                for (size_t k = 0; k < extent; ++k)
                    first[k * stride] = deepest[k];
            }
        stride *= extent;
    }
    return depth;
}

} // namespace

BrickGrid buildBrickGrid(const VolumeData& volume)
{
    return buildRangeGrid(volume, kBrickSize, 0);
}

// Reduces along z first, then y, then x: the first two reductions run over
// whole rows, element by element, which vectorises; the last, block by block
// along a row, sees a size^2-th of the voxels.
BrickGrid buildRangeGrid(const VolumeData& volume, int size, int reach)
{
    const int width = volume.width, height = volume.height, depth = volume.depth;
    BrickGrid grid;
    grid.width = blockCount(width, size);
    grid.height = blockCount(height, size);
    grid.depth = blockCount(depth, size);
    grid.ranges.resize(size_t(grid.width) * grid.height * grid.depth * 2);

    const size_t rowLength = size_t(width), sliceSize = rowLength * size_t(height);
    std::vector<float> slabLeast(sliceSize), slabLargest(sliceSize);
    std::vector<float> rowLeast(rowLength), rowLargest(rowLength);
    float* range = grid.ranges.data();
    for (int bz = 0; bz < grid.depth; ++bz) {
        // Each voxel column of the brick layer, over the layer's slices.
        const int firstZ = firstVoxel(bz, size, reach);
        const float* first = volume.voxels.data() + size_t(firstZ) * sliceSize;
        std::copy(first, first + sliceSize, slabLeast.begin());
        std::copy(first, first + sliceSize, slabLargest.begin());
        for (int z = firstZ + 1; z <= lastVoxel(bz, size, reach, depth); ++z) {
            const float* slice = volume.voxels.data() + size_t(z) * sliceSize;
            widen(slabLeast.data(), slabLargest.data(), slice, slice, sliceSize);
        }
        for (int by = 0; by < grid.height; ++by) {
            // Each voxel row of the brick row, over its rows of the layer.
            const int firstY = firstVoxel(by, size, reach);
            const size_t firstRow = size_t(firstY) * rowLength;
            std::copy_n(slabLeast.begin() + firstRow, rowLength, rowLeast.begin());
            std::copy_n(slabLargest.begin() + firstRow, rowLength, rowLargest.begin());
            for (int y = firstY + 1; y <= lastVoxel(by, size, reach, height); ++y)
                widen(rowLeast.data(), rowLargest.data(), slabLeast.data() + y * rowLength,
                      slabLargest.data() + y * rowLength, rowLength);
            for (int bx = 0; bx < grid.width; ++bx) {
                const int from = firstVoxel(bx, size, reach);
                const int to = lastVoxel(bx, size, reach, width) + 1;
                *range++ = *std::min_element(rowLeast.begin() + from, rowLeast.begin() + to);
                *range++ = *std::max_element(rowLargest.begin() + from, rowLargest.begin() + to);
            }
        }
    }
    return grid;
}

std::vector<uint32_t> countOpaqueEntries(const std::vector<TransferEntry>& table)
{
    std::vector<uint32_t> counts(table.size() + 1, 0);
    for (size_t i = 0; i < table.size(); ++i)
        counts[i + 1] = counts[i] + (table[i].alpha > 0 ? 1 : 0);
    return counts;
}

std::vector<uint8_t> visibleBricks(const BrickGrid& grid, const std::vector<uint32_t>& counts)
{
    const int lastEntry = int(counts.size()) - 2;
    std::vector<uint8_t> visible(grid.ranges.size() / 2);
    for (size_t brick = 0; brick < visible.size(); ++brick) {
        const int from = std::max(densityIndex(grid.ranges[2 * brick]) - 1, 0);
        const int to = std::min(densityIndex(grid.ranges[2 * brick + 1]) + 1, lastEntry);
        visible[brick] = counts[size_t(to) + 1] > counts[size_t(from)] ? 255 : 0;
    }
    return visible;
}

std::vector<uint8_t> nonZeroBricks(const BrickGrid& grid)
{
    std::vector<uint8_t> nonZero(grid.ranges.size() / 2);
    for (size_t b = 0; b < nonZero.size(); ++b)
        nonZero[b] = grid.ranges[2 * b + 1] > 0.0f ? 255 : 0;
    return nonZero;
}

// A run from brick b can be leapt over when every brick within one brick of
// b is unmarked, and the k-th run after it when every brick within k + 1
// bricks is; it cannot when its first brick is marked, and the k-th run after
// it cannot when every brick within k bricks of b is marked.
std::vector<uint8_t> runLengths(const BrickGrid& grid, const std::vector<uint8_t>& marked)
{
    std::vector<uint8_t> unmarked(marked.size());
    for (size_t b = 0; b < marked.size(); ++b)
        unmarked[b] = !marked[b];
    const std::vector<uint8_t> clear = depthInSet(grid, unmarked, 255, kLongestRuns + 1);
    const std::vector<uint8_t> full = depthInSet(grid, marked, 255, kLongestRuns);
    std::vector<uint8_t> lengths(2 * marked.size());
    for (size_t b = 0; b < marked.size(); ++b) {
        lengths[2 * b] = clear[b] > 1 ? uint8_t(clear[b] - 1) : 0;
        lengths[2 * b + 1] = std::max<uint8_t>(full[b], 1);
    }
    return lengths;
}

std::vector<float> largestWithinReach(const BrickGrid& grid)
{
    std::vector<float> largest(grid.ranges.size());
    for (size_t i = 1; i < largest.size(); i += 2)
        largest[i - 1] = largest[i] = grid.ranges[i];
    const auto larger = [](float a, float b) { return std::max(a, b); };
    spreadToNeighbours(grid, largest, 2, 0, 0.0f, larger);
    spreadToNeighbours(grid, largest, 2, 1, 0.0f, larger);
    spreadToNeighbours(grid, largest, 2, 1, 0.0f, larger);
    return largest;
}

SampleBox markedBox(const BrickGrid& grid, const std::vector<uint8_t>& marked,
                    const std::array<int, 3>& extents)
{
    std::array<int, 3> low{{grid.width, grid.height, grid.depth}}, high{{-1, -1, -1}};
    size_t b = 0;
    for (int z = 0; z < grid.depth; ++z)
        for (int y = 0; y < grid.height; ++y)
            for (int x = 0; x < grid.width; ++x, ++b)
                if (marked[b]) {
                    const int brick[3] = {x, y, z};
                    for (size_t axis = 0; axis < 3; ++axis) {
                        low[axis] = std::min(low[axis], brick[axis]);
                        high[axis] = std::max(high[axis], brick[axis]);
                    }
                }
    // Samples between a face and the first voxel centres read the face's
    // voxels, of the first or last brick: the box then reaches the face.
    const int count[3] = {grid.width, grid.height, grid.depth};
    SampleBox box;
    for (size_t axis = 0; axis < 3; ++axis) {
        const float voxels = float(std::max(extents[axis], 1));
        box.low[axis] = low[axis] == 0 ? 0.0f : (float(low[axis] * kBrickSize) + 0.5f) / voxels;
        box.high[axis] = high[axis] == count[axis] - 1
                             ? 1.0f
                             : (float((high[axis] + 1) * kBrickSize) + 0.5f) / voxels;
    }
    return box;
}
