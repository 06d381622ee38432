#pragma once

#include "render/cropbox.h"

#include <QDialog>

#include <array>

class GLWidget;
class QLabel;
class QPushButton;
class QSpinBox;

// "Zuschneiden": the crop box's six ranges in voxels, x, y and z from and
// to, applied to the view as they change; "Ganzes Volumen" takes the whole.
// On a volume shown at a reduced level, "In voller Auflösung laden" shows
// the box's voxels of the file instead, and "Ganzes Volumen" goes back.
// Not modal: the view can be turned while it is open.
class CropDialog : public QDialog
{
    Q_OBJECT

public:
    CropDialog(GLWidget* view, QWidget* parent);

    // Takes the view's volume and box: after a load, the whole volume.
    void followView();

private:
    void apply();

    void loadFullResolution();

    GLWidget* m_view;
    std::array<QSpinBox*, 3> m_from{}, m_to{};
    QPushButton* m_fullResolution;
    QLabel* m_note; // why the region could not be loaded
    bool m_following = false;
};
