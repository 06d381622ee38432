// A picture of the view: the frame paintGL draws, drawn off screen into a
// framebuffer of its own at a multiple of the widget's size.

#include "render/glwidget.h"

#include "render/gldiagnostics.h"
#include "render/glfeatures.h"
#include "render/textureunit.h"

#include <QString>

#include <algorithm>
#include <limits>

namespace {

// The longest side the GL draws, renders into and holds as an entry or exit texture.
int largestSide(const GLFeatures& features)
{
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    GLint rectangle = std::numeric_limits<GLint>::max();
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &renderbuffer);
    if (features.textureRectangle)
        glGetIntegerv(GL_MAX_RECTANGLE_TEXTURE_SIZE_ARB, &rectangle);
    return std::min({viewport[0], viewport[1], renderbuffer, rectangle});
}

// The size of the rectangle texture on unit 2, where the entry points are bound.
QSize entryTextureSize(GLuint texture)
{
    GLint width = 0, height = 0;
    onTextureUnit(GL_TEXTURE2, [&] {
        glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_HEIGHT, &height);
    });
    return QSize(width, height);
}

} // namespace

QImage GLWidget::renderPicture(int scale, QString& fault)
{
    makeCurrent();
    // GLEW's flags are all off until initializeGL has run.
    const GLFeatures features = availableGLFeatures();
    if (!features.framebufferObject) {
        fault = tr("Die Grafikkarte kann nicht außerhalb des Fensters zeichnen "
                   "(keine Framebuffer-Objekte).");
        return {};
    }
    const qint64 wide = qint64(width()) * scale, high = qint64(height()) * scale;
    const int largest = largestSide(features);
    if (scale < 1 || wide < 1 || high < 1 || wide > largest || high > largest) {
        fault = tr("Ein Bild von %1 x %2 Pixeln kann die Grafikkarte nicht zeichnen "
                   "(höchstens %3 x %3).")
                    .arg(wide)
                    .arg(high)
                    .arg(largest);
        return {};
    }
    const QSize size{int(wide), int(high)};
    // Without an alpha channel the view shows the colours alone.
    const bool alpha = format().alpha();
    QImage picture(size, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (picture.isNull()) {
        fault = tr("Kein Speicher für ein Bild von %1 x %2 Pixeln.").arg(wide).arg(high);
        return {};
    }

    // Made for this picture alone: a large one would otherwise hold its memory.
    GLuint framebuffer = 0, colour = 0;
    glGenFramebuffersEXT(1, &framebuffer);
    glGenRenderbuffersEXT(1, &colour);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colour);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, alpha ? GL_RGBA8 : GL_RGB8, size.width(),
                             size.height());
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                 colour);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status == GL_FRAMEBUFFER_COMPLETE_EXT) {
        // The entry and exit framebuffers (and a turn's) take the picture's
        // size for its frame, then the size they had: that of the last load.
        const QSize kept = entryTextureSize(m_entryTexture);
        const bool turning = m_turning;
        m_turning = false; // the full picture, never the reduced one
        m_frameSize = size;
        if (!kept.isEmpty())
            createFramebuffers();
        m_frameTarget = framebuffer;
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
        glViewport(0, 0, size.width(), size.height());
        // At the view's size, the frames the refinement still lacks too.
        int drawn = 0;
        do {
            drawn = m_refinement.frames();
            paintGL();
        } while (m_refinement.refining() && m_refinement.frames() > drawn);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, picture.bits());

        m_frameTarget = 0;
        m_frameSize = kept;
        if (!kept.isEmpty())
            createFramebuffers();
        m_frameSize = QSize();
        m_turning = turning;
        glViewport(0, 0, m_viewportWidth, m_viewportHeight);
    } else {
        const GLenum error = drainGLErrors();
        fault = tr("Die Grafikkarte kann kein Bild von %1 x %2 Pixeln anlegen (%3).")
                    .arg(wide)
                    .arg(high)
                    .arg(error != GL_NO_ERROR ? QString::fromStdString(glErrorText(error))
                                              : QString("Status %1").arg(status));
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDeleteRenderbuffersEXT(1, &colour);
    glDeleteFramebuffersEXT(1, &framebuffer);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT)
        return {};
    return picture.mirrored(); // the GL counts rows from the bottom
}
