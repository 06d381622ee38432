#include "app/axesdialog.h"

#include "render/glwidget.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// The volume's axis that the standard view shows along its axis `onScreen`,
// and whether it shows it reversed.
std::pair<int, bool> shownAlong(const Camera& camera, int onScreen)
{
    const QMatrix4x4 orientation = camera.orientation(); // a signed permutation
    for (int shown = 0; shown < 3; ++shown)
        if (orientation(onScreen, shown) != 0)
            return {shown, orientation(onScreen, shown) < 0};
    return {onScreen, false};
}

} // namespace

AxesDialog::AxesDialog(GLWidget* view, QWidget* parent)
    : QDialog(parent), m_view(view), m_said(new QLabel)
{
    setWindowTitle(tr("Achsen"));
    QGridLayout* grid = new QGridLayout(this);
    grid->addWidget(m_said, 0, 0, 1, 4);
    grid->addWidget(new QLabel(tr("Um 90° drehen:")), 1, 0);
    grid->addWidget(new QLabel(tr("Spiegeln:")), 2, 0);
    const QString turns[3] = {tr("um die &Waagerechte"), tr("um die &Senkrechte"),
                              tr("in der &Bildebene")};
    const QString mirrors[3] = {tr("&links und rechts"), tr("&oben und unten"),
                                tr("&vorn und hinten")};
    for (int axis = 0; axis < 3; ++axis) {
        QPushButton* turn = new QPushButton(turns[axis]);
        QPushButton* mirror = new QPushButton(mirrors[axis]);
        connect(turn, &QPushButton::clicked, this, [this, axis] { this->turn(axis); });
        connect(mirror, &QPushButton::clicked, this, [this, axis] { this->mirror(axis); });
        grid->addWidget(turn, 1, axis + 1);
        grid->addWidget(mirror, 2, axis + 1);
    }
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(tr("Schl&ießen"));
    QPushButton* file = buttons->addButton(tr("Achsen der &Datei"), QDialogButtonBox::ResetRole);
    connect(file, &QPushButton::clicked, this, [this] { choose(VolumeAxes()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    grid->addWidget(buttons, 3, 0, 1, 4);
    followView();
}

void AxesDialog::followView()
{
    const VolumeAxes& axes = m_view->camera().axes();
    const QString kind = axes.isFileAxes() ? tr("Die Achsen der Datei")
                         : axes.mirrors()  ? tr("Gespiegelt")
                                           : tr("Gedreht");
    const QStringList names = axes.text().split(' ');
    m_said->setText(tr("%1. Von oben gesehen, ungedreht: nach rechts %2, nach oben %3, "
                       "zum Betrachter %4.")
                        .arg(kind, names.value(0), names.value(1), names.value(2)));
}

void AxesDialog::choose(const VolumeAxes& axes)
{
    m_view->setVolumeAxes(axes);
    followView();
    emit chosen(axes);
}

void AxesDialog::turn(int onScreen)
{
    // Counterclockwise on the screen: the other way round the shown axis
    // where the standard view shows it reversed.
    const auto [shown, reversed] = shownAlong(m_view->camera(), onScreen);
    VolumeAxes axes = m_view->camera().axes().turned(shown);
    if (reversed)
        axes = axes.turned(shown).turned(shown);
    choose(axes);
}

void AxesDialog::mirror(int onScreen)
{
    choose(m_view->camera().axes().mirrored(shownAlong(m_view->camera(), onScreen).first));
}
