#pragma once

#include <QPointF>
#include <QSize>

#include <array>

// The planes a slice pane shows, named for a volume in the patient's axes
// (x towards the right, y anterior, z superior): an axial plane cuts across
// z, a coronal one across y, a sagittal one across x.
enum class PanePlane { Axial, Coronal, Sagittal };

// How a pane lays its plane on the screen: the volume axis the plane cuts
// across (its normal, 0 x, 1 y, 2 z), the axes that run right and up, and
// whether each runs backwards there (its index falling to the right, or
// upwards).
struct PaneAxes
{
    int normal = 2;
    int across = 0, up = 1;
    bool acrossReversed = false, upReversed = false;
};

// For a volume in the patient's axes, as readers of scans expect: axial and
// coronal radiologically (the patient's right on the screen's left), axial
// anterior up, coronal and sagittal superior up, sagittal anterior on the
// left. Without a known orientation the volume's own axes, unreversed: the
// plane of z with x across and y up, those of y and x with z up.
PaneAxes paneAxes(PanePlane plane, bool patientAxes);

// A pane's view of its plane: the volume's extents in voxels and its voxel
// size (mm, or 1 each where unknown), the pane's size in pixels, a zoom
// (1: the plane, at its true proportions, fits the pane, centred) and a pan
// in pixels.
struct PaneView
{
    PaneAxes axes;
    std::array<int, 3> extents{{1, 1, 1}};
    std::array<double, 3> spacing{{1, 1, 1}};
    QSize size;
    double zoom = 1;
    QPointF pan;
};

// The one mapping from the plane to the pane and back, for drawing, picking,
// the crosshair and the ruler alike. A point of the plane is given in voxel
// coordinates along the across and up axes (voxel i spans i..i + 1 along its
// axis, in the volume's own index order); a pixel position has x to the
// right and y down, the pixel (i, j) spanning i..i + 1 and j..j + 1.
QPointF planeToPixel(const PaneView& view, QPointF plane);
QPointF pixelToPlane(const PaneView& view, QPointF pixel);

// Pixels a voxel spans on the screen along the shorter of its two sides in
// the plane: above 1, the pane shows each voxel's own density unblended.
double pixelsPerVoxel(const PaneView& view);

// The pan that keeps the plane's point under `pixel` there when the zoom
// becomes `zoom`.
QPointF panForZoomAbout(const PaneView& view, QPointF pixel, double zoom);
