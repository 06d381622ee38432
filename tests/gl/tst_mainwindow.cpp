#include "app/mainwindow.h"
#include "platform/folderlisting.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "volume/volumewriter.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <cctype>
#include <memory>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

struct FormRow
{
    const char* name;
    const char* className;
    const char* parent;
    QRect geometry;      // null where the form sets none
    const char* caption; // text, title or window title; null where the form sets none
};

// Every object of the form, in the order the form creates them.
const FormRow kForm[] = {
    {"m_action_quit", "QAction", "MainWindow", {}, "&Beenden"},
    {"centralwidget", "QWidget", "MainWindow", {0, 39, 800, 902}, nullptr},
    {"m_group_loadFiles", "QGroupBox", "centralwidget", {10, 10, 241, 181}, "Volume"},
    {"m_button_fileLoad", "QPushButton", "m_group_loadFiles", {10, 150, 221, 25}, "Datei Laden"},
    {"m_listwidget_fileList", "QListWidget", "m_group_loadFiles", {10, 20, 221, 121}, nullptr},
    {"m_glWidget", "GLWidget", "centralwidget", {10, 400, 700, 500}, nullptr},
    {"m_graphic_view", "Histogram", "centralwidget", {20, 200, 771, 200}, nullptr},
    {"label", "QLabel", "centralwidget", {270, 20, 81, 18}, "min. density"},
    {"label_2", "QLabel", "centralwidget", {270, 50, 81, 18}, "max. density"},
    {"m_min_density", "QSpinBox", "centralwidget", {360, 20, 81, 23}, nullptr},
    {"m_max_density", "QSpinBox", "centralwidget", {360, 50, 81, 23}, nullptr},
    {"m_checkbox_slicing", "QCheckBox", "centralwidget", {270, 80, 161, 21}, "Slicing active"},
    {"m_radiobutton_x_axis", "QRadioButton", "centralwidget", {270, 110, 171, 21}, "x - axis"},
    {"m_radiobutton_y_axis", "QRadioButton", "centralwidget", {270, 140, 171, 21}, "y - axis"},
    {"m_radiobutton_z_axis", "QRadioButton", "centralwidget", {270, 170, 171, 21}, "z - axis"},
    {"m_Slices", "QSlider", "centralwidget", {550, 20, 160, 19}, nullptr},
    {"label_3", "QLabel", "centralwidget", {450, 20, 81, 18}, "Slices"},
    {"m_groupbox_mode", "QGroupBox", "centralwidget", {450, 50, 261, 101}, "Mode"},
    {"m_radiobutton_composite", "QRadioButton", "m_groupbox_mode", {10, 20, 96, 21}, "Composite"},
    {"m_radiobutton_average", "QRadioButton", "m_groupbox_mode", {10, 50, 96, 21}, "Average"},
    {"m_radiobutton_mip",
     "QRadioButton",
     "m_groupbox_mode",
     {10, 80, 231, 21},
     "Maximum intensity projection"},
    {"m_menubar", "QMenuBar", "MainWindow", {0, 0, 800, 27}, nullptr},
    {"m_menu_file", "QMenu", "m_menubar", {}, "&Datei"},
    {"statusbar", "QStatusBar", "MainWindow", {0, 941, 800, 26}, nullptr},
    {"toolBar", "QToolBar", "MainWindow", {0, 27, 12, 12}, "toolBar"},
    {"toolBar_2", "QToolBar", "MainWindow", {12, 27, 12, 12}, "toolBar_2"},
    {"toolBar_3", "QToolBar", "MainWindow", {24, 27, 12, 12}, "toolBar_3"},
    {"toolBar_4", "QToolBar", "MainWindow", {36, 27, 12, 12}, "toolBar_4"},
    {"toolBar_5", "QToolBar", "MainWindow", {48, 27, 12, 12}, "toolBar_5"},
    {"toolBar_6", "QToolBar", "MainWindow", {60, 27, 12, 12}, "toolBar_6"},
    {"toolBar_7", "QToolBar", "MainWindow", {72, 27, 728, 12}, "toolBar_7"},
};

const std::string kLatin1Name = "k\xf6pfe.dat"; // ö as one Latin-1 byte

// The window shown, with its GL initialised; the set-up lines are not this test's business.
std::unique_ptr<MainWindow> shownWindow()
{
    ConsoleCapture quiet;
    std::unique_ptr<MainWindow> window(new MainWindow);
    window->show();
    return QTest::qWaitForWindowExposed(window.get()) ? std::move(window) : nullptr;
}

