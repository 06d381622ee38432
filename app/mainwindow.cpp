#include "app/mainwindow.h"

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    setupUi(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::loadFile() {}
void MainWindow::setMinDensity(int) {}
void MainWindow::setMaxDensity(int) {}
void MainWindow::setXAxis() {}
void MainWindow::setYAxis() {}
void MainWindow::setZAxis() {}
void MainWindow::keyPressEvent(QKeyEvent*) {}
void MainWindow::fillFileList() {}
