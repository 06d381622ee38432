// kastra [PATH]: the program's window, opening PATH (a volume file, or a
// scan the converter reads) when one is given.

#include "app/mainwindow.h"

#include "platform/console.h"

#include <QApplication>

#include <ostream>

int main(int argc, char* argv[])
{
    // Qt takes its own options out of argv first.
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() > 1 || arguments.value(0).startsWith('-')) {
        const bool help = arguments.value(0) == "--help" || arguments.value(0) == "-h";
        (help ? console::out() : console::err())
            << "Usage: kastra [PATH]\n\n"
               "Shows the volume files of dat/ in the working folder. PATH, a volume file (.dat)\n"
               "or a scan kastra-convert reads (a DICOM folder or file, NIfTI, NRRD, MetaImage),\n"
               "is opened at the start.\n";
        return help ? 0 : 2;
    }
    MainWindow window(nullptr, Qt::Window);
    window.show();
    if (!arguments.isEmpty())
        window.openPath(arguments.first());
    return application.exec();
}
