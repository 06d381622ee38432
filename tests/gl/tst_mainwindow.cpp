#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/samplevolumes.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct FormRow
{
    const char* name;
    const char* className;
    const char* parent;
    QRect geometry;
};

// The controls inside the central widget, in the order the form creates them.
const FormRow kControls[] = {
    {"m_group_loadFiles", "QGroupBox", "centralwidget", {10, 10, 241, 181}},
    {"m_button_fileLoad", "QPushButton", "m_group_loadFiles", {10, 150, 221, 25}},
    {"m_listwidget_fileList", "QListWidget", "m_group_loadFiles", {10, 20, 221, 121}},
    {"m_glWidget", "GLWidget", "centralwidget", {10, 400, 700, 500}},
    {"m_graphic_view", "Histogram", "centralwidget", {20, 200, 771, 200}},
    {"label", "QLabel", "centralwidget", {270, 20, 81, 18}},
    {"label_2", "QLabel", "centralwidget", {270, 50, 81, 18}},
    {"m_min_density", "QSpinBox", "centralwidget", {360, 20, 81, 23}},
    {"m_max_density", "QSpinBox", "centralwidget", {360, 50, 81, 23}},
    {"m_checkbox_slicing", "QCheckBox", "centralwidget", {270, 80, 161, 21}},
    {"m_radiobutton_x_axis", "QRadioButton", "centralwidget", {270, 110, 171, 21}},
    {"m_radiobutton_y_axis", "QRadioButton", "centralwidget", {270, 140, 171, 21}},
    {"m_radiobutton_z_axis", "QRadioButton", "centralwidget", {270, 170, 171, 21}},
    {"m_Slices", "QSlider", "centralwidget", {550, 20, 160, 19}},
    {"label_3", "QLabel", "centralwidget", {450, 20, 81, 18}},
    {"m_groupbox_mode", "QGroupBox", "centralwidget", {450, 50, 261, 101}},
    {"m_radiobutton_composite", "QRadioButton", "m_groupbox_mode", {10, 20, 96, 21}},
    {"m_radiobutton_average", "QRadioButton", "m_groupbox_mode", {10, 50, 96, 21}},
    {"m_radiobutton_mip", "QRadioButton", "m_groupbox_mode", {10, 80, 231, 21}},
};

// The window's own parts; the main window's layout moves these once shown.
const FormRow kWindowParts[] = {
    {"centralwidget", "QWidget", "MainWindow", {0, 39, 800, 902}},
    {"m_menubar", "QMenuBar", "MainWindow", {0, 0, 800, 27}},
    {"statusbar", "QStatusBar", "MainWindow", {0, 941, 800, 26}},
    {"toolBar", "QToolBar", "MainWindow", {0, 27, 12, 12}},
    {"toolBar_2", "QToolBar", "MainWindow", {12, 27, 12, 12}},
    {"toolBar_3", "QToolBar", "MainWindow", {24, 27, 12, 12}},
    {"toolBar_4", "QToolBar", "MainWindow", {36, 27, 12, 12}},
    {"toolBar_5", "QToolBar", "MainWindow", {48, 27, 12, 12}},
    {"toolBar_6", "QToolBar", "MainWindow", {60, 27, 12, 12}},
    {"toolBar_7", "QToolBar", "MainWindow", {72, 27, 728, 12}},
};

QStringList childWidgetNames(const QObject* parent)
{
    QStringList names;
    for (const QObject* child : parent->children())
        if (child->isWidgetType())
            names << child->objectName();
    return names;
}

