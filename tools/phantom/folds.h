#pragma once

#include "tools/phantom/frame.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace phantom {

// A separable fold pattern, the product of a sine along each axis (two such
// products at different frequencies, so that it does not look like an egg
// crate): wobbles a surface into gyri. Tables per axis keep it a few loads
// and multiplies per voxel.
class Folds
{
public:
    Folds(const Frame& frame, float frequency)
    {
        const float phase[2][3] = {{0.3f, 1.1f, 2.0f}, {1.7f, 0.4f, 2.9f}};
        const float ratio[2][3] = {{1.0f, 0.9f, 1.1f}, {1.9f, 2.3f, 1.7f}};
        for (int set = 0; set < 2; ++set)
            for (int axis = 0; axis < 3; ++axis) {
                std::vector<float>& table = m_tables[set][axis];
                table.resize(size_t(frame.extent(axis)));
                for (int i = 0; i < frame.extent(axis); ++i) {
                    const float u = (float(i) - frame.centre(axis)) / frame.scale();
                    table[size_t(i)] =
                        std::sin(frequency * ratio[set][axis] * u + phase[set][axis]);
                }
            }
    }
    float at(int x, int y, int z) const
    {
        return 0.65f * m_tables[0][0][size_t(x)] * m_tables[0][1][size_t(y)] *
                   m_tables[0][2][size_t(z)] +
               0.35f * m_tables[1][0][size_t(x)] * m_tables[1][1][size_t(y)] *
                   m_tables[1][2][size_t(z)];
    }

private:
    std::vector<float> m_tables[2][3];
};

} // namespace phantom
