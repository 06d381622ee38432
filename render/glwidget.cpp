#include "render/glwidget.h"

#include "platform/console.h"
#include "render/framegeometry.h"
#include "render/gldiagnostics.h"
#include "volume/reducedlevel.h"
#include "volume/volumeloader.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <limits>

GLWidget::GLWidget(QWidget* parent)
    : QGLWidget(parent), m_transferTable(kDensityCount, TransferEntry{0, 0, 0, 255}),
      m_emptySpace(m_transferTable)
{
    // A click gives the view the keyboard, for its keys (Home).
    setFocusPolicy(Qt::ClickFocus);
    m_finerLevelPoll.setInterval(100);
    connect(&m_finerLevelPoll, &QTimer::timeout, this, &GLWidget::pollFinerLevel);
}

GLWidget::~GLWidget()
{
    // GL names end with the context; only the host-side storage is released.
    makeCurrent();
    std::vector<TransferEntry>().swap(m_transferTable);
    std::vector<float>().swap(m_volume.voxels);
    std::vector<float>().swap(m_stagingBuffer);
    m_emptySpace.release();
}

QSize GLWidget::sizeHint() const
{
    return QSize(400, 400);
}

QSize GLWidget::minimumSizeHint() const
{
    return QSize(50, 50);
}

// The extent along which the axis's slice quad moves (slicequad.h): x's
// plane lies at a depth coordinate, y's at a height, z's at a width, so
// that each slider step is one slice.
int GLWidget::sliceCount() const
{
    switch (m_sliceAxis) {
    case XAxis:
        return m_volume.depth;
    case YAxis:
        return m_volume.height;
    default:
        return m_volume.width;
    }
}

void GLWidget::setSlicing(bool checked)
{
    m_slicing = checked;
    update();
}

void GLWidget::setXAxis()
{
    m_sliceAxis = XAxis;
    update();
}

void GLWidget::setYAxis()
{
    m_sliceAxis = YAxis;
    update();
}

void GLWidget::setZAxis()
{
    m_sliceAxis = ZAxis;
    update();
}

void GLWidget::setSlice(int slice)
{
    m_slicePosition = float(double(slice) / double(sliceCount()));
    update();
}

void GLWidget::setMinDensity(int value)
{
    m_minDensity = value;
    update();
}

void GLWidget::setMaxDensity(int value)
{
    m_maxDensity = value;
    update();
}

void GLWidget::setCompositeMode()
{
    m_renderMode = CompositeMode;
    update();
}

void GLWidget::setAverageMode()
{
    m_renderMode = AverageMode;
    update();
}

void GLWidget::setMIPMode()
{
    m_renderMode = MaximumIntensityMode;
    update();
}

void GLWidget::setLeaping(bool on)
{
    m_leaping = on;
    update();
}

void GLWidget::setRayProbe(RayProbe probe)
{
    if (probe == m_rayProbe)
        return;
    m_rayProbe = probe;
    if (m_raycastProgram != 0) {
        makeCurrent();
        rebuildRaycastProgram();
    }
    update();
}

void GLWidget::setSampleDistance(double voxels)
{
    const bool cellMarch = marchesByCells();
    m_sampleDistance = float(std::clamp(voxels, 1.0 / 64, 8.0));
    if (marchesByCells() != cellMarch && m_raycastProgram != 0) {
        makeCurrent();
        rebuildRaycastProgram();
    }
    update();
}

bool GLWidget::marchesByCells() const
{
    return m_sharpTable && m_sampleDistance < float(kCellReach);
}

void GLWidget::setSlicesInWindow(bool on)
{
    m_slicesInWindow = on;
    update();
}

void GLWidget::setDragFrameBudget(double ms)
{
    m_turnResolution.setBudget(ms);
}

// A left press starts a turn, a middle one (or a left one with Shift) a pan.
void GLWidget::mousePressEvent(QMouseEvent* event)
{
    m_lastMousePos = event->pos();
    m_panning = m_panning || event->button() == Qt::MiddleButton ||
                (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    m_turning = m_turning || (event->button() == Qt::LeftButton && !m_panning);
    m_refinement.stop();
}

// The turn or pan ends with the full picture.
void GLWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool panEnds = m_panning && event->button() != Qt::RightButton;
    const bool turnEnds = m_turning && event->button() == Qt::LeftButton;
    if (panEnds || turnEnds) {
        m_panning = m_panning && !panEnds;
        m_turning = m_turning && !turnEnds;
        update();
    }
}

// A drag turns the view one degree per pixel: vertical moves about the x
// axis, horizontal moves about the y axis. Moves without the left button
// only follow the cursor, so a later left drag measures from there. A pan
// moves the picture with the mouse.
void GLWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint delta = event->pos() - m_lastMousePos;
    if (m_panning && (event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) {
        panBy(delta);
    } else if (event->buttons() & Qt::LeftButton) {
        m_xRotation += delta.y();
        m_yRotation += delta.x();
        update();
        emit m_notifier.cameraChanged();
    }
    m_lastMousePos = event->pos();
    emit m_notifier.voxelPointed(pickAt(event->pos()));
}

