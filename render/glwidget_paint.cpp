// Drawing a frame: one textured cross-section, or a ray-cast picture in
// three passes (entry faces, exit faces, the ray caster over the view).

#include "render/glwidget.h"

#include "platform/console.h"
#include "render/framegeometry.h"
#include "render/gldiagnostics.h"
#include "render/glfeatures.h"
#include "render/perftimer.h"
#include "render/proxycube.h"
#include "render/slicequad.h"
#include "render/textureunit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ostream>

namespace {

// Light 0, a white light with a grey ambient part. The ray caster uses its
// colours as a headlight.
const GLfloat kLightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat kLightWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // diffuse and specular
const GLfloat kLightPosition[4] = {1.0f, 1.0f, 0.0f, 1.0f};

void loadIdentityProjection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void bindUnit(GLenum unit, GLenum target, GLuint texture, const char* label)
{
    glActiveTexture(unit);
    glEnable(target);
    glBindTexture(target, texture);
    reportGLError(label);
}

// A program that failed to link (its compiler log was printed when it was
// built) makes every call of its pass fail and leaves an error pending for
// whatever GL call comes next, a transfer-function upload say: such a pass
// draws nothing instead.
bool isLinked(GLuint program)
{
    GLint linked = GL_FALSE;
    if (glIsProgram(program))
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE;
}

GLint uniformLocation(GLuint program, const char* name)
{
    const GLint location = glGetUniformLocation(program, name);
    reportGLError("GetUniformLocation: ");
    return location;
}

} // namespace

void GLWidget::paintGL()
{
    // Started by the first repaint, whether or not that frame draws anything.
    static PerfTimer frameTimer;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (m_volume.height < 10 || !(m_transferReady || (m_slicing && m_slicesInWindow)))
        return;

    const FrameGeometry frame = frameGeometryFor(m_volume.width, m_volume.height, m_volume.depth);
    const auto started = std::chrono::steady_clock::now();
    if (m_slicing)
        paintSlice(frame);
    else
        paintRaycast(frame);
    glPopMatrix();
    loadIdentityProjection();
    if ((m_turning || m_panning || m_quickFrames) && !m_slicing && m_turnFramebufferReady) {
        // The next turning frame's scale from this one's time.
        glFinish();
        m_turnResolution.frameTook(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count());
    }

    if ((m_patientAxes || !m_camera.axes().isFileAxes()) && !m_slicing && m_frameTarget == 0)
        drawOrientationMarker();
    if (m_markedPoint && !m_slicing && m_frameTarget == 0)
        drawMarkedPoint();
    reportFrameRate(frameTimer);
}

void GLWidget::paintSlice(const FrameGeometry& frame)
{
    glPushMatrix();
    if (m_volumeTexture == 0)
        return;
    loadProjection(frameSize().width(), frameSize().height());

    const GLFeatures features = availableGLFeatures();
    if (features.texture3D) {
        if (!features.shaders || !features.multitexture || !isLinked(m_slicesProgram))
            return;
        bindUnit(GL_TEXTURE0, GL_TEXTURE_3D, m_volumeTexture, "Setting 3D Texture: ");
        bindUnit(GL_TEXTURE1, GL_TEXTURE_1D, m_transferTexture, "Setting 1D Texture: ");
        glUseProgram(m_slicesProgram);
        const GLint slices = uniformLocation(m_slicesProgram, "slices");
        const GLint transfer = uniformLocation(m_slicesProgram, "transfer");
        glUniform1i(slices, 0);
        reportGLError("Uniformtest1: ");
        glUniform1i(transfer, 1);
        reportGLError("Uniformtest2: ");
        // Looked up without a report, which would add a console line to each slice.
        glUniform2f(glGetUniformLocation(m_slicesProgram, "window"),
                    m_slicesInWindow ? float(m_minDensity) : 0.0f,
                    m_slicesInWindow ? float(m_maxDensity) : 0.0f);

        const SliceQuad quad = sliceQuad(m_sliceAxis, m_slicePosition, frame.half);
        glBegin(GL_QUADS);
        for (const SliceCorner& corner : quad) {
            glMultiTexCoord3f(GL_TEXTURE0, corner.texCoord[0], corner.texCoord[1],
                              corner.texCoord[2]);
            glVertex3f(corner.position[0], corner.position[1], -1.0f);
        }
        glEnd();
        glUseProgram(0);
        return;
    }

    // Without 3D textures the first layer shows on a fixed square, without
    // the transfer function.
    glBindTexture(GL_TEXTURE_2D, m_volumeTexture);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-0.5f, -0.5f, -1.0f);
    glTexCoord2f(1, 0);
    glVertex3f(0.5f, -0.5f, -1.0f);
    glTexCoord2f(1, 1);
    glVertex3f(0.5f, 0.5f, -1.0f);
    glTexCoord2f(0, 1);
    glVertex3f(-0.5f, 0.5f, -1.0f);
    glEnd();
}

