#include "render/camera.h"

#include "render/framegeometry.h"

#include <algorithm>
#include <cmath>

QMatrix4x4 Camera::orientation() const
{
    // Rows: the eye's x (right), y (up) and z (towards the viewer) in volume
    // axes. From the front the viewer faces the patient, whose right is on
    // the viewer's left; from the left the viewer stands at the patient's
    // left, the back on the viewer's right.
    switch (m_side) {
    case Side::Top:
        return QMatrix4x4();
    case Side::Bottom:
        return QMatrix4x4(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1);
    case Side::Front:
        return QMatrix4x4(-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    case Side::Back:
        return QMatrix4x4(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1);
    case Side::Left:
        return QMatrix4x4(0, -1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 0, 0, 0, 0, 1);
    case Side::Right:
        return QMatrix4x4(0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1);
    }
    return QMatrix4x4();
}

double Camera::zoom() const
{
    return std::exp2(double(m_notches) / kNotchesPerDoubling);
}

bool Camera::zoomAbout(QPointF ndc, int notches)
{
    const int wanted = std::clamp(m_notches + notches, kFewestNotches, kMostNotches);
    if (wanted == m_notches)
        return false;
    const double before = zoom();
    m_notches = wanted;
    // The point under the mouse, (ndc - pan) / zoom before, stays at ndc.
    m_pan = ndc - (ndc - m_pan) * (zoom() / before);
    if (m_notches == 0 && std::abs(m_pan.x()) < 1e-9 && std::abs(m_pan.y()) < 1e-9)
        m_pan = QPointF(); // back where it started, whatever the rounding
    return true;
}

QMatrix4x4 Camera::projection(int width, int height) const
{
    const AspectScale aspect = aspectScale(width, height);
    QMatrix4x4 matrix;
    matrix.translate(float(m_pan.x()), float(m_pan.y()));
    matrix.scale(float(aspect.x * zoom()), float(aspect.y * zoom()), 1.0f);
    return matrix;
}

QMatrix4x4 Camera::modelView(int xRotation, int yRotation) const
{
    QMatrix4x4 matrix;
    matrix.rotate(float(xRotation), 1, 0, 0);
    matrix.rotate(float(yRotation), 0, 1, 0);
    return matrix * placement();
}

QPointF pixelToNdc(QPointF pixel, int width, int height)
{
    return QPointF(2.0 * (pixel.x() + 0.5) / std::max(width, 1) - 1.0,
                   1.0 - 2.0 * (pixel.y() + 0.5) / std::max(height, 1));
}
