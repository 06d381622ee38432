#pragma once

#include "ui_mainwindow.h"

#include <QMainWindow>

class QKeyEvent;

// The program's main window: the file list and load button, the density and
// slicing controls, the histogram editor and the GL view, all from the form.
// It keeps the two density spin boxes, the histogram and the view on one
// density window, and the slice slider's range on the chosen axis.
class MainWindow : public QMainWindow, public Ui_MainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~MainWindow() override;

public slots:
    // Loads the first selected file of the list into the view and hands its
    // histogram to the editor. Without a selection it does nothing.
    void loadFile();
    void setMinDensity(int density);
    void setMaxDensity(int density);
    void setXAxis();
    void setYAxis();
    void setZAxis();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillFileList();
};
