#pragma once

#include "tfeditor/controlpoint.h"
#include "tfeditor/editnotifier.h"
#include "volume/volumedata.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class GLWidget;

// The transfer-function editor: the density histogram of the loaded volume
// for the current density window, as red bars on white, and over it the
// control points joined by a colour-graded polyline. A left click adds a
// point, a right click removes one, a left double click recolours one, a
// left drag moves one; each edit rebuilds the view's transfer function.
class Histogram : public QWidget
{
    Q_OBJECT

public:
    using Edit = EditNotifier::Edit;

    explicit Histogram(QWidget* parent);
    ~Histogram() override;

    // Public state, written directly by the main window.
    const int32_t* m_histogram = nullptr; // kDensityCount counts, not owned
    int32_t m_minDensity = 0;
    int32_t m_maxDensity = kMaxDensity;
    std::vector<ControlPoint> m_controlPoints; // kept sorted by x
    GLWidget* m_renderer = nullptr;            // not owned

    // Hands the points, as they are on this widget's size and density
    // window, to the view's transfer function.
    void rebuildTransferFunction();

    // Tells each mouse edit as it completes (editnotifier.h).
    EditNotifier* notifier() { return &m_notifier; }

    // Bars on a log scale (log(1 + count)), so that tissue beside a huge bin
    // of air shows; the points keep their meaning, height is opacity.
    void setLogarithmic(bool on);
    bool logarithmic() const { return m_logarithmic; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void dragTo(QPoint pos);
    void endDrag();

    // The point a left press landed on (or -1) and where it landed; whether
    // the mouse has since left the slack of a click.
    int m_pressed = -1;
    QPoint m_pressAt;
    bool m_dragging = false;
    bool m_logarithmic = false;
    EditNotifier m_notifier;
};
