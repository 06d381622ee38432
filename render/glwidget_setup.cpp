// GL set-up of the view: extension loading, names, the shader programs
// built (glwidget_programs.cpp), and the entry and exit framebuffers.

#include "render/glwidget.h"

#include "platform/console.h"
#include "render/bluenoise.h"
#include "render/gldiagnostics.h"
#include "render/glfeatures.h"
#include "render/textureunit.h"

#include <ostream>

namespace {

// The jitter tile's side in pixels; the ray caster's jitter() divides by it.
constexpr int kJitterTileSize = 64;

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
    glGenTextures(1, &m_markerTexture);
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
    m_refinement.create([this] { updateGL(); }); // at once: no stale update outlives a stop

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