bool GLWidget::shadesFromTextures() const
{
    return (m_turning || m_panning || m_quickFrames || m_sampleDistance > 1) &&
           isLinked(m_texturedRaycast.program);
}

void GLWidget::paintRaycast(const FrameGeometry& frame)
{
    glEnable(GL_CULL_FACE);
    glPushMatrix();
    glLoadIdentity();
    if (m_camera.spin() != 0)
        glRotatef(float(m_camera.spin()), 0.0f, 1.0f, 0.0f);
    glRotatef(float(m_xRotation), 1.0f, 0.0f, 0.0f);
    glRotatef(float(m_yRotation), 0.0f, 1.0f, 0.0f);
    if (m_camera.side() != Camera::Side::Top || !m_camera.axes().isFileAxes())
        glMultMatrixf(m_camera.placement().constData());
    console::out() << "x: " << m_xRotation << " y: " << m_yRotation << std::endl;

    const GLFeatures features = availableGLFeatures();
    if (!features.shaders || !features.framebufferObject || !features.multitexture ||
        !features.texture3D || !features.textureRectangle || !isLinked(m_fboProgram) ||
        !isLinked(m_raycastProgram))
        return;

    // Turning, the passes draw into the lower left of their framebuffers,
    // as many pixels as the scale leaves, and the result is scaled up.
    const float scale = raycastScale();
    const int fullWidth = frameSize().width(), fullHeight = frameSize().height();
    const int drawWidth = scale < 1 ? std::max(1, int(std::lround(fullWidth * scale))) : fullWidth;
    const int drawHeight =
        scale < 1 ? std::max(1, int(std::lround(fullHeight * scale))) : fullHeight;
    if (scale < 1)
        glViewport(0, 0, drawWidth, drawHeight);

    // Entry pass: the faces towards the viewer; exit pass: those turned
    // away. Of a crop or a cut, the faces of its box.
    const RayBox box = rayBox();
    const float *low = box.low, *high = box.high;
    float boxLow[3], boxHigh[3]; // in the cube's coordinates
    for (int axis = 0; axis < 3; ++axis) {
        boxLow[axis] = (low[axis] - 0.5f) * 2.0f * frame.half[axis];
        boxHigh[axis] = (high[axis] - 0.5f) * 2.0f * frame.half[axis];
    }
    loadProjection(drawWidth, drawHeight);
    // Mirrored axes wind the box's faces the other way round.
    const bool mirrored = m_camera.axes().mirrors();
    if (mirrored)
        glFrontFace(GL_CW);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_entryFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(m_fboProgram);
    glUniform3fv(glGetUniformLocation(m_fboProgram, "scale"), 1, frame.scale);
    drawProxyBox(frame.reciprocal, low, high);

    glCullFace(GL_FRONT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_exitFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
    drawProxyBox(frame.reciprocal, low, high);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_frameTarget);
    glCullFace(GL_BACK);
    if (mirrored)
        glFrontFace(GL_CCW);

    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightWhite);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightWhite);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glDisable(GL_LIGHT0);

    const bool textured = shadesFromTextures();
    glUseProgram(textured ? m_texturedRaycast.program : m_raycastProgram);
    bindUnit(GL_TEXTURE0, GL_TEXTURE_3D, m_volumeTexture, "Setting 3D Texture: ");
    bindUnit(GL_TEXTURE1, GL_TEXTURE_1D, m_transferTexture, "Setting 1D Texture: ");
    bindUnit(GL_TEXTURE2, GL_TEXTURE_RECTANGLE_ARB, m_entryTexture, "Setting 3D Texture3: ");
    bindUnit(GL_TEXTURE3, GL_TEXTURE_RECTANGLE_ARB, m_exitTexture, "Setting 1D Texture4: ");

    // The locations were looked up once the program was linked; the checks
    // stay where the lookups were, so that an error pending from before is
    // reported under the same label.
    const RaycastUniforms& uniforms = textured ? m_texturedRaycast.uniforms : m_raycastUniforms;
    for (int lookup = 0; lookup < 4; ++lookup)
        reportGLError("GetUniformLocation: ");
    glUniform1i(uniforms.slices, 0);
    reportGLError("Uniformtest1: ");
    glUniform1i(uniforms.transfer, 1);
    reportGLError("Uniformtest2: ");
    glUniform1i(uniforms.entry, 2);
    reportGLError("Uniformtest3: ");
    glUniform1i(uniforms.exit, 3);
    reportGLError("Uniformtest4: ");
    glUniform3i(uniforms.volumeDimension, m_volume.width, m_volume.height, m_volume.depth);
    reportGLError("Volume_Dimension: ");
    onTextureUnit(kJitterUnit, [&] { glBindTexture(GL_TEXTURE_2D, m_jitterTexture); });
    glUniform1i(uniforms.jitter, int(kJitterUnit - GL_TEXTURE0));
    for (int i = 0; i < 2; ++i)
        onTextureUnit(kGradientUnits[i],
                      [&] { glBindTexture(GL_TEXTURE_3D, m_gradientTextures[i]); });
    glUniform1i(uniforms.gradientsXY, int(kGradientUnits[0] - GL_TEXTURE0));
    glUniform1i(uniforms.gradientsZ, int(kGradientUnits[1] - GL_TEXTURE0));
    glUniform1i(uniforms.mode, m_renderMode);
    glUniform1f(uniforms.sampleDistance, m_sampleDistance);
    glUniform1i(uniforms.cutAxis, box.cutAxis);
    glUniform1f(uniforms.cutPosition, box.cutAt);
    glUniform2f(uniforms.cutWindow, m_slicesInWindow ? float(m_minDensity) : 0.0f,
                m_slicesInWindow ? float(m_maxDensity) : 0.0f);
    glUniform1f(uniforms.tableTop,
                float(m_renderMode == CompositeMode ? m_transferTop : m_projectionTop) /
                    float(kDensityCount - 1));
    glUniform1f(uniforms.steepSpan, m_steepSpan);
    // The bricks index the volume's own voxels, not those of a texture
    // padded to powers of two.
    m_emptySpace.bind(uniforms.leaping, m_leaping && features.nonPowerOfTwo, m_renderMode);

    // The final quad covers the whole view, unrotated; its texture
    // coordinates are the pixel positions in the entry and exit textures.
    // Pixels the cube cannot reach keep the cleared transparent black the
    // ray caster would write there: a scissor spares them the shader.
    glLoadIdentity();
    loadIdentityProjection();
    if (scale < 1) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_turnFramebuffer);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f); // what a ray that misses the cube writes
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
    }
    const QMatrix4x4 turn = m_camera.modelView(m_xRotation, m_yRotation);
    const PixelRect footprint = boxFootprint(m_camera.projection(drawWidth, drawHeight) * turn,
                                             boxLow, boxHigh, drawWidth, drawHeight);
    glScissor(footprint.x, footprint.y, footprint.width, footprint.height);
    glEnable(GL_SCISSOR_TEST);
    const bool refined = refinesFrame();
    if (!refined || m_refinement.prepareFrame(uniforms.jitterOffset)) {
        const float viewWidth = float(drawWidth), viewHeight = float(drawHeight);
        const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        glBegin(GL_QUADS);
        for (const auto& corner : corners) {
            glMultiTexCoord2f(GL_TEXTURE0, corner[0] * viewWidth, corner[1] * viewHeight);
            glVertex3f(2 * corner[0] - 1, 2 * corner[1] - 1, -1);
        }
        glEnd();
    }
    if (refined)
        m_refinement.show(m_frameTarget, frameSize(), uniforms.jitterOffset);
    glDisable(GL_SCISSOR_TEST);
    glUseProgram(0);
    if (scale < 1) {
        // Scaled up, linearly, into the cube's footprint in the view.
        glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, m_turnFramebuffer);
        glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, m_frameTarget);
        glViewport(0, 0, fullWidth, fullHeight);
        const PixelRect view = boxFootprint(m_camera.projection(fullWidth, fullHeight) * turn,
                                            boxLow, boxHigh, fullWidth, fullHeight);
        glScissor(view.x, view.y, view.width, view.height);
        glEnable(GL_SCISSOR_TEST);
        glBlitFramebufferEXT(0, 0, drawWidth, drawHeight, 0, 0, fullWidth, fullHeight,
                             GL_COLOR_BUFFER_BIT, GL_LINEAR);
        glDisable(GL_SCISSOR_TEST);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_frameTarget);
    }
}
