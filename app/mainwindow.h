#pragma once

#include "ui_mainwindow.h"

#include <QMainWindow>

class MainWindow : public QMainWindow, public Ui_MainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~MainWindow() override;

public slots:
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
