// One short session with the real application object and main window, from
// start to "&Beenden", the event loop's result being the exit code as in the
// program's own entry. Its purpose is the leak check of the sanitizer build:
// what the program leaves behind at exit.

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdio>

// Each step of the session that fails adds one to `failures`.
void runSession(MainWindow& window, int& failures)
{
    failures += !ui::show(window);
    for (const char* name : {"engine.dat", "head.dat"})
        failures += !ui::load(window, name);
    QTest::mouseClick(window.m_graphic_view, Qt::LeftButton, Qt::NoModifier, QPoint(60, 190));
    ui::ColourDialogAnswer answer(QColor(255, 200, 40));
    ui::doubleClick(window.m_graphic_view, QPoint(60, 190));
    failures += !answer.opened;
    for (const char* control : {"Average", "Maximum intensity projection", "Composite",
                                "Slicing active", "z - axis"}) {
        failures += !ui::click(window, control);
        window.m_glWidget->updateGL();
    }
    ui::drag(window.m_glWidget, QPoint(200, 200), QPoint(260, 170));
    failures += !ui::chooseMenuEntry(window, "&Datei", "&Beenden");
}

int main(int argc, char* argv[])
{
    TestFolder folder(TestFolder::WithShaders);
    for (const char* name : {"dat/engine.dat", "dat/head.dat"})
        if (!QDir().mkpath("dat") || !writeVolumeFile(name, SampleVolume(24, 12, 16, 1500)))
            return 1;
    int result, failures = 0;
    {
        ConsoleCapture console;
        QApplication application(argc, argv);
        MainWindow window;
        QTimer::singleShot(0, &window, [&] { runSession(window, failures); });
        QTimer::singleShot(120000, &application, [] { QApplication::exit(2); });
        result = application.exec();
        failures += window.isVisible();
    }
    std::fprintf(stderr, "%s\n", failures == 0 && result == 0 ? "Session passed." : "Session failed.");
    return failures == 0 ? result : 1;
}
