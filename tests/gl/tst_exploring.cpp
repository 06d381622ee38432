// Exploring a volume as a user does: the wheel's zoom about the mouse, a
// pan, the way back, the crop box and the cut through the volume, the
// window that grows with its view, and the voxel under the mouse.

#include "app/axesdialog.h"
#include "app/timeaxis.h"
#include "app/mainwindow.h"
#include "app/viewmenu.h"
#include "app/viewreadout.h"
#include "render/orientationmarker.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/shownwindow.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QMenuBar>
#include <QStatusBar>
#include <QVector3D>
#include <QtTest>

namespace {

// 64 voxels a side of air: a block of 1000 (red) at x, y 10..20, z 10..14,
// one of 3000 (green) at x, y 40..50, z 20..40, and one of 2000 (blue) in
// front of the red one, at z 50..54. Seen unturned along -z, the cube
// spans the middle half of the view's shorter side.
SampleVolume phantom(int depth = 64)
{
    SampleVolume volume(64, 64, depth, 0);
    const int blocks[][7] = {{10, 20, 10, 14, 1000}, {40, 50, 20, 40, 3000}, {10, 20, 50, 54, 2000}};
    for (const int* b : blocks)
        for (int z = b[2]; z <= b[3]; ++z)
            for (int y = b[0]; y <= b[1]; ++y)
                for (int x = b[0]; x <= b[1]; ++x)
                    volume.at(x, y, z) = uint16_t(b[4]);
    return volume;
}

const std::vector<TablePoint> kColours = {
    {999, Qt::black, 0}, {1000, Qt::red}, {1001, Qt::black, 0}, {1999, Qt::black, 0},
    {2000, Qt::blue},    {2001, Qt::black, 0}, {2999, Qt::black, 0}, {3000, Qt::green},
    {3001, Qt::black, 0}};

// The bounding box of the opaque pixels of `image` of the hue of `colour`,
// however dark the light leaves them at an edge.
QRect pixelsOf(const QImage& image, QRgb colour)
{
    const auto hue = [](QRgb c) {
        return QVector3D(qRed(c), qGreen(c), qBlue(c)) /
               float(std::max({qRed(c), qGreen(c), qBlue(c), 1}));
    };
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 127 &&
                (hue(image.pixel(x, y)) - hue(colour)).length() < 0.3f)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A pixel's place within a box, as shares of its width and height.
QPointF placeIn(const QRect& box, QPoint pixel)
{
    return QPointF(double(pixel.x() - box.left()) / box.width(),
                   double(pixel.y() - box.top()) / box.height());
}

// 48 x 40 x 32 voxels, no two sides alike: a red block at the top (+z)
// near the -x, -y corner, a green one at the bottom across from it, a blue
// bar along y at the +x side.
SampleVolume lopsided()
{
    SampleVolume volume(48, 40, 32, 0);
    const int blocks[][7] = {
        {4, 15, 4, 11, 20, 31, 1000}, {28, 41, 22, 35, 2, 13, 3000}, {40, 45, 6, 33, 10, 20, 2000}};
    for (const int* b : blocks)
        for (int z = b[4]; z <= b[5]; ++z)
            for (int y = b[2]; y <= b[3]; ++y)
                for (int x = b[0]; x <= b[1]; ++x)
                    volume.at(x, y, z) = uint16_t(b[6]);
    return volume;
}

// How a picture moves: the pixel of the moved picture at `to` shows what
// the first picture shows at the pixel this returns, in a view of `size`,
// turned about its centre.
enum class Moved { Mirrored, UpsideDown, TurnedLeft, HalfTurned };
QPoint movedFrom(Moved moved, QPoint to, QSize size)
{
    const int right = size.width() - 1, bottom = size.height() - 1;
    switch (moved) {
    case Moved::Mirrored:
        return QPoint(right - to.x(), to.y());
    case Moved::UpsideDown:
        return QPoint(to.x(), bottom - to.y());
    case Moved::TurnedLeft: // counterclockwise: the right edge's middle goes to the top
        return QPoint((right + bottom) / 2 - to.y(), to.x() - (right - bottom) / 2);
    case Moved::HalfTurned:
        return QPoint(right - to.x(), bottom - to.y());
    }
    return to;
}

// Where a pixel of the first picture goes (the moves are a quarter turn or their own inverse).
QPoint movedTo(Moved moved, QPoint from, QSize size)
{
    return movedFrom(moved, movedFrom(moved, movedFrom(moved, from, size), size), size);
}

// The pixels of `actual` that differ from `first` moved by more than the
// blue-noise jitter can make them (at the blocks' edges), of those not clear.
QString differencesFromMoved(const QImage& actual, const QImage& first, Moved moved)
{
    int differing = 0, shown = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const QPoint from = movedFrom(moved, QPoint(x, y), actual.size());
            const QRgb a = actual.pixel(x, y), b = first.valid(from) ? first.pixel(from) : 0;
            shown += qAlpha(b) > 0;
            differing += !nearPixel(a, b, 48);
        }
    if (shown < 2000 || differing > shown / 100) {
        TestView::saveArtefact(actual, QTest::currentDataTag());
        return QString("%1 of %2 pixels differ").arg(differing).arg(shown);
    }
    return {};
}

