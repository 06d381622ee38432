#include "render/slicepane.h"

#include "render/panelink.h"
#include "render/shaderprogram.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// How far a right drag moves the window: densities a pixel.
constexpr double kWindowPerPixel = 2;
// The zoom a wheel notch with Ctrl makes, and the zoom's bounds.
constexpr double kZoomStep = 1.25, kLeastZoom = 0.25, kMostZoom = 64;
// A right press that moves less than this is a click: the menu.
constexpr int kClickSlack = 3;

const QColor kCrosshair(80, 200, 255);
const QColor kRuler(255, 210, 60);
const QColor kText(255, 230, 90);

double distanceToSegment(QPointF point, QPointF from, QPointF to)
{
    const QPointF along = to - from;
    const double squared = QPointF::dotProduct(along, along);
    const double t = squared > 0
                         ? std::clamp(QPointF::dotProduct(point - from, along) / squared, 0.0, 1.0)
                         : 0.0;
    const QPointF nearest = from + t * along;
    return std::hypot(point.x() - nearest.x(), point.y() - nearest.y());
}

// Text with a dark outline, legible on any grey.
void drawOutlinedText(QPainter& painter, const QRectF& box, int flags, const QString& text)
{
    painter.setPen(QColor(0, 0, 0, 200));
    for (const QPointF& offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        painter.drawText(box.translated(offset), flags, text);
    painter.setPen(kText);
    painter.drawText(box, flags, text);
}

} // namespace

SlicePane::SlicePane(PanePlane plane, PaneLink* link, QWidget* parent, const QGLWidget* share)
    : QGLWidget(parent, share), m_plane(plane), m_link(link)
{
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    connect(link, &PaneLink::changed, this, qOverload<>(&QWidget::update));
    connect(link, &PaneLink::measuringChanged, this, [this](bool on) {
        m_rulerStarted = m_rulerStarted && on;
        setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
        update();
    });
}

SlicePane::~SlicePane()
{
    makeCurrent();
    glDeleteProgram(m_program);
    glDeleteShader(m_vertexShader);
    glDeleteShader(m_fragmentShader);
    glDeleteTextures(1, &m_overlayTexture);
}

PaneView SlicePane::view() const
{
    PaneView view;
    view.axes = paneAxes(m_plane, m_link->patientAxes());
    view.extents = m_link->extents();
    view.spacing = m_link->spacing();
    view.size = size();
    view.zoom = m_zoom;
    view.pan = m_pan;
    return view;
}

QString SlicePane::label() const
{
    const int normal = view().axes.normal;
    const QString count = QString("%1 / %2")
                              .arg(m_link->point().plane(normal))
                              .arg(m_link->extents()[size_t(normal)]);
    if (!m_link->patientAxes())
        return QString("%1 = ").arg(QChar("xyz"[normal])) + count;
    const QString names[] = {tr("Axial"), tr("Koronal"), tr("Sagittal")};
    return names[int(m_plane)] + " " + count;
}

QStringList SlicePane::edgeLetters() const
{
    if (!m_link->patientAxes())
        return {};
    // Towards the patient's right, anterior, superior as an index grows.
    const PaneAxes axes = view().axes;
    const auto side = [](int axis, bool growing) {
        return QString((growing ? "RAS" : "LPI")[axis]);
    };
    return {side(axes.across, axes.acrossReversed), side(axes.across, !axes.acrossReversed),
            side(axes.up, !axes.upReversed), side(axes.up, axes.upReversed)};
}

void SlicePane::resetView()
{
    m_zoom = 1;
    m_pan = QPointF();
    update();
}

void SlicePane::initializeGL()
{
    glewInit();
    m_program = buildShaderProgram("slices.vert", "slices.frag", m_vertexShader, m_fragmentShader);
    glGenTextures(1, &m_overlayTexture);
}

void SlicePane::resizeGL(int width, int height)
{
    glViewport(0, 0, width, height);
}

