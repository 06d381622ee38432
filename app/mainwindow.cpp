// The main window: the form, and the ways in to a volume (the list, the
// command line, "Öffnen…", the recent files, a drop).

#include "app/mainwindow.h"

#include "app/densitywindow.h"
#include "app/filmsaver.h"
#include "app/fourpanes.h"
#include "app/helpmenu.h"
#include "app/openfiledialog.h"
#include "app/picturesaver.h"
#include "app/recentfiles.h"
#include "app/scanopener.h"
#include "app/timeaxis.h"
#include "app/transferhistory.h"
#include "app/transfermenu.h"
#include "app/usersettings.h"
#include "app/viewmenu.h"
#include "app/viewreadout.h"
#include "app/windowlanguage.h"
#include "platform/folderlisting.h"
#include "render/panelink.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QListWidgetItem>
#include <QMimeData>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    // The form sets every initial value before it connects anything, so no
    // slot runs while the window is built. Its spin box ranges already
    // exclude the other box's value, as the density slots keep them.
    setupUi(this);
    m_formSize = size();
    m_formView = m_glWidget->geometry();
    // Qt takes every radio button under the central widget, the mode
    // buttons in their box too, for one group: the checked axis button
    // would then uncheck when clicked. A group of their own keeps one checked.
    QButtonGroup* axes = new QButtonGroup(this);
    for (QRadioButton* axis : {m_radiobutton_x_axis, m_radiobutton_y_axis, m_radiobutton_z_axis})
        axes->addButton(axis);
    for (QRadioButton* mode : {m_radiobutton_composite, m_radiobutton_average, m_radiobutton_mip})
        connect(mode, &QRadioButton::clicked, this, &MainWindow::suitRampToMode);
    connect(m_button_fileLoad, &QPushButton::clicked, this, &MainWindow::loadFile);
    fillFileList();
    m_graphic_view->m_renderer = m_glWidget;

    m_opener = new ScanOpener(this);
    connect(m_opener, &ScanOpener::opened, this,
            [this](const QString& volume, const QString& scan, const QString& choice,
                   const ScanKind& kind, const QStringList& options) {
                // A reading against the converter's decision is named.
                QStringList said{choice};
                if (options.contains("--ct") || options.contains("--no-ct"))
                    said << (kind.ct ? tr("als CT") : tr("nicht als CT"));
                said.removeAll(QString());
                const QString name = QFileInfo(scan).fileName();
                showVolume(volume, said.isEmpty() ? name : name + " (" + said.join(", ") + ")",
                           scan, kind, {scan, options, choice});
            });
    addMenuEntries();
    QMenu* viewMenu = menuBar()->addMenu(tr("&Ansicht"));
    m_viewMenu = new ViewMenu(viewMenu, m_glWidget, m_graphic_view, this);
    m_fourPanes = new FourPanes(m_glWidget, viewMenu, this);
    viewMenu->addSeparator();
    addLanguageMenu(viewMenu, this);
    m_readout = new ViewReadout(m_glWidget, m_Slices, statusBar());
    connect(m_fourPanes->link(), &PaneLink::pointed, m_readout, &ViewReadout::showPoint);
    m_timeAxis = new TimeAxis(m_glWidget, statusBar());
    connect(m_timeAxis, &TimeAxis::stepped, m_graphic_view, qOverload<>(&QWidget::update));
    connect(m_timeAxis, &TimeAxis::stepped, m_fourPanes, &FourPanes::timeStepped);
    connect(m_glWidget->notifier(), &ViewNotifier::sliceStepped, this,
            [this](int steps) { m_Slices->setValue(m_Slices->value() + steps); });
    connect(m_glWidget->notifier(), &ViewNotifier::volumeReplaced, this, [this] {
        m_viewMenu->volumeLoaded(m_loadingKind, m_loadingVolume);
        m_readout->volumeLoaded(m_loadingKind);
        m_fourPanes->volumeLoaded(m_loadingKind);
    });
    // A large volume's finer level follows its coarse first picture.
    connect(m_glWidget->notifier(), &ViewNotifier::finerLevelProgress, this, [this](int percent) {
        statusBar()->showMessage(tr("Feinere Auflösung: %1 % gelesen").arg(percent));
    });
    connect(m_glWidget->notifier(), &ViewNotifier::volumeRefined, this, [this] {
        statusBar()->clearMessage();
        m_graphic_view->update();
        m_viewMenu->volumeRefined();
        m_readout->volumeLoaded(m_loadingKind);
        m_fourPanes->volumeRefined(m_loadingKind);
    });
    QMenu* transfer = menuBar()->addMenu(tr("&Transferfunktion"));
    m_history = new TransferHistory(m_graphic_view, m_min_density, m_max_density, this);
    m_history->addActions(transfer);
    m_transferMenu = new TransferMenu(transfer, this, this);
    new HelpMenu(menuBar(), this);
    setAcceptDrops(true);
    restoreGeometry(userSettings().value("windowGeometry").toByteArray());
}