std::unique_ptr<MainWindow> shownWindow()
{
    std::unique_ptr<MainWindow> window(new MainWindow);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

// Buttons react only to clicks on their indicator or label, which sit at the
// left of these wide, fixed-size widgets.
void clickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

// Replaces a spin box's text by typing, as a user does, and confirms it.
void typeValue(QSpinBox* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// The density window as the histogram and the view see it, and both spin
// boxes' ranges excluding the other box's value.
bool densityWindowIsSound(const MainWindow& window)
{
    const Histogram* histogram = window.m_graphic_view;
    const GLWidget* view = window.m_glWidget;
    const int lower = window.m_min_density->value(), upper = window.m_max_density->value();
    return 0 <= lower && lower < upper && upper <= kMaxDensity &&
           histogram->m_minDensity == lower && histogram->m_maxDensity == upper &&
           view->m_minDensity == lower && view->m_maxDensity == upper &&
           window.m_min_density->minimum() == 0 && window.m_min_density->maximum() == upper - 1 &&
           window.m_max_density->minimum() == lower + 1 &&
           window.m_max_density->maximum() == kMaxDensity;
}

QString describeDensities(const MainWindow& window)
{
    return QString("boxes %1 (%2..%3) and %4 (%5..%6), histogram %7..%8, view %9..%10")
        .arg(window.m_min_density->value())
        .arg(window.m_min_density->minimum())
        .arg(window.m_min_density->maximum())
        .arg(window.m_max_density->value())
        .arg(window.m_max_density->minimum())
        .arg(window.m_max_density->maximum())
        .arg(window.m_graphic_view->m_minDensity)
        .arg(window.m_graphic_view->m_maxDensity)
        .arg(window.m_glWidget->m_minDensity)
        .arg(window.m_glWidget->m_maxDensity);
}

void makeFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.c_str());
    close(fd);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void formAsBuilt();
    void startStateOnScreen();
    void quitEntryEndsTheEventLoop();
    void modeAndSlicingReachTheView();
    void densityBoxesExcludeEachOther();
    void densityExtremesInAnyOrder();
    void axisButtonsSetTheSliderRange();
    void fileListEmpty_data();
    void fileListEmpty();
    void fileListFollowsTheListing();
    void keyPressesAreSwallowed();
    void screenshot();
};

