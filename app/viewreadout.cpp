#include "app/viewreadout.h"

#include "render/glwidget.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>

namespace {

// The planes the slice axes show in a volume of the patient's axes: the x
// button cuts across z, y across y, z across x.
const char* const kPlanes[3] = {QT_TRANSLATE_NOOP("ViewReadout", "axial"),
                                QT_TRANSLATE_NOOP("ViewReadout", "koronal"),
                                QT_TRANSLATE_NOOP("ViewReadout", "sagittal")};

} // namespace

ViewReadout::ViewReadout(GLWidget* view, QSlider* slider, QStatusBar* status)
    : QObject(view), m_view(view), m_slider(slider), m_voxel(new QLabel), m_slice(new QLabel),
      m_level(new QLabel)
{
    m_voxel->setObjectName("voxelReadout");
    status->addPermanentWidget(m_voxel);
    m_level->setObjectName("levelReadout");
    status->addPermanentWidget(m_level);
    m_level->hide();
    // Beside the slider, where the form leaves room.
    m_slice->setParent(slider->parentWidget());
    m_slice->setGeometry(slider->geometry().right() + 6, slider->y(), 80, slider->height());
    connect(view->notifier(), &ViewNotifier::voxelPointed, this, &ViewReadout::showVoxel);
    connect(slider, &QSlider::valueChanged, this, &ViewReadout::showSlice);
    connect(slider, &QSlider::rangeChanged, this, &ViewReadout::showSlice);
    showSlice();
}

void ViewReadout::volumeLoaded(const ScanKind& kind)
{
    m_kind = kind;
    m_voxel->clear();
    showSlice();
    m_level->setText(levelText(m_view->volume()));
    m_level->setVisible(!m_level->text().isEmpty());
}

void ViewReadout::showVoxel(const VoxelPick& pick)
{
    QString text = voxelText(inFile(pick), m_kind.ct);
    if (!text.isEmpty() && m_view->isSlicing() && m_kind.patientAxes)
        text = tr(kPlanes[std::clamp(int(m_view->m_sliceAxis), 0, 2)]) + ", " + text;
    m_voxel->setText(text);
}

void ViewReadout::showPoint(const VoxelPick& pick)
{
    m_voxel->setText(voxelText(inFile(pick), m_kind.ct));
}

// The readout names the file's voxels, whatever level or region is shown.
VoxelPick ViewReadout::inFile(VoxelPick pick) const
{
    const std::array<int, 3> voxel = m_view->volume().level.fileVoxel({{pick.x, pick.y, pick.z}});
    pick.x = voxel[0];
    pick.y = voxel[1];
    pick.z = voxel[2];
    return pick;
}

void ViewReadout::showSlice()
{
    m_slice->setText(QString("%1 / %2").arg(m_slider->value()).arg(m_slider->maximum()));
    m_slice->setToolTip(
        m_kind.patientAxes
            ? tr("Schicht %1 von %2, %3")
                  .arg(m_slider->value())
                  .arg(m_slider->maximum())
                  .arg(tr(kPlanes[std::clamp(int(m_view->m_sliceAxis), 0, 2)]))
            : tr("Schicht %1 von %2").arg(m_slider->value()).arg(m_slider->maximum()));
}

QString voxelText(const VoxelPick& pick, bool ct)
{
    if (!pick.found)
        return {};
    QString text = QCoreApplication::translate("ViewReadout", "x %1, y %2, z %3: Dichte %4")
                       .arg(pick.x)
                       .arg(pick.y)
                       .arg(pick.z)
                       .arg(pick.density);
    if (ct)
        text += QString(" (%1 HU)").arg(pick.density - 1024);
    return text;
}

QString levelText(const VolumeData& volume)
{
    const VolumeLevel& level = volume.level;
    const auto extents = [](int width, int height, int depth) {
        return QString("%1 x %2 x %3").arg(width).arg(height).arg(depth);
    };
    const QString file = extents(level.fileExtents[0], level.fileExtents[1], level.fileExtents[2]);
    const QString shown = extents(volume.width, volume.height, volume.depth);
    if (level.reduced())
        return QCoreApplication::translate("ViewReadout", "Auflösung 1/%1: %2 von %3")
            .arg(level.factor)
            .arg(shown, file);
    if (shown != file)
        return QCoreApplication::translate("ViewReadout",
                                           "Ausschnitt in voller Auflösung: %1 ab x %2, y %3, "
                                           "z %4 von %5")
            .arg(shown)
            .arg(level.origin[0])
            .arg(level.origin[1])
            .arg(level.origin[2])
            .arg(file);
    return {};
}
