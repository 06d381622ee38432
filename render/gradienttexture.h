#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

#include "volume/volumedata.h"

#include <cstdint>

// The ray caster shades with the density's gradient. Its central differences
// at every voxel are computed once per load, on every core, and kept in a
// texture beside the densities: a shaded sample then reads one texel instead
// of six densities, and as differences are linear in the densities, the
// texture's interpolation gives the differences of the interpolated
// densities. Beyond the volume's faces a density is the face's, as the
// density texture clamps. RGB16, 6 bytes a voxel (a driver may pad them to
// 8), each difference (-1..1 over two voxels) as round(d * 32767) + 32768:
// fine enough to hold every difference of two 12-bit densities, so that the
// shading is the one six density reads give. Ten bits a difference left
// the weak gradients of noisy tissue visibly off (up to 19 in 255).

// The texels of slice z: width x height of them, x fastest, three values each.
void gradientTexels(const VolumeData& volume, int z, uint16_t* texels);

// Fills `texture`, bound to the active unit's 3D target, with the volume's
// gradients: `extents` texels along each axis (the density texture's, which
// may be padded to powers of two), the volume's in the corner. A few slices
// at a time, so that no copy of the whole volume is made on the host.
void uploadGradientTexture(const VolumeData& volume, const int extents[3]);
