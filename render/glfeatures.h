#pragma once

// What the GL driver offers, as the extension loader reports it.
struct GLFeatures {
    bool shaders = false;           // GL_ARB_vertex_shader and GL_ARB_fragment_shader
    bool multitexture = false;      // glActiveTexture and glMultiTexCoord
    bool texture3D = false;         // GL_EXT_texture3D
    bool nonPowerOfTwo = false;     // GL_ARB_texture_non_power_of_two
    bool textureRectangle = false;  // GL_ARB_texture_rectangle
    bool framebufferObject = false; // GL_EXT_framebuffer_object
    bool framebufferBlit = false;   // GL_EXT_framebuffer_blit
};

// The loader's flags, read afresh on each call, less any a test has hidden.
GLFeatures availableGLFeatures();

// Lets a test pretend that the features set in `hidden` are missing.
void hideGLFeatures(const GLFeatures& hidden);
