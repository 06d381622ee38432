#pragma once

#include "render/volumeaxes.h"

#include <QDialog>

class GLWidget;
class QLabel;

// "Achsen": sets a scan of no patient frame upright by turning its axes 90
// degrees or mirroring them, about the view's own axes as the standard view
// shows them (the picture's plane, its horizontal and vertical), applied at
// once; "Achsen der Datei" takes the file's axes again. Not modal: the view
// can be turned while it is open.
class AxesDialog : public QDialog
{
    Q_OBJECT

public:
    AxesDialog(GLWidget* view, QWidget* parent);

    // Says what the view's axes are: after a load, the new volume's.
    void followView();

signals:
    // The user chose `axes`; the view already shows them.
    void chosen(const VolumeAxes& axes);

private:
    void choose(const VolumeAxes& axes);
    // Turned 90 degrees about, or mirrored along, the view's axis `onScreen`
    // (0 across, 1 up, 2 towards the viewer) as the standard view shows it.
    void turn(int onScreen);
    void mirror(int onScreen);

    GLWidget* m_view;
    QLabel* m_said;
};
