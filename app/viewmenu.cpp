#include "app/viewmenu.h"

#include "app/axesdialog.h"
#include "app/cropdialog.h"
#include "app/keptaxes.h"
#include "app/usersettings.h"
#include "render/glwidget.h"
#include "tfeditor/histogram.h"

#include <QMenu>

#include <functional>

namespace {

// The standard views in their menu's order, for a volume in the patient's
// axes and for one in its own.
constexpr Camera::Side kSides[6] = {Camera::Side::Front, Camera::Side::Back, Camera::Side::Left,
                                    Camera::Side::Right, Camera::Side::Top,  Camera::Side::Bottom};
constexpr Camera::Side kAxisEnds[6] = {Camera::Side::Right, Camera::Side::Left,
                                       Camera::Side::Front, Camera::Side::Back,
                                       Camera::Side::Top,   Camera::Side::Bottom};

} // namespace

QAction* addRememberedChoice(QMenu* menu, const QString& caption, const char* key,
                             const std::function<void(bool)>& apply)
{
    QAction* action = menu->addAction(caption);
    action->setCheckable(true);
    action->setChecked(userSettings().value(key, false).toBool());
    apply(action->isChecked());
    QObject::connect(action, &QAction::toggled, menu, [key, apply](bool on) {
        apply(on);
        userSettings().setValue(key, on);
    });
    return action;
}

ViewMenu::ViewMenu(QMenu* menu, GLWidget* view, Histogram* histogram, QWidget* window)
    : QObject(window), m_view(view), m_window(window)
{
    addRememberedChoice(menu, tr("&Schnitte im Dichtefenster"), "slicesInWindow",
                        [view](bool on) { view->setSlicesInWindow(on); });
    addRememberedChoice(menu, tr("Histogramm &logarithmisch"), "histogramLogarithmic",
                        [histogram](bool on) { histogram->setLogarithmic(on); });
    addRememberedChoice(menu, tr("Bild &verfeinern"), "refinePicture",
                        [view](bool on) { view->setRefining(on); });
    menu->addSeparator();

    // Home belongs to the view: in the lists and boxes it keeps its own meaning.
    QAction* reset = menu->addAction(tr("Ansicht &zurücksetzen"), view, &GLWidget::resetView);
    reset->setShortcut(Qt::Key_Home);
    reset->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view->addAction(reset);
    m_standardViews = menu->addMenu(tr("Standard&ansichten"));
    for (int i = 0; i < 6; ++i) {
        QAction* action = m_standardViews->addAction(QString(), view, [this, i] {
            m_view->setStandardView((m_patientAxes ? kSides : kAxisEnds)[i]);
        });
        action->setShortcut(QKeySequence(int(Qt::CTRL) | (Qt::Key_1 + i)));
        action->setEnabled(false); // their keys too, until a volume is loaded
    }
    nameStandardViews();
    m_standardViews->setEnabled(false);
    m_axes = menu->addAction(tr("Ac&hsen …"), this, [this] {
        if (!m_axesDialog) {
            m_axesDialog = new AxesDialog(m_view, m_window);
            connect(m_axesDialog, &AxesDialog::chosen, this,
                    [this](const VolumeAxes& axes) { keepAxes(m_volume, axes); });
        }
        m_axesDialog->show();
        m_axesDialog->raise();
    });
    m_axes->setEnabled(false);
    menu->addSeparator();

    menu->addAction(tr("Zuschnei&den …"), this, [this] {
        if (!m_cropDialog)
            m_cropDialog = new CropDialog(m_view, m_window);
        m_cropDialog->show();
        m_cropDialog->raise();
    });
    m_cut = menu->addAction(tr("S&chnitt durch das Volumen"));
    m_cut->setCheckable(true);
    connect(m_cut, &QAction::toggled, view, &GLWidget::setCut);
}

void ViewMenu::volumeRefined()
{
    if (m_cropDialog)
        m_cropDialog->followView();
}

void ViewMenu::volumeLoaded(const ScanKind& kind, const QString& volume)
{
    m_cut->setChecked(false);
    if (m_cropDialog)
        m_cropDialog->followView();
    m_patientAxes = kind.patientAxes;
    nameStandardViews();
    for (QAction* action : m_standardViews->actions())
        action->setEnabled(true);
    m_standardViews->setEnabled(true);
    m_view->setPatientAxes(kind.patientAxes);
    // The patient's axes need no setting upright.
    m_volume = volume;
    m_axes->setEnabled(!kind.patientAxes);
    m_view->setVolumeAxes(kind.patientAxes ? VolumeAxes() : keptAxes(volume));
    if (m_axesDialog) {
        m_axesDialog->followView();
        if (kind.patientAxes)
            m_axesDialog->close();
    }
}

void ViewMenu::nameStandardViews()
{
    // A volume in no patient frame is seen from the ends of its own axes, in
    // the order x, y, z, each from its positive end first. The letters of
    // the negative ends are taken by the positive ones.
    const QString patientCaptions[6] = {tr("Von &vorn"),   tr("Von &hinten"), tr("Von &links"),
                                        tr("Von &rechts"), tr("Von &oben"),   tr("Von &unten")};
    const QString axisCaptions[6] = {tr("Von +&x"), tr("&Von -x"), tr("Von +&y"),
                                     tr("V&on -y"), tr("Von +&z"), tr("Vo&n -z")};
    const QList<QAction*> actions = m_standardViews->actions();
    for (int i = 0; i < 6; ++i)
        actions[i]->setText(m_patientAxes ? patientCaptions[i] : axisCaptions[i]);
}
