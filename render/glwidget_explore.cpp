// Exploring the view: the camera (its projection, zoom, pan and standard
// views), the frames drawn from fewer rays meanwhile, the crop
// box and the cut, the wheel, and the voxel under the mouse.

#include "render/glwidget.h"

#include "render/framegeometry.h"
#include "render/orientationmarker.h"

#include <QVector3D>
#include <QWheelEvent>

#include <algorithm>

// A projection that keeps one unit the same length on both axes of the
// view, the square -1..1 fitting its shorter side, then fitted, zoomed and
// panned. Depth is untouched.
void GLWidget::loadProjection(int width, int height) const
{
    glMatrixMode(GL_PROJECTION);
    if (m_camera.zoomNotches() == 0 && m_camera.pan().isNull() &&
        m_camera.fitZoom(width, height) == 1) {
        const AspectScale aspect = aspectScale(width, height);
        glLoadIdentity();
        glScalef(aspect.x, aspect.y, 1.0f);
    } else {
        glLoadMatrixf(m_camera.projection(width, height).constData());
    }
    glMatrixMode(GL_MODELVIEW);
}

float GLWidget::raycastScale() const
{
    return (m_turning || m_panning || m_quickFrames) && m_turnFramebufferReady
               ? m_turnResolution.scale()
               : 1.0f;
}

void GLWidget::resetView()
{
    m_xRotation = 0;
    m_yRotation = 0;
    m_camera.reset();
    update();
    emit m_notifier.cameraChanged();
}

void GLWidget::setSpin(double degrees)
{
    m_camera.setSpin(degrees);
    update();
}

void GLWidget::setStandardView(Camera::Side side)
{
    m_xRotation = 0;
    m_yRotation = 0;
    m_camera.setSide(side);
    update();
    emit m_notifier.cameraChanged();
}

void GLWidget::zoomAt(QPoint pixel, int notches)
{
    if (m_camera.zoomAbout(pixelToNdc(pixel, width(), height()), notches)) {
        update();
        emit m_notifier.cameraChanged();
    }
}

void GLWidget::panBy(QPoint pixels)
{
    m_camera.panBy(QPointF(2.0 * pixels.x() / std::max(width(), 1),
                           -2.0 * pixels.y() / std::max(height(), 1)));
    update();
    emit m_notifier.cameraChanged();
}

void GLWidget::setCropBox(const CropBox& box)
{
    m_cropBox = box.clampedTo(extents());
    update();
}

void GLWidget::setCut(bool on)
{
    m_cut = on;
    update();
}

void GLWidget::setPatientAxes(bool known)
{
    m_patientAxes = known;
    update();
}

void GLWidget::setVolumeAxes(const VolumeAxes& axes)
{
    m_camera.setAxes(axes);
    update();
    emit m_notifier.cameraChanged();
}

namespace {

// Drawing in pixels (y down) over the frame, with the GL state kept to be
// put back by endPixelOverlay: the frame leaves textures enabled on the
// passes' units, which the fixed pipeline would apply too.
void beginPixelOverlay(int width, int height)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (GLint unit = units - 1; unit >= 0; --unit) {
        glActiveTexture(GLenum(GL_TEXTURE0 + unit));
        for (GLenum target : {GLenum(GL_TEXTURE_1D), GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_3D),
                              GLenum(GL_TEXTURE_RECTANGLE_ARB)})
            glDisable(target);
    }
    glUseProgram(0);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endPixelOverlay()
{
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

} // namespace

// The patient's sides at the middle of each edge, or the volume's axes where
// they are not the patient's, in the window only: a picture saved shows the
// volume alone. Each is drawn by Qt into an image and blended over the
// frame from a texture.
void GLWidget::drawOrientationMarker()
{
    const QMatrix4x4 turn = m_camera.modelView(m_xRotation, m_yRotation);
    const EdgeLetters letters = m_patientAxes ? edgeLetters(turn) : edgeAxes(turn);
    QFont font = this->font();
    font.setBold(true);
    const int w = width(), h = height();
    beginPixelOverlay(w, h);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_markerTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA); // the image is premultiplied
    const QString* texts[4] = {&letters.right, &letters.left, &letters.top, &letters.bottom};
    for (int edge = 0; edge < 4; ++edge) {
        const QImage image = markerImage(*texts[edge], font);
        const int x = edge == 0 ? w - image.width() : edge == 1 ? 0 : (w - image.width()) / 2;
        const int y = edge < 2 ? (h - image.height()) / 2 : edge == 2 ? 0 : h - image.height();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width(), image.height(), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, image.constBits());
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2i(x, y);
        glTexCoord2f(1, 0);
        glVertex2i(x + image.width(), y);
        glTexCoord2f(1, 1);
        glVertex2i(x + image.width(), y + image.height());
        glTexCoord2f(0, 1);
        glVertex2i(x, y + image.height());
        glEnd();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    endPixelOverlay();
}

