#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

#include "render/panegeometry.h"

#include <QGLWidget>
#include <QImage>
#include <QStringList>

#include <array>

class PaneLink;

// One plane of the volume through the linked point (panelink.h), in a GL
// view of its own that shares the 3D view's context, so that the volume's
// texture is uploaded once: drawn at the volume's true proportions, in the
// slices' grey window, sharp where a voxel spans more than a pixel. Over it
// a crosshair at the point, the patient's sides at its edges, its name and
// slice number (top left), the window (bottom right), and the distances
// measured on this slice.
//
// A left click or drag sets the point (while measuring, two clicks measure a
// line), a right drag sets the window (right: wider, up: a higher level), a
// right click asks for the context menu; the wheel steps the slice, and the
// point with it; Ctrl and the wheel zoom about the mouse, a middle drag
// pans, Home resets; the cursor keys step the point by a voxel, Page Up and
// Down the slice; Delete removes the line under the mouse; a double click
// asks for the pane to fill the area, or no longer.
class SlicePane : public QGLWidget
{
    Q_OBJECT

public:
    SlicePane(PanePlane plane, PaneLink* link, QWidget* parent, const QGLWidget* share);
    ~SlicePane() override;

    PanePlane plane() const { return m_plane; }
    // The mapping from the plane to the pane as drawn now.
    PaneView view() const;
    // "Axial 57 / 113" (the slice's index and the count), or for a volume
    // in no known orientation its axis: "z = 57 / 113".
    QString label() const;
    // The patient's sides at the left, right, top and bottom edges; none
    // without a known orientation.
    QStringList edgeLetters() const;

    void resetView();

signals:
    void fillAsked();                     // a double click
    void menuAsked(const QPoint& global); // a right click

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The voxel under a pixel, in the slice through the point.
    std::array<int, 3> voxelAt(QPointF pixel) const;
    // A voxel coordinate point of this slice under a pixel (the normal's at
    // the slice's middle).
    std::array<double, 3> slicePointAt(QPointF pixel) const;
    QPointF pixelOf(const std::array<double, 3>& point) const;
    QImage overlay() const;
    void drawOverlay(const QImage& image);
    void stepPoint(int axis, int steps);
    // The measured line of this slice within a few pixels of `pixel`, or -1.
    int rulerNear(QPointF pixel) const;

    PanePlane m_plane;
    PaneLink* m_link;
    double m_zoom = 1;
    QPointF m_pan;
    GLuint m_program = 0, m_vertexShader = 0, m_fragmentShader = 0;
    GLuint m_overlayTexture = 0;
    QPoint m_mouse;     // where the mouse was last
    QPoint m_pressedAt; // where the right button went down
    bool m_windowDragged = false;
    double m_pressedWidth = 0, m_pressedLevel = 0;
    bool m_settingPoint = false;
    bool m_rulerStarted = false;
    std::array<double, 3> m_rulerStart{};
};