// Straight after construction, before the window's layout has run: every
// widget of the form with its class, parent, geometry and creation order.
void TestMainWindow::formAsBuilt()
{
    TestFolder folder(TestFolder::WithShaders);
    MainWindow window;

    QCOMPARE(window.objectName(), QString("MainWindow"));
    QCOMPARE(window.size(), QSize(800, 967));
    QVERIFY(window.windowFlags() & Qt::Window);
    QVERIFY(!window.parent());
    QCOMPARE(window.qt_metacast("Ui_MainWindow"),
             static_cast<void*>(static_cast<Ui_MainWindow*>(&window)));

    for (const FormRow& row : kControls) {
        const QWidget* widget = window.findChild<QWidget*>(row.name);
        QVERIFY2(widget, row.name);
        QCOMPARE(widget->metaObject()->className(), row.className);
        QCOMPARE(widget->parent()->objectName(), QString(row.parent));
        QCOMPARE(widget->geometry(), row.geometry);
    }
    for (const FormRow& row : kWindowParts) {
        const QWidget* widget = window.findChild<QWidget*>(row.name);
        QVERIFY2(widget, row.name);
        QCOMPARE(widget->metaObject()->className(), row.className);
        QCOMPARE(widget->parent(), &window);
        QCOMPARE(widget->geometry(), row.geometry);
    }
    QCOMPARE(window.m_action_quit->objectName(), QString("m_action_quit"));
    QCOMPARE(window.m_action_quit->parent(), &window);
    QCOMPARE(window.m_menu_file->objectName(), QString("m_menu_file"));
    QCOMPARE(window.m_menu_file->parent(), window.m_menubar);

    QCOMPARE(childWidgetNames(window.centralwidget),
             QStringList({"m_group_loadFiles", "m_glWidget", "m_graphic_view", "label", "label_2",
                          "m_min_density", "m_max_density", "m_checkbox_slicing",
                          "m_radiobutton_x_axis", "m_radiobutton_y_axis", "m_radiobutton_z_axis",
                          "m_Slices", "label_3", "m_groupbox_mode"}));
    QCOMPARE(childWidgetNames(window.m_group_loadFiles),
             QStringList({"m_button_fileLoad", "m_listwidget_fileList"}));
    QCOMPARE(
        childWidgetNames(window.m_groupbox_mode),
        QStringList({"m_radiobutton_composite", "m_radiobutton_average", "m_radiobutton_mip"}));

    QCOMPARE(window.centralWidget(), window.centralwidget);
    QCOMPARE(window.menuBar(), window.m_menubar);
    QCOMPARE(window.statusBar(), window.statusbar);
    QCOMPARE(window.m_menubar->actions(), QList<QAction*>{window.m_menu_file->menuAction()});
    QCOMPARE(window.m_menu_file->actions(), QList<QAction*>{window.m_action_quit});
    const QList<QToolBar*> toolBars = {window.toolBar,   window.toolBar_2, window.toolBar_3,
                                       window.toolBar_4, window.toolBar_5, window.toolBar_6,
                                       window.toolBar_7};
    for (QToolBar* toolBar : toolBars) {
        QCOMPARE(window.toolBarArea(toolBar), Qt::TopToolBarArea);
        QVERIFY(toolBar->actions().isEmpty());
        QCOMPARE(toolBar->windowTitle(), toolBar->objectName());
    }

    const QSizePolicy policy = window.m_glWidget->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(policy.verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(policy.horizontalStretch(), 0);
    QCOMPARE(policy.verticalStretch(), 0);

    QCOMPARE(window.m_graphic_view->m_renderer, window.m_glWidget);
    QVERIFY(!window.m_graphic_view->m_histogram);
}

void TestMainWindow::startStateOnScreen()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);

    QCOMPARE(window->windowTitle(), QString("Kastra"));
    QCOMPARE(window->m_action_quit->text(), QString("&Beenden"));
    QCOMPARE(window->m_menu_file->title(), QString("&Datei"));
    QCOMPARE(window->m_group_loadFiles->title(), QString("Volume"));
    QCOMPARE(window->m_button_fileLoad->text(), QString("Datei Laden"));
    QCOMPARE(window->label->text(), QString("min. density"));
    QCOMPARE(window->label_2->text(), QString("max. density"));
    QCOMPARE(window->m_checkbox_slicing->text(), QString("Slicing active"));
    QCOMPARE(window->m_radiobutton_x_axis->text(), QString("x - axis"));
    QCOMPARE(window->m_radiobutton_y_axis->text(), QString("y - axis"));
    QCOMPARE(window->m_radiobutton_z_axis->text(), QString("z - axis"));
    QCOMPARE(window->label_3->text(), QString("Slices"));
    QCOMPARE(window->m_groupbox_mode->title(), QString("Mode"));
    QCOMPARE(window->m_radiobutton_composite->text(), QString("Composite"));
    QCOMPARE(window->m_radiobutton_average->text(), QString("Average"));
    QCOMPARE(window->m_radiobutton_mip->text(), QString("Maximum intensity projection"));

    QVERIFY(window->m_radiobutton_x_axis->isChecked());
    QVERIFY(!window->m_radiobutton_y_axis->isChecked());
    QVERIFY(!window->m_radiobutton_z_axis->isChecked());
    QVERIFY(window->m_radiobutton_composite->isChecked());
    QVERIFY(!window->m_radiobutton_average->isChecked());
    QVERIFY(!window->m_radiobutton_mip->isChecked());
    QVERIFY(!window->m_checkbox_slicing->isChecked());

    QCOMPARE(window->m_min_density->value(), 0);
    QCOMPARE(window->m_max_density->value(), 4095);
    QVERIFY(densityWindowIsSound(*window));
    QCOMPARE(window->m_min_density->maximum(), 4094);
    QCOMPARE(window->m_max_density->minimum(), 1);

    QCOMPARE(window->m_Slices->orientation(), Qt::Horizontal);
    QCOMPARE(window->m_Slices->minimum(), 0);
    QCOMPARE(window->m_Slices->maximum(), 99);
    QCOMPARE(window->m_Slices->value(), 0);

    QCOMPARE(window->m_listwidget_fileList->count(), 0);
    QVERIFY(!window->m_listwidget_fileList->isSortingEnabled());
    QCOMPARE(window->m_listwidget_fileList->selectionMode(), QAbstractItemView::SingleSelection);

    // No slot ran while the form was built: the view is as constructed.
    const GLWidget* view = window->m_glWidget;
    QCOMPARE(view->m_sliceAxis, int(XAxis));
    QCOMPARE(view->slicePosition(), 0.5f);
    QCOMPARE(view->renderMode(), int(CompositeMode));
    QVERIFY(!view->isSlicing());

    // Enlarging the window moves no control: there is no layout.
    window->resize(1200, 1000);
    QTRY_COMPARE(window->centralwidget->width(), 1200);
    for (const FormRow& row : kControls)
        QCOMPARE(window->findChild<QWidget*>(row.name)->geometry(), row.geometry);
}

