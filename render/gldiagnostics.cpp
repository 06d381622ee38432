#include "render/gldiagnostics.h"

#include "platform/console.h"

#include <GL/glu.h>

#include <ostream>

std::string glErrorText(GLenum code)
{
    const GLubyte* text = gluErrorString(code);
    return text ? reinterpret_cast<const char*>(text) : "";
}

void reportGLError(const char* label)
{
    console::err() << label << glErrorText(glGetError()) << std::endl;
}

GLenum drainGLErrors()
{
    const GLenum first = glGetError();
    // Bounded: without a current context glGetError may never run dry.
    for (int i = 0; i < 32 && first != GL_NO_ERROR && glGetError() != GL_NO_ERROR; ++i) {
    }
    return first;
}

bool reportGLFailure(const char* label)
{
    return reportGLFailure(label, GL_NO_ERROR);
}

bool reportGLFailure(const char* label, GLenum earlier)
{
    const GLenum drained = drainGLErrors();
    const GLenum error = earlier != GL_NO_ERROR ? earlier : drained;
    if (error == GL_NO_ERROR)
        return false;
    console::err() << label << glErrorText(error) << std::endl;
    return true;
}
