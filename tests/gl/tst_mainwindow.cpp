// The main window driven as a user drives it: its start state, the controls
// that reach the view, the density window, the axis buttons and the slider,
// the file list and the load command.

#include "app/mainwindow.h"
#include "platform/folderlisting.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <numeric>

namespace {

// The window shown, with its GL initialised; the set-up lines are not this test's business.
std::unique_ptr<MainWindow> shownWindow()
{
    ConsoleCapture quiet;
    std::unique_ptr<MainWindow> window(new MainWindow);
    return ui::show(*window) ? std::move(window) : nullptr;
}

// The density window as the boxes (with their ranges), the histogram and the view hold it.
QString densities(const MainWindow& w)
{
    const QSpinBox *lower = w.m_min_density, *upper = w.m_max_density;
    return QString::asprintf("%d (%d..%d) and %d (%d..%d), histogram %d..%d, view %d..%d",
                             lower->value(), lower->minimum(), lower->maximum(), upper->value(),
                             upper->minimum(), upper->maximum(), w.m_graphic_view->m_minDensity,
                             w.m_graphic_view->m_maxDensity, w.m_glWidget->m_minDensity,
                             w.m_glWidget->m_maxDensity);
}

// A sound window: each box's range excludes the other box's value.
QString soundDensities(int lower, int upper)
{
    return QString::asprintf("%d (0..%d) and %d (%d..4095), histogram %d..%d, view %d..%d", lower,
                             upper - 1, upper, lower + 1, lower, upper, lower, upper);
}

// Loads `name` as the user does; what it printed, one character per byte.
QString load(MainWindow& window, const std::string& name)
{
    ConsoleCapture console;
    if (!ui::load(window, QString::fromLatin1(name.c_str())))
        return "not listed";
    return QString::fromLatin1((console.out() + console.err()).c_str());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    int m_paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        m_paints += event->type() == QEvent::Paint;
        return false;
    }

    // Whether `change` makes the window's view repaint, through the event loop.
    bool viewRepaints(MainWindow& window, const std::function<void()>& change)
    {
        window.m_glWidget->installEventFilter(this);
        QTest::qWait(20);
        m_paints = 0;
        change();
        return QTest::qWaitFor([this] { return m_paints > 0; }, 2000);
    }

private slots:
    void startStateAndFileList()
    {
        TestFolder folder(TestFolder::WithShaders);
        QVERIFY(QDir().mkpath("dat/x.dat") && QDir().mkpath("dat/sub"));
        for (const char* name : {"b.dat", "a.dat", "HEAD.DAT", "z.dat", "notes.txt", "a.dat.bak"})
            folder.write(std::string("dat/") + name, QByteArray());
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("Kastra"));
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
            QCOMPARE(button->isChecked(),
                     button->text() == "x - axis" || button->text() == "Composite");
        QCOMPARE(densities(*window), soundDensities(0, 4095));
        const QSlider* slider = window->m_Slices;
        QCOMPARE(QVector<int>({slider->minimum(), slider->maximum(), slider->value()}),
                 QVector<int>({0, 99, 0}));
        QCOMPARE(window->m_glWidget->slicePosition(), 0.5f); // no slot ran while it was built
        QCOMPARE(window->m_graphic_view->m_renderer, window->m_glWidget);

        // The matching entries in the file system's order, folders and upper case too.
        QStringList shown, listed;
        for (int row = 0; row < window->m_listwidget_fileList->count(); ++row)
            shown << window->m_listwidget_fileList->item(row)->text();
        for (const std::string& name : listFolder("dat", ".dat"))
            listed << QString::fromStdString(name);
        QCOMPARE(shown, listed);
        shown.sort();
        QCOMPARE(shown, QStringList({"HEAD.DAT", "a.dat", "b.dat", "x.dat", "z.dat"}));