// "&Beenden" in the "&Datei" menu, opened and chosen with the mouse, closes
// the window, and with the last window gone the event loop ends with 0.
void TestMainWindow::quitEntryEndsTheEventLoop()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);

    QTimer safety; // ends a loop that the entry failed to end
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    safety.start(20000);

    bool menuOpened = false;
    QTimer::singleShot(0, window.get(), [&] {
        QMenuBar* menuBar = window->m_menubar;
        QMenu* menu = window->m_menu_file;
        QTest::mouseClick(menuBar, Qt::LeftButton, Qt::NoModifier,
                          menuBar->actionGeometry(menu->menuAction()).center());
        menuOpened = QTest::qWaitForWindowExposed(menu);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(window->m_action_quit).center());
    });
    const int result = QApplication::exec();
    QVERIFY(menuOpened);
    QCOMPARE(result, 0);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::modeAndSlicingReachTheView()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    GLWidget* view = window->m_glWidget;

    clickButton(window->m_radiobutton_average);
    QCOMPARE(view->renderMode(), int(AverageMode));
    clickButton(window->m_radiobutton_mip);
    QCOMPARE(view->renderMode(), int(MaximumIntensityMode));
    QVERIFY(!window->m_radiobutton_average->isChecked());
    clickButton(window->m_radiobutton_composite);
    QCOMPARE(view->renderMode(), int(CompositeMode));
    // A click on the checked button runs its slot again.
    view->setAverageMode();
    clickButton(window->m_radiobutton_composite);
    QCOMPARE(view->renderMode(), int(CompositeMode));

    clickButton(window->m_checkbox_slicing);
    QVERIFY(window->m_checkbox_slicing->isChecked());
    QVERIFY(view->isSlicing());
    clickButton(window->m_checkbox_slicing);
    QVERIFY(!view->isSlicing());

    // The slider reaches setSlice directly; before any load and axis click
    // its range is still the form's 0..99 and the view's extent is 1.
    QTest::keyClick(window->m_Slices, Qt::Key_Right);
    QCOMPARE(view->slicePosition(), 1.0f);
    QTest::keyClick(window->m_Slices, Qt::Key_Home);
    QCOMPARE(view->slicePosition(), 0.0f);

    // The axis buttons never touch the mode or the slicing state.
    clickButton(window->m_radiobutton_z_axis);
    QCOMPARE(view->m_sliceAxis, int(ZAxis));
    QCOMPARE(view->renderMode(), int(CompositeMode));
    QVERIFY(!view->isSlicing());
}

void TestMainWindow::densityBoxesExcludeEachOther()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    QSpinBox* lower = window->m_min_density;
    QSpinBox* upper = window->m_max_density;

    typeValue(lower, "1000");
    QCOMPARE(lower->value(), 1000);
    QCOMPARE(window->m_graphic_view->m_minDensity, 1000);
    QCOMPARE(window->m_glWidget->m_minDensity, 1000);
    QCOMPARE(upper->minimum(), 1001);
    QCOMPARE(upper->maximum(), 4095);
    typeValue(upper, "500"); // below the range: the box keeps its value
    QCOMPARE(upper->value(), 4095);
    upper->setValue(1000);
    QCOMPARE(upper->value(), 1001);
    QVERIFY2(densityWindowIsSound(*window), qPrintable(describeDensities(*window)));

    typeValue(upper, "2000");
    QCOMPARE(upper->value(), 2000);
    QCOMPARE(window->m_graphic_view->m_maxDensity, 2000);
    QCOMPARE(window->m_glWidget->m_maxDensity, 2000);
    QCOMPARE(lower->minimum(), 0);
    QCOMPARE(lower->maximum(), 1999);
    lower->setValue(2500);
    QCOMPARE(lower->value(), 1999);
    QTest::keyClick(lower, Qt::Key_Up); // a step past the end stays at the end
    QCOMPARE(lower->value(), 1999);
    QVERIFY2(densityWindowIsSound(*window), qPrintable(describeDensities(*window)));
}

