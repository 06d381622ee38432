#pragma once

#include "app/scankind.h"
#include "render/panegeometry.h"

#include <QObject>
#include <QRect>

#include <array>

class GLWidget;
class PaneLink;
class QAction;
class QMenu;
class SlicePane;

// Reading a scan in four panes ("Ansicht" > "Vier Ansichten", Ctrl+Shift+V,
// remembered; off by default, when the view has its area to itself): the
// view's area split in four, the axial plane top left, the 3D view top
// right, the sagittal plane bottom left, the coronal one bottom right, the
// three planes linked by one point that the 3D view marks. A pane double
// clicked fills the area, and back. The slices' grey window is set by a
// right drag, or from "Fenster der Schnitte" (in "Ansicht" and in the
// slices' context menu); "Abstand messen" (M) measures a line.
class FourPanes : public QObject
{
    Q_OBJECT

public:
    // Adds its entries to the "Ansicht" menu `menu`; the panes are made,
    // sharing the view's GL context, once the layout is first on.
    FourPanes(GLWidget* view, QMenu* menu, QWidget* window);

    // The view's area, which grows with the window: the view's own, or the
    // four panes'.
    void setArea(const QRect& area);
    bool isOn() const { return m_on; }
    void setOn(bool on);

    // A volume was loaded: the point to its centre, no lines, the window
    // that suits it (a CT soft tissue's, else its 1st to 99th percentile).
    void volumeLoaded(const ScanKind& kind);
    void volumeRefined(const ScanKind& kind);
    // Another volume of the time axis is shown: the point to the centre.
    void timeStepped();

    PaneLink* link() const { return m_link; }
    SlicePane* pane(PanePlane plane) const { return m_panes[size_t(plane)]; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void makePanes();
    void layOut();
    void fill(QWidget* pane);
    void addWindowEntries(QMenu* menu);
    void setPercentileWindow();

    GLWidget* m_view;
    PaneLink* m_link;
    std::array<SlicePane*, 3> m_panes{};
    QRect m_area;
    bool m_on = false;
    QWidget* m_filled = nullptr; // the pane that fills the area, if one does
    QAction* m_measure;
    QMenu* m_windows;     // "Fenster der Schnitte"
    QMenu* m_contextMenu; // of the slices
    std::array<QAction*, 4> m_ctWindows{};
};
