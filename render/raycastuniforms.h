#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

#include "render/emptyspaceleaping.h"

#include <cstdint>

// What the ray caster computes, for measuring where a frame's time goes.
enum class RayProbe : int32_t {
    Picture = 0,                // the picture
    Unshaded = 1,               // the picture without shading
    PassesOnly = 2,             // nothing past the entry and exit passes
    SampleCounts = 3,           // per pixel the samples marched (red + 256 green) and shaded
                                // (blue + 256 alpha), in 255ths
    GradientsFromDensities = 4, // the picture, shaded from six density reads a sample
                                // at every step and while turning
};

// Where the ray-cast program takes its inputs, looked up once it is linked
// (-1 each for a program that did not link: its passes draw nothing).
struct RaycastUniforms
{
    GLint slices = -1, transfer = -1, entry = -1, exit = -1, volumeDimension = -1, mode = -1,
          sampleDistance = -1, jitter = -1, gradientsXY = -1, gradientsZ = -1, cutAxis = -1,
          cutPosition = -1, cutWindow = -1, tableTop = -1, steepSpan = -1, jitterOffset = -1;
    EmptySpaceLeaping::Uniforms leaping;

    static RaycastUniforms locate(GLuint program);
};
