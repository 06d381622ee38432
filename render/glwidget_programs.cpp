// The view's shader programs: built from their files, with their compiler
// logs on the console, and the ray caster's uniforms looked up once.

#include "render/glwidget.h"

#include "platform/console.h"
#include "render/shaderprogram.h"

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

namespace {

struct ShaderFiles
{
    const char* fragmentFile;
    const char* vertexFile;
    const char* vertexLogHeader;
    const char* fragmentLogHeader;
};

const ShaderFiles kSlicesFiles = {"slices.frag", "slices.vert", "compiler_log vertex-shader:\n",
                                  "compiler_log fragment-shader:\n"};
const ShaderFiles kFboFiles = {"fbo.frag", "fbo.vert", "compiler_log FBO vertex-shader:\n",
                               "compiler_log FBO fragment-shader:\n"};
const ShaderFiles kRaycastFiles = {"raycast.frag", "raycast.vert",
                                   "compiler_log raycast vertex-shader:\n",
                                   "compiler_log raycast fragment-shader:\n"};

void printShaderLog(GLuint shader, const char* header)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1)
        return;
    char* log = static_cast<char*>(std::malloc(size_t(length)));
    if (!log)
        return;
    glGetInfoLogARB(shader, length, nullptr, log);
    console::out() << header << log << "\n" << std::flush;
    std::free(log);
}

void buildProgram(const ShaderFiles& files, GLuint& fragmentShader, GLuint& vertexShader,
                  GLuint& program, const std::string& fragmentDefines = {})
{
    program = buildShaderProgram(files.vertexFile, files.fragmentFile, vertexShader, fragmentShader,
                                 fragmentDefines, [&] {
                                     printShaderLog(vertexShader, files.vertexLogHeader);
                                     printShaderLog(fragmentShader, files.fragmentLogHeader);
                                 });
}

} // namespace

void GLWidget::buildShaderPrograms()
{
    if (m_slicesFragmentShader != 0 && m_slicesProgram != 0)
        return;
    buildProgram(kSlicesFiles, m_slicesFragmentShader, m_slicesVertexShader, m_slicesProgram);
    buildProgram(kFboFiles, m_fboFragmentShader, m_fboVertexShader, m_fboProgram);
    buildRaycastProgram();
}

// The probe, where shading takes its gradients, whether the table is sharp
// and whether the march passes samples by cells are compiled in: the rasteriser runs a group of
// pixels in lock step through both sides of every branch, so a choice made by a uniform would cost
// every frame both ways.
void GLWidget::buildRaycastProgram()
{
    const std::string probe = "#define PROBE " + std::to_string(int(m_rayProbe)) +
                              "\n#define STEEP_MARCH " + (m_sharpTable ? "1" : "0") +
                              "\n#define STEEP_CHANGE " + std::to_string(kSteepOpacityChange) +
                              "\n#define CELL_MARCH " + (marchesByCells() ? "1" : "0") + "\n";
    buildProgram(kRaycastFiles, m_raycastFragmentShader, m_raycastVertexShader, m_raycastProgram,
                 probe + "#define GRADIENTS_FROM_DENSITIES\n");
    m_raycastUniforms = RaycastUniforms::locate(m_raycastProgram);
    if (m_gradientsHeld && m_rayProbe != RayProbe::GradientsFromDensities) {
        TexturedRaycast& textured = m_texturedRaycast;
        buildProgram(kRaycastFiles, textured.fragmentShader, textured.vertexShader,
                     textured.program, probe);
        textured.uniforms = RaycastUniforms::locate(textured.program);
    }
}

void GLWidget::rebuildRaycastProgram()
{
    glDeleteProgram(m_raycastProgram);
    glDeleteShader(m_raycastFragmentShader);
    glDeleteShader(m_raycastVertexShader);
    m_raycastUniforms = {};
    TexturedRaycast& textured = m_texturedRaycast;
    glDeleteProgram(textured.program);
    glDeleteShader(textured.fragmentShader);
    glDeleteShader(textured.vertexShader);
    textured = {};
    buildRaycastProgram();
}