// Buttons take clicks on their indicator or label only, at the left of these wide widgets.
void clickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
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

// Clicks the item `name` (none when empty) and presses "Datei Laden"; returns what the load
// printed on standard output and error, one character per byte.
QStringList load(MainWindow& window, const std::string& name)
{
    QListWidget* list = window.m_listwidget_fileList;
    const auto items = list->findItems(QString::fromLatin1(name.c_str()), Qt::MatchExactly);
    if (!items.isEmpty())
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items.first()).center());
    ConsoleCapture console;
    QTest::mouseClick(window.m_button_fileLoad, Qt::LeftButton);
    return {QString::fromLatin1(console.out().c_str()), QString::fromLatin1(console.err().c_str())};
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void formAndStartState();
    void quitEntryEndsTheEventLoop();
    void modeSlicingAndSliderReachTheView();
    void densityControls();
    void axisButtonsSetTheSliderRange();
    void loadCommandAndScreenshot();
    void fileList_data();
    void fileList();
};

void TestMainWindow::formAndStartState()
{
    TestFolder folder(TestFolder::WithShaders);
    MainWindow window;

    // As built, before the window's layout places its own parts.
    QCOMPARE(window.size(), QSize(800, 967));
    QCOMPARE(window.windowTitle(), QString("Kastra"));
    for (const FormRow& row : kForm) {
        const QObject* object = window.findChild<QObject*>(row.name);
        QVERIFY2(object, row.name);
        QCOMPARE(object->metaObject()->className(), row.className);
        QCOMPARE(object->parent()->objectName(), QString(row.parent));
        if (!row.geometry.isNull())
            QCOMPARE(qobject_cast<const QWidget*>(object)->geometry(), row.geometry);
        const char* property = "windowTitle";
        for (const char* candidate : {"title", "text"})
            if (object->metaObject()->indexOfProperty(candidate) >= 0)
                property = candidate;
        if (row.caption)
            QCOMPARE(object->property(property).toString(), QString(row.caption));
    }
    QVERIFY(window.centralWidget() == window.centralwidget &&
            window.menuBar() == window.m_menubar && window.statusBar() == window.statusbar);
    QCOMPARE(window.m_menubar->actions(), QList<QAction*>{window.m_menu_file->menuAction()});
    QCOMPARE(window.m_menu_file->actions(), QList<QAction*>{window.m_action_quit});
    for (QToolBar* toolBar : window.findChildren<QToolBar*>())
        QCOMPARE(window.toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(window.m_glWidget->sizePolicy() ==
            QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding));
    QCOMPARE(window.m_graphic_view->m_renderer, window.m_glWidget);
    QVERIFY(!window.m_graphic_view->m_histogram);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const QAbstractButton* button : window.centralwidget->findChildren<QAbstractButton*>())
        QCOMPARE(button->isChecked(),
                 button == window.m_radiobutton_x_axis || button == window.m_radiobutton_composite);
    QCOMPARE(densities(window), soundDensities(0, 4095));
    QCOMPARE(window.m_Slices->orientation(), Qt::Horizontal);
    QCOMPARE(window.m_Slices->minimum(), 0);
    QCOMPARE(window.m_Slices->maximum(), 99);
    QCOMPARE(window.m_Slices->value(), 0);
    QCOMPARE(window.m_listwidget_fileList->count(), 0);
    QVERIFY(!window.m_listwidget_fileList->isSortingEnabled());
    QCOMPARE(window.m_listwidget_fileList->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(window.m_glWidget->slicePosition(), 0.5f); // no slot ran while the form was built

    // There is no layout: enlarging the window moves no control.
    window.resize(1200, 1000);
    QTRY_COMPARE(window.centralwidget->width(), 1200);
    for (const FormRow& row : kForm)
        if (qstrcmp(row.parent, "MainWindow") != 0 && !row.geometry.isNull())
            QCOMPARE(window.findChild<QWidget*>(row.name)->geometry(), row.geometry);

    // A widget hands a key it ignores to its parent; the window takes every key and does nothing.
    for (QWidget* target : {static_cast<QWidget*>(&window), window.centralwidget}) {
        for (int key : {Qt::Key_Escape, Qt::Key_A, Qt::Key_Space, Qt::Key_Up}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QVERIFY(press.isAccepted());
        }
    }
    QVERIFY(window.isVisible());
}