MainWindow::~MainWindow() = default;

void MainWindow::loadFile()
{
    const QList<QListWidgetItem*> selection = m_listwidget_fileList->selectedItems();
    if (selection.isEmpty())
        return;
    const TransferHistory::Step step(m_history, tr("Volumen laden"));

    // The item text came from the listing by a Latin-1 conversion, so
    // converting back gives the name's bytes unchanged, whatever they are.
    // An opened volume keeps its path beside its name.
    const QListWidgetItem* item = selection.first();
    const QString opened = item->data(Qt::UserRole).toString();
    m_loadingKind = {item->data(kCTRole).toBool(), item->data(kPatientAxesRole).toBool(), {}, {}};
    const QVariantList voxelSize = item->data(kVoxelSizeRole).toList();
    for (int axis = 0; axis < 3 && voxelSize.size() == 3; ++axis)
        m_loadingKind.voxelSize[size_t(axis)] = voxelSize[axis].toDouble();
    m_shownScan = {item->data(kScanRole).toString(), item->data(kOptionsRole).toStringList(),
                   item->data(kChoiceRole).toString()};
    m_readAsCt->setEnabled(!m_shownScan.scan.isEmpty());
    m_readAsCt->setChecked(m_loadingKind.ct);
    // A folder holds a scan's every volume: the first loads, the time row steps on.
    const QString first = QFileInfo(opened).isDir() ? m_timeAxis->open(opened) : QString();
    if (first.isEmpty())
        m_timeAxis->close();
    const std::string path =
        opened.isEmpty() ? "dat/" + item->text().toLatin1().toStdString()
                         : QFile::encodeName(first.isEmpty() ? opened : first).toStdString();
    m_loadingVolume = opened.isEmpty() ? "dat/" + item->text() : opened;

    // A failed load leaves the view's volume as it was; the loader has
    // reported it, and the histogram is handed over all the same.
    VolumeData* volume = m_glWidget->loadVolume(path);
    m_graphic_view->m_histogram = volume->histogram.data();
    m_graphic_view->m_controlPoints.clear();
    m_graphic_view->update();
}

// Each spin box's range excludes the other box's value, so the window stays
// 0 <= lower < upper <= 4095 and both 4096-entry tables stay in bounds. Once
// there is a transfer table, it follows the window at once, as the points
// on the histogram now stand for other densities.
void MainWindow::setMinDensity(int density)
{
    m_graphic_view->m_minDensity = density;
    m_max_density->setMinimum(density + 1);
    m_graphic_view->update();
    m_glWidget->m_minDensity = density;
    m_glWidget->update();
    if (m_glWidget->transferReady())
        m_graphic_view->rebuildTransferFunction();
}

void MainWindow::setMaxDensity(int density)
{
    m_graphic_view->m_maxDensity = density;
    m_min_density->setMaximum(density - 1);
    m_graphic_view->update();
    m_glWidget->m_maxDensity = density;
    m_glWidget->update();
    if (m_glWidget->transferReady())
        m_graphic_view->rebuildTransferFunction();
}

// The axis slots set the view's axis before asking for its extent. A lower
// maximum pulls the slider's value down, and the slider's valueChanged
// carries the new value to the view's setSlice.
void MainWindow::setXAxis()
{
    m_glWidget->m_sliceAxis = XAxis;
    m_glWidget->update();
    m_Slices->setMaximum(m_glWidget->sliceCount());
}

