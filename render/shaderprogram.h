#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

#include <functional>
#include <string>

// A program linked of the shader files `vertexFile` and `fragmentFile`
// (shaderfile.h), `fragmentDefines` after the fragment shader's first
// (#version) line; its shaders in `vertexShader` and `fragmentShader`.
// `compiled` runs once both are compiled, before the link, to read their
// logs. A file found in no folder is reported by name on the console and
// leaves its shader without source: the program will not link.
GLuint buildShaderProgram(const char* vertexFile, const char* fragmentFile, GLuint& vertexShader,
                          GLuint& fragmentShader, const std::string& fragmentDefines = {},
                          const std::function<void()>& compiled = {});
