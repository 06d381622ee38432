// Exploring the view: the camera's zoom, pan and standard views, the crop
// box and the cut, the wheel, and the voxel under the mouse.

#include "render/glwidget.h"

#include <QVector3D>
#include <QWheelEvent>

#include <algorithm>

void GLWidget::resetView()
{
    m_xRotation = 0;
    m_yRotation = 0;
    m_camera.reset();
    update();
    emit m_notifier.cameraChanged();
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

GLWidget::RaycastBox GLWidget::raycastBox() const
{
    RaycastBox box;
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
    const RaycastBox box = raycastBox();
    return pickAlongRay(m_volume, m_transferTable,
                        projection * m_camera.modelView(m_xRotation, m_yRotation), box.low,
                        box.high, ndc);
}
