// GL set-up of the view: extension loading, names, shader programs, the
// entry and exit framebuffers, and the volume texture.

#include "render/glwidget.h"

#include "platform/console.h"
#include "render/gldiagnostics.h"
#include "render/bluenoise.h"
#include "render/glfeatures.h"
#include "render/gradienttexture.h"
#include "render/shaderfile.h"
#include "render/texturesize.h"
#include "render/textureunit.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>

namespace {

// The jitter tile's side in pixels; the ray caster's jitter() divides by it.
constexpr int kJitterTileSize = 64;

struct ShaderFiles {
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

// Hands the file's text to the shader, `defines` after its first (#version)
// line, and compiles it. A file found in no folder is reported by name and
// leaves the shader without source (its program will not link), so the GL
// is never given a null string.
void compileShaderFile(GLuint shader, const char* name, const std::string& defines = {})
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
    fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
    vertexShader = glCreateShader(GL_VERTEX_SHADER);
    compileShaderFile(fragmentShader, files.fragmentFile, fragmentDefines);
    compileShaderFile(vertexShader, files.vertexFile);
    printShaderLog(vertexShader, files.vertexLogHeader);
    printShaderLog(fragmentShader, files.fragmentLogHeader);
    program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
}

} // namespace

void GLWidget::initializeGL()
{
    console::out() << "- Initializing GLEW ..." << std::endl;
    const GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK)
        console::err() << "Error initializing GLEW: "
                       << reinterpret_cast<const char*>(glewGetErrorString(glewResult))
                       << std::endl;
    console::out() << "- GLEW initialized." << std::endl << std::endl;

    glViewport(0, 0, m_viewportWidth, m_viewportHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const GLFeatures features = availableGLFeatures();
    if (!features.shaders)
        console::err() << "Vertex or fragment schader not supported" << std::endl;

    GLint textureUnits = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &textureUnits);
    console::err() << "Texture Units available = " << textureUnits << std::endl;

    GLuint names[2] = {0, 0};
    glGenTextures(2, names);
    m_volumeTexture = names[0];
    m_transferTexture = names[1];
    reportGLFailure("Error generating slicing texture: ");

    glGenTextures(2, names);
    m_entryTexture = names[0];
    m_exitTexture = names[1];
    reportGLFailure("Error generating front and back texture: ");

    glGenTextures(1, &m_turnTexture);
    glGenTextures(1, &m_jitterTexture);
    glGenTextures(2, m_gradientTextures);
    if (features.multitexture)
        onTextureUnit(kJitterUnit, [&] {
            static const std::vector<uint8_t> tile = blueNoiseTile(kJitterTileSize);
            glBindTexture(GL_TEXTURE_2D, m_jitterTexture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, kJitterTileSize, kJitterTileSize, 0,
                         GL_LUMINANCE, GL_UNSIGNED_BYTE, tile.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        });
    m_emptySpace.createTextures();

    // Entry points the driver lacks are never called: their pointers are null.
    if (features.framebufferObject) {
        glGenFramebuffersEXT(2, names);
        m_entryFramebuffer = names[0];
        m_exitFramebuffer = names[1];
        glGenFramebuffersEXT(1, &m_turnFramebuffer);
    }
    if (features.shaders)
        buildShaderPrograms();

    glClearColor(255.0f, 255.0f, 255.0f, 255.0f); // clamped to opaque white
    m_glInitialized = true;
    console::err() << "OpenGL initialization finished " << std::endl;
}

void GLWidget::buildShaderPrograms()
{
    if (m_slicesFragmentShader != 0 && m_slicesProgram != 0)
        return;
    buildProgram(kSlicesFiles, m_slicesFragmentShader, m_slicesVertexShader, m_slicesProgram);
    buildProgram(kFboFiles, m_fboFragmentShader, m_fboVertexShader, m_fboProgram);
    buildRaycastProgram();
}

// The probe and where shading takes its gradients are compiled in: the
// rasteriser runs a group of pixels in lock step through both sides of every
// branch, so a choice made by a uniform would cost every frame both ways.
void GLWidget::buildRaycastProgram()
{
    const std::string probe = "#define PROBE " + std::to_string(int(m_rayProbe)) + "\n";
    buildProgram(kRaycastFiles, m_raycastFragmentShader, m_raycastVertexShader,
                 m_raycastProgram, probe + "#define GRADIENTS_FROM_DENSITIES\n");
    m_raycastUniforms = locateRaycastUniforms(m_raycastProgram);
    if (m_gradientsHeld && m_rayProbe != RayProbe::GradientsFromDensities) {
        TexturedRaycast& textured = m_texturedRaycast;
        buildProgram(kRaycastFiles, textured.fragmentShader, textured.vertexShader,
                     textured.program, probe);
        textured.uniforms = locateRaycastUniforms(textured.program);
    }
}