// The start ranges already exclude the other box's value, so neither bound
// leaves 0..4095 whichever control moves first, and none ever does later.
void TestMainWindow::densityExtremesInAnyOrder()
{
    TestFolder folder(TestFolder::WithShaders);
    {
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        window->m_min_density->setValue(4095); // lower raised first
        QCOMPARE(window->m_min_density->value(), 4094);
        QCOMPARE(window->m_max_density->value(), 4095);
        QVERIFY2(densityWindowIsSound(*window), qPrintable(describeDensities(*window)));
    }
    {
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        window->m_max_density->setValue(0); // upper lowered first
        QCOMPARE(window->m_max_density->value(), 1);
        QCOMPARE(window->m_min_density->value(), 0);
        QVERIFY2(densityWindowIsSound(*window), qPrintable(describeDensities(*window)));
    }
    {
        const std::unique_ptr<MainWindow> window = shownWindow();
        QVERIFY(window);
        QTest::keyClick(window->m_max_density, Qt::Key_Up);   // already at the top
        QTest::keyClick(window->m_min_density, Qt::Key_Down); // already at the bottom
        QVERIFY2(densityWindowIsSound(*window), qPrintable(describeDensities(*window)));

        // A fixed pseudo-random walk over both boxes, extremes and beyond.
        const int targets[] = {-1, 0, 1, 2, 2047, 4093, 4094, 4095, 4096, 9999};
        uint32_t seed = 12345;
        for (int step = 0; step < 400; ++step) {
            seed = seed * 1103515245u + 12345u;
            QSpinBox* box = (seed >> 16) & 1 ? window->m_min_density : window->m_max_density;
            box->setValue(targets[(seed >> 20) % 10]);
            QVERIFY2(densityWindowIsSound(*window),
                     qPrintable(QString("step %1: ").arg(step) + describeDensities(*window)));
        }
    }
}

void TestMainWindow::axisButtonsSetTheSliderRange()
{
    TestFolder folder(TestFolder::WithShaders);
    QDir().mkdir("dat");
    QVERIFY(writeVolumeFile("dat/head.dat", SampleVolume(256, 256, 113, 1000)));
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    GLWidget* view = window->m_glWidget;
    QSlider* slider = window->m_Slices;

    // Before a load every extent is 1. The checked x button runs its slot too.
    clickButton(window->m_radiobutton_x_axis);
    QCOMPARE(view->m_sliceAxis, int(XAxis));
    QCOMPARE(slider->maximum(), 1);
    clickButton(window->m_radiobutton_y_axis);
    QCOMPARE(view->m_sliceAxis, int(YAxis));
    QCOMPARE(slider->maximum(), 1);
    QVERIFY(!window->m_radiobutton_x_axis->isChecked());

    {
        ConsoleCapture console; // the load's progress lines
        window->m_listwidget_fileList->setCurrentRow(0);
        QTest::mouseClick(window->m_button_fileLoad, Qt::LeftButton);
    }
    QCOMPARE(view->volume().depth, 113);
    QCOMPARE(slider->maximum(), 1); // a load leaves the slider alone

    clickButton(window->m_radiobutton_z_axis);
    QCOMPARE(view->m_sliceAxis, int(ZAxis));
    QCOMPARE(slider->maximum(), 113);
    QCOMPARE(slider->minimum(), 0);
    slider->setValue(56);
    QCOMPARE(view->slicePosition(), float(56.0 / 113.0));

    // A raised maximum keeps the value and the view's position.
    clickButton(window->m_radiobutton_y_axis);
    QCOMPARE(slider->maximum(), 256);
    QCOMPARE(slider->value(), 56);
    QCOMPARE(view->slicePosition(), float(56.0 / 113.0));

    // A lowered maximum pulls the value down, and the view divides it by the
    // new axis's extent, which is set before the slider's range.
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(view->slicePosition(), 1.0f);
    slider->setValue(200);
    QCOMPARE(view->slicePosition(), float(200.0 / 256.0));
    clickButton(window->m_radiobutton_z_axis);
    QCOMPARE(slider->maximum(), 113);
    QCOMPARE(slider->value(), 113);
    QCOMPARE(view->slicePosition(), 1.0f);
}

