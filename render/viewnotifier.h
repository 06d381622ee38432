#pragma once

#include "render/voxelpick.h"

#include <QObject>

// What the mouse over the view points at and asks for, for the window
// around it.
class ViewNotifier : public QObject
{
    Q_OBJECT

signals:
    // The voxel under the mouse as it moves over the view (none where it
    // points at no voxel).
    void voxelPointed(const VoxelPick& pick);
    // The wheel over a slice: the next slice (1) or the one before (-1).
    void sliceStepped(int steps);
    // The camera changed: zoom, pan, orientation or turn.
    void cameraChanged();
    // A load replaced the volume (a refused file leaves the old one).
    void volumeReplaced();
    // A large volume's finer level, read while a coarse one was shown: the
    // share read (0..100), and its replacing the coarse one, seen as before.
    void finerLevelProgress(int percent);
    void volumeRefined();
};
