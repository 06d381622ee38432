#include "render/gradienttexture.h"

#include "platform/sliceworkers.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Slices computed on every core between two uploads.
constexpr int kSlicesPerUpload = 16;

uint16_t encode(float difference)
{
    return uint16_t(std::lround(std::clamp(difference, -1.0f, 1.0f) * 32767.0f) + 32768);
}

} // namespace

void gradientTexels(const VolumeData& volume, int z, uint16_t* texels)
{
    const int width = volume.width, height = volume.height, depth = volume.depth;
    const size_t row = size_t(width), slice = row * size_t(height);
    const float* voxels = volume.voxels.data();
    const float* below = voxels + size_t(std::max(z - 1, 0)) * slice;
    const float* above = voxels + size_t(std::min(z + 1, depth - 1)) * slice;
    const float* here = voxels + size_t(z) * slice;
    for (int y = 0; y < height; ++y) {
        const float* front = here + size_t(std::max(y - 1, 0)) * row;
        const float* back = here + size_t(std::min(y + 1, height - 1)) * row;
        const float* line = here + size_t(y) * row;
        const size_t offset = size_t(y) * row;
        for (int x = 0; x < width; ++x) {
            const float dx = line[std::min(x + 1, width - 1)] - line[std::max(x - 1, 0)];
            const float dy = back[x] - front[x];
            const float dz = above[offset + size_t(x)] - below[offset + size_t(x)];
            *texels++ = encode(dx);
            *texels++ = encode(dy);
            *texels++ = encode(dz);
        }
    }
}

void uploadGradientTexture(const VolumeData& volume, const int extents[3])
{
    glTexImage3D(GL_TEXTURE_3D, 0, GL_RGB16, extents[0], extents[1], extents[2], 0, GL_RGB,
                 GL_UNSIGNED_SHORT, nullptr);
    const size_t slice = size_t(volume.width) * size_t(volume.height);
    std::vector<uint16_t> texels(3 * slice * size_t(std::min(kSlicesPerUpload, volume.depth)));
    for (int first = 0; first < volume.depth; first += kSlicesPerUpload) {
        const int count = std::min(kSlicesPerUpload, volume.depth - first);
        forEachSlice(size_t(count), workersFor(uint64_t(count) * slice),
                     [&](size_t z, unsigned) {
                         gradientTexels(volume, first + int(z), texels.data() + 3 * z * slice);
                     });
        glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, first, volume.width, volume.height, count,
                        GL_RGB, GL_UNSIGNED_SHORT, texels.data());
    }
}
