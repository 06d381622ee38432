#pragma once

#include <GL/glew.h>

#include <string>

// GLU's text for a GL error code; empty where GLU has none.
std::string glErrorText(GLenum code);

// Reads (and so clears) the GL error flag and prints `label` followed by its
// text on the error console, "no error" included.
void reportGLError(const char* label);
