#include "app/viewmenu.h"

#include "app/cropdialog.h"
#include "app/usersettings.h"
#include "render/glwidget.h"
#include "tfeditor/histogram.h"

#include <QMenu>

#include <functional>

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
    const std::pair<QString, Camera::Side> sides[] = {
        {tr("Von &vorn"), Camera::Side::Front}, {tr("Von &hinten"), Camera::Side::Back},
        {tr("Von &links"), Camera::Side::Left}, {tr("Von &rechts"), Camera::Side::Right},
        {tr("Von &oben"), Camera::Side::Top},   {tr("Von &unten"), Camera::Side::Bottom}};
    for (int i = 0; i < 6; ++i) {
        const Camera::Side side = sides[i].second;
        QAction* action = m_standardViews->addAction(sides[i].first, view,
                                                     [view, side] { view->setStandardView(side); });
        action->setShortcut(QKeySequence(int(Qt::CTRL) | (Qt::Key_1 + i)));
    }
    m_standardViews->setEnabled(false);
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

void ViewMenu::volumeLoaded(const ScanKind& kind)
{
    m_cut->setChecked(false);
    if (m_cropDialog)
        m_cropDialog->followView();
    m_standardViews->setEnabled(kind.patientAxes);
    for (QAction* action : m_standardViews->actions()) // their keys too
        action->setEnabled(kind.patientAxes);
    m_view->setPatientAxes(kind.patientAxes);
}