void TestMainWindow::fileListEmpty_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("makeFolder");
    QTest::newRow("no dat folder") << QStringList() << false;
    QTest::newRow("empty dat folder") << QStringList() << true;
    QTest::newRow("nothing matches") << QStringList({"readme.txt", "head.dat.bak", "dat"}) << true;
}

void TestMainWindow::fileListEmpty()
{
    QFETCH(QStringList, files);
    QFETCH(bool, makeFolder);
    TestFolder folder(TestFolder::WithShaders);
    if (makeFolder)
        QDir().mkdir("dat");
    for (const QString& name : files)
        folder.write("dat/" + name.toStdString(), QByteArray());
    ConsoleCapture console;
    MainWindow window;
    QCOMPARE(window.m_listwidget_fileList->count(), 0);
    QCOMPARE(QString::fromStdString(console.out() + console.err()), QString());
}

void TestMainWindow::fileListFollowsTheListing()
{
    TestFolder folder(TestFolder::WithShaders);
    QDir().mkdir("dat");
    const std::vector<std::string> names = {
        "b.dat", "a.dat", "HEAD.DAT", "k\xf6pfe.dat", "k\xc3\xb6pfe.dat", "z.dat", "m.dat"};
    for (const std::string& name : names)
        makeFile("dat/" + name);
    QVERIFY(mkdir("dat/x.dat", 0755) == 0);
    makeFile("dat/notes.txt");

    // The expected order is the file system's own, not a sorted one.
    QStringList expected;
    DIR* dir = opendir("dat");
    QVERIFY(dir);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".dat") == 0)
            expected << QString::fromLatin1(name.data(), int(name.size()));
    }
    closedir(dir);
    QCOMPARE(expected.size(), 8);

    MainWindow window;
    QListWidget* list = window.m_listwidget_fileList;
    QStringList shown;
    for (int row = 0; row < list->count(); ++row) {
        shown << list->item(row)->text();
        QCOMPARE(list->item(row)->type(), int(QListWidgetItem::Type));
    }
    QCOMPARE(shown, expected);
    QVERIFY(shown.contains("x.dat"));
    QVERIFY(shown.contains("HEAD.DAT"));
    // One character per byte: the UTF-8 name shows as two Latin-1 characters.
    QVERIFY(shown.contains(QString::fromLatin1("k\xf6pfe.dat")));
    QVERIFY(shown.contains(QString::fromLatin1("k\xc3\xb6pfe.dat")));
}

void TestMainWindow::keyPressesAreSwallowed()
{
    TestFolder folder(TestFolder::WithShaders);
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    // A widget's default handler ignores a key and hands it to its parent;
    // the window takes every key that reaches it, its own or a child's.
    for (QWidget* target : {static_cast<QWidget*>(window.get()), window->centralwidget}) {
        for (int key : {int(Qt::Key_Escape), int(Qt::Key_A), int(Qt::Key_Space), int(Qt::Key_Up)}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QVERIFY(press.isAccepted());
        }
    }
    QVERIFY(window->isVisible());
    QCOMPARE(window->m_min_density->value(), 0);
    QCOMPARE(window->m_max_density->value(), 4095);
    QCOMPARE(window->m_Slices->maximum(), 99);
}

// The started window as the X server shows it, for a look by eye.
void TestMainWindow::screenshot()
{
    TestFolder folder(TestFolder::WithShaders);
    QDir().mkdir("dat");
    for (const char* name : {"head.dat", "engine.dat", "foot.dat"})
        QVERIFY(writeVolumeFile(std::string("dat/") + name, SampleVolume(4, 4, 4, 100)));
    const std::unique_ptr<MainWindow> window = shownWindow();
    QVERIFY(window);
    QTest::qWait(300);
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
    QCOMPARE(image.size(), window->size());
    TestView::saveArtefact(image, "mainwindow");
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
