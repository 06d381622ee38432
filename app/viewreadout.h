#pragma once

#include "app/scankind.h"
#include "render/voxelpick.h"

#include <QObject>
#include <QString>

class GLWidget;
class QLabel;
class QSlider;
class QStatusBar;

// What the view shows in words: the voxel under the mouse in the status bar
// (its indices in the file, its density and, for CT, its Hounsfield units; on a slice of
// a volume in the patient's axes, the slice's plane), and the slice's number
// and the slider's end beside the slider.
class ViewReadout : public QObject
{
    Q_OBJECT

public:
    ViewReadout(GLWidget* view, QSlider* slider, QStatusBar* status);

    void volumeLoaded(const ScanKind& kind);
    // The slice panes' linked point, named as a voxel under the mouse.
    void showPoint(const VoxelPick& pick);
    const QLabel* voxelLabel() const { return m_voxel; }
    const QLabel* sliceLabel() const { return m_slice; }
    const QLabel* levelLabel() const { return m_level; }

private:
    void showVoxel(const VoxelPick& pick);
    void showSlice();
    VoxelPick inFile(VoxelPick pick) const;

    GLWidget* m_view;
    QSlider* m_slider;
    QLabel* m_voxel;
    QLabel* m_slice;
    QLabel* m_level; // the level or region shown, where not the whole file
    ScanKind m_kind;
};

// "x 12, y 30, z 4: Dichte 1500", with " (476 HU)" for CT; empty for none.
QString voxelText(const VoxelPick& pick, bool ct);

// "Auflösung 1/2: 1024 x 1024 x 750 von 2048 x 2048 x 1500" for a reduced
// level, the extents and start of a region at full resolution; empty for a
// whole file.
QString levelText(const VolumeData& volume);
