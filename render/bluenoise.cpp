#include "render/bluenoise.h"

#include <algorithm>
#include <cmath>

namespace {

// The energy of a pattern of points: each spreads a Gaussian (sigma 1.5
// pixels) over the tile, wrapped around its edges.
class Energy
{
public:
    explicit Energy(int size) : m_size(size), m_kernel(size_t(size * size)), m_sum(m_kernel.size())
    {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const int dx = std::min(x, size - x), dy = std::min(y, size - y);
                m_kernel[size_t(y * size + x)] = std::exp(-(dx * dx + dy * dy) / (2 * 1.5 * 1.5));
            }
    }
    void add(int at, double sign)
    {
        const int ax = at % m_size, ay = at / m_size;
        for (int y = 0; y < m_size; ++y)
            for (int x = 0; x < m_size; ++x)
                m_sum[size_t(y * m_size + x)] +=
                    sign * m_kernel[size_t(((y - ay + m_size) % m_size) * m_size +
                                           (x - ax + m_size) % m_size)];
    }
    // The point of `pattern` equal to `value` with the most (cluster) or the
    // least (void) energy.
    int extreme(const std::vector<uint8_t>& pattern, uint8_t value, bool most) const
    {
        int best = -1;
        for (int i = 0; i < int(pattern.size()); ++i)
            if (pattern[size_t(i)] == value &&
                (best < 0 || (most ? m_sum[size_t(i)] > m_sum[size_t(best)]
                                   : m_sum[size_t(i)] < m_sum[size_t(best)])))
                best = i;
        return best;
    }

private:
    int m_size;
    std::vector<double> m_kernel, m_sum;
};

} // namespace

std::vector<uint8_t> blueNoiseTile(int size)
{
    const int count = size * size;
    // A tenth of the pixels at random (a fixed sequence), relaxed until the
    // tightest cluster is the largest void.
    std::vector<uint8_t> initial(static_cast<size_t>(count), 0);
    uint32_t random = 12345;
    for (int placed = 0; placed < count / 10;) {
        random = random * 1664525u + 1013904223u;
        uint8_t& pixel = initial[size_t((random >> 8) % uint32_t(count))];
        placed += pixel == 0;
        pixel = 1;
    }
    Energy energy(size);
    for (int i = 0; i < count; ++i)
        if (initial[size_t(i)])
            energy.add(i, 1);
    for (;;) {
        const int cluster = energy.extreme(initial, 1, true);
        if (cluster < 0)
            break;
        initial[size_t(cluster)] = 0;
        energy.add(cluster, -1);
        const int gap = energy.extreme(initial, 0, false);
        if (gap < 0)
            break;
        initial[size_t(gap)] = 1;
        energy.add(gap, 1);
        if (gap == cluster)
            break;
    }

    // Ranks: below the initial points by taking clusters away, above them by
    // filling voids.
    std::vector<int> rank(static_cast<size_t>(count));
    const int ones = int(std::count(initial.begin(), initial.end(), 1));
    std::vector<uint8_t> pattern = initial;
    Energy down = energy;
    for (int r = ones - 1; r >= 0; --r) {
        const int cluster = std::max(down.extreme(pattern, 1, true), 0);
        pattern[size_t(cluster)] = 0;
        down.add(cluster, -1);
        rank[size_t(cluster)] = r;
    }
    pattern = initial;
    for (int r = ones; r < count; ++r) {
        const int gap = std::max(energy.extreme(pattern, 0, false), 0);
        pattern[size_t(gap)] = 1;
        energy.add(gap, 1);
        rank[size_t(gap)] = r;
    }
    std::vector<uint8_t> tile(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        tile[size_t(i)] = uint8_t(rank[size_t(i)] * 256 / count);
    return tile;
}