void GLWidget::setMarkedPoint(const std::optional<std::array<int, 3>>& voxel)
{
    if (voxel == m_markedPoint)
        return;
    m_markedPoint = voxel;
    update();
}

// The slice panes' point, a small cross over the picture where it lies, in
// front of whatever the rays show; in the window only, as the sides.
void GLWidget::drawMarkedPoint()
{
    const FrameGeometry frame = frameGeometryFor(m_volume.width, m_volume.height, m_volume.depth);
    const int extents[3] = {m_volume.width, m_volume.height, m_volume.depth};
    QVector3D model; // the voxel's centre in the cube's coordinates
    for (int axis = 0; axis < 3; ++axis)
        model[axis] = ((float((*m_markedPoint)[size_t(axis)]) + 0.5f) / float(extents[axis]) - 0.5f) *
                      2.0f * frame.half[axis];
    const QVector3D ndc =
        (m_camera.projection(width(), height()) * m_camera.modelView(m_xRotation, m_yRotation))
            .map(model);
    const float x = (ndc.x() + 1) / 2 * float(width()), y = (1 - ndc.y()) / 2 * float(height());
    beginPixelOverlay(width(), height());
    for (int pass = 0; pass < 2; ++pass) { // a dark outline, then the cross
        glLineWidth(pass == 0 ? 4.0f : 2.0f);
        pass == 0 ? glColor3f(0, 0, 0) : glColor3f(0.31f, 0.78f, 1.0f);
        glBegin(GL_LINES);
        glVertex2f(x - 8, y);
        glVertex2f(x + 8, y);
        glVertex2f(x, y - 8);
        glVertex2f(x, y + 8);
        glEnd();
    }
    endPixelOverlay();
}

void GLWidget::setQuickFrames(bool on)
{
    m_quickFrames = on;
    if (!on)
        update(); // the full picture
}

// Over the ray-cast view the wheel zooms about the mouse; over a slice it
// steps through the slices, and zooms with Ctrl. A notch is 120 in Qt's
// units; finer wheels add up to notches.
void GLWidget::wheelEvent(QWheelEvent* event)
{
    event->accept();
    m_refinement.stop();
    m_wheelAngle += event->angleDelta().y();
    const int notches = m_wheelAngle / 120;
    m_wheelAngle -= notches * 120;
    if (notches == 0)
        return;
    if (m_slicing && !(event->modifiers() & Qt::ControlModifier))
        emit m_notifier.sliceStepped(notches);
    else
        zoomAt(event->position().toPoint(), notches);
}

RayBox GLWidget::rayBox() const
{
    RayBox box;
    m_cropBox.coordinates(extents(), box.low, box.high);
    if (!m_cut)
        return box;
    // The slice's plane: at depth for the x button, height for y, width for z.
    const int axis = m_sliceAxis == XAxis ? 2 : m_sliceAxis == YAxis ? 1 : 0;
    box.cutAxis = axis;
    box.cutAt = std::clamp(m_slicePosition, box.low[axis], box.high[axis]);
    // The part behind the plane stays: its cut face turned towards the viewer.
    const QVector3D looking = m_camera.modelView(m_xRotation, m_yRotation)
                                  .inverted()
                                  .mapVector(QVector3D(0, 0, -1));
    (looking[axis] < 0 ? box.high : box.low)[axis] = box.cutAt;
    return box;
}

VoxelPick GLWidget::pickAt(QPoint pixel) const
{
    // What paintGL draws: nothing below ten rows, nor before a table.
    if (m_volume.height < 10 || !(m_transferReady || (m_slicing && m_slicesInWindow)))
        return {};
    const QPointF ndc = pixelToNdc(pixel, width(), height());
    const QMatrix4x4 projection = m_camera.projection(width(), height());
    if (m_slicing)
        return pickOnSlice(m_volume, m_sliceAxis, m_slicePosition, projection, ndc);
    const RayBox box = rayBox();
    return pickAlongRay(m_volume, m_transferTable,
                        projection * m_camera.modelView(m_xRotation, m_yRotation), box.low,
                        box.high, ndc);
}
