#pragma once

#include <GL/glew.h>

#include <string>

// GLU's text for a GL error code; empty where GLU has none.
std::string glErrorText(GLenum code);

// Reads (and so clears) the GL error flag and prints `label` followed by its
// text on the error console, "no error" included: the per-frame diagnostic
// lines.
void reportGLError(const char* label);

// Clears every pending GL error and returns the first, or GL_NO_ERROR. The
// GL may hold several flags at once; one left behind would be blamed on the
// next operation checked.
GLenum drainGLErrors();

// The program's own check after a GL operation: when an error was pending,
// prints `label` and the first error's text on the error console and returns
// true. Drains the flag either way.
bool reportGLFailure(const char* label);
// The same where `earlier` was drained before and is reported first.
bool reportGLFailure(const char* label, GLenum earlier);
