// A whole session with the real application object and main window, from start to "&Beenden".
// The event loop's result is the exit code, as in the program's own entry; a failed check makes
// it 1. Under LeakSanitizer or valgrind it shows what the program leaves behind.

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>

namespace {

int g_failures = 0;

// Reports a failure on the real standard error and carries on, so one run shows every failure.
bool check(bool condition, const std::string& what)
{
    if (!condition) {
        std::fprintf(stderr, "FAIL: %s\n", what.c_str());
        ++g_failures;
    }
    return condition;
}

// Name, extents, and the density of an opaque block in the middle half that every mode draws.
const std::tuple<const char*, int, int, int, uint16_t> kVolumes[] = {
    {"engine.dat", 24, 12, 16, 1500}, {"head.dat", 32, 40, 20, 3000}};

// Buttons react to clicks on their indicator or label, at their left.
void clickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

// The user's session; ends by choosing "&Beenden" from the "&Datei" menu.
void runSession(MainWindow& window, ConsoleCapture& console)
{
    if (!check(QTest::qWaitForWindowExposed(&window), "the window is shown"))
        return QApplication::exit(1);
    GLWidget* view = window.m_glWidget;
    Histogram* histogram = window.m_graphic_view;
    // Draws one frame now and returns what it printed on standard output.
    const auto frame = [&] {
        console.clear();
        view->updateGL();
        return console.out();
    };

    for (const auto& [name, width, height, depth, density] : kVolumes) {
        QListWidget* list = window.m_listwidget_fileList;
        const auto items = list->findItems(name, Qt::MatchExactly);
        if (!check(items.size() == 1, std::string("the list shows ") + name))
            continue;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items[0]).center());
        QTest::mouseClick(window.m_button_fileLoad, Qt::LeftButton);
        const VolumeData& volume = view->volume();
        check(volume.width == width && volume.height == height && volume.depth == depth &&
                  histogram->m_histogram == volume.histogram.data() &&
                  histogram->m_histogram[density] == width * height * depth / 8,
              std::string(name) + " is loaded and its histogram shown");
    }

    // Transfer function: three points, one removed again, one recoloured
    // through the colour dialog that a double click opens.
    for (const QPoint& at : {QPoint(60, 190), QPoint(400, 120), QPoint(700, 10)})
        QTest::mouseClick(histogram, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(histogram, Qt::RightButton, Qt::NoModifier, QPoint(400, 120));
    QTimer answer; // answers the dialog from inside its modal loop
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            dialog->setCurrentColor(QColor(255, 200, 40));
            dialog->accept();
        }
    });
    answer.start(10);
    QTest::mousePress(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    QTest::mouseRelease(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    QTest::mouseDClick(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    QTest::mouseRelease(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(700, 10));
    check(histogram->m_controlPoints.size() == 2 &&
              histogram->m_controlPoints[1].color == QColor(255, 200, 40) && view->transferReady(),
          "two points remain, the second recoloured, and the view has their table");

    // Density window through its spin box, typed as a user does.
    QTest::keyClick(window.m_min_density, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.m_min_density, "100");
    QTest::keyClick(window.m_min_density, Qt::Key_Return);
    check(view->m_minDensity == 100, "the density window reaches the view");

    // Ray casting in each mode.
    const std::pair<QRadioButton*, int> modes[] = {{window.m_radiobutton_average, AverageMode},
                                                   {window.m_radiobutton_mip, MaximumIntensityMode},
                                                   {window.m_radiobutton_composite, CompositeMode}};
    for (const auto& mode : modes) {
        clickButton(mode.first);
        check(view->renderMode() == mode.second && frame().find("x: 0 y: 0\n") == 0,
              "mode " + std::to_string(mode.second) + " is set and ray casts a frame");
    }

    // A drag turns the volume.
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    for (const QPoint& at : {QPoint(230, 185), QPoint(260, 170)}) {
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(260, 170));
    check(view->xRotation() == -30 && view->yRotation() == 60 &&
              frame().find("x: -30 y: 60\n") == 0,
          "the drag turns the view and its frame");

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
        check(frame().find("x: ") == std::string::npos, "a slice frame, not a ray-cast one");
    }
    clickButton(window.m_checkbox_slicing);
    check(!view->isSlicing() && frame().find("x: -30 y: 60\n") == 0, "ray casting resumes");

    // Quit through the menu, with the mouse.
    QMenu* menu = window.m_menu_file;
    QTest::mouseClick(window.m_menubar, Qt::LeftButton, Qt::NoModifier,
                      window.m_menubar->actionGeometry(menu->menuAction()).center());
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
    for (const auto& [name, width, height, depth, density] : kVolumes) {
        SampleVolume volume(width, height, depth, 40);
        for (int z = depth / 4; z < depth * 3 / 4; ++z)
            for (int y = height / 4; y < height * 3 / 4; ++y)
                for (int x = width / 4; x < width * 3 / 4; ++x)
                    volume.at(x, y, z) = density;
        if (!check(writeVolumeFile(std::string("dat/") + name, volume), "a volume is written"))
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
