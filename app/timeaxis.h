#pragma once

#include "app/volumereadahead.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class GLWidget;
class QLabel;
class QSlider;
class QStatusBar;
class QToolButton;
class QWidget;

// The time row of a scan of several volumes, a folder of volume files as
// kastra-convert --all-volumes writes it: a slider through them with the
// volume's number and count ("3 / 200") and a play button that loops. A
// step swaps the view's voxels for the next volume's, read ahead, so that the
// transfer function, the camera, the crop and the slice stay. The row sits
// in the status bar, hidden while no series is loaded.
class TimeAxis : public QObject
{
    Q_OBJECT

public:
    TimeAxis(GLWidget* view, QStatusBar* status);

    // The volume files of `folder` in order, the row shown at the first, which
    // the caller loads; "" (and the row hidden) where it holds none.
    QString open(const QString& folder);
    // A single volume is loaded: no row.
    void close();

    int count() const { return int(m_files.size()); }
    int current() const { return m_current; }
    QWidget* row() const { return m_row; }
    QToolButton* playButton() const { return m_play; }
    QSlider* slider() const { return m_slider; }

signals:
    void stepped(); // the view shows another volume, and its histogram

private:
    void show(int index);
    void playStep();
    int next() const { return (m_current + 1) % count(); }
    int shownFactor() const;

    GLWidget* m_view;
    QWidget* m_row;
    QToolButton* m_play;
    QSlider* m_slider;
    QLabel* m_number;
    QTimer m_player;
    QStringList m_files;
    int m_current = 0;
    VolumeReadAhead m_ahead;
};
