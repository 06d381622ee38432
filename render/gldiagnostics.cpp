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