// An unlinked program's passes draw nothing, and it has no uniforms to find.
GLWidget::RaycastUniforms GLWidget::locateRaycastUniforms(GLuint program)
{
    RaycastUniforms uniforms;
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
        return uniforms;
    uniforms.slices = glGetUniformLocation(program, "slices");
    uniforms.transfer = glGetUniformLocation(program, "transfer");
    uniforms.entry = glGetUniformLocation(program, "tex_entry");
    uniforms.exit = glGetUniformLocation(program, "tex_exit");
    uniforms.volumeDimension = glGetUniformLocation(program, "volume_dimension");
    uniforms.mode = glGetUniformLocation(program, "mode");
    uniforms.sampleDistance = glGetUniformLocation(program, "sample_distance");
    uniforms.jitter = glGetUniformLocation(program, "jitter_tile");
    uniforms.gradientsXY = glGetUniformLocation(program, "gradients_xy");
    uniforms.gradientsZ = glGetUniformLocation(program, "gradients_z");
    uniforms.cutAxis = glGetUniformLocation(program, "cut_axis");
    uniforms.cutPosition = glGetUniformLocation(program, "cut_position");
    uniforms.cutWindow = glGetUniformLocation(program, "cut_window");
    uniforms.leaping = EmptySpaceLeaping::locate(program);
    return uniforms;
}

void GLWidget::createFramebuffers()
{
    const GLFeatures features = availableGLFeatures();
    if (!features.framebufferObject || !features.textureRectangle || !features.multitexture)
        return;

    const GLenum units[2] = {GL_TEXTURE2, GL_TEXTURE3};
    const GLuint textures[2] = {m_entryTexture, m_exitTexture};
    for (int i = 0; i < 2; ++i) {
        glActiveTexture(units[i]);
        glEnable(GL_TEXTURE_RECTANGLE_ARB);
        glBindTexture(GL_TEXTURE_RECTANGLE_ARB, textures[i]);
        glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, frameSize().width(),
                     frameSize().height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }

    const GLuint framebuffers[2] = {m_entryFramebuffer, m_exitFramebuffer};
    for (int i = 0; i < 2; ++i) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffers[i]);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                  GL_TEXTURE_RECTANGLE_ARB, textures[i], 0);
    }

    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    const GLenum error = drainGLErrors();
    if (error != GL_NO_ERROR || status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        console::err() << "Could not create fbo: " << glErrorText(error) << std::endl;
        console::err() << "fbError: " << unsigned(status) << std::endl;
    }

    // The frame a turn draws at reduced resolution, on a unit of its own;
    // it is copied to the view, not sampled.
    if (features.framebufferBlit) {
        onTextureUnit(kTurnUnit, [&] {
            glBindTexture(GL_TEXTURE_RECTANGLE_ARB, m_turnTexture);
            glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, frameSize().width(),
                         frameSize().height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        });
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_turnFramebuffer);
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                  GL_TEXTURE_RECTANGLE_ARB, m_turnTexture, 0);
        m_turnFramebufferReady =
            glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT &&
            drainGLErrors() == GL_NO_ERROR;
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    m_framebufferSize = frameSize();
}