void SlicePane::paintGL()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const VolumeData* volume = m_link->volume();
    if (!volume || volume->voxels.empty() || m_link->texture() == 0)
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width(), height(), 0, -1, 1); // pixels, y down
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Texture coordinates by the texture's own extents, which may be padded.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_3D, m_link->texture());
    GLint texels[3] = {1, 1, 1};
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &texels[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_HEIGHT, &texels[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &texels[2]);
    const PaneView pane = view();
    const bool sharp = pixelsPerVoxel(pane) > 1;
    const SliceWindow& window = m_link->window();
    glUseProgram(m_program);
    glUniform1i(glGetUniformLocation(m_program, "slices"), 0);
    glUniform1i(glGetUniformLocation(m_program, "transfer"), 1); // unused in the window
    glUniform2f(glGetUniformLocation(m_program, "window"), float(window.low()),
                float(window.high()));
    glUniform3f(glGetUniformLocation(m_program, "voxels"), sharp ? float(texels[0]) : 0.0f,
                sharp ? float(texels[1]) : 0.0f, sharp ? float(texels[2]) : 0.0f);
    const PaneAxes& axes = pane.axes;
    const std::array<int, 3> extents = m_link->extents();
    const double corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& corner : corners) {
        std::array<double, 3> point;
        point[size_t(axes.normal)] = m_link->point().plane(axes.normal) + 0.5;
        point[size_t(axes.across)] = corner[0] * extents[size_t(axes.across)];
        point[size_t(axes.up)] = corner[1] * extents[size_t(axes.up)];
        glTexCoord3d(point[0] / texels[0], point[1] / texels[1], point[2] / texels[2]);
        const QPointF pixel = pixelOf(point);
        glVertex2d(pixel.x(), pixel.y());
    }
    glEnd();
    glUseProgram(0);
    drawOverlay(overlay());
}

QPointF SlicePane::pixelOf(const std::array<double, 3>& point) const
{
    const PaneView pane = view();
    return planeToPixel(pane,
                        QPointF(point[size_t(pane.axes.across)], point[size_t(pane.axes.up)]));
}

std::array<double, 3> SlicePane::slicePointAt(QPointF pixel) const
{
    const PaneView pane = view();
    const QPointF plane = pixelToPlane(pane, pixel);
    std::array<double, 3> point;
    point[size_t(pane.axes.normal)] = m_link->point().plane(pane.axes.normal) + 0.5;
    point[size_t(pane.axes.across)] = plane.x();
    point[size_t(pane.axes.up)] = plane.y();
    return point;
}

std::array<int, 3> SlicePane::voxelAt(QPointF pixel) const
{
    const std::array<double, 3> point = slicePointAt(pixel);
    return {{int(std::floor(point[0])), int(std::floor(point[1])), int(std::floor(point[2]))}};
}

// The crosshair, the sides, the name and window, and this slice's lines, as
// an image over the slice.
QImage SlicePane::overlay() const
{
    QImage image(size(), QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const PaneView pane = view();
    const int normal = pane.axes.normal, slice = m_link->point().plane(normal);

    std::array<double, 3> centre;
    for (size_t axis = 0; axis < 3; ++axis)
        centre[axis] = m_link->point().voxel[axis] + 0.5;
    const QPointF at = pixelOf(centre);
    painter.setPen(QPen(kCrosshair, 1));
    painter.drawLine(QPointF(at.x(), 0), QPointF(at.x(), height()));
    painter.drawLine(QPointF(0, at.y()), QPointF(width(), at.y()));

    painter.setRenderHint(QPainter::Antialiasing);
    for (const PaneLink::Ruler& ruler : m_link->rulers()) {
        if (ruler.normal != normal || ruler.slice != slice)
            continue;
        const QPointF from = pixelOf(ruler.from), to = pixelOf(ruler.to);
        painter.setPen(QPen(kRuler, 1.5));
        painter.drawLine(from, to);
        for (const QPointF& end : {from, to})
            painter.drawEllipse(end, 2.5, 2.5);
        const QPointF middle = (from + to) / 2;
        drawOutlinedText(painter, QRectF(middle + QPointF(6, -18), QSizeF(120, 16)),
                         Qt::AlignLeft | Qt::AlignVCenter, m_link->lengthText(ruler));
    }
    if (m_rulerStarted) {
        painter.setPen(QPen(kRuler, 1.5, Qt::DashLine));
        painter.drawLine(pixelOf(m_rulerStart), QPointF(m_mouse) + QPointF(0.5, 0.5));
    }

    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    const QRectF all(4, 2, width() - 8, height() - 4);
    const QStringList letters = edgeLetters();
    if (letters.size() == 4) {
        drawOutlinedText(painter, all, Qt::AlignLeft | Qt::AlignVCenter, letters[0]);
        drawOutlinedText(painter, all, Qt::AlignRight | Qt::AlignVCenter, letters[1]);
        drawOutlinedText(painter, all, Qt::AlignHCenter | Qt::AlignTop, letters[2]);
        drawOutlinedText(painter, all, Qt::AlignHCenter | Qt::AlignBottom, letters[3]);
    }
    font.setBold(false);
    painter.setFont(font);
    drawOutlinedText(painter, all, Qt::AlignLeft | Qt::AlignTop, label());
    drawOutlinedText(painter, all, Qt::AlignRight | Qt::AlignBottom,
                     m_link->window().text(m_link->ct()));
    return image;
}

void SlicePane::drawOverlay(const QImage& image)
{
    glBindTexture(GL_TEXTURE_2D, m_overlayTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width(), image.height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image.constBits());
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA); // the image is premultiplied
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(0, 0);
    glTexCoord2f(1, 0);
    glVertex2i(width(), 0);
    glTexCoord2f(1, 1);
    glVertex2i(width(), height());
    glTexCoord2f(0, 1);
    glVertex2i(0, height());
    glEnd();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void SlicePane::mousePressEvent(QMouseEvent* event)
{
    m_mouse = event->pos();
    const QPointF pixel = QPointF(event->pos()) + QPointF(0.5, 0.5);
    if (event->button() == Qt::LeftButton && m_link->measuring()) {
        if (!m_rulerStarted) {
            m_rulerStart = slicePointAt(pixel);
            m_rulerStarted = true;
        } else {
            const int normal = view().axes.normal;
            m_link->addRuler(
                {normal, m_link->point().plane(normal), m_rulerStart, slicePointAt(pixel)});
            m_link->setMeasuring(false);
        }
        update();
    } else if (event->button() == Qt::LeftButton) {
        m_settingPoint = true;
        m_link->setPoint(voxelAt(pixel));
    } else if (event->button() == Qt::RightButton) {
        m_pressedAt = event->pos();
        m_windowDragged = false;
        m_pressedWidth = m_link->window().width;
        m_pressedLevel = m_link->window().level;
    }
}

void SlicePane::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint delta = event->pos() - m_mouse;
    m_mouse = event->pos();
    if (m_settingPoint && (event->buttons() & Qt::LeftButton)) {
        m_link->setPoint(voxelAt(QPointF(event->pos()) + QPointF(0.5, 0.5)));
    } else if (event->buttons() & Qt::RightButton) {
        const QPoint moved = event->pos() - m_pressedAt;
        m_windowDragged = m_windowDragged || moved.manhattanLength() > kClickSlack;
        if (m_windowDragged)
            m_link->setWindow({m_pressedWidth + kWindowPerPixel * moved.x(),
                               m_pressedLevel - kWindowPerPixel * moved.y()});
    } else if (event->buttons() & Qt::MiddleButton) {
        m_pan += delta;
        update();
    } else if (m_rulerStarted) {
        update();
    }
}

