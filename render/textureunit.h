#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

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