void GLWidget::uploadVolumeTexture()
{
    if (reportGLFailure("Error generating texture: ", std::exchange(m_heldGLError, GL_NO_ERROR)))
        return;

    const GLFeatures features = availableGLFeatures();
    const int width = m_volume.width, height = m_volume.height, depth = m_volume.depth;
    // 16 bits per voxel keep every 12-bit density apart; an unsized luminance
    // format lets the driver store 8 bits. The data still goes up as floats.
    const GLint internalFormat = GL_LUMINANCE16;

    if (features.texture3D) {
        glBindTexture(GL_TEXTURE_3D, m_volumeTexture);
        if (reportGLFailure("Could not bind texture: "))
            return;
        console::out() << "####################################" << std::endl;
        console::out() << "Width: " << width << std::endl;
        console::out() << "Height: " << height << std::endl;
        console::out() << "Depth: " << depth << std::endl;

        const bool exact = features.nonPowerOfTwo;
        const int extents[3] = {exact ? width : nextPowerOfTwo(width),
                                exact ? height : nextPowerOfTwo(height),
                                exact ? depth : nextPowerOfTwo(depth)};
        glTexImage3D(GL_TEXTURE_3D, 0, internalFormat, extents[0], extents[1], extents[2], 0,
                     GL_LUMINANCE, GL_FLOAT, nullptr);
        glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, 0, width, height, depth, GL_LUMINANCE, GL_FLOAT,
                        m_volume.voxels.data());
        setClampedSampling(GL_TEXTURE_3D, GL_LINEAR);
        if (!reportGLFailure("Could not upload texture: ") && features.multitexture)
            uploadGradientTextures(extents);
        return;
    }

    console::out() << "3D textures not supported!" << std::endl;
    glBindTexture(GL_TEXTURE_2D, m_volumeTexture);
    if (reportGLFailure("Could not bind texture: "))
        return;
    // The flat fallback shows the first layer of the volume.
    const size_t layer = size_t(width) * size_t(height);
    m_stagingBuffer.assign(m_volume.voxels.begin(), m_volume.voxels.begin() + layer);
    const bool exact = features.nonPowerOfTwo;
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, exact ? width : nextPowerOfTwo(width),
                 exact ? height : nextPowerOfTwo(height), 0, GL_LUMINANCE, GL_FLOAT, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_LUMINANCE, GL_FLOAT,
                    m_stagingBuffer.data());
    setClampedSampling(GL_TEXTURE_2D, GL_LINEAR);
    reportGLFailure("Could not upload texture: ");
}

void GLWidget::uploadGradientTextures(const int extents[3])
{
    const bool held = ::uploadGradientTextures(m_volume, extents, m_gradientTextures[0],
                                               m_gradientTextures[1]) == GL_NO_ERROR;
    if (!held) {
        // What was allocated goes back, for the densities and the frames.
        for (GLuint texture : m_gradientTextures) {
            glBindTexture(GL_TEXTURE_3D, texture);
            glTexImage3D(GL_TEXTURE_3D, 0, GL_LUMINANCE8, 0, 0, 0, 0, GL_LUMINANCE,
                         GL_UNSIGNED_BYTE, nullptr);
        }
        glBindTexture(GL_TEXTURE_3D, m_volumeTexture);
        drainGLErrors();
    }
    if (held != m_gradientsHeld) {
        m_gradientsHeld = held;
        if (m_raycastProgram != 0)
            rebuildRaycastProgram();
    }
}

std::string GLWidget::graphicsRefusal(uint32_t width, uint32_t height, uint32_t depth)
{
    if (!m_glInitialized)
        return {};
    makeCurrent();
    const GLFeatures features = availableGLFeatures();
    if (!features.texture3D)
        return {}; // the flat fallback holds one layer
    GLint widest = 0;
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &widest);
    const uint32_t sides[3] = {width, height, depth};
    for (uint32_t side : sides)
        if (uint64_t(features.nonPowerOfTwo ? side : uint32_t(nextPowerOfTwo(int(side)))) >
            uint64_t(widest))
            return "a volume of " + std::to_string(width) + " x " + std::to_string(height) +
                   " x " + std::to_string(depth) +
                   " samples is wider than the graphics card's 3D textures (" +
                   std::to_string(widest) + " a side)";
    // The densities' texture must fit beside the shown volume's, which stays
    // until the new one is read: a texture of that size is made and given
    // back. An error pending from before is held for the upload to report.
    m_heldGLError = drainGLErrors();
    if (m_heldGLError != GL_NO_ERROR)
        return {};
    GLuint trial = 0;
    glGenTextures(1, &trial);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glBindTexture(GL_TEXTURE_3D, trial);
    const auto padded = [&](uint32_t side) {
        return features.nonPowerOfTwo ? GLsizei(side) : GLsizei(nextPowerOfTwo(int(side)));
    };
    glTexImage3D(GL_TEXTURE_3D, 0, GL_LUMINANCE16, padded(width), padded(height), padded(depth), 0,
                 GL_LUMINANCE, GL_FLOAT, nullptr);
    const bool fits = drainGLErrors() == GL_NO_ERROR;
    glBindTexture(GL_TEXTURE_3D, GLuint(bound));
    glDeleteTextures(1, &trial);
    if (fits)
        return {};
    return "a volume of " + std::to_string(width) + " x " + std::to_string(height) + " x " +
           std::to_string(depth) + " samples does not fit in the graphics memory";
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