void MainWindow::setYAxis()
{
    m_glWidget->m_sliceAxis = YAxis;
    m_glWidget->update();
    m_Slices->setMaximum(m_glWidget->sliceCount());
}

void MainWindow::setZAxis()
{
    m_glWidget->m_sliceAxis = ZAxis;
    m_glWidget->update();
    m_Slices->setMaximum(m_glWidget->sliceCount());
}

// Keys that reach the window itself are taken and do nothing.
void MainWindow::keyPressEvent(QKeyEvent*) {}

// The list is filled once; a missing folder or no match leaves it untouched.
// Entries keep the order the file system yields them.
void MainWindow::fillFileList()
{
    const std::vector<std::string> names = listFolder("dat", ".dat");
    if (names.empty())
        return;
    m_listwidget_fileList->clear();
    for (const std::string& name : names)
        m_listwidget_fileList->addItem(
            new QListWidgetItem(QString::fromLatin1(name.data(), int(name.size()))));
}

void MainWindow::openPath(const QString& path)
{

    const QFileInfo info(path);
    if (info.isFile() && info.suffix().compare("dat", Qt::CaseInsensitive) == 0)
        showVolume(info.absoluteFilePath(), info.fileName(), info.absoluteFilePath(), {});
    else
        m_opener->open(path);
}

void MainWindow::showVolume(const QString& volume, const QString& name, const QString& opened,
                            const ScanKind& kind, const ConvertedScan& converted)
{
    QListWidget* list = m_listwidget_fileList;
    QListWidgetItem* item = nullptr;
    for (int row = 0; row < list->count() && !item; ++row)
        if (list->item(row)->data(Qt::UserRole).toString() == volume)
            item = list->item(row);
    if (!item) {
        item = new QListWidgetItem(name, list);
        item->setData(Qt::UserRole, volume);
        item->setData(kCTRole, kind.ct);
        item->setData(kPatientAxesRole, kind.patientAxes);
        item->setData(kScanRole, converted.scan);
        item->setData(kOptionsRole, converted.options);
        item->setData(kChoiceRole, converted.choice);
        item->setData(kVoxelSizeRole,
                      QVariantList{kind.voxelSize[0], kind.voxelSize[1], kind.voxelSize[2]});
        item->setToolTip(opened);
    }
    list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    const TransferHistory::Step step(m_history, tr("Volumen öffnen"));
    loadFile();
    // Its first picture needs no click.
    applyTransferFunction(kind.ct ? skinAndBonePreset(densityHistogram())
                                  : objectRampPreset(densityHistogram()));
    m_recent->add(opened);
    if (!converted.scan.isEmpty())
        statusBar()->showMessage(valuesReadingText(kind));
}

TransferFunction MainWindow::transferFunction() const
{
    return functionOfPoints(m_graphic_view->m_controlPoints, m_graphic_view->width(),
                            m_graphic_view->height(), m_graphic_view->m_minDensity,
                            m_graphic_view->m_maxDensity);
}

void MainWindow::applyTransferFunction(const TransferFunction& function)
{
    const TransferHistory::Step step(m_history, tr("Transferfunktion"));
    setDensityWindow(m_min_density, m_max_density, function.minDensity, function.maxDensity);
    m_graphic_view->m_controlPoints =
        pointsOfFunction(function, m_graphic_view->width(), m_graphic_view->height());
    m_graphic_view->update();
    m_graphic_view->rebuildTransferFunction();
    suitRampToMode();
}

void MainWindow::suitRampToMode()
{
    using Make = TransferFunction (*)(const DensityHistogram&);
    const std::pair<Make, Make> ramps[] = {{greyRampPreset, opaqueGreyRampPreset},
                                           {objectRampPreset, opaqueObjectRampPreset}};
    const bool projection = m_glWidget->renderMode() != CompositeMode;
    const DensityHistogram& histogram = densityHistogram();
    for (const auto& [composite, opaque] : ramps)
        if (editorShows(projection ? composite(histogram) : opaque(histogram)))
            return applyTransferFunction(projection ? opaque(histogram) : composite(histogram));
}

