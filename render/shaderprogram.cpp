#include "render/shaderprogram.h"

#include "platform/console.h"
#include "render/shaderfile.h"

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace {

// Hands the file's text to the shader, `defines` after its first (#version)
// line, and compiles it. A file found in no folder is reported by name and
// leaves the shader without source (its program will not link), so the GL
// is never given a null string.
void compileShaderFile(GLuint shader, const char* name, const std::string& defines)
{
    char* text = readShaderFile(name);
    if (!text) {
        console::err() << "Could not read shader file: " << name << std::endl;
        return;
    }
    const char* lineEnd = std::strchr(text, '\n');
    const GLint firstLine = lineEnd ? GLint(lineEnd + 1 - text) : GLint(std::strlen(text));
    const GLchar* sources[3] = {text, defines.c_str(), text + firstLine};
    const GLint lengths[3] = {firstLine, GLint(defines.size()), -1};
    glShaderSource(shader, 3, sources, lengths);
    std::free(text);
    glCompileShader(shader);
}
} // namespace

GLuint buildShaderProgram(const char* vertexFile, const char* fragmentFile, GLuint& vertexShader,
                          GLuint& fragmentShader, const std::string& fragmentDefines,
                          const std::function<void()>& compiled)
{
    fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
    vertexShader = glCreateShader(GL_VERTEX_SHADER);
    compileShaderFile(fragmentShader, fragmentFile, fragmentDefines);
    compileShaderFile(vertexShader, vertexFile, {});
    if (compiled)
        compiled();
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    return program;
}