void GLWidget::resizeGL(int width, int height)
{
    m_viewportWidth = width;
    m_viewportHeight = height;
    // The viewport follows the widget, so the picture is never cut off or
    // stretched; the projection keeps the volume's proportions (paintGL).
    glViewport(0, 0, width, height);
    // The ray passes' framebuffers follow too, once a load has made them.
    if (!m_framebufferSize.isEmpty() && width > 0 && height > 0 &&
        m_framebufferSize != QSize(width, height))
        createFramebuffers();
}

VolumeData* GLWidget::loadVolume(std::string fileName)
{
    // A finer level still on its way belongs to the volume before.
    m_finerLevel.cancel();
    m_finerLevelPoll.stop();
    // Past the graphics check the file loads (a short one with zeros), whole
    // or at a reduced level; a large one first at a coarse level.
    FilePtr file = openVolumeFile(fileName);
    const std::optional<VolumeLoadPlan> plan =
        file ? planVolumeLoad(file.get(), defaultVolumeMemoryBudget(),
                              [this](uint32_t width, uint32_t height, uint32_t depth) {
                                  return graphicsRefusal(width, height, depth);
                              })
             : std::nullopt;
    VolumeChange change = VolumeChange::Refused;
    if (plan) {
        const VolumeExtents& extents = plan->extents;
        const uint32_t coarse = factorForVoxels(extents, m_coarseVoxels);
        if (uint64_t(extents[0]) * extents[1] * extents[2] > m_coarseFirstAbove &&
            coarse > plan->factor && readStridedLevel(file.get(), extents, coarse, m_volume)) {
            m_finerLevel.start(fileName, *plan);
            m_finerLevelPoll.start();
            change = VolumeChange::Coarse;
        } else if (readVolumeStream(file.release(), m_volume, *plan)) {
            change = VolumeChange::Replaced;
        }
    }
    if (change != VolumeChange::Refused) {
        m_volumePath = fileName;
        m_wholeLevel.reset();
    }
    volumeChanged(change);
    return &m_volume;
}

void GLWidget::setCoarseFirst(uint64_t fileVoxels, uint64_t coarseVoxels)
{
    m_coarseFirstAbove = fileVoxels;
    m_coarseVoxels = coarseVoxels;
}

void GLWidget::pollFinerLevel()
{
    emit m_notifier.finerLevelProgress(m_finerLevel.poll());
    if (!m_finerLevel.finished())
        return;
    m_finerLevelPoll.stop();
    VolumeData finer;
    if (!m_finerLevel.take(finer))
        return; // the coarse level stays
    // A region at full resolution stays on show; the level it came from is the finer one now.
    VolumeData& level = m_wholeLevel ? *m_wholeLevel : m_volume;
    const int from = level.level.factor, to = finer.level.factor;
    level = std::move(finer);
    if (m_wholeLevel)
        return;
    // The crop box the same part of the file, in the finer level's voxels.
    CropBox box = m_cropBox;
    for (size_t axis = 0; axis < 3; ++axis)
        if (box.to[axis] >= 0) {
            box.from[axis] = box.from[axis] * from / to;
            box.to[axis] = ((box.to[axis] + 1) * from - 1) / to;
        }
    m_cropBox = box.clampedTo(extents());
    volumeChanged(VolumeChange::Refined);
}

GLWidget::RegionLoad GLWidget::loadRegionAtFullResolution()
{
    const VolumeLevel& level = m_volume.level;
    RegionLoad load;
    if (!level.reduced() || regionShown())
        return load;
    const CropBox box = m_cropBox.clampedTo(extents());
    std::array<int, 3> from{}, to{};
    for (size_t axis = 0; axis < 3; ++axis) {
        from[axis] = box.from[axis] * level.factor;
        to[axis] = std::min((box.to[axis] + 1) * level.factor, level.fileExtents[axis]) - 1;
        load.extents[axis] = to[axis] - from[axis] + 1;
    }
    if (!graphicsRefusal(uint32_t(load.extents[0]), uint32_t(load.extents[1]),
                         uint32_t(load.extents[2]))
             .empty()) {
        load.refusal = RegionLoad::Graphics;
        return load;
    }
    // The level stays in memory beside the region.
    const uint64_t kept = m_volume.voxels.size() * sizeof(float);
    const uint64_t budget = defaultVolumeMemoryBudget();
    if (!volumeFitsLoader(uint64_t(load.extents[0]), uint64_t(load.extents[1]),
                          uint64_t(load.extents[2]), budget > kept ? budget - kept : 0)) {
        load.refusal = RegionLoad::Memory;
        return load;
    }
    auto region = std::make_unique<VolumeData>();
    region->histogram = m_volume.histogram; // the file's, as the level's
    if (!readFileRegion(m_volumePath, from, to, std::numeric_limits<uint64_t>::max(), *region)
             .empty()) {
        load.refusal = RegionLoad::File;
        return load;
    }
    m_wholeLevel = std::make_unique<VolumeData>(std::move(m_volume));
    m_volume = std::move(*region);
    volumeChanged(VolumeChange::Replaced);
    return load;
}

