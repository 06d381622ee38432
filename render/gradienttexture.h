#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

#include "volume/volumedata.h"

#include <cstdint>

// Shading reads the density's gradient from two textures beside the
// densities, 3 bytes a voxel (x and y in a luminance-alpha texture, z in a
// luminance one): two looks instead of six density reads, for 5 bytes a voxel
// in all. A voxel's gradient is its central differences (the density over two
// voxels along each axis; beyond the volume's faces a density is the face's,
// as the density texture clamps). Shading needs its direction alone, so what
// is kept is the direction times the length to the power 2/3, 8 bits an axis:
// weak gradients in noisy tissue keep several steps of direction, and the
// texture's interpolation still weights a strong gradient above a weak one, as
// interpolating the differences themselves would. On the CT head the
// converged picture stays within 1.1 rms of six density reads'; the plain
// differences at 8 bits were 3.2 rms off, the powers 1/2 and 1/3 1.4 and 1.8.

struct GradientTexel {
    uint8_t x = 128, y = 128, z = 128; // 128 + 127 v along each axis
};

// The texel of a voxel whose central differences are dx, dy, dz.
GradientTexel encodeGradient(float dx, float dy, float dz);

// Fills `texture_xy` and `texture_z` (names made by the caller) with the
// volume's gradients: `extents` texels along each axis (the density
// texture's, which may be padded to powers of two), the volume's in the
// corner. A few slices at a time, on every core, so that no copy of the whole
// volume is made on the host. Leaves the bound 3D texture as it was; returns
// the first GL error (out of memory, say), or GL_NO_ERROR.
GLenum uploadGradientTextures(const VolumeData& volume, const int extents[3], GLuint texture_xy,
                              GLuint texture_z);