// "&Beenden", chosen with the mouse from the opened "&Datei" menu, closes the last window.
void TestMainWindow::quitEntryEndsTheEventLoop()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    QTimer::singleShot(20000, window.get(), [] { QCoreApplication::exit(99); }); // should it fail
    bool menuOpened = false;
    QTimer::singleShot(0, window.get(), [&] {
        QMenu* menu = window->m_menu_file;
        QTest::mouseClick(window->m_menubar, Qt::LeftButton, Qt::NoModifier,
                          window->m_menubar->actionGeometry(menu->menuAction()).center());
        menuOpened = QTest::qWaitForWindowExposed(menu);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(window->m_action_quit).center());
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(menuOpened);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::modeSlicingAndSliderReachTheView()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    GLWidget* view = window->m_glWidget;

    // Every click runs the slot, a click on the checked button too.
    QAbstractButton* const modeButtons[] = {window->m_radiobutton_composite,
                                            window->m_radiobutton_average,
                                            window->m_radiobutton_mip}; // in RenderMode order
    for (int mode : {AverageMode, MaximumIntensityMode, CompositeMode, CompositeMode}) {
        mode == AverageMode ? view->setMIPMode() : view->setAverageMode();
        clickButton(modeButtons[mode]);
        QCOMPARE(view->renderMode(), mode);
    }

    clickButton(window->m_checkbox_slicing);
    QVERIFY(window->m_checkbox_slicing->isChecked() && view->isSlicing());
    clickButton(window->m_checkbox_slicing);
    QVERIFY(!view->isSlicing());

    // Before any load and axis click the range is still 0..99 and the view's extent is 1.
    QTest::keyClick(window->m_Slices, Qt::Key_Right);
    QCOMPARE(view->slicePosition(), 1.0f);
    QTest::keyClick(window->m_Slices, Qt::Key_Home);
    QCOMPARE(view->slicePosition(), 0.0f);
}

