#pragma once

#include "render/volumeaxes.h"

#include <QMatrix4x4>
#include <QPointF>
#include <QSizeF>
#include <QVector3D>

// Where the view looks from, beside the two angles a drag turns it by
// (about x after y, which the view keeps): the orientation they turn from,
// a zoom and pan relative to the fit of the volume's box, and a spin about
// the view's vertical axis after all turns (a film's). A value: the view
// reads it, the mouse and the menu change it. The unturned, unzoomed,
// centred camera draws exactly as a view without one at the start size.
class Camera
{
public:
    // The standard views of a volume whose axes run towards the patient's
    // right, anterior and superior (x, y, z): from above is the unturned
    // view (anterior up, the right on the right); from below, the front and
    // the back, superior is up (below, anterior); from a side, superior is up.
    // In any other volume's own axes they are the views from +z (Top), -z,
    // +y (Front), -y, -x (Left) and +x (Right).
    enum class Side { Top, Bottom, Front, Back, Left, Right };

    // A wheel notch zooms by a quarter of a doubling: four notches double
    // the picture. From a quarter of the start size to 16 times.
    static constexpr int kNotchesPerDoubling = 4;
    static constexpr int kFewestNotches = -2 * kNotchesPerDoubling;
    static constexpr int kMostNotches = 4 * kNotchesPerDoubling;

    // The view's size when the window starts, the form's: the fit draws the
    // picture there as Kastra always has.
    static constexpr int kStartWidth = 700;
    static constexpr int kStartHeight = 500;

    bool isReset() const
    {
        return m_side == Side::Top && m_notches == 0 && m_pan.isNull() && m_spin == 0;
    }
    // Back to the fit from above; the box and the axes stay, as they belong
    // to the scan.
    void reset();

    // Half the extents of the volume's box in the cube's units (the longest
    // side one unit long; a cube of 0.5 until set).
    void setBox(const QVector3D& half) { m_box = half; }
    QVector3D box() const { return m_box; }
    // The box's width and height seen from the side, unturned, the larger 1.
    QSizeF seenBox() const;
    // The zoom, on top of the projection's own, that fits the box seen from
    // the side to a `width` x `height` view; exactly 1 at the start size.
    double fitZoom(int width, int height) const;

    // Degrees about the view's vertical axis, after the turn.
    void setSpin(double degrees) { m_spin = degrees; }
    double spin() const { return m_spin; }

    void setSide(Side side) { m_side = side; }
    Side side() const { return m_side; }
    // The orientation's rotation of volume axes onto eye axes; identity from above.
    QMatrix4x4 orientation() const;
    // How the volume's axes are set before the orientation (volumeaxes.h):
    // the standard views look at the axes so set.
    void setAxes(const VolumeAxes& axes) { m_axes = axes; }
    const VolumeAxes& axes() const { return m_axes; }
    // The orientation after the axes; identity for the file's axes from above.
    QMatrix4x4 placement() const { return orientation() * m_axes.matrix(); }

    double zoom() const;
    int zoomNotches() const { return m_notches; }
    // Pan in normalised device coordinates (-1..1 across the view).
    QPointF pan() const { return m_pan; }

    // Zooms by `notches` (positive: closer), keeping the point at `ndc`
    // (normalised device coordinates) where it is. False where the zoom is
    // at its end already.
    bool zoomAbout(QPointF ndc, int notches);
    // Moves the picture by `ndc`.
    void panBy(QPointF ndc) { m_pan += ndc; }

    // The projection for a view of `width` x `height` pixels: one unit the
    // same length on both axes, the square -1..1 fitting the shorter side,
    // scaled by the fit, then zoomed and panned.
    QMatrix4x4 projection(int width, int height) const;
    // The turn of the volume: the spin after xRotation about x after
    // yRotation about y, after the placement.
    QMatrix4x4 modelView(int xRotation, int yRotation) const;

private:
    Side m_side = Side::Top;
    int m_notches = 0;
    QPointF m_pan;
    QVector3D m_box{0.5f, 0.5f, 0.5f};
    double m_spin = 0;
    VolumeAxes m_axes;
};

// A pixel's centre in normalised device coordinates, `y` counted from the top.
QPointF pixelToNdc(QPointF pixel, int width, int height);
