// The main window driven as a user drives it: its start state, the controls
// that reach the view, the density window, the axis buttons and the slider,
// the file list and the load command.

#include "app/mainwindow.h"
#include "app/recentfiles.h"
#include "app/usersettings.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/menuwalk.h"
#include "tests/support/shownwindow.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <dirent.h>

#include <functional>
#include <memory>

namespace {

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

// The volume loaded first: many densities, tall enough for the view to draw.
const QByteArray kGoodVolume = [] {
    std::vector<uint16_t> samples(12 * 10 * 8);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t((i * 37 + 5) % 4096);
    return volumeFileBytes(12, 10, 8, samples);
}();

// Standard output of a load from `path`: the loader's lines (only the first
// where it refuses the file), then the upload of the volume on screen.
std::string loadLines(const std::string& path, const VolumeData& shown, bool loaded)
{
    std::string text = "- Loading file '" + path + "' ... \n";
    if (loaded) {
        text += "- File loaded.\n";
        for (int z = 0, d = shown.depth; z < d; ++z)
            text += "\r- Preparing data (" + std::to_string(d > 1 ? 100 * z / (d - 1) : 100) +
                    "%) ...";
        text += "\n- Data prepared.\n";
    }
    return text + "####################################\nWidth: " + std::to_string(shown.width) +
           "\nHeight: " + std::to_string(shown.height) + "\nDepth: " +
           std::to_string(shown.depth) + "\n";
}

// The texture holds the volume's voxels, to the precision of its 16-bit texels.
bool textureHolds(const VolumeTexture& texture, const VolumeData& volume)
{
    const auto near = [](float a, float b) { return std::fabs(a - b) <= 1.0f / 65535.0f; };
    return texture.size == std::vector<int>{volume.width, volume.height, volume.depth} &&
           std::equal(volume.voxels.begin(), volume.voxels.end(), texture.texels.begin(), near);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QObject* m_watched = nullptr;
    int m_paints = 0;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        m_paints += object == m_watched && event->type() == QEvent::Paint;
        return false;
    }

