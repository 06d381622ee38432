#include "app/fourpanes.h"

#include "app/viewmenu.h"
#include "render/glwidget.h"
#include "render/panelink.h"
#include "render/slicepane.h"
#include "tfeditor/transferpresets.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace {

// Pixels between the panes.
constexpr int kGap = 2;

} // namespace

FourPanes::FourPanes(GLWidget* view, QMenu* menu, QWidget* window)
    : QObject(window), m_view(view), m_link(new PaneLink(this)), m_area(view->geometry())
{
    connect(m_link, &PaneLink::pointSettled, this, [this] {
        if (m_on)
            m_view->setMarkedPoint(m_link->point().voxel);
    });
    m_view->installEventFilter(this);

    menu->addSeparator();
    m_measure = new QAction(tr("Abstand &messen"), this);
    m_measure->setCheckable(true);
    m_measure->setShortcut(Qt::Key_M);
    // M belongs to the slices: in the lists and boxes it is a letter.
    m_measure->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_measure, &QAction::toggled, m_link, &PaneLink::setMeasuring);
    connect(m_link, &PaneLink::measuringChanged, m_measure, &QAction::setChecked);
    m_windows = new QMenu(tr("&Fenster der Schnitte"), menu);
    addWindowEntries(m_windows);
    m_contextMenu = new QMenu(window);
    m_contextMenu->addActions(m_windows->actions());
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(m_measure);
    QAction* on = addRememberedChoice(menu, tr("V&ier Ansichten"), "fourPanes",
                                      [this](bool four) { setOn(four); });
    on->setShortcut(QKeySequence("Ctrl+Shift+V"));
    menu->addAction(m_measure);
    menu->addMenu(m_windows);
    setOn(on->isChecked());
}

void FourPanes::addWindowEntries(QMenu* menu)
{
    for (size_t i = 0; i < std::size(kCTWindows); ++i) {
        const NamedWindow& named = kCTWindows[i];
        m_ctWindows[i] = menu->addAction(
            QCoreApplication::translate("SliceWindow", named.name), this, [this, named] {
                m_link->setWindow(SliceWindow::fromHounsfield(named.width, named.level));
            });
    }
    menu->addAction(tr("&Perzentile (1. bis 99.)"), this, &FourPanes::setPercentileWindow);
}

void FourPanes::setPercentileWindow()
{
    const DensityHistogram& histogram = m_view->volume().histogram;
    const int low = densityPercentile(histogram, 0.01), high = densityPercentile(histogram, 0.99);
    m_link->setWindow({double(std::max(high - low, 1)), (low + high) / 2.0});
}

void FourPanes::setArea(const QRect& area)
{
    m_area = area;
    layOut();
}

void FourPanes::setOn(bool on)
{
    m_on = on;
    if (on && !m_panes[0])
        makePanes();
    m_filled = nullptr;
    m_measure->setEnabled(on);
    m_windows->setEnabled(on);
    if (!on)
        m_link->setMeasuring(false);
    layOut();
    m_view->setMarkedPoint(on ? std::optional<std::array<int, 3>>(m_link->point().voxel)
                              : std::nullopt);
}

void FourPanes::makePanes()
{
    for (PanePlane plane : {PanePlane::Axial, PanePlane::Coronal, PanePlane::Sagittal}) {
        SlicePane* pane = new SlicePane(plane, m_link, m_view->parentWidget(), m_view);
        connect(pane, &SlicePane::fillAsked, this, [this, pane] { fill(pane); });
        connect(pane, &SlicePane::menuAsked, this,
                [this](const QPoint& at) { m_contextMenu->popup(at); });
        pane->addAction(m_measure);
        m_panes[size_t(plane)] = pane;
    }
}

// The axial plane top left, the 3D view top right, the sagittal plane
// bottom left and the coronal one bottom right; or one of them alone.
void FourPanes::layOut()
{
    if (!m_on) {
        m_view->setGeometry(m_area);
        m_view->show();
        for (SlicePane* pane : m_panes)
            if (pane)
                pane->hide();
        return;
    }
    const int width = (m_area.width() - kGap) / 2, height = (m_area.height() - kGap) / 2;
    const int right = m_area.left() + width + kGap, lower = m_area.top() + height + kGap;
    const std::pair<QWidget*, QRect> cells[] = {
        {pane(PanePlane::Axial), QRect(m_area.left(), m_area.top(), width, height)},
        {m_view, QRect(right, m_area.top(), m_area.right() + 1 - right, height)},
        {pane(PanePlane::Sagittal),
         QRect(m_area.left(), lower, width, m_area.bottom() + 1 - lower)},
        {pane(PanePlane::Coronal),
         QRect(right, lower, m_area.right() + 1 - right, m_area.bottom() + 1 - lower)}};
    for (const auto& [widget, cell] : cells) {
        widget->setGeometry(m_filled ? m_area : cell);
        widget->setVisible(!m_filled || m_filled == widget);
    }
}

void FourPanes::fill(QWidget* pane)
{
    if (!m_on)
        return;
    m_filled = m_filled ? nullptr : pane;
    layOut();
}

// A double click on the 3D view fills the area with it, as on a slice.
bool FourPanes::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        fill(m_view);
    return QObject::eventFilter(watched, event);
}

void FourPanes::volumeLoaded(const ScanKind& kind)
{
    m_link->setVolume(&m_view->volume(), m_view->volumeTexture(), kind.voxelSize, kind.ct,
                      kind.patientAxes);
    for (QAction* window : m_ctWindows)
        window->setEnabled(kind.ct);
    if (kind.ct)
        m_link->setWindow(SliceWindow::fromHounsfield(kCTWindows[0].width, kCTWindows[0].level));
    else
        setPercentileWindow();
}

void FourPanes::volumeRefined(const ScanKind& kind)
{
    // The same volume, finer: the grey window stays.
    m_link->setVolume(&m_view->volume(), m_view->volumeTexture(), kind.voxelSize, kind.ct,
                      kind.patientAxes);
}

void FourPanes::timeStepped()
{
    m_link->resetPoint();
}
