// Refining the still ray-cast frame (refinement.h): when a frame continues
// the refinement of the one before, and the input that stops it.

#include "render/glwidget.h"

#include "render/glfeatures.h"

#include <QKeyEvent>

void GLWidget::setRefining(bool on)
{
    m_refinement.setOn(on);
    update();
}

// Keys the view's shortcuts do not take stop the refinement too.
void GLWidget::keyPressEvent(QKeyEvent* event)
{
    m_refinement.stop();
    QGLWidget::keyPressEvent(event);
}

// A frame adds to the average of the frames before it where it shows what
// they showed: the same camera, size, box, window and step. A new table or
// volume stops the refinement where it arrives. The projections march
// without jitter, and frames off screen at a multiple of the view's size
// would need a buffer and frames of that size: those are still frames.
bool GLWidget::refinesFrame()
{
    if (!m_refinement.isOn() || m_renderMode != CompositeMode || m_rayProbe != RayProbe::Picture ||
        m_turning || m_panning || m_quickFrames || frameSize() != size())
        return false;
    const QMatrix4x4 look =
        m_camera.projection(width(), height()) * m_camera.modelView(m_xRotation, m_yRotation);
    const RayBox box = rayBox();
    const float state[] = {box.low[0],
                           box.low[1],
                           box.low[2],
                           box.high[0],
                           box.high[1],
                           box.high[2],
                           float(box.cutAxis),
                           box.cutAt,
                           float(m_minDensity),
                           float(m_maxDensity),
                           m_sampleDistance,
                           float(m_leaping),
                           float(m_slicesInWindow),
                           float(m_transferTop),
                           float(width()),
                           float(height())};
    QByteArray view(reinterpret_cast<const char*>(look.constData()), 16 * sizeof(float));
    view.append(reinterpret_cast<const char*>(state), sizeof state);
    return m_refinement.begin(view, size());
}