    // Whether `change` makes `widget` repaint, through the event loop.
    bool repaints(QWidget* widget, const std::function<void()>& change)
    {
        widget->installEventFilter(this);
        m_watched = widget;
        QTest::qWait(20);
        m_paints = 0;
        change();
        return QTest::qWaitFor([this] { return m_paints > 0; }, 2000);
    }

private slots:
    // The list holds the entries whose names end in ".dat" in any letter case, folders too, by
    // their bytes and in the order the file system yields them, which is not a sorted one.
    void fileList()
    {
        TestFolder folder(TestFolder::WithShaders);
        QVERIFY(QDir().mkpath("dat/x.dat") && QDir().mkpath("dat/sub"));
        std::vector<std::string> listed = {"x.dat", "HEAD.DAT", "Mixed.DaT", ".dat", "k\xf6pfe.dat"};
        for (int i = 0; i < 20; ++i)
            listed.push_back(std::to_string(i * 7 % 20) + ".dat");
        for (const std::string& name : listed)
            folder.write("dat/" + name + (name == "x.dat" ? "/f" : ""), QByteArray());
        for (const char* name : {"head.dat.txt", "headdat", "head.da", "dat"})
            folder.write(std::string("dat/") + name, QByteArray());
        QStringList expected, shown;
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("dat"), closedir);
        while (const dirent* entry = readdir(dir.get()))
            if (std::count(listed.begin(), listed.end(), entry->d_name) == 1)
                expected << QString::fromLatin1(entry->d_name);
        QCOMPARE(expected.size(), int(listed.size()));
        const std::unique_ptr<MainWindow> window = shownWindow();
        for (int row = 0; row < window->m_listwidget_fileList->count(); ++row)
            shown << window->m_listwidget_fileList->item(row)->text();
        QCOMPARE(shown, expected);
    }

    // Every control reaches the view and repaints it, a click on a checked button too. A drag
    // turns the view one degree a pixel: vertical moves about x, horizontal ones about y,
    // without wrapping; moves without the left button only follow the cursor.
    void controlsReachAndRepaintTheView()
    {
        TestFolder folder(TestFolder::WithShaders);
        const std::unique_ptr<MainWindow> window = shownWindow();
        GLWidget* view = window->m_glWidget;
        Histogram* histogram = window->m_graphic_view;
        // Before any load and axis click the slice is the middle one, the range is 0..99 and
        // the view's extent is 1.
        QCOMPARE(view->slicePosition(), 0.5f);
        QTest::keyClick(window->m_Slices, Qt::Key_Right);
        QCOMPARE(view->slicePosition(), 1.0f);
        QVERIFY(repaints(view, [&] { QTest::keyClick(window->m_Slices, Qt::Key_Home); }));
        QCOMPARE(view->slicePosition(), 0.0f);
        const char* const captions[] = {"Composite", "Average", "Maximum intensity projection"};
        for (int mode : {AverageMode, MaximumIntensityMode, CompositeMode, CompositeMode}) {
            mode == AverageMode ? view->setMIPMode() : view->setAverageMode();
            QVERIFY(repaints(view, [&] { QVERIFY(ui::click(*window, captions[mode])); }));
            QCOMPARE(view->renderMode(), mode);
        }
        QVERIFY(repaints(view, [&] { QVERIFY(ui::click(*window, "Slicing active")); }));
        QVERIFY(view->isSlicing());
        ui::click(window->m_checkbox_slicing);
        QVERIFY(!view->isSlicing());
        for (const char* axis : {"x - axis", "y - axis", "z - axis"})
            QVERIFY(repaints(view, [&] { QVERIFY(ui::click(*window, axis)); }));
        int value = 7; // the density boxes repaint the histogram too
        for (QWidget* widget : {static_cast<QWidget*>(view), static_cast<QWidget*>(histogram)}) {
            QVERIFY(repaints(widget, [&] { window->m_min_density->setValue(++value); }));
            QVERIFY(repaints(widget, [&] { window->m_max_density->setValue(value + 100); }));
        }

        const auto turn = [view] { return QPoint(view->xRotation(), view->yRotation()); };
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        ui::move(view, QPoint(130, 90), Qt::LeftButton);
        QCOMPARE(turn(), QPoint(-10, 30));
        QVERIFY(repaints(view, [&] { ui::move(view, QPoint(130, 290), Qt::LeftButton); }));
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
        GLWidget* view = window->m_glWidget;
        QSlider* slider = window->m_Slices;

        // Before a load every extent is 1; the checked x button runs its slot
        // too, and stays checked.
        QVERIFY(ui::click(*window, "x - axis"));
        QCOMPARE(slider->maximum(), 1);
        QVERIFY(window->m_radiobutton_x_axis->isChecked());
        QVERIFY(ui::click(*window, "y - axis"));
        QCOMPARE(view->m_sliceAxis, int(YAxis));

        QVERIFY(ui::load(*window, "v.dat"));
        QCOMPARE(slider->maximum(), 1); // a load leaves the slider alone
        // Each button's plane moves along one extent, which the slider counts: z's along the
        // width, y's the height, x's the depth.
        QVERIFY(ui::click(*window, "z - axis"));
        QCOMPARE(slider->maximum(), 256);
        slider->setValue(56);
        QCOMPARE(view->slicePosition(), float(56.0 / 256.0));
        QVERIFY(ui::click(*window, "y - axis")); // a maximum above the value keeps it
        QCOMPARE(slider->maximum(), 200);
        QCOMPARE(view->slicePosition(), float(56.0 / 256.0));
        ui::click(window->m_radiobutton_x_axis);
        QCOMPARE(slider->maximum(), 113);

        // A lowered maximum pulls the value down, and the view divides it by the new axis's
        // extent, set before the slider's range.
        ui::click(window->m_radiobutton_z_axis);
        slider->setValue(200);
        ui::click(window->m_radiobutton_x_axis);
        QCOMPARE(slider->value(), 113);
        QCOMPARE(view->slicePosition(), 1.0f);
    }

    // The load command, with hostile names among the files: the path is "dat/" + the name's
    // bytes; a refused file leaves the volume, its histogram and its texture as they were; a
    // volume that loads replaces all three; the counts are refilled in place, the points
    // cleared, and both kinds of frame still draw. Without a selection nothing happens.
    void loadCommand_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("error");
        const std::vector<uint16_t> samples = {4096,  65535, 4095,  0,     8191, 12,   32768,
                                               4094,  4096,  65535, 4095,  0,    8191, 12,
                                               32768, 4094,  4096,  65535, 4095, 0};
        QTest::newRow("Latin-1 name") << QByteArray("gr\xfc\xdf\xe9 K\xf6pfe.dat")
                                      << volumeFileBytes(3, 10, 2, std::vector<uint16_t>(60, 900))
                                      << QByteArray();
        QTest::newRow("truncated, above 4095")
            << QByteArray("cut.dat") << volumeFileBytes(11, 12, 3, samples).append(char(0x55))
            << QByteArray();
        QTest::newRow("quote, control and undecodable bytes, short")
            << QByteArray("it's \x01\xff\xfe.dat") << QByteArray(3, '\x02')
            << QByteArray("+ Error loading file: the file is shorter than its 6-byte header.\n\n");
        QTest::newRow("folder") << QByteArray("x.dat") << QByteArray("folder")
                                << QByteArray("+ Error loading file.\n\n");
    }

    void loadCommand()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, error);
        TestFolder folder(TestFolder::WithShaders);
        folder.write("dat/good.dat", kGoodVolume);
        ConsoleCapture console;
        const std::string path = "dat/" + name.toStdString();
        QVERIFY(bytes == "folder" ? QDir().mkpath(path.c_str()) : (folder.write(path, bytes), true));
        MainWindow window;
        QVERIFY(ui::show(window));
        GLWidget* view = window.m_glWidget;
        Histogram* histogram = window.m_graphic_view;

        histogram->m_controlPoints = {{QColor(), 10, 20}};
        QVERIFY(ui::load(window, ""));
        window.m_listwidget_fileList->setCurrentRow(0, QItemSelectionModel::Deselect);
        QVERIFY(ui::load(window, "")); // a current row that is not selected
        QVERIFY(!histogram->m_histogram && histogram->m_controlPoints.size() == 1);
        const VolumeData good = expectedVolume(kGoodVolume);
        QVERIFY(ui::load(window, "good.dat"));
        const VolumeTexture goodTexture = readVolumeTexture(view->volumeTexture());
        QVERIFY(textureHolds(goodTexture, good));
        const int32_t* counts = histogram->m_histogram;
        QCOMPARE(counts, view->volume().histogram.data());

        histogram->m_controlPoints = {{QColor(), 10, 20}};
        console.clear();
        QVERIFY(repaints(histogram, [&] { QVERIFY(ui::load(window, QString::fromLatin1(name))); }));
        const bool loads = !error.startsWith("+ ");
        const VolumeData expected = loads ? expectedVolume(bytes) : good;
        QCOMPARE(console.out(), loadLines(path, expected, loads));
        QCOMPARE(QByteArray::fromStdString(console.err()),
                 error + (loads ? "- Graphics memory for the volume: 0 MB (5 bytes a voxel).\n" : ""));
        QVERIFY(sameVolume(view->volume(), expected));
        const VolumeTexture texture = readVolumeTexture(view->volumeTexture());
        QVERIFY(loads ? textureHolds(texture, expected) : texture == goodTexture);
        QCOMPARE(histogram->m_histogram, counts);
        QVERIFY(histogram->m_controlPoints.empty());

        // Both kinds of frame draw (ten rows are enough), each step reporting no error.
        setTransfer(*view, {{0, Qt::white}, {4095, Qt::white}});
        for (bool slicing : {false, true}) {
            view->setSlicing(slicing);
            console.clear();
            view->updateGL();
            const QString lines = QString::fromStdString(console.err());
            QVERIFY2(QRegularExpression("\\A([^\n]+: no error\n)+\\z").match(lines).hasMatch(),
                     qPrintable(lines));
        }
    }

    // Each menu, and each entry of each menu, has a mnemonic of its own,
    // ten recent files too: where two share one, Qt moves between them
    // instead of choosing. A file opened again moves to the top. Alt+D, B quits.
    void everyMenuEntryHasAMnemonicOfItsOwn()
    {
        QStringList ten;
        for (int i = 0; i < RecentFiles::kMost; ++i)
            ten << QString("/scan%1.nii").arg(i);
        for (const char* key : {"recentFiles", "recentTransferFunctions"})
            userSettings().setValue(key, ten);
        const std::unique_ptr<MainWindow> window = shownWindow();
        const QStringList faults = mnemonicFaults(window->menuBar()->actions());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        QMenu recent;
        RecentFiles files(&recent, "recentFiles", nullptr);
        for (const char* path : {"/scan5.nii", "/b", "/scan5.nii"})
            files.add(path);
        QCOMPARE(recent.actions().size(), RecentFiles::kMost);
        QCOMPARE(recent.actions()[0]->text() + recent.actions()[1]->text() +
                     recent.actions()[2]->text(),
                 QString("&1 /scan5.nii&2 /b&3 /scan0.nii"));

        // The menu bar's keys are the active window's, whatever the display's focus.
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_D, Qt::AltModifier);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QTest::keyClick(menu, Qt::Key_B);
        QTRY_VERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