// Typed as a user does, or driven to the extremes in either order from the start: both start
// ranges already exclude the other box's value, so no bound ever leaves 0..4095.
void TestMainWindow::densityControls()
{
    TestFolder folder(TestFolder::WithShaders);
    struct Step
    {
        bool freshWindow;
        char box; // 'L' or 'U' types into the lower or upper box, 'l' or 'u' sets it
        int value, lower, upper;
    };
    const Step steps[] = {
        {true, 'L', 1000, 1000, 4095},  {false, 'U', 500, 1000, 4095}, // below its range
        {false, 'U', 2000, 1000, 2000}, {true, 'l', 4095, 4094, 4095}, {false, 'u', 0, 4094, 4095},
        {false, 'l', -1, 0, 4095},      {false, 'u', 0, 0, 1},         {false, 'l', 9999, 0, 1},
        {true, 'u', 0, 0, 1},           {false, 'l', 4095, 0, 1},      {false, 'u', 4096, 0, 4095},
        {false, 'l', 4095, 4094, 4095}, {false, 'u', -1, 4094, 4095}};
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

void TestMainWindow::axisButtonsSetTheSliderRange()
{
    TestFolder folder(TestFolder::WithShaders);
    QVERIFY(QDir().mkdir("dat"));
    QVERIFY(writeVolumeFile("dat/head.dat", SampleVolume(256, 256, 113, 1000)));
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    GLWidget* view = window->m_glWidget;
    QSlider* slider = window->m_Slices;

    // Before a load every extent is 1; the checked x button runs its slot too.
    clickButton(window->m_radiobutton_x_axis);
    QCOMPARE(slider->maximum(), 1);
    clickButton(window->m_radiobutton_y_axis);
    QCOMPARE(view->m_sliceAxis, int(YAxis));

    load(*window, "head.dat");
    QCOMPARE(slider->maximum(), 1); // a load leaves the slider alone
    clickButton(window->m_radiobutton_z_axis);
    QCOMPARE(slider->maximum(), 113);
    slider->setValue(56);
    QCOMPARE(view->slicePosition(), float(56.0 / 113.0));

    clickButton(window->m_radiobutton_y_axis); // a raised maximum keeps value and position
    QCOMPARE(slider->maximum(), 256);
    QCOMPARE(view->slicePosition(), float(56.0 / 113.0));

    // A lowered maximum pulls the value down, and the view divides it by the new axis's
    // extent, set before the slider's range.
    slider->setValue(200);
    clickButton(window->m_radiobutton_z_axis);
    QCOMPARE(slider->value(), 113);
    QCOMPARE(view->slicePosition(), 1.0f);
}

void TestMainWindow::loadCommandAndScreenshot()
{
    TestFolder folder(TestFolder::WithShaders);
    QVERIFY(QDir().mkpath("dat/x.dat"));
    QVERIFY(writeVolumeFile("dat/head.dat", SampleVolume(8, 6, 4, 700)));
    QVERIFY(writeVolumeFile("dat/" + kLatin1Name, SampleVolume(3, 3, 3, 4095)));
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    Histogram* histogram = window->m_graphic_view;
    const GLWidget* view = window->m_glWidget;
    const int32_t* counts = view->volume().histogram.data();
    const std::vector<ControlPoint> points = {{QColor(), 10, 20}};

    // The started window as the X server shows it, for a look by eye.
    QTest::qWait(300);
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
    QCOMPARE(image.size(), window->size());
    TestView::saveArtefact(image, "mainwindow");

    // No selection, nor a current row that is not selected: nothing happens, nothing prints.
    histogram->m_controlPoints = points;
    QCOMPARE(load(*window, ""), QStringList({"", ""}));
    window->m_listwidget_fileList->setCurrentRow(0, QItemSelectionModel::Deselect);
    QCOMPARE(load(*window, ""), QStringList({"", ""}));
    QVERIFY(!histogram->m_histogram);
    QCOMPARE(histogram->m_controlPoints.size(), size_t(1));

    // The path is "dat/" + the name's bytes; the view's counts are refilled in place (all
    // samples in one bin); a listed folder fails, keeping the volume, and the rest still runs.
    struct Load
    {
        std::string name;
        QString err;
        int width, bin, samples;
    } loads[] = {{"head.dat", "", 8, 700, 8 * 6 * 4},
                 {kLatin1Name, "", 3, 4095, 27},
                 {"x.dat", "+ Error loading file.\n\n", 3, 4095, 27}};
    for (const Load& expected : loads) {
        histogram->m_controlPoints = points;
        const QStringList printed = load(*window, expected.name);
        const QString path = QString::fromLatin1(("dat/" + expected.name).c_str());
        QVERIFY2(printed[0].startsWith("- Loading file '" + path + "' ... \n"),
                 qPrintable(printed[0]));
        QCOMPARE(printed[0].contains("- File loaded.\n"), expected.err.isEmpty());
        QCOMPARE(printed[1], expected.err);
        QCOMPARE(view->volume().width, expected.width);
        QCOMPARE(histogram->m_histogram, counts);
        QCOMPARE(counts[expected.bin], expected.samples);
        QCOMPARE(std::accumulate(counts, counts + kDensityCount, 0), expected.samples);
        QVERIFY(histogram->m_controlPoints.empty());
    }
}

void TestMainWindow::fileList_data()
{
    QTest::addColumn<QStringList>("entries"); // a trailing slash makes a folder
    QTest::addColumn<QStringList>("listed");  // sorted
    QTest::newRow("no dat folder") << QStringList() << QStringList();
    QTest::newRow("empty dat folder") << QStringList({"dat/"}) << QStringList();
    QTest::newRow("nothing matches")
        << QStringList({"dat/readme.txt", "dat/head.dat.bak", "dat/dat"}) << QStringList();
    QTest::newRow("folder and upper case")
        << QStringList({"dat/b.dat", "dat/a.dat", "dat/HEAD.DAT", "dat/z.dat", "dat/m.dat",
                        "dat/x.dat/", "dat/notes.txt"})
        << QStringList({"HEAD.DAT", "a.dat", "b.dat", "m.dat", "x.dat", "z.dat"});
}

void TestMainWindow::fileList()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, listed);
    TestFolder folder(TestFolder::WithShaders);
    for (const QString& entry : entries) {
        if (entry.endsWith('/'))
            QVERIFY(QDir().mkpath(entry));
        else
            folder.write(entry.toStdString(), QByteArray());
    }
    ConsoleCapture console;
    MainWindow window;
    QStringList shown, listingOrder;
    for (int row = 0; row < window.m_listwidget_fileList->count(); ++row)
        shown << window.m_listwidget_fileList->item(row)->text();
    for (const std::string& name : listFolder("dat", ".dat"))
        listingOrder << QString::fromStdString(name);
    QCOMPARE(shown, listingOrder); // the file system's order, not a sorted one
    shown.sort();
    QCOMPARE(shown, listed);
    QCOMPARE(QString::fromStdString(console.out() + console.err()), QString());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
