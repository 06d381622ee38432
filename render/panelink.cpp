#include "render/panelink.h"

#include <cmath>

namespace {

constexpr int kRestingMs = 250;

} // namespace

PaneLink::PaneLink(QObject* parent) : QObject(parent)
{
    m_resting.setSingleShot(true);
    m_resting.setInterval(kRestingMs);
    connect(&m_resting, &QTimer::timeout, this, &PaneLink::pointSettled);
}

void PaneLink::setVolume(const VolumeData* volume, GLuint texture,
                         const std::array<double, 3>& voxelSize, bool ct, bool patientAxes)
{
    m_volume = volume;
    m_texture = texture;
    m_voxelSize = voxelSize;
    m_ct = ct;
    m_patientAxes = patientAxes;
    m_rulers.clear();
    resetPoint();
}

std::array<int, 3> PaneLink::extents() const
{
    return m_volume ? std::array<int, 3>{{m_volume->width, m_volume->height, m_volume->depth}}
                    : std::array<int, 3>{{1, 1, 1}};
}

std::array<double, 3> PaneLink::spacing() const
{
    // A voxel of a reduced level spans `factor` of the file's along each axis.
    std::array<double, 3> size = voxelSizeKnown() ? m_voxelSize : std::array<double, 3>{{1, 1, 1}};
    for (double& side : size)
        side *= m_volume ? m_volume->level.factor : 1;
    return size;
}

void PaneLink::setPoint(const std::array<int, 3>& voxel, bool settled)
{
    const LinkedPoint point = LinkedPoint::within(voxel, extents());
    const bool moved = point != m_point;
    m_point = point;
    if (moved) {
        emit changed();
        if (m_volume && !m_volume->voxels.empty())
            emit pointed(voxelAt(*m_volume, m_point.voxel));
    }
    if (settled) {
        m_resting.stop();
        emit pointSettled();
    } else if (moved) {
        m_resting.start();
    }
}

void PaneLink::resetPoint()
{
    m_point = LinkedPoint::centreOf(extents());
    m_resting.stop();
    emit changed();
    emit pointSettled();
}

void PaneLink::setWindow(const SliceWindow& window)
{
    m_window = window;
    m_window.width = std::max(window.width, 1.0);
    emit changed();
}

void PaneLink::setMeasuring(bool on)
{
    if (on == m_measuring)
        return;
    m_measuring = on;
    emit measuringChanged(on);
}

void PaneLink::addRuler(const Ruler& ruler)
{
    m_rulers.push_back(ruler);
    emit changed();
}

void PaneLink::removeRuler(size_t index)
{
    if (index >= m_rulers.size())
        return;
    m_rulers.erase(m_rulers.begin() + long(index));
    emit changed();
}

QString PaneLink::lengthText(const Ruler& ruler) const
{
    const std::array<double, 3> size = spacing();
    double squares = 0;
    for (size_t axis = 0; axis < 3; ++axis)
        squares += std::pow((ruler.to[axis] - ruler.from[axis]) * size[axis], 2);
    const double length = std::sqrt(squares);
    return QString::number(length, 'f', 1) +
           (voxelSizeKnown() ? QStringLiteral(" mm") : tr(" Voxel"));
}
