#include "tfeditor/histogram.h"

#include "render/glwidget.h"

#include <QColorDialog>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

// Half the side of a point's marker: the square covers x - 5 .. x + 4, and a
// press selects the point when it lies strictly within 5 pixels on both axes.
constexpr int kMarkerHalf = 5;

// How far, in pixels on either axis, a press on a point may move and still be a click.
constexpr int kClickSlack = 3;

// Index of the first point (the one with the smallest x) whose marker the
// position hits, or -1.
int pointAt(const std::vector<ControlPoint>& points, const QPoint& pos)
{
    for (size_t i = 0; i < points.size(); ++i) {
        const ControlPoint& p = points[i];
        if (p.x - kMarkerHalf < pos.x() && pos.x() < p.x + kMarkerHalf &&
            p.y - kMarkerHalf < pos.y() && pos.y() < p.y + kMarkerHalf)
            return int(i);
    }
    return -1;
}

// Bins outside the 4096-entry table read as empty, so a density window the
// main window failed to keep in range can never read past the counts.
int32_t binCount(const int32_t* histogram, int bin)
{
    return bin >= 0 && bin < kDensityCount ? histogram[bin] : 0;
}

// One polyline segment, fading from a's colour to b's. The colours go in as
// they are: a point whose colour was never chosen keeps the unset colour.
void drawSegment(QPainter& painter, const ControlPoint& a, const ControlPoint& b)
{
    QLinearGradient gradient(a.x, a.y, b.x, b.y);
    gradient.setColorAt(0.0, a.color);
    gradient.setColorAt(1.0, b.color);
    painter.setPen(QPen(QBrush(gradient), 3.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(gradient);
    painter.drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
}

} // namespace

Histogram::Histogram(QWidget* parent) : QWidget(parent) {}

Histogram::~Histogram() = default;

// A left press on empty space adds a point there, a right press on a point
// removes it. A left press on a point changes nothing until the mouse leaves
// the slack of a click: then it is a drag.
void Histogram::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    endDrag();
    const int index = pointAt(m_controlPoints, event->pos());
    Edit edit;
    if (index < 0 && event->button() == Qt::LeftButton) {
        ControlPoint point;
        point.x = event->pos().x();
        point.y = event->pos().y();
        m_controlPoints.push_back(point);
        edit = Edit::Add;
    } else if (index >= 0 && event->button() == Qt::RightButton) {
        m_controlPoints.erase(m_controlPoints.begin() + index);
        edit = Edit::Remove;
    } else {
        if (index >= 0 && event->button() == Qt::LeftButton) {
            m_pressed = index;
            m_pressAt = event->pos();
        }
        return;
    }
    std::stable_sort(m_controlPoints.begin(), m_controlPoints.end(), lessByX);
    update();
    rebuildTransferFunction();
    emit m_notifier.edited(edit);
}

void Histogram::rebuildTransferFunction()
{
    if (m_renderer)
        m_renderer->updateTransferFunction(m_controlPoints, width(), height());
}

void Histogram::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    if (m_dragging)
        dragTo(event->pos());
    endDrag();
}

void Histogram::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint moved = event->pos() - m_pressAt;
    if (!m_dragging && std::max(std::abs(moved.x()), std::abs(moved.y())) <= kClickSlack)
        return;
    // The view draws reduced frames while the drag rebuilds its table at every move.
    if (!m_dragging && m_renderer)
        m_renderer->setQuickFrames(true);
    m_dragging = true;
    dragTo(event->pos());
}

// The point follows the mouse between its neighbours, so that the order of
// the points, and which point is which, never change; and inside the widget.
void Histogram::dragTo(QPoint pos)
{
    const size_t i = size_t(m_pressed);
    // An undo or a load while the button is held may have taken the point away.
    if (i >= m_controlPoints.size())
        return endDrag();
    const int left = i > 0 ? m_controlPoints[i - 1].x : 0;
    const int right = i + 1 < m_controlPoints.size() ? m_controlPoints[i + 1].x : width() - 1;
    ControlPoint& point = m_controlPoints[i];
    const int x = std::max({left, 0, std::min({pos.x(), right, width() - 1})});
    const int y = std::max(0, std::min(pos.y(), height() - 1));
    if (x == point.x && y == point.y)
        return;
    point.x = x;
    point.y = y;
    update();
    rebuildTransferFunction();
}

void Histogram::endDrag()
{
    const bool dragged = m_dragging;
    m_pressed = -1;
    m_dragging = false;
    if (!dragged)
        return;
    if (m_renderer)
        m_renderer->setQuickFrames(false);
    emit m_notifier.edited(Edit::Move);
}

// A left double click recolours the point under it. On empty space the press
// that came first has just added a point there, so that new point is the one
// recoloured.
void Histogram::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const int index = pointAt(m_controlPoints, event->pos());
    if (index < 0)
        return;

    const QColor color = QColorDialog::getColor(m_controlPoints[size_t(index)].color, this);
    // The dialog runs its own event loop; should the list have been emptied
    // meanwhile (a load), the point is gone and there is nothing to recolour.
    if (!color.isValid() || size_t(index) >= m_controlPoints.size())
        return;
    m_controlPoints[size_t(index)].color = color;
    update();
    rebuildTransferFunction();
    emit m_notifier.edited(Edit::Recolour);
}

void Histogram::setLogarithmic(bool on)
{
    m_logarithmic = on;
    update();
}

void Histogram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = painter.viewport().width();
    const int h = painter.viewport().height();
    painter.fillRect(0, 0, w, h, QBrush(Qt::white));
    if (!m_histogram)
        return;

    const int lo = m_minDensity;
    const int hi = m_maxDensity;
    int32_t peak = 0;
    for (int bin = lo; bin <= hi; ++bin)
        peak = std::max(peak, binCount(m_histogram, bin));

    // An all-empty window has no vertical scale: it draws no bars.
    if (hi - lo > 0 && peak > 0) {
        const QBrush red(Qt::red);
        // The scales are stored in single precision, but each product with
        // them is taken in double before truncating: a peak of 3 on 100
        // pixels gives 3 x 33.333332f = 99.9999962, a 99-pixel bar, where
        // float arithmetic would round up to 100.
        const float sy = float(h) / float(peak);
        const double logScale = double(h) / std::log1p(double(peak));
        const float sx = float(w) / float(hi - lo);
        for (int i = 0; i < hi - lo; ++i) {
            const double x0 = double(i) * double(sx);
            const float x1 = float(double(i + 1) * double(sx));
            const int barWidth = std::max(1, int(std::trunc(double(x1) - x0)));
            const int32_t count = binCount(m_histogram, lo + i);
            const int barHeight = int(std::trunc(
                m_logarithmic ? std::log1p(double(count)) * logScale : double(count) * sy));
            if (barHeight > 0)
                painter.fillRect(int(std::trunc(x0)), h - barHeight, barWidth, barHeight, red);
        }
    }

    // The polyline runs from a black point at the top-left corner through the
    // points to a black point at the bottom-right corner; each marker goes
    // down before the segment into it, which covers part of it.
    ControlPoint previous;
    previous.color = QColor(Qt::black);
    for (const ControlPoint& point : m_controlPoints) {
        painter.fillRect(point.x - kMarkerHalf, point.y - kMarkerHalf, 2 * kMarkerHalf,
                         2 * kMarkerHalf, QBrush(point.color));
        drawSegment(painter, previous, point);
        previous = point;
    }
    ControlPoint end;
    end.color = QColor(Qt::black);
    end.x = w - 1;
    end.y = h;
    drawSegment(painter, previous, end);
}
