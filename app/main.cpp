#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Qt takes its own options out of argv; the program reads none.
    QApplication application(argc, argv);
    MainWindow window(nullptr, Qt::Window);
    window.show();
    return application.exec();
}