        // The window takes every key that reaches it and does nothing with it.
        for (int key : {Qt::Key_Escape, Qt::Key_A, Qt::Key_Space}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(window->centralwidget, &press);
            QVERIFY(press.isAccepted());
        }
        QVERIFY(window->isVisible());
    }

    // Every control reaches the view and repaints it, a click on a checked button too.
    void controlsReachAndRepaintTheView()
    {
        TestFolder folder(TestFolder::WithShaders);
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        GLWidget* view = window->m_glWidget;
        // Before any load and axis click the range is 0..99 and the view's extent is 1.
        QTest::keyClick(window->m_Slices, Qt::Key_Right);
        QCOMPARE(view->slicePosition(), 1.0f);
        QVERIFY(viewRepaints(*window, [&] { QTest::keyClick(window->m_Slices, Qt::Key_Home); }));
        QCOMPARE(view->slicePosition(), 0.0f);

        const char* const captions[] = {"Composite", "Average", "Maximum intensity projection"};
        for (int mode : {AverageMode, MaximumIntensityMode, CompositeMode, CompositeMode}) {
            mode == AverageMode ? view->setMIPMode() : view->setAverageMode();
            QVERIFY(viewRepaints(*window, [&] { QVERIFY(ui::click(*window, captions[mode])); }));
            QCOMPARE(view->renderMode(), mode);
        }
        QVERIFY(viewRepaints(*window, [&] { QVERIFY(ui::click(*window, "Slicing active")); }));
        QVERIFY(view->isSlicing());
        ui::click(window->m_checkbox_slicing);
        QVERIFY(!view->isSlicing());
        for (const char* axis : {"x - axis", "y - axis", "z - axis"})
            QVERIFY(viewRepaints(*window, [&] { QVERIFY(ui::click(*window, axis)); }));
        QVERIFY(viewRepaints(*window, [&] { window->m_min_density->setValue(7); }));
        QVERIFY(viewRepaints(*window, [&] { window->m_max_density->setValue(9); }));
    }

    // One pixel is one degree: vertical moves turn about x, horizontal ones
    // about y, without wrapping. Moves without the left button only follow
    // the cursor, so the next left move measures from there.
    void dragsTurnTheView()
    {
        TestFolder folder(TestFolder::WithShaders);
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        GLWidget* view = window->m_glWidget;
        const auto turn = [view] { return QPoint(view->xRotation(), view->yRotation()); };
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        ui::move(view, QPoint(130, 90), Qt::LeftButton);
        QCOMPARE(turn(), QPoint(-10, 30));
        ui::move(view, QPoint(130, 290), Qt::LeftButton);
        QCOMPARE(turn(), QPoint(190, 30));
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(130, 290));
        ui::drag(view, QPoint(10, 10), QPoint(50, 20), Qt::RightButton);
        QCOMPARE(turn(), QPoint(190, 30));
        ui::move(view, QPoint(55, 27), Qt::LeftButton | Qt::RightButton);
        QCOMPARE(turn(), QPoint(197, 35));
    }

    // Typed as a user does, or driven to the extremes in either order from the start: both start
    // ranges already exclude the other box's value, so no bound ever leaves 0..4095.
    void densityControls()
    {
        TestFolder folder(TestFolder::WithShaders);
        struct Step {
            bool freshWindow;
            char box; // 'L' or 'U' types into the lower or upper box, 'l' or 'u' sets it
            int value, lower, upper;
        };
        const Step steps[] = {
            {true, 'L', 1000, 1000, 4095},  {false, 'U', 500, 1000, 4095}, // below its range
            {false, 'U', 2000, 1000, 2000}, {true, 'l', 4095, 4094, 4095}, {false, 'u', 0, 4094, 4095},
            {false, 'l', -1, 0, 4095},      {false, 'u', 0, 0, 1},         {false, 'l', 9999, 0, 1},
            {true, 'u', 0, 0, 1},           {false, 'l', 4095, 0, 1},      {false, 'u', 4096, 0, 4095}};
        std::unique_ptr<MainWindow> window;
        for (const Step& step : steps) {
            if (step.freshWindow)
                window = shownWindow();
            QVERIFY(window);
            QSpinBox* box = tolower(step.box) == 'l' ? window->m_min_density : window->m_max_density;
            if (isupper(step.box)) {
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(box, QString::number(step.value));
                QTest::keyClick(box, Qt::Key_Return);
            } else {
                box->setValue(step.value);
            }
            QCOMPARE(densities(*window), soundDensities(step.lower, step.upper));
        }
    }

    void axisButtonsSetTheSliderRange()
    {
        TestFolder folder(TestFolder::WithShaders);
        QVERIFY(QDir().mkdir("dat"));
        QVERIFY(writeVolumeFile("dat/v.dat", SampleVolume(256, 200, 113, 1000)));
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        GLWidget* view = window->m_glWidget;
        QSlider* slider = window->m_Slices;

        // Before a load every extent is 1; the checked x button runs its slot too.
        QVERIFY(ui::click(*window, "x - axis"));
        QCOMPARE(slider->maximum(), 1);
        QVERIFY(ui::click(*window, "y - axis"));
        QCOMPARE(view->m_sliceAxis, int(YAxis));

        load(*window, "v.dat");
        QCOMPARE(slider->maximum(), 1); // a load leaves the slider alone
        QVERIFY(ui::click(*window, "z - axis"));
        QCOMPARE(slider->maximum(), 113);
        slider->setValue(56);
        QCOMPARE(view->slicePosition(), float(56.0 / 113.0));
        QVERIFY(ui::click(*window, "y - axis")); // a raised maximum keeps value and position
        QCOMPARE(slider->maximum(), 200);
        QCOMPARE(view->slicePosition(), float(56.0 / 113.0));
        ui::click(window->m_radiobutton_x_axis);
        QCOMPARE(slider->maximum(), 256);

        // A lowered maximum pulls the value down, and the view divides it by the new axis's
        // extent, set before the slider's range.
        slider->setValue(200);
        ui::click(window->m_radiobutton_z_axis);
        QCOMPARE(slider->value(), 113);
        QCOMPARE(view->slicePosition(), 1.0f);
    }

    // The path is "dat/" + the name's bytes; the view's counts are refilled in place and the
    // points cleared; a listed folder fails and keeps the volume; nothing selected, nothing done.
    void loadCommand()
    {
        TestFolder folder(TestFolder::WithShaders);
        const std::string latin1 = "k\xf6pfe.dat"; // ö as one Latin-1 byte
        QVERIFY(QDir().mkpath("dat/x.dat"));
        QVERIFY(writeVolumeFile("dat/head.dat", SampleVolume(8, 6, 4, 700)));
        QVERIFY(writeVolumeFile("dat/" + latin1, SampleVolume(3, 3, 3, 4095)));
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        Histogram* histogram = window->m_graphic_view;
        const int32_t* counts = window->m_glWidget->volume().histogram.data();
        const std::vector<ControlPoint> points = {{QColor(), 10, 20}};

        histogram->m_controlPoints = points;
        QCOMPARE(load(*window, ""), QString());
        window->m_listwidget_fileList->setCurrentRow(0, QItemSelectionModel::Deselect);
        QCOMPARE(load(*window, ""), QString()); // a current row that is not selected
        QVERIFY(!histogram->m_histogram);
        QCOMPARE(histogram->m_controlPoints.size(), size_t(1));

        struct Load {
            std::string name;
            bool fails;
            int width, bin, samples;
        } loads[] = {{"head.dat", false, 8, 700, 8 * 6 * 4},
                     {latin1, false, 3, 4095, 27},
                     {"x.dat", true, 3, 4095, 27}};
        for (const Load& expected : loads) {
            histogram->m_controlPoints = points;
            const QString printed = load(*window, expected.name);
            QVERIFY2(printed.startsWith(QString::fromLatin1(
                         ("- Loading file 'dat/" + expected.name + "' ... \n").c_str())),
                     qPrintable(printed));
            QCOMPARE(printed.endsWith("+ Error loading file.\n\n"), expected.fails);
            QCOMPARE(window->m_glWidget->volume().width, expected.width);
            QCOMPARE(histogram->m_histogram, counts);
            QCOMPARE(counts[expected.bin], expected.samples);
            QCOMPARE(std::accumulate(counts, counts + kDensityCount, 0), expected.samples);
            QVERIFY(histogram->m_controlPoints.empty());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