void GLWidget::showWholeLevel()
{
    if (!m_wholeLevel)
        return;
    m_volume = std::move(*m_wholeLevel);
    m_wholeLevel.reset();
    volumeChanged(VolumeChange::Replaced);
}

void GLWidget::volumeChanged(VolumeChange change)
{
    m_emptySpace.setVolume(m_volume);
    lookForSurfaces();
    m_refinement.stop();
    const bool anew = change == VolumeChange::Replaced || change == VolumeChange::Coarse;
    if (anew) {
        // A crop and a cut belong to the volume they were made on.
        m_cropBox = CropBox();
        m_cut = false;
        // The value under the mouse, from now on.
        setMouseTracking(true);
    }
    if (change != VolumeChange::Refused) {
        // The picture fits the new box; the zoom and pan stay as the user left them.
        const FrameGeometry frame =
            frameGeometryFor(m_volume.width, m_volume.height, m_volume.depth);
        m_camera.setBox(QVector3D(frame.half[0], frame.half[1], frame.half[2]));
    }
    if (m_glInitialized) {
        // Called from a button or a timer, outside the GL callbacks.
        makeCurrent();
        const bool gradientsWereHeld = m_gradientsHeld;
        m_quietUpload = change == VolumeChange::Coarse;
        uploadVolumeTexture();
        m_quietUpload = false;
        // The ray caster's second build lives while the gradient textures hold the volume.
        if (m_gradientsHeld != gradientsWereHeld && m_raycastProgram != 0)
            rebuildRaycastProgram();
        m_emptySpace.uploadGrid();
        createFramebuffers();
    }
    if (change == VolumeChange::Refined)
        update();
    // The densities take 2 bytes a voxel, the gradients 3 where they fit.
    if (change == VolumeChange::Replaced || change == VolumeChange::Refined) {
        const int bytes = m_gradientsHeld ? 5 : 2;
        console::err() << "- Graphics memory for the volume: "
                       << std::lround(double(m_volume.voxels.size()) * bytes / (1 << 20)) << " MB ("
                       << bytes << " bytes a voxel"
                       << (m_gradientsHeld ? "" : "; shading reads the densities") << ")."
                       << std::endl;
    }
    if (anew)
        emit m_notifier.volumeReplaced();
    else if (change == VolumeChange::Refined)
        emit m_notifier.volumeRefined();
}

// Whether the table is sharp over the densities the volume holds (a
// trilinear sample never leaves them: a table's fall to its transparent end
// point above them is no surface of this scan), and the ray-cast program
// built for it.
void GLWidget::lookForSurfaces()
{
    float largest = 0;
    const std::vector<float>& ranges = m_emptySpace.grid().ranges;
    for (size_t i = 1; i < ranges.size(); i += 2)
        largest = std::max(largest, ranges[i]);
    const int top = std::min(m_transferTop, int(std::ceil(largest * float(kDensityCount - 1))));
    m_steepSpan = steepDensitySpan(m_transferTable, top);
    const bool sharp = m_steepSpan <= kSharpTableSpan;
    if (sharp == m_sharpTable)
        return;
    m_sharpTable = sharp;
    if (m_raycastProgram != 0) {
        makeCurrent();
        rebuildRaycastProgram();
    }
}

void GLWidget::updateTransferFunction(const std::vector<ControlPoint>& points, int width,
                                      int height)
{
    m_transferReady = true;
    m_refinement.stop();
    buildTransferTable(m_transferTable, points, width, height, m_minDensity, m_maxDensity);
    m_transferTop = transferTableTop(width, m_minDensity, m_maxDensity);
    m_projectionTop = projectionTableTop(points, width, m_minDensity, m_maxDensity);
    lookForSurfaces();
    // A picture of the old table would stay on screen until something else
    // asked for a frame.
    update();
    if (!m_glInitialized)
        return;

    // Called from the histogram's mouse handlers, outside the GL callbacks.
    makeCurrent();
    glBindTexture(GL_TEXTURE_1D, m_transferTexture);
    if (reportGLFailure("Could not bind texture: "))
        return;
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, kDensityCount, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 m_transferTable.data());
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    // The bricks the texture's table shows; a table that never reached the
    // texture must not hide any.
    m_emptySpace.setTable(m_transferTable);
    m_emptySpace.uploadRuns();
}
