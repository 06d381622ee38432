// The volume into the GL: its densities as a 3D texture (or its first layer
// as a flat one), its gradients where the card holds them, and whether a
// volume of given extents fits at all.

#include "render/glwidget.h"

#include "platform/console.h"
#include "render/gldiagnostics.h"
#include "render/glfeatures.h"
#include "render/gradienttexture.h"
#include "render/texturesize.h"
#include "render/textureunit.h"

#include <ostream>
#include <string>
#include <utility>

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
        if (!m_quietUpload) {
            console::out() << "####################################" << std::endl;
            console::out() << "Width: " << width << std::endl;
            console::out() << "Height: " << height << std::endl;
            console::out() << "Depth: " << depth << std::endl;
        }

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

// Another volume of a time series: the textures re-specified in place, and
// no console lines, as they follow each other at the pace of playback.
bool GLWidget::showTimeStep(VolumeData& next)
{
    if (next.width != m_volume.width || next.height != m_volume.height ||
        next.depth != m_volume.depth)
        return false;
    std::swap(m_volume.voxels, next.voxels);
    m_volume.histogram = next.histogram;
    m_emptySpace.setVolume(m_volume);
    lookForSurfaces();
    m_refinement.stop();
    update();
    if (!m_glInitialized)
        return true;
    makeCurrent();
    const GLFeatures features = availableGLFeatures();
    if (!features.texture3D) {
        uploadVolumeTexture();
        return true;
    }
    glBindTexture(GL_TEXTURE_3D, m_volumeTexture);
    glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, 0, m_volume.width, m_volume.height, m_volume.depth,
                    GL_LUMINANCE, GL_FLOAT, m_volume.voxels.data());
    const bool exact = features.nonPowerOfTwo;
    const int extents[3] = {exact ? m_volume.width : nextPowerOfTwo(m_volume.width),
                            exact ? m_volume.height : nextPowerOfTwo(m_volume.height),
                            exact ? m_volume.depth : nextPowerOfTwo(m_volume.depth)};
    if (!reportGLFailure("Could not upload texture: ") && features.multitexture && m_gradientsHeld)
        uploadGradientTextures(extents);
    m_emptySpace.uploadGrid();
    return true;
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
    m_gradientsHeld = held;
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
            return "a volume of " + std::to_string(width) + " x " + std::to_string(height) + " x " +
                   std::to_string(depth) +
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