struct Scene
{
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    TestView view{300, 300};
    Scene()
    {
        QVERIFY(writeVolumeFile("v.dat", phantom()));
        view->loadVolume("v.dat");
        setTransfer(view.widget(), kColours);
    }
};

} // namespace

class TestExploring : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }

    // The wheel zooms about the mouse: the point under it stays there as
    // the block grows (four notches double it); as many notches back give
    // the same picture. A middle drag moves the picture with the mouse,
    // Shift with a left drag too; the reset brings back the picture of the
    // load, unturned, unzoomed, centred.
    void zoomPanAndBack()
    {
        Scene scene;
        TestView& view = scene.view;
        const QImage loaded = view.render();
        const QRect blue = pixelsOf(loaded, kBlue);
        const QPoint mouse = blue.topLeft() + QPoint(3, 4);
        for (int notches : {4, -4})
            ui::wheel(&view.widget(), mouse, notches);
        QCOMPARE(view.render(), loaded);
        ui::wheel(&view.widget(), mouse, 4);
        const QRect zoomed = pixelsOf(view.render(), kBlue);
        QVERIFY2(std::abs(zoomed.width() - 2 * blue.width()) <= 2, qPrintable(QString::number(zoomed.width())));
        const QPointF before = placeIn(blue, mouse), after = placeIn(zoomed, mouse);
        QVERIFY2(std::abs(before.x() - after.x()) < 0.04 && std::abs(before.y() - after.y()) < 0.04,
                 qPrintable(QString("%1, %2 against %3, %4")
                                .arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));

        ui::drag(&view.widget(), QPoint(100, 100), QPoint(130, 120), Qt::MiddleButton);
        QCOMPARE(pixelsOf(view.render(), kBlue), zoomed.translated(30, 20));
        QTest::mousePress(&view.widget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 50));
        ui::move(&view.widget(), QPoint(40, 45), Qt::LeftButton);
        QTest::mouseRelease(&view.widget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(40, 45));
        QCOMPARE(pixelsOf(view.render(), kBlue), zoomed.translated(20, 15));
        QCOMPARE(QPoint(view->xRotation(), view->yRotation()), QPoint(0, 0));

        ui::drag(&view.widget(), QPoint(50, 50), QPoint(80, 60)); // a turn
        view->resetView();
        QCOMPARE(view.render(), loaded);

        // In the patient's axes, the sides are marked at the edges of the
        // view, not in a picture saved.
        view->setPatientAxes(true);
        const QRgb marker = qRgb(255, 215, 50);
        QVERIFY(pixelsOf(view.render(), marker).intersects(QRect(280, 140, 20, 20)));
        QString fault;
        QVERIFY(!pixelsOf(view->renderPicture(1, fault), marker).isValid());
    }

    // A crop box draws nothing outside it; the cut at the slice's plane
    // (z = 32 for the x button's slice 32 of 64, seen from +z) removes what
    // lies in front of it, the blue block, and its face shows the slice:
    // grey over the density window (the green block's 3000 of 4095, black
    // around it, opaque), or through the table (green; clear around it, so
    // that the red block behind shows).
    void cropAndCut()
    {
        Scene scene;
        TestView& view = scene.view;
        const QImage whole = view.render();
        const QPoint red = pixelsOf(whole, kBlue).center(), green = pixelsOf(whole, kGreen).center();
        QVERIFY(!pixelsOf(whole, kRed).isValid()); // hidden by the blue block
        CropBox box;
        box.to[0] = 31;
        view->setCropBox(box);
        const QImage cropped = view.render();
        for (int y = 0; y < 300; y += 7)
            for (int x = 151; x < 300; x += 7)
                QCOMPARE(cropped.pixel(x, y), kClear);
        QVERIFY(qAlpha(cropped.pixel(red.x(), red.y())) > 250); // early termination's 0.99

        view->setCropBox(CropBox());
        view->setXAxis();
        view->setSlice(32);
        view->setCut(true);
        QImage cut = view.render();
        VERIFY_PIXEL(cut, green.x(), green.y(), kGreen, 8);
        VERIFY_PIXEL(cut, red.x(), red.y(), kRed, 60);
        view->setSlicesInWindow(true);
        cut = view.render();
        VERIFY_PIXEL(cut, green.x(), green.y(), qRgba(187, 187, 187, 255), 2);
        VERIFY_PIXEL(cut, red.x(), red.y(), qRgba(0, 0, 0, 255), 0);
    }

    // The window grows and the view with it, from where the form puts it;
    // the status bar names the voxel under the mouse: on the slice, the
    // slice's (x, y across and up, z the slice 36 of the 80 the x button's
    // slider counts), in the ray-cast view the first one the table shows
    // along the ray, the blue block's front face.
    void theWindowAndTheVoxelUnderTheMouse()
    {
        TestFolder folder(TestFolder::WithShaders);
        QVERIFY(QDir().mkdir("dat") && writeVolumeFile("dat/v.dat", phantom(80)));
        ConsoleCapture quiet;
        MainWindow window;
        QVERIFY(ui::show(window));
        GLWidget* view = window.m_glWidget;
        QCOMPARE(view->geometry(), QRect(10, 400, 700, 500));
        window.resize(window.size() + QSize(200, 100));
        QTRY_COMPARE(view->geometry(), QRect(10, 400, 900, 600));
        window.resize(window.size() - QSize(200, 100));
        QTRY_COMPARE(view->size(), QSize(700, 500));

        QVERIFY(ui::load(window, "v.dat"));
        setTransfer(*view, kColours);
        const QLabel* said = window.statusBar()->findChild<QLabel*>("voxelReadout");
        // A 700 x 500 view: the volume spans x 250..450 and y 150..350, 250 / 80 pixels a voxel.
        const auto pixel = [](double x, double y) {
            return QPoint(int(250 + 200 * x / 64), int(350 - 200 * y / 64));
        };
        ui::move(view, pixel(15.5, 15.5), Qt::NoButton);
        QCOMPARE(said->text(), QString("x 15, y 15, z 54: Dichte 2000"));
        ui::move(view, pixel(30.5, 30.5), Qt::NoButton);
        QCOMPARE(said->text(), QString());
        QVERIFY(ui::click(window, "Slicing active"));
        QVERIFY(ui::click(window, "x - axis"));
        window.m_Slices->setValue(36);
        const QList<QLabel*> labels = window.centralWidget()->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](QLabel* label) { return label->text() == "36 / 80"; }));
        ui::move(view, pixel(45.5, 44.5), Qt::NoButton);
        QCOMPARE(said->text(), QString("x 45, y 44, z 36: Dichte 3000"));
        QCOMPARE(voxelText({true, 45, 44, 36, 3000}, true), said->text() + " (1976 HU)");
        ui::move(view, pixel(30.5, 2.5), Qt::NoButton);
        QCOMPARE(said->text(), QString("x 30, y 2, z 36: Dichte 0"));
        // The wheel over a slice steps through the slices; Home on the view
        // undoes a turn and a zoom, as "Ansicht zurücksetzen" does.
        ui::wheel(view, pixel(30, 30), -1);
        QCOMPARE(window.m_Slices->value(), 35);
        QVERIFY(ui::click(window, "Slicing active"));
        ui::drag(view, QPoint(50, 50), QPoint(80, 60));
        ui::wheel(view, pixel(30, 30), 2);
        QApplication::setActiveWindow(&window); // whatever the display's focus
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Home);
        QVERIFY(view->camera().isReset() && view->xRotation() == 0 && view->yRotation() == 0);
    }

    // A volume over the memory budget opens at level 1/2, said in the status
    // bar and on the console; the readout names the file's voxels; the crop
    // box's voxels load at full resolution as the file holds them, and
    // "Ganzes Volumen" goes back to the level without reading it again.
    void aVolumeTooLargeOpensReduced()
    {
        TestFolder folder(TestFolder::WithShaders);
        const auto sample = [](int x, int y, int z) { return (3 * x + 5 * y + 7 * z) % 4096; };
        SampleVolume file(200, 200, 200);
        for (int z = 0; z < 200; ++z)
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x)
                    file.at(x, y, z) = uint16_t(sample(x, y, z));
        QVERIFY(QDir().mkdir("dat") && writeVolumeFile("dat/v.dat", file));
        qputenv("KASTRA_MEMORY_MB", "20"); // the whole takes 48 MB, 1/2 about 5
        ConsoleCapture console;
        MainWindow window;
        QVERIFY(ui::show(window) && ui::load(window, "v.dat"));
        QVERIFY(console.out().find("- Resolution 1/2: 100 x 100 x 100 of 200 x 200 x 200\n") !=
                std::string::npos);
        const QLabel* level = window.statusBar()->findChild<QLabel*>("levelReadout");
        QCOMPARE(level->text(), QString("Auflösung 1/2: 100 x 100 x 100 von 200 x 200 x 200"));

        // On slice 50 across z, the reduced voxel 60, 55 under the mouse: the
        // mean of the file's voxels 120..121, 110..111, 100..101.
        GLWidget* view = window.m_glWidget;
        setTransfer(*view, kColours);
        QVERIFY(ui::click(window, "Slicing active"));
        QVERIFY(ui::click(window, "x - axis"));
        window.m_Slices->setValue(50);
        // The longest side spans 250 pixels, centred in the 700 x 500 view.
        const auto pixel = [](double x, double y, QSize extents) {
            const double scale = 250.0 / std::max(extents.width(), extents.height());
            return QPoint(int(350 + scale * (x - extents.width() / 2.0)),
                          int(250 - scale * (y - extents.height() / 2.0)));
        };
        int sum = 0;
        for (int corner = 0; corner < 8; ++corner)
            sum += sample(120 + (corner & 1), 110 + (corner >> 1 & 1), 100 + (corner >> 2));
        ui::move(view, pixel(60.5, 55.5, {100, 100}), Qt::NoButton);
        const QLabel* said = window.statusBar()->findChild<QLabel*>("voxelReadout");
        QCOMPARE(said->text(), QString("x 120, y 110, z 100: Dichte %1").arg(std::lround(sum / 8.0)));

        // The whole file at full resolution is more than the budget holds.
        QVERIFY(ui::chooseMenuEntry(window, "Ansicht", "Zuschneiden …"));
        QDialog* crop = window.findChild<QDialog*>();
        QVERIFY(crop && crop->isVisible());
        QVERIFY(ui::click(*crop, "In voller Auflösung laden"));
        QVERIFY(crop->findChildren<QLabel*>().last()->text() ==
                "200 x 200 x 200 Voxel passen nicht in den Speicher.");
        qunsetenv("KASTRA_MEMORY_MB");
        // A number typed and entered applies, and the dialog stays.
        QSpinBox* fromX = crop->findChildren<QSpinBox*>().first();
        fromX->selectAll();
        QTest::keyClicks(fromX, "12");
        QTest::keyClick(fromX, Qt::Key_Return);
        QVERIFY(crop->isVisible());
        QCOMPARE(view->cropBox().from[0], 12);
        view->setCropBox({{{50, 40, 45}}, {{69, 49, 54}}});
        console.clear();
        QVERIFY(ui::click(*crop, "In voller Auflösung laden"));
        const VolumeData& region = view->volume();
        QCOMPARE(QVector<int>({region.width, region.height, region.depth}), QVector<int>({40, 20, 20}));
        for (int z = 0; z < 20; ++z)
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 40; ++x)
                    QCOMPARE(std::lround(region.voxels[size_t(x + 40 * (y + 20 * z))] * 4095),
                             long(sample(100 + x, 80 + y, 90 + z)));
        QCOMPARE(level->text(), QString("Ausschnitt in voller Auflösung: 40 x 20 x 20 ab x 100, "
                                        "y 80, z 90 von 200 x 200 x 200"));
        window.m_Slices->setValue(3);
        ui::move(view, pixel(7.5, 4.5, {40, 20}), Qt::NoButton);
        QCOMPARE(said->text(), QString("x 107, y 84, z 93: Dichte %1").arg(sample(107, 84, 93)));

        QVERIFY(ui::click(*crop, "Ganzes Volumen"));
        QCOMPARE(view->volume().width, 100);
        QCOMPARE(level->text(), QString("Auflösung 1/2: 100 x 100 x 100 von 200 x 200 x 200"));
        QVERIFY(console.out().find("Loading") == std::string::npos);
    }

    // A time series over the budget: every step at the level of the first.
    void aTimeSeriesTooLargeStepsAtItsLevel()
    {
        TestFolder folder(TestFolder::WithShaders);
        QVERIFY(QDir().mkdir("series"));
        for (int t = 0; t < 2; ++t) {
            SampleVolume file(200, 200, 200);
            for (size_t i = 0; i < file.samples.size(); ++i)
                file.samples[i] = uint16_t(1000 * (t + 1) + i % 7);
            QVERIFY(writeVolumeFile("series/" + std::to_string(t) + ".dat", file));
        }
        qputenv("KASTRA_MEMORY_MB", "20");
        std::unique_ptr<MainWindow> window = shownWindow();
        QListWidgetItem* item = new QListWidgetItem("series", window->m_listwidget_fileList);
        item->setData(Qt::UserRole, QFileInfo("series").absoluteFilePath());
        window->m_listwidget_fileList->setCurrentItem(item);
        ConsoleCapture quiet;
        window->loadFile();
        qunsetenv("KASTRA_MEMORY_MB");
        const VolumeData& shown = window->m_glWidget->volume();
        QCOMPARE(shown.level.factor, 2);
        window->findChild<TimeAxis*>()->slider()->setValue(1);
        QCOMPARE(shown.width, 100);
        // The block at 0, 0, 0: samples 0, 1, 200, 201, 40000, 40001, 40200, 40201.
        double sum = 0;
        for (const size_t i : {0, 1, 200, 201, 40000, 40001, 40200, 40201})
            sum += 2000 + i % 7;
        QCOMPARE(std::lround(shown.voxels[0] * 4095 * 8), std::lround(sum));
    }

    // A large volume shows a coarse level at once, each voxel the first of
    // its block, and the finer level replaces it once a thread has read it:
    // the turn, the zoom, the table and the crop box (the same part of the
    // file) kept, the histogram the file's; the console says what a load of
    // the finer level says, and only that.
    void aLargeVolumeFirstShowsACoarseLevel()
    {
        TestFolder folder(TestFolder::WithShaders);
        const SampleVolume file = phantom(64);
        QVERIFY(writeVolumeFile("v.dat", file));
        const std::string path = QFileInfo("v.dat").absoluteFilePath().toStdString();
        std::unique_ptr<MainWindow> window = shownWindow();
        GLWidget* view = window->m_glWidget;
        view->setCoarseFirst(64 * 64 * 64 - 1, 16 * 16 * 16); // coarse: every fourth voxel
        ConsoleCapture console;
        window->openPath(QString::fromStdString(path));
        const VolumeData& shown = view->volume();
        QCOMPARE(QVector<int>({shown.width, shown.height, shown.depth}), QVector<int>({16, 16, 16}));
        for (int z = 0; z < 16; ++z)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    QCOMPARE(std::lround(shown.voxels[size_t(x + 16 * (y + 16 * z))] * 4095),
                             long(file.at(4 * x, 4 * y, 4 * z)));
        QCOMPARE(console.out(), "- Loading file '" + path + "' ... \n");
        setTransfer(*view, kColours);
        const std::vector<TransferEntry> table = view->transferTable();
        ui::drag(view, QPoint(300, 200), QPoint(340, 230));
        ui::wheel(view, QPoint(350, 250), 2);
        const Camera camera = view->camera();
        view->setCropBox({{{2, 3, 4}}, {{9, 10, 11}}});

        QTRY_COMPARE_WITH_TIMEOUT(view->volume().width, 64, 30000);
        QCOMPARE(view->cropBox(), (CropBox{{{8, 12, 16}}, {{39, 43, 47}}}));
        QVERIFY(view->transferTable() == table);
        QCOMPARE(view->xRotation(), 30);
        QCOMPARE(view->yRotation(), 40);
        QVERIFY(view->camera().zoom() == camera.zoom());
        QVERIFY(view->volume().histogram ==
                expectedVolume(volumeFileBytes(64, 64, 64, file.samples)).histogram);
        // Among the turn's and the frames' lines, the load's, once.
        std::string lines = "- File loaded.\n";
        for (int z = 0; z < 64; ++z)
            lines += "\r- Preparing data (" + std::to_string(100 * z / 63) + "%) ...";
        lines += "\n- Data prepared.\n####################################\nWidth: 64\nHeight: "
                 "64\nDepth: 64\n";
        const std::string out = console.out();
        QVERIFY(out.find(lines) != std::string::npos);
        QCOMPARE(out.find("Width:"), out.rfind("Width:"));
        QCOMPARE(out.find("- Loading file '" + path + "' ... \n"), size_t(0));
        QCOMPARE(out.rfind("Loading"), size_t(2));
        const std::string memory = "- Graphics memory for the volume: 1 MB (5 bytes a voxel).\n";
        QVERIFY(console.err().find(memory) != std::string::npos);
        QCOMPARE(console.err().find("- Graphics memory"), console.err().rfind("- Graphics memory"));
    }

    // Each standard view's key (Ctrl+1 to Ctrl+6, as the menu lists them)
    // turns the view to its side, and the letters at the edges name the
    // patient's side each points to; a volume in no patient frame is seen
    // from the ends of its own axes, named by them, as the axes are set.
    void theStandardViewsNameTheSides_data()
    {
        QTest::addColumn<bool>("patient");    // in the patient's axes
        QTest::addColumn<QString>("axes");    // as set for the view
        QTest::addColumn<int>("key");         // Ctrl and this digit
        QTest::addColumn<int>("turn");        // then dragged this far right: degrees about y
        QTest::addColumn<QString>("caption"); // of the key's entry
        QTest::addColumn<QString>("letters"); // right, left, top, bottom
        const QString file = "+x +y +z";
        // clang-format off
        QTest::newRow("Ctrl+1, from the front") << true << file << 1 << 0 << "Von &vorn" << "L R S I";
        QTest::newRow("Ctrl+2, from the back") << true << file << 2 << 0 << "Von &hinten" << "R L S I";
        QTest::newRow("Ctrl+3, from the left") << true << file << 3 << 0 << "Von &links" << "P A S I";
        QTest::newRow("Ctrl+4, from the right") << true << file << 4 << 0 << "Von &rechts" << "A P S I";
        QTest::newRow("Ctrl+5, from above") << true << file << 5 << 0 << "Von &oben" << "R L A P";
        QTest::newRow("Ctrl+6, from below") << true << file << 6 << 0 << "Von &unten" << "L R A P";
        QTest::newRow("from the front, 30 degrees about y")
            << true << file << 1 << 30 << "Von &vorn" << "LA RP S I";
        QTest::newRow("Ctrl+1, from +x") << false << file << 1 << 0 << "Von +&x" << "+y -y +z -z";
        QTest::newRow("Ctrl+2, from -x") << false << file << 2 << 0 << "&Von -x" << "-y +y +z -z";
        QTest::newRow("Ctrl+3, from +y") << false << file << 3 << 0 << "Von +&y" << "-x +x +z -z";
        QTest::newRow("Ctrl+6, from -z") << false << file << 6 << 0 << "Vo&n -z" << "-x +x +y -y";
        QTest::newRow("x mirrored, from +z")
            << false << "-x +y +z" << 5 << 0 << "Von +&z" << "-x +x +y -y";
        QTest::newRow("x and y swapped, from +x")
            << false << "+y +x -z" << 1 << 0 << "Von +&x" << "+x -x -z +z";
        // clang-format on
    }

    void theStandardViewsNameTheSides()
    {
        QFETCH(bool, patient);
        QFETCH(QString, axes);
        QFETCH(int, key);
        QFETCH(int, turn);
        QFETCH(QString, caption);
        QFETCH(QString, letters);
        QMainWindow window;
        GLWidget* view = new GLWidget(&window);
        window.setCentralWidget(view);
        QMenu* entries = window.menuBar()->addMenu("&Ansicht");
        ViewMenu menu(entries, view, new Histogram(&window), &window);
        menu.volumeLoaded({false, patient, {}, {}}, {});
        view->setVolumeAxes(VolumeAxes::fromText(axes));
        QVERIFY(ui::show(window));
        QApplication::setActiveWindow(&window); // whatever the display's focus
        QTest::keyClick(&window, Qt::Key(Qt::Key_0 + key), Qt::ControlModifier);
        ui::drag(view, QPoint(100, 100), QPoint(100 + turn, 100));
        const QMatrix4x4 seen = view->camera().modelView(view->xRotation(), view->yRotation());
        const EdgeLetters edges = patient ? edgeLetters(seen) : edgeAxes(seen);
        QCOMPARE(QStringList({edges.right, edges.left, edges.top, edges.bottom}).join(' '), letters);
        QAction* entry = entries->findChild<QMenu*>()->actions().value(key - 1);
        QVERIFY(entry->isEnabled());
        QCOMPARE(entry->text(), caption);
        QCOMPARE(entry->shortcut(), QKeySequence(int(Qt::CTRL) | (Qt::Key_0 + key)));
    }

    // "Achsen" turns or mirrors a volume's axes about the view's axes as
    // the standard view shows them: the picture is that of the volume
    // unchanged, mirrored or turned (a quarter turn about the picture's
    // horizontal shows the side the view from the front shows, upside
    // down), and the voxel under a pixel is the one under the pixel it
    // moved from. The view's edges then name the volume's axes; "Achsen
    // der Datei" brings back the picture of the file's axes.
    void theAxesTurnAndMirrorThePicture_data()
    {
        QTest::addColumn<int>("side");       // Camera::Side, the standard view
        QTest::addColumn<QString>("button"); // of the dialog
        QTest::addColumn<int>("seenFrom");   // the side the unchanged volume is compared from
        QTest::addColumn<int>("moved");      // how its picture moved
        const auto row = [](const char* name, Camera::Side side, const char* button,
                            Camera::Side seenFrom, Moved moved) {
            QTest::newRow(name) << int(side) << button << int(seenFrom) << int(moved);
        };
        using S = Camera::Side;
        row("mirrored left and right", S::Top, "links und rechts", S::Top, Moved::Mirrored);
        row("turned in the picture's plane", S::Top, "in der Bildebene", S::Top, Moved::TurnedLeft);
        row("turned about the horizontal", S::Top, "um die Waagerechte", S::Front,
            Moved::HalfTurned);
        row("turned in the picture's plane, from -y", S::Back, "in der Bildebene", S::Back,
            Moved::TurnedLeft);
        row("mirrored top and bottom, from -x", S::Left, "oben und unten", S::Left,
            Moved::UpsideDown);
    }

    void theAxesTurnAndMirrorThePicture()
    {
        QFETCH(int, side);
        QFETCH(QString, button);
        QFETCH(int, seenFrom);
        QFETCH(int, moved);
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture quiet;
        // At the start size, where the fit is the same for any box, so that
        // turned axes turn the picture alone.
        TestView view(700, 500);
        QVERIFY(writeVolumeFile("v.dat", lopsided()));
        view->loadVolume("v.dat");
        setTransfer(view.widget(), kColours);
        QString fault;
        view->setStandardView(Camera::Side(seenFrom));
        const QImage first = view->renderPicture(1, fault);
        std::vector<std::pair<QPoint, VoxelPick>> picks;
        for (QRgb colour : {kRed, kGreen, kBlue}) {
            const QRect block = pixelsOf(first, colour);
            if (block.width() > 4)
                picks.push_back({block.center(), view->pickAt(block.center())});
        }
        QVERIFY(picks.size() >= 2);

        view->setStandardView(Camera::Side(side));
        AxesDialog dialog(&view.widget(), nullptr);
        QVERIFY(ui::show(dialog));
        QVERIFY(ui::click(dialog, button));
        QVERIFY(!view->camera().axes().isFileAxes());
        QCOMPARE(differencesFromMoved(view->renderPicture(1, fault), first, Moved(moved)),
                 QString());
        for (const auto& [pixel, pick] : picks) {
            const VoxelPick there = view->pickAt(movedTo(Moved(moved), pixel, QSize(700, 500)));
            QVERIFY(pick.found && there.found);
            QCOMPARE(QVector3D(there.x, there.y, there.z), QVector3D(pick.x, pick.y, pick.z));
        }
        const QRgb marker = qRgb(255, 215, 50);
        QVERIFY(pixelsOf(view.render(), marker).intersects(QRect(670, 240, 30, 20)));

        QVERIFY(ui::click(dialog, "Achsen der Datei"));
        view->setStandardView(Camera::Side(seenFrom));
        QCOMPARE(view->renderPicture(1, fault), first);
        QVERIFY(!pixelsOf(view.render(), marker).isValid());
    }
};

QTEST_MAIN(TestExploring)
#include "tst_exploring.moc"
