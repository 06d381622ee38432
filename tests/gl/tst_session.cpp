// One short session with the real application object and main window, from
// start to "&Beenden": the event loop's result is the exit code, as in the
// program's own entry, and a failed check makes it 1. Its main purpose is the
// leak check of the sanitizer build: what the program leaves behind at exit.

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/uidriver.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

int g_failures = 0;

bool check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++g_failures;
    }
    return condition;
}

void runSession(MainWindow& window)
{
    if (!check(QTest::qWaitForWindowExposed(&window), "the window is shown"))
        return QApplication::exit(1);
    GLWidget* view = window.m_glWidget;
    Histogram* histogram = window.m_graphic_view;
    for (const char* name : {"engine.dat", "head.dat"})
        check(ui::load(window, name) && histogram->m_histogram[1500] > 0, "a volume loads");

    QTest::mouseClick(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(60, 190));
    ui::ColourDialogAnswer answer(QColor(255, 200, 40));
    ui::doubleClick(histogram, QPoint(700, 10));
    check(histogram->m_controlPoints.size() == 2 && view->transferReady(), "the table is built");

    for (const char* mode : {"Average", "Maximum intensity projection", "Composite"}) {
        ui::click(window, mode);
        view->updateGL();
    }
    ui::drag(view, QPoint(200, 200), QPoint(260, 170));
    ui::click(window, "Slicing active");
    ui::click(window, "z - axis");
    view->updateGL();
    check(ui::chooseMenuEntry(window, "&Datei", "&Beenden"), "the menu offers \"&Beenden\"");
}

} // namespace

int main(int argc, char* argv[])
{
    TestFolder folder(TestFolder::WithShaders);
    for (const char* name : {"dat/engine.dat", "dat/head.dat"})
        if (!check(QDir().mkpath("dat") && writeVolumeFile(name, SampleVolume(24, 12, 16, 1500)),
                   "a volume is written"))
            return 1;
    int result;
    {
        ConsoleCapture console;
        QApplication application(argc, argv);
        MainWindow window;
        window.show();
        QTimer::singleShot(0, &window, [&window] { runSession(window); });
        QTimer::singleShot(120000, &application, [] { QApplication::exit(2); });
        result = application.exec();
        check(!window.isVisible(), "the window is closed");
    }
    check(result == 0, "the event loop ends with 0");
    std::fprintf(stderr, "%s\n", g_failures == 0 ? "Session passed." : "Session failed.");
    return g_failures == 0 ? result : 1;
}
