// A whole session as a user has it, in one process with the real
// application object and main window: start, load two volumes, edit the
// transfer function, draw in every mode, turn the volume, and quit through
// "&Beenden". The event loop's result is the exit code, as in the program's
// own entry; a failed check makes it 1. Run under LeakSanitizer or valgrind,
// it shows what the program leaves behind.

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/samplevolumes.h"

#include <QApplication>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

int g_failures = 0;

// Reports a failed step on the test's own standard error (the program's
// console is captured) and carries on, so one run shows every failure.
bool check(bool condition, const std::string& what)
{
    if (!condition) {
        std::fprintf(stderr, "FAIL: %s\n", what.c_str());
        ++g_failures;
    }
    return condition;
}

// A volume with an opaque block in the middle, so every mode draws something.
SampleVolume blockVolume(int width, int height, int depth, uint16_t density)
{
    SampleVolume volume(width, height, depth, 40);
    for (int z = depth / 4; z < depth * 3 / 4; ++z)
        for (int y = height / 4; y < height * 3 / 4; ++y)
            for (int x = width / 4; x < width * 3 / 4; ++x)
                volume.at(x, y, z) = density;
    return volume;
}

// Buttons react to clicks on their indicator or label, at their left.
void clickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

void loadFile(MainWindow& window, const QString& name)
{
    QListWidget* list = window.m_listwidget_fileList;
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    if (!check(items.size() == 1, "the list shows " + name.toStdString()))
        return;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(items.first()).center());
    QTest::mouseClick(window.m_button_fileLoad, Qt::LeftButton);
}

// Answers the colour dialog that a double click opens, from inside its modal
// loop.
void answerColorDialog(const QColor& color)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, color] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        dialog->setCurrentColor(color);
        dialog->accept();
        timer->stop();
        timer->deleteLater();
    });
    timer->start(10);
}

// Draws one frame now and returns what it printed on standard output.
std::string drawFrame(MainWindow& window, ConsoleCapture& console)
{
    console.clear();
    window.m_glWidget->updateGL();
    return console.out();
}

void dragView(GLWidget* view, QPoint from, QPoint to)
{
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
    const QPoint middle = (from + to) / 2;
    for (const QPoint& at : {middle, to}) {
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
}

// The user's session; ends by choosing "&Beenden" from the "&Datei" menu.
void runSession(MainWindow& window, ConsoleCapture& console)
{
    if (!check(QTest::qWaitForWindowExposed(&window), "the window is shown"))
        return QApplication::exit(1);
    GLWidget* view = window.m_glWidget;
    Histogram* histogram = window.m_graphic_view;

    loadFile(window, "engine.dat");
    check(view->volume().width == 24 && view->volume().depth == 16, "engine.dat is loaded");
    loadFile(window, "head.dat");
    check(view->volume().width == 32 && view->volume().height == 40 && view->volume().depth == 20,
          "head.dat replaces it");
    check(histogram->m_histogram == view->volume().histogram.data() &&
              histogram->m_histogram[3000] == 16 * 20 * 10,
          "the histogram shows head.dat");

    // Transfer function: three points, one removed again, one recoloured.
    for (const QPoint& at : {QPoint(60, 190), QPoint(400, 120), QPoint(700, 10)})
        QTest::mouseClick(histogram, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(histogram, Qt::RightButton, Qt::NoModifier, QPoint(400, 120));
    answerColorDialog(QColor(255, 200, 40));
    QTest::mousePress(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    QTest::mouseRelease(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    QTest::mouseDClick(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    QTest::mouseRelease(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    check(histogram->m_controlPoints.size() == 2 &&
              histogram->m_controlPoints[1].color == QColor(255, 200, 40),
          "two points remain, the second recoloured");
    check(view->transferReady(), "the view has a transfer table");

    // Density window through its spin box, typed as a user does.
    QTest::keyClick(window.m_min_density, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.m_min_density, "100");
    QTest::keyClick(window.m_min_density, Qt::Key_Return);
    check(view->m_minDensity == 100, "the density window reaches the view");

    // Ray casting in each mode.
    const struct
    {
        QRadioButton* button;
        int mode;
    } modes[] = {{window.m_radiobutton_average, AverageMode},
                 {window.m_radiobutton_mip, MaximumIntensityMode},
                 {window.m_radiobutton_composite, CompositeMode}};
    for (const auto& mode : modes) {
        clickButton(mode.button);
        check(view->renderMode() == mode.mode, "mode " + std::to_string(mode.mode) + " is set");
        check(drawFrame(window, console).find("x: 0 y: 0\n") == 0,
              "mode " + std::to_string(mode.mode) + " ray casts a frame");
    }

    // A drag turns the volume.
    dragView(view, QPoint(200, 200), QPoint(260, 170));
    check(view->xRotation() == -30 && view->yRotation() == 60, "the drag turns the view");
    check(drawFrame(window, console).find("x: -30 y: 60\n") == 0, "the turned frame is drawn");

    // Slicing on each axis, with the slider moved by a click on its groove.
    clickButton(window.m_checkbox_slicing);
    check(view->isSlicing(), "slicing is on");
    for (QRadioButton* axis :
         {window.m_radiobutton_y_axis, window.m_radiobutton_z_axis, window.m_radiobutton_x_axis}) {
        clickButton(axis);
        QSlider* slider = window.m_Slices;
        const float before = view->slicePosition();
        QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier,
                          QPoint(slider->width() - 4, slider->height() / 2));
        check(view->slicePosition() != before &&
                  view->slicePosition() == float(double(slider->value()) / view->sliceCount()),
              "the slider moves the slice");
        check(drawFrame(window, console).find("x: ") == std::string::npos,
              "a slice frame, not a ray-cast one");
    }
    clickButton(window.m_checkbox_slicing);
    check(!view->isSlicing(), "slicing is off again");
    check(drawFrame(window, console).find("x: -30 y: 60\n") == 0, "ray casting resumes");

    // Quit through the menu, with the mouse.
    QMenuBar* menuBar = window.m_menubar;
    QMenu* menu = window.m_menu_file;
    QTest::mouseClick(menuBar, Qt::LeftButton, Qt::NoModifier,
                      menuBar->actionGeometry(menu->menuAction()).center());
    if (!check(QTest::qWaitForWindowExposed(menu), "the \"&Datei\" menu opens"))
        return QApplication::exit(1);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                      menu->actionGeometry(window.m_action_quit).center());
}

} // namespace

int main(int argc, char* argv[])
{
    TestFolder folder(TestFolder::WithShaders);
    mkdir("dat", 0755);
    if (!writeVolumeFile("dat/head.dat", blockVolume(32, 40, 20, 3000)) ||
        !writeVolumeFile("dat/engine.dat", blockVolume(24, 12, 16, 1500))) {
        std::fprintf(stderr, "FAIL: cannot write the volumes\n");
        return 1;
    }

    int result;
    {
        ConsoleCapture console;
        QApplication application(argc, argv);
        MainWindow window;
        window.show();
        QTimer::singleShot(0, &window, [&window, &console] { runSession(window, console); });
        // Ends a session that the menu failed to end.
        QTimer::singleShot(240000, &application, [] {
            check(false, "the session ends through the menu");
            QApplication::exit(2);
        });
        result = application.exec();
        check(!window.isVisible(), "the window is closed");
    }
    check(result == 0, "the event loop ends with 0, not " + std::to_string(result));
    std::fprintf(stderr, "%s\n", g_failures == 0 ? "Session passed." : "Session failed.");
    return g_failures == 0 ? result : 1;
}
