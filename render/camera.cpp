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

void Camera::reset()
{
    const QVector3D box = m_box;
    const VolumeAxes axes = m_axes;
    *this = Camera();
    m_box = box;
    m_axes = axes;
}

QSizeF Camera::seenBox() const
{
    // The placement only swaps and mirrors axes: the box is fitted as the
    // axes set by hand show it.
    const QVector3D seen = placement().mapVector(m_box);
    const double width = std::abs(seen.x()), height = std::abs(seen.y());
    const double larger = std::max({width, height, 1e-9});
    return QSizeF(width / larger, height / larger);
}

// Kastra first framed every volume alike, the square -1..1 on the view's
// shorter side, and the pictures at the start size are kept: there the fit
// is 1. Elsewhere the box fills the same share of the view as it fills the
// start view, on the side that limits it: the scale that fits a box of
// b_x x b_y to w x h, min(w / b_x, h / b_y), goes as min(w b_y, h b_x), and
// the projection gives min(w, h) / 2 pixels a unit before the fit. In that
// order a box seen square gets exactly 1 at any size, as before.
double Camera::fitZoom(int width, int height) const
{
    if (width <= 0 || height <= 0)
        return 1;
    const QSizeF box = seenBox();
    const double fits = std::min(width * box.height(), height * box.width());
    const double fitsAtStart = std::min(kStartWidth * box.height(), kStartHeight * box.width());
    return fits * std::min(kStartWidth, kStartHeight) / (fitsAtStart * std::min(width, height));
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
    const double zoom = this->zoom() * fitZoom(width, height);
    matrix.scale(float(aspect.x * zoom), float(aspect.y * zoom), 1.0f);
    return matrix;
}

QMatrix4x4 Camera::modelView(int xRotation, int yRotation) const
{
    QMatrix4x4 matrix;
    if (m_spin != 0)
        matrix.rotate(float(m_spin), 0, 1, 0);
    matrix.rotate(float(xRotation), 1, 0, 0);
    matrix.rotate(float(yRotation), 0, 1, 0);
    return matrix * placement();
}

QPointF pixelToNdc(QPointF pixel, int width, int height)
{
    return QPointF(2.0 * (pixel.x() + 0.5) / std::max(width, 1) - 1.0,
                   1.0 - 2.0 * (pixel.y() + 0.5) / std::max(height, 1));
}
