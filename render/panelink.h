#pragma once

#include "render/linkedpoint.h"
#include "render/slicewindow.h"
#include "render/voxelpick.h"
#include "volume/volumedata.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <GL/glew.h>

#include <array>
#include <vector>

// What the slice panes share and show alike, held by one owner and observed
// by the panes: the volume they cut (its texture, which the 3D view holds
// and uploads once), the one point that links them, the slices' own grey
// window, and the distances measured on them.
class PaneLink : public QObject
{
    Q_OBJECT

public:
    explicit PaneLink(QObject* parent = nullptr);

    // A line measured on one slice: the plane it lies in (the axis the plane
    // cuts across and the slice's index), its ends in voxel coordinates
    // (voxel i spans i..i + 1 along each axis).
    struct Ruler
    {
        int normal = 2, slice = 0;
        std::array<double, 3> from{}, to{};
    };

    // The volume and its texture; its voxel size in mm (0 where unknown:
    // the panes then draw cubes and measure in voxels); whether it is CT
    // (HU + 1024) and in the patient's axes. The point goes to its centre,
    // and the rulers of the volume before go.
    void setVolume(const VolumeData* volume, GLuint texture, const std::array<double, 3>& voxelSize,
                   bool ct, bool patientAxes);
    const VolumeData* volume() const { return m_volume; }
    GLuint texture() const { return m_texture; }
    std::array<int, 3> extents() const;
    // The size of a voxel shown, 1 mm a file voxel each way where unknown.
    std::array<double, 3> spacing() const;
    bool voxelSizeKnown() const { return m_voxelSize[0] > 0; }
    bool ct() const { return m_ct; }
    bool patientAxes() const { return m_patientAxes; }

    // The point, kept within the volume. The slices follow every move; the
    // 3D view, whose frame costs far more, the point once it has settled:
    // at once where `settled` (a drag's end), else once it has rested for
    // a quarter of a second (a drag, the wheel, the keys).
    const LinkedPoint& point() const { return m_point; }
    void setPoint(const std::array<int, 3>& voxel, bool settled = false);
    void resetPoint();

    const SliceWindow& window() const { return m_window; }
    void setWindow(const SliceWindow& window);

    // "Abstand messen": while on, two clicks in a slice measure a line.
    bool measuring() const { return m_measuring; }
    void setMeasuring(bool on);
    const std::vector<Ruler>& rulers() const { return m_rulers; }
    void addRuler(const Ruler& ruler);
    void removeRuler(size_t index);
    // "42.3 mm" where the voxel size is known, else "42.3 Voxel".
    QString lengthText(const Ruler& ruler) const;

signals:
    void changed();                       // anything the panes show
    void pointSettled();                  // the point, once a drag ends or at once
    void pointed(const VoxelPick& voxel); // the point's voxel, for the readout
    void measuringChanged(bool on);

private:
    const VolumeData* m_volume = nullptr;
    GLuint m_texture = 0;
    std::array<double, 3> m_voxelSize{{0, 0, 0}};
    bool m_ct = false, m_patientAxes = false;
    LinkedPoint m_point;
    SliceWindow m_window;
    bool m_measuring = false;
    std::vector<Ruler> m_rulers;
    QTimer m_resting; // until the point has settled
};
