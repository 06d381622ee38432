#pragma once

#include "render/cropbox.h"

#include <QDialog>

#include <array>

class GLWidget;
class QSpinBox;

// "Zuschneiden": the crop box's six ranges in voxels, x, y and z from and
// to, applied to the view as they change; "Ganzes Volumen" takes the whole.
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

    GLWidget* m_view;
    std::array<QSpinBox*, 3> m_from{}, m_to{};
    bool m_following = false;
};
