#pragma once

#include "tools/phantom/coverage.h"
#include "tools/phantom/folds.h"
#include "tools/phantom/primitive.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace phantom {

// One material painted over what is below it: a shape (the intersection of
// up to three primitives, or their union with the creases where they meet
// rounded off, as where the face meets the skull) with a density, optionally
// textured (spongy bone) or with a folded surface (the cortex).
struct Layer
{
    std::array<Primitive, 3> parts;
    int partCount = 0;
    float blend = 0.0f; // > 0: the smooth union, rounding creases over this many voxels
    float density = 0.0f;
    float texture = 0.0f; // amplitude of the value noise added to the density
    float grain = 1.0f;   // voxels per lattice step of that noise
    float foldDepth = 0.0f;
    const Folds* folds = nullptr;
    int low[3] = {};  // voxel bounds outside which the layer covers nothing
    int high[3] = {}; // (inclusive)

    // The signed distance of the shape, in voxels.
    float distance(int x, int y, int z) const
    {
        const float px = float(x), py = float(y), pz = float(z);
        float d = parts[0].distance(px, py, pz);
        if (blend > 0.0f) {
            // Polynomial smooth minimum.
            for (int i = 1; i < partCount; ++i) {
                const float e = parts[size_t(i)].distance(px, py, pz);
                const float h = std::max(blend - std::fabs(d - e), 0.0f) / blend;
                d = std::min(d, e) - 0.25f * h * h * blend;
            }
        } else {
            for (int i = 1; i < partCount && d < kEdge; ++i)
                d = std::max(d, parts[size_t(i)].distance(px, py, pz));
        }
        if (folds)
            d -= foldDepth * folds->at(x, y, z);
        return d;
    }
};

} // namespace phantom
