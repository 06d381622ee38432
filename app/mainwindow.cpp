#include "app/mainwindow.h"

#include "platform/folderlisting.h"

#include <QList>
#include <QListWidgetItem>

#include <string>
#include <vector>

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    // The form sets every initial value before it connects anything, so no
    // slot runs while the window is built. Its spin box ranges already
    // exclude the other box's value, as the density slots keep them.
    setupUi(this);
    connect(m_button_fileLoad, &QPushButton::clicked, this, &MainWindow::loadFile);
    fillFileList();
    m_graphic_view->m_renderer = m_glWidget;
}

MainWindow::~MainWindow() = default;

void MainWindow::loadFile()
{
    const QList<QListWidgetItem*> selection = m_listwidget_fileList->selectedItems();
    if (selection.isEmpty())
        return;

    // The item text came from the listing by a Latin-1 conversion, so
    // converting back gives the name's bytes unchanged, whatever they are.
    const std::string path = "dat/" + selection.first()->text().toLatin1().toStdString();

    // A failed load leaves the view's volume as it was; the loader has
    // reported it, and the histogram is handed over all the same.
    VolumeData* volume = m_glWidget->loadVolume(path);
    m_graphic_view->m_histogram = volume->histogram.data();
    m_graphic_view->m_controlPoints.clear();
    m_graphic_view->update();
}

// Each spin box's range excludes the other box's value, so the window stays
// 0 <= lower < upper <= 4095 and both 4096-entry tables stay in bounds.
void MainWindow::setMinDensity(int density)
{
    m_graphic_view->m_minDensity = density;
    m_max_density->setMinimum(density + 1);
    m_graphic_view->update();
    m_glWidget->m_minDensity = density;
    m_glWidget->update();
}

void MainWindow::setMaxDensity(int density)
{
    m_graphic_view->m_maxDensity = density;
    m_min_density->setMaximum(density - 1);
    m_graphic_view->update();
    m_glWidget->m_maxDensity = density;
    m_glWidget->update();
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
