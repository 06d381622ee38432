#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

// Sets the bound texture of `target` to `filter` (GL_LINEAR, GL_NEAREST) and
// clamps it at its faces: with the default repeat, the samples on one face
// would blend in the opposite face.
inline void setClampedSampling(GLenum target, GLint filter)
{
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (target == GL_TEXTURE_3D)
        glTexParameteri(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

// Runs `use` with texture unit `unit` active, and the active unit back as it
// was: textures on units of their own leave the passes' units alone.
template <class Use> void onTextureUnit(GLenum unit, Use&& use)
{
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(unit);
    use();
    glActiveTexture(GLenum(active));
}