bool MainWindow::editorShows(const TransferFunction& function) const
{
    const std::vector<ControlPoint>& shown = m_graphic_view->m_controlPoints;
    const std::vector<ControlPoint> points =
        pointsOfFunction(function, m_graphic_view->width(), m_graphic_view->height());
    return m_graphic_view->m_minDensity == function.minDensity &&
           m_graphic_view->m_maxDensity == function.maxDensity &&
           std::equal(shown.begin(), shown.end(), points.begin(), points.end(),
                      [](const ControlPoint& a, const ControlPoint& b) {
                          return a.x == b.x && a.y == b.y && a.color == b.color;
                      });
}

// The view takes what the window has beyond the form's size: at that size
// every widget stands where the form puts it.
void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_fourPanes->setArea(QRect(m_formView.topLeft(),
                               m_formView.size() + (size() - m_formSize).expandedTo(QSize(0, 0))));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    userSettings().setValue("windowGeometry", saveGeometry());
    QMainWindow::closeEvent(event);
}

// New entries before the form's own: "Öffnen…", the recent files, the shown
// scan's reading of its values, saving the picture, emptying the cache of
// converted scans.
void MainWindow::addMenuEntries()
{
    QAction* open = new QAction(tr("Ö&ffnen …"), this);
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &MainWindow::chooseAndOpen);
    QMenu* recent = new QMenu(tr("&Zuletzt geöffnet"), m_menu_file);
    m_recent = new RecentFiles(recent, "recentFiles", this);
    connect(m_recent, &RecentFiles::chosen, this, &MainWindow::openPath);
    QAction* clear = new QAction(tr("Zwischenspeicher &leeren"), this);
    connect(clear, &QAction::triggered, this, [this] {
        const int removed = m_opener->cache().clear();
        // The entries whose volumes went; the one on show stays loaded.
        for (int row = m_listwidget_fileList->count() - 1; row >= 0; --row) {
            const QString path = m_listwidget_fileList->item(row)->data(Qt::UserRole).toString();
            if (!path.isEmpty() && !QFile::exists(path))
                delete m_listwidget_fileList->item(row);
        }
        statusBar()->showMessage(tr("Zwischenspeicher geleert: %1 Volumen").arg(removed));
    });
    // The shown scan converted again under the other rule; the mark shows
    // the reading on show until the new one is.
    m_readAsCt = new QAction(tr("Werte als &CT (HU) lesen"), this);
    m_readAsCt->setCheckable(true);
    m_readAsCt->setEnabled(false);
    connect(m_readAsCt, &QAction::triggered, this, [this](bool ct) {
        m_readAsCt->setChecked(!ct);
        m_opener->openAs(m_shownScan.scan, m_shownScan.options, m_shownScan.choice, ct);
    });
    QAction* picture = new QAction(tr("Bild &speichern …"), this);
    picture->setShortcut(QKeySequence("Ctrl+P"));
    connect(picture, &QAction::triggered, this, [this] {
        const QString saved = savePictureInteractively(this, m_glWidget);
        if (!saved.isEmpty())
            statusBar()->showMessage(tr("Bild gespeichert: %1").arg(saved));
    });
    QAction* film = new QAction(tr("Fil&m speichern …"), this);
    connect(film, &QAction::triggered, this, [this] {
        const QString saved = saveFilmInteractively(this, m_glWidget);
        if (!saved.isEmpty())
            statusBar()->showMessage(tr("Film gespeichert: %1").arg(saved));
    });
    QAction* first = m_menu_file->actions().value(0);
    m_menu_file->insertAction(first, open);
    m_menu_file->insertMenu(first, recent);
    m_menu_file->insertAction(first, m_readAsCt);
    m_menu_file->insertAction(first, picture);
    m_menu_file->insertAction(first, film);
    m_menu_file->insertAction(first, clear);
    m_menu_file->insertSeparator(first);
}

void MainWindow::chooseAndOpen()
{
    OpenFileDialog* dialog = new OpenFileDialog(this);
    connect(dialog, &OpenFileDialog::chosen, this, &MainWindow::openPath);
    dialog->open();
}

// A file or folder dropped on the window opens as from "Öffnen…".
void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    openPath(event->mimeData()->urls().first().toLocalFile());
}
