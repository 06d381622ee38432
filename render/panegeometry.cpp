#include "render/panegeometry.h"

#include <algorithm>

PaneAxes paneAxes(PanePlane plane, bool patientAxes)
{
    switch (plane) {
    case PanePlane::Axial:
        return {2, 0, 1, patientAxes, false};
    case PanePlane::Coronal:
        return {1, 0, 2, patientAxes, false};
    case PanePlane::Sagittal:
        break;
    }
    return {0, 1, 2, patientAxes, false};
}

namespace {

// Pixels a millimetre: the plane at its true proportions fitting the pane,
// times the zoom.
double pixelsPerMillimetre(const PaneView& view)
{
    const int a = view.axes.across, u = view.axes.up;
    const double width = view.extents[size_t(a)] * view.spacing[size_t(a)];
    const double height = view.extents[size_t(u)] * view.spacing[size_t(u)];
    return std::min(view.size.width() / width, view.size.height() / height) * view.zoom;
}

} // namespace

QPointF planeToPixel(const PaneView& view, QPointF plane)
{
    const size_t a = size_t(view.axes.across), u = size_t(view.axes.up);
    const double scale = pixelsPerMillimetre(view);
    const double right = (plane.x() - view.extents[a] / 2.0) * view.spacing[a] * scale;
    const double up = (plane.y() - view.extents[u] / 2.0) * view.spacing[u] * scale;
    return QPointF(view.size.width() / 2.0 + view.pan.x() +
                       (view.axes.acrossReversed ? -right : right),
                   view.size.height() / 2.0 + view.pan.y() - (view.axes.upReversed ? -up : up));
}

QPointF pixelToPlane(const PaneView& view, QPointF pixel)
{
    const size_t a = size_t(view.axes.across), u = size_t(view.axes.up);
    const double scale = pixelsPerMillimetre(view);
    const double right = pixel.x() - view.size.width() / 2.0 - view.pan.x();
    const double up = view.size.height() / 2.0 + view.pan.y() - pixel.y();
    return QPointF(view.extents[a] / 2.0 +
                       (view.axes.acrossReversed ? -right : right) / (view.spacing[a] * scale),
                   view.extents[u] / 2.0 +
                       (view.axes.upReversed ? -up : up) / (view.spacing[u] * scale));
}

double pixelsPerVoxel(const PaneView& view)
{
    return pixelsPerMillimetre(view) *
           std::min(view.spacing[size_t(view.axes.across)], view.spacing[size_t(view.axes.up)]);
}

QPointF panForZoomAbout(const PaneView& view, QPointF pixel, double zoom)
{
    PaneView zoomed = view;
    zoomed.zoom = zoom;
    return view.pan + (pixel - planeToPixel(zoomed, pixelToPlane(view, pixel)));
}
