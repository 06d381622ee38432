#include "render/refinement.h"

#include "render/glfeatures.h"

namespace {

// The offset of frame k: k's four bits reversed, in sixteenths of a step, so
// that the first 2, 4, 8 frames sample the ray evenly too.
float sampleOffset(int frame)
{
    int reversed = 0;
    for (int bit = 0; bit < 4; ++bit)
        reversed |= ((frame >> bit) & 1) << (3 - bit);
    return float(reversed) / Refinement::kFrames;
}

} // namespace

void Refinement::create(const std::function<void()>& nextFrame)
{
    const GLFeatures features = availableGLFeatures();
    if (features.framebufferObject && features.framebufferBlit && GLEW_ARB_texture_float) {
        glGenFramebuffersEXT(1, &m_framebuffer);
        glGenRenderbuffersEXT(1, &m_colour);
    }
    m_size = QSize();
    m_view.clear();
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    QObject::disconnect(&m_next, nullptr, nullptr, nullptr);
    QObject::connect(&m_next, &QTimer::timeout, nextFrame);
}

void Refinement::setOn(bool on)
{
    m_on = on;
    stop();
}

void Refinement::stop()
{
    m_view.clear();
    m_next.stop();
}

bool Refinement::begin(const QByteArray& view, QSize size)
{
    m_drawing = false;
    if (!m_on || m_framebuffer == 0)
        return false;
    if (size != m_size) {
        // Re-specified in place; a GL that cannot render to it says so as
        // the framebuffer's completeness.
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, m_colour);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA32F_ARB, size.width(), size.height());
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_framebuffer);
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                     GL_RENDERBUFFER_EXT, m_colour);
        m_complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
        m_size = size;
        m_view.clear();
    }
    if (!m_complete)
        return false;
    if (view != m_view) {
        m_view = view;
        m_frames = 0;
    }
    return true;
}

bool Refinement::prepareFrame(GLint offsetUniform)
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_framebuffer);
    m_drawing = m_frames < kFrames;
    if (!m_drawing)
        return false;
    glUniform1f(offsetUniform, sampleOffset(m_frames));
    // The first frame overwrites whatever was there; frame n is blended in
    // with weight 1 / (n + 1), which keeps the running mean.
    if (m_frames > 0) {
        glBlendColor(0, 0, 0, 1.0f / float(m_frames + 1));
        glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
        glEnable(GL_BLEND);
    }
    return true;
}

void Refinement::show(GLuint target, QSize size, GLint offsetUniform)
{
    if (m_drawing) {
        glDisable(GL_BLEND);
        glUniform1f(offsetUniform, 0);
        ++m_frames;
    }
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, m_framebuffer);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, target);
    glBlitFramebufferEXT(0, 0, size.width(), size.height(), 0, 0, size.width(), size.height(),
                         GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target);
    if (target == 0 && refining())
        m_next.start();
}