void SlicePane::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_settingPoint) {
        m_settingPoint = false;
        m_link->setPoint(voxelAt(QPointF(event->pos()) + QPointF(0.5, 0.5)), true);
    } else if (event->button() == Qt::RightButton && !m_windowDragged) {
        emit menuAsked(event->globalPos());
    }
}

void SlicePane::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit fillAsked();
}

void SlicePane::wheelEvent(QWheelEvent* event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        const double zoom =
            std::clamp(m_zoom * std::pow(kZoomStep, notches), kLeastZoom, kMostZoom);
        m_pan = panForZoomAbout(view(), event->position(), zoom);
        m_zoom = zoom;
        update();
    } else {
        stepPoint(view().axes.normal, notches);
    }
    event->accept();
}

void SlicePane::stepPoint(int axis, int steps)
{
    std::array<int, 3> voxel = m_link->point().voxel;
    voxel[size_t(axis)] += steps;
    m_link->setPoint(voxel);
}

void SlicePane::keyPressEvent(QKeyEvent* event)
{
    const PaneAxes axes = view().axes;
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Left:
        stepPoint(axes.across, (event->key() == Qt::Key_Right) != axes.acrossReversed ? 1 : -1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        stepPoint(axes.up, (event->key() == Qt::Key_Up) != axes.upReversed ? 1 : -1);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        stepPoint(axes.normal, event->key() == Qt::Key_PageUp ? 1 : -1);
        break;
    case Qt::Key_Home:
        resetView();
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (const int ruler = rulerNear(QPointF(m_mouse) + QPointF(0.5, 0.5)); ruler >= 0)
            m_link->removeRuler(size_t(ruler));
        break;
    case Qt::Key_Escape:
        m_link->setMeasuring(false);
        break;
    default:
        QGLWidget::keyPressEvent(event);
    }
}

int SlicePane::rulerNear(QPointF pixel) const
{
    const int normal = view().axes.normal, slice = m_link->point().plane(normal);
    const std::vector<PaneLink::Ruler>& rulers = m_link->rulers();
    for (size_t i = 0; i < rulers.size(); ++i)
        if (rulers[i].normal == normal && rulers[i].slice == slice &&
            distanceToSegment(pixel, pixelOf(rulers[i].from), pixelOf(rulers[i].to)) < 5)
            return int(i);
    return -1;
}
