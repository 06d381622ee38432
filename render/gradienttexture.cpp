#include "render/gradienttexture.h"

#include "platform/sliceworkers.h"
#include "render/gldiagnostics.h"
#include "render/textureunit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Slices computed on every core between two uploads.
constexpr int kSlicesPerUpload = 16;

// 128 + 127 v rounded, v in -1..1: the sum is positive, so truncation rounds.
uint8_t encodeAxis(float v)
{
    return uint8_t(v * 127.0f + 128.5f);
}

// x^(-1/3) for x > 0, to single precision: a first guess from the float's
// bits (its exponent divided by -3), then Newton's steps. The library's cube
// root made the gradients take longer than the rest of a load.
float inverseCubeRoot(float x)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    bits = 0x54a2fa8cu - bits / 3;
    float y = 0;
    std::memcpy(&y, &bits, sizeof y);
    for (int step = 0; step < 3; ++step)
        y = y * (4.0f - x * y * y * y) * (1.0f / 3.0f);
    return y;
}

// The texels of slice z: x and y interleaved, z alone, width x height each, x fastest.
void gradientTexels(const VolumeData& volume, int z, uint8_t* xy, uint8_t* zs)
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
            const GradientTexel texel =
                encodeGradient(line[std::min(x + 1, width - 1)] - line[std::max(x - 1, 0)],
                               back[x] - front[x], above[offset + size_t(x)] - below[offset + size_t(x)]);
            *xy++ = texel.x;
            *xy++ = texel.y;
            *zs++ = texel.z;
        }
    }
}

} // namespace

GradientTexel encodeGradient(float dx, float dy, float dz)
{
    const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(length > 0))
        return {};
    // Each axis of v is its difference times length^(-1/3), within
    // |difference|^(2/3) <= 1: no gradient, however long, is clamped.
    const float scale = inverseCubeRoot(length);
    return {encodeAxis(dx * scale), encodeAxis(dy * scale), encodeAxis(dz * scale)};
}

GLenum uploadGradientTextures(const VolumeData& volume, const int extents[3], GLuint texture_xy,
                              GLuint texture_z)
{
    GLint bound = 0, alignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    const GLuint textures[2] = {texture_xy, texture_z};
    const GLenum internal[2] = {GL_LUMINANCE8_ALPHA8, GL_LUMINANCE8};
    const GLenum format[2] = {GL_LUMINANCE_ALPHA, GL_LUMINANCE};
    GLenum error = GL_NO_ERROR;
    for (int i = 0; i < 2 && error == GL_NO_ERROR; ++i) {
        glBindTexture(GL_TEXTURE_3D, textures[i]);
        glTexImage3D(GL_TEXTURE_3D, 0, GLint(internal[i]), extents[0], extents[1], extents[2], 0,
                     format[i], GL_UNSIGNED_BYTE, nullptr);
        setClampedSampling(GL_TEXTURE_3D, GL_LINEAR);
        error = drainGLErrors();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows of odd widths
    const size_t slice = size_t(volume.width) * size_t(volume.height);
    const size_t slices = size_t(std::min(kSlicesPerUpload, volume.depth));
    std::vector<uint8_t> xy, zs;
    if (error == GL_NO_ERROR) {
        xy.resize(2 * slice * slices);
        zs.resize(slice * slices);
    }
    for (int first = 0; error == GL_NO_ERROR && first < volume.depth; first += kSlicesPerUpload) {
        const int count = std::min(kSlicesPerUpload, volume.depth - first);
        forEachSlice(size_t(count), workersFor(uint64_t(count) * slice), [&](size_t z, unsigned) {
            gradientTexels(volume, first + int(z), xy.data() + 2 * z * slice, zs.data() + z * slice);
        });
        const uint8_t* texels[2] = {xy.data(), zs.data()};
        for (int i = 0; i < 2; ++i) {
            glBindTexture(GL_TEXTURE_3D, textures[i]);
            glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, first, volume.width, volume.height, count,
                            format[i], GL_UNSIGNED_BYTE, texels[i]);
        }
        error = drainGLErrors();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_3D, GLuint(bound));
    return error;
}
