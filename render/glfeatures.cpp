#include "render/glfeatures.h"

#include <GL/glew.h>

namespace {
GLFeatures g_hidden;
}

GLFeatures availableGLFeatures()
{
    GLFeatures features;
    features.shaders = GLEW_ARB_vertex_shader && GLEW_ARB_fragment_shader && GLEW_VERSION_2_0;
    features.multitexture = GLEW_VERSION_1_3 != 0;
    features.texture3D = GLEW_EXT_texture3D != 0;
    features.nonPowerOfTwo = GLEW_ARB_texture_non_power_of_two != 0;
    features.textureRectangle = GLEW_ARB_texture_rectangle != 0;
    features.framebufferObject = GLEW_EXT_framebuffer_object != 0;
    features.framebufferBlit = GLEW_EXT_framebuffer_blit != 0;

    features.shaders &= !g_hidden.shaders;
    features.multitexture &= !g_hidden.multitexture;
    features.texture3D &= !g_hidden.texture3D;
    features.nonPowerOfTwo &= !g_hidden.nonPowerOfTwo;
    features.textureRectangle &= !g_hidden.textureRectangle;
    features.framebufferObject &= !g_hidden.framebufferObject;
    features.framebufferBlit &= !g_hidden.framebufferBlit;
    return features;
}

void hideGLFeatures(const GLFeatures& hidden) { g_hidden = hidden; }
