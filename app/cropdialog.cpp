#include "app/cropdialog.h"

#include "render/glwidget.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

CropDialog::CropDialog(GLWidget* view, QWidget* parent) : QDialog(parent), m_view(view)
{
    setWindowTitle(tr("Zuschneiden"));
    QGridLayout* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("von")), 0, 1);
    grid->addWidget(new QLabel(tr("bis")), 0, 2);
    const char* const axes[3] = {"&x", "&y", "&z"};
    for (int axis = 0; axis < 3; ++axis) {
        QLabel* label = new QLabel(axes[axis]);
        m_from[axis] = new QSpinBox;
        m_to[axis] = new QSpinBox;
        label->setBuddy(m_from[axis]);
        grid->addWidget(label, axis + 1, 0);
        grid->addWidget(m_from[axis], axis + 1, 1);
        grid->addWidget(m_to[axis], axis + 1, 2);
        // A number typed applies once it is whole (Enter or the next field).
        for (QSpinBox* box : {m_from[axis], m_to[axis]}) {
            box->setKeyboardTracking(false);
            connect(box, qOverload<int>(&QSpinBox::valueChanged), this, &CropDialog::apply);
        }
    }
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(tr("&Schließen"));
    QPushButton* whole = buttons->addButton(tr("&Ganzes Volumen"), QDialogButtonBox::ResetRole);
    whole->setToolTip(tr("Das ganze Volumen zeigen, nach einem Ausschnitt in voller Auflösung "
                         "wieder die verkleinerte Stufe"));
    connect(whole, &QPushButton::clicked, this, [this] {
        if (m_view->regionShown())
            m_view->showWholeLevel();
        else
            m_view->setCropBox(CropBox());
        followView();
    });
    m_fullResolution =
        buttons->addButton(tr("In &voller Auflösung laden"), QDialogButtonBox::ActionRole);
    m_fullResolution->setToolTip(tr("Die Voxel des Quaders aus der Datei lesen, ungemittelt, "
                                    "und statt der verkleinerten Stufe zeigen"));
    connect(m_fullResolution, &QPushButton::clicked, this, &CropDialog::loadFullResolution);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    // Enter in a range applies its number; it must not close the dialog.
    for (QAbstractButton* button : buttons->buttons())
        if (QPushButton* push = qobject_cast<QPushButton*>(button)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    m_note = new QLabel;
    m_note->setWordWrap(true);
    grid->addWidget(m_note, 4, 0, 1, 3);
    grid->addWidget(buttons, 5, 0, 1, 3);
    followView();
}

void CropDialog::loadFullResolution()
{
    setCursor(Qt::WaitCursor);
    const GLWidget::RegionLoad load = m_view->loadRegionAtFullResolution();
    unsetCursor();
    followView();
    const QString region =
        tr("%1 x %2 x %3 Voxel").arg(load.extents[0]).arg(load.extents[1]).arg(load.extents[2]);
    switch (load.refusal) {
    case GLWidget::RegionLoad::None:
        break;
    case GLWidget::RegionLoad::Graphics:
        m_note->setText(tr("%1 passen nicht in den Grafikspeicher.").arg(region));
        break;
    case GLWidget::RegionLoad::Memory:
        m_note->setText(tr("%1 passen nicht in den Speicher.").arg(region));
        break;
    case GLWidget::RegionLoad::File:
        m_note->setText(tr("Die Datei lässt sich nicht mehr lesen."));
        break;
    }
    adjustSize();
}

void CropDialog::followView()
{
    const VolumeData& volume = m_view->volume();
    const std::array<int, 3> extents = {volume.width, volume.height, volume.depth};
    const CropBox box = m_view->cropBox().clampedTo(extents);
    m_following = true;
    for (int axis = 0; axis < 3; ++axis) {
        for (QSpinBox* spin : {m_from[axis], m_to[axis]})
            spin->setRange(0, extents[axis] - 1);
        m_from[axis]->setValue(box.from[axis]);
        m_to[axis]->setValue(box.to[axis]);
    }
    m_following = false;
    m_fullResolution->setEnabled(volume.level.reduced() && !m_view->regionShown());
    m_note->clear();
}

// A range whose ends cross keeps the end just set and moves the other.
void CropDialog::apply()
{
    if (m_following)
        return;
    CropBox box;
    for (int axis = 0; axis < 3; ++axis) {
        box.from[axis] = m_from[axis]->value();
        box.to[axis] = m_to[axis]->value();
        if (box.from[axis] > box.to[axis]) {
            const bool fromMoved = sender() == m_from[axis];
            (fromMoved ? box.to : box.from)[axis] = fromMoved ? box.from[axis] : box.to[axis];
        }
    }
    m_view->setCropBox(box);
    followView();
}
