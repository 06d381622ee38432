// Frames drawn by the real GL and read back: slices, entry and exit points,
// and the three ray-casting modes, checked at chosen pixels.

#include "render/glfeatures.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "volume/volumewriter.h"

#include <QtTest>

namespace {

// A transfer function drawn on a 4095 x 255 editor, where x is the density
// and y the opacity; each point's entry holds exactly its colour.
struct Point
{
    int density;
    QColor color;
    int alpha = 255;
};

void setTransfer(GLWidget& view, const std::vector<Point>& points)
{
    std::vector<ControlPoint> controls;
    for (const Point& p : points) {
        ControlPoint c;
        c.color = p.color;
        c.x = p.density;
        c.y = p.alpha;
        controls.push_back(c);
    }
    view.updateTransferFunction(controls, 4095, 255);
}

void load(TestView& view, const TestFolder& folder, const SampleVolume& volume)
{
    QVERIFY(writeVolumeFile(folder.file("v.dat"), volume));
    view->loadVolume("v.dat");
}

void fillBox(SampleVolume& volume, int x0, int y0, int z0, int x1, int y1, int z1, uint16_t value)
{
    for (int z = z0; z < z1; ++z)
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                volume.at(x, y, z) = value;
}

// A shown view with the shader files in its working folder, a volume
// loaded and the console captured.
struct Scene
{
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    TestView view;
    Scene(int width, int height, const SampleVolume& volume) : view(width, height)
    {
        load(view, folder, volume);
    }
};

// Turns the view with a real left-button drag.
void drag(GLWidget& view, QPoint from, QPoint to)
{
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, to);
}

QString rgba(QRgb pixel)
{
    return QString("(%1, %2, %3, %4)")
        .arg(qRed(pixel))
        .arg(qGreen(pixel))
        .arg(qBlue(pixel))
        .arg(qAlpha(pixel));
}

bool near(QRgb actual, QRgb expected, int fuzz)
{
    return std::abs(qRed(actual) - qRed(expected)) <= fuzz &&
           std::abs(qGreen(actual) - qGreen(expected)) <= fuzz &&
           std::abs(qBlue(actual) - qBlue(expected)) <= fuzz &&
           std::abs(qAlpha(actual) - qAlpha(expected)) <= fuzz;
}

#define VERIFY_PIXEL(image, x, y, expected, fuzz)                                                  \
    do {                                                                                           \
        const QRgb actual_ = (image).pixel((x), (y));                                              \
        if (!near(actual_, (expected), (fuzz)))                                                    \
            TestView::saveArtefact((image), QTest::currentTestFunction());                         \
        QVERIFY2(near(actual_, (expected), (fuzz)),                                                \
                 qPrintable(QString("pixel (%1, %2) is %3, expected %4")                           \
                                .arg(x)                                                            \
                                .arg(y)                                                            \
                                .arg(rgba(actual_))                                                \
                                .arg(rgba(expected))));                                            \
    } while (false)

const QRgb kClear = qRgba(0, 0, 0, 0);
const QRgb kRed = qRgba(255, 0, 0, 255);
const QRgb kGreen = qRgba(0, 255, 0, 255);
const QRgb kBlue = qRgba(0, 0, 255, 255);

// The width and height of the non-transparent part of a row or column.
int coveredRun(const QImage& image, bool row, int at)
{
    int count = 0;
    const int length = row ? image.width() : image.height();
    for (int i = 0; i < length; ++i)
        count += qAlpha(row ? image.pixel(i, at) : image.pixel(at, i)) > 0;
    return count;
}

} // namespace

class TestRendering : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }
    void cleanup() { hideGLFeatures(GLFeatures()); }

    void framesWaitForATransferFunctionAndTenRows()
    {
        Scene scene(200, 200, SampleVolume(16, 9, 16, 4095));
        TestView& view = scene.view;
        ConsoleCapture& console = scene.console;
        setTransfer(view.widget(), {{4095, Qt::red}});
        console.clear();
        VERIFY_PIXEL(view.render(), 100, 100, kClear, 0); // 9 rows: never drawn
        QCOMPARE(console.out(), std::string());

        load(view, scene.folder, SampleVolume(16, 10, 16, 4095));
        console.clear();
        VERIFY_PIXEL(view.render(), 100, 100, kRed, 1);
        QVERIFY(console.out().find("frames/second \r") != std::string::npos);
    }

    void aSliceShowsTheCrossSectionOnEachAxis()
    {
        // 256 x 128 x 64: density 1000 in the left half (x < 128) and 3000
        // in the right, except a top band (y >= 96) of 2000 in the lower
        // half of the depth (z < 32).
        SampleVolume volume(256, 128, 64, 3000);
        fillBox(volume, 0, 0, 0, 128, 128, 64, 1000);
        fillBox(volume, 0, 96, 0, 256, 128, 32, 2000);
        Scene scene(700, 500, volume);
        TestView& view = scene.view;
        ConsoleCapture& console = scene.console;
        setTransfer(view.widget(), {{1000, Qt::red}, {2000, Qt::green}, {3000, Qt::blue}});
        view->setSlicing(true);

        // Axis x: width across, height up, at depth 0.75 (in the upper half
        // of the depth, so no band). One unit is 250 pixels: the quad spans
        // 225..475 across and 187.5..312.5 up.
        view->setXAxis();
        view->setSlice(192); // 192 / 256 = 0.75
        console.clear();
        QImage image = view.render();
        VERIFY_PIXEL(image, 260, 250, kRed, 1);
        VERIFY_PIXEL(image, 440, 250, kBlue, 1);
        VERIFY_PIXEL(image, 226, 189, kRed, 1);
        VERIFY_PIXEL(image, 222, 250, kClear, 0);
        VERIFY_PIXEL(image, 350, 185, kClear, 0);
        VERIFY_PIXEL(image, 478, 250, kClear, 0);
        VERIFY_PIXEL(image, 350, 315, kClear, 0);
        QCOMPARE(QString::fromStdString(console.err()),
                 QString("Setting 3D Texture: no error\nSetting 1D Texture: no error\n"
                         "GetUniformLocation: no error\nGetUniformLocation: no error\n"
                         "Uniformtest1: no error\nUniformtest2: no error\n"));
        QVERIFY(console.out().find("x: ") == std::string::npos);

        // Axis y: width across, depth up, at height 0.875 (inside the band):
        // the lower half of the depth shows the band, the upper half not.
        view->setYAxis();
        view->setSlice(112); // 112 / 128 = 0.875
        image = view.render();
        VERIFY_PIXEL(image, 300, 270, kGreen, 1); // z < 32 is the lower half on screen
        VERIFY_PIXEL(image, 300, 230, kRed, 1);   // x < 128, z >= 32
        VERIFY_PIXEL(image, 400, 230, kBlue, 1);
        VERIFY_PIXEL(image, 350, 218, kClear, 0); // the quad is 31.25 pixels high each way

        // Axis z: height across, depth up, at width 0.25 (the left half).
        view->setZAxis();
        view->setSlice(16); // 16 / 64 = 0.25
        image = view.render();
        VERIFY_PIXEL(image, 300, 240, kRed, 1);   // y < 96, z >= 32
        VERIFY_PIXEL(image, 400, 270, kGreen, 1); // y >= 96, z < 32
        VERIFY_PIXEL(image, 290, 250, kRed, 1);
        VERIFY_PIXEL(image, 285, 250, kClear, 0); // 62.5 pixels each side of the centre
    }

    void theLastSliceShowsTheLastLayerAlone()
    {
        SampleVolume volume(64, 64, 64, 0);
        fillBox(volume, 0, 0, 0, 64, 64, 1, 1000);   // first layer
        fillBox(volume, 0, 0, 63, 64, 64, 64, 3000); // last layer
        Scene scene(300, 300, volume);
        TestView& view = scene.view;
        setTransfer(view.widget(), {{1000, Qt::red}, {3000, Qt::blue}});
        view->setSlicing(true);
        view->setSlice(64); // coordinate 1.0 along the depth
        VERIFY_PIXEL(view.render(), 150, 150, kBlue, 1);
        view->setSlice(0);
        VERIFY_PIXEL(view.render(), 150, 150, kRed, 1);
    }

    void aCubeShowsSquareAndCentred()
    {
        Scene scene(700, 500, SampleVolume(32, 32, 32, 2000));
        TestView& view = scene.view;
        setTransfer(view.widget(), {{2000, Qt::green}});
        for (bool slicing : {true, false}) {
            view->setSlicing(slicing);
            view->setMIPMode();
            const QImage image = view.render();
            QCOMPARE(coveredRun(image, true, 250), 250);
            QCOMPARE(coveredRun(image, false, 350), 250);
            VERIFY_PIXEL(image, 226, 126, kGreen, 1);
            VERIFY_PIXEL(image, 473, 373, kGreen, 1);
            VERIFY_PIXEL(image, 223, 250, kClear, 0);
            VERIFY_PIXEL(image, 350, 123, kClear, 0);
        }
    }

    void entryAndExitPointsFollowTheRotation()
    {
        Scene scene(400, 400, SampleVolume(256, 128, 64, 0));
        TestView& view = scene.view;
        ConsoleCapture& console = scene.console;
        setTransfer(view.widget(), {});
        console.clear();
        view.render();
        QVERIFY(console.out().find("x: 0 y: 0\n") != std::string::npos);

        // Rotation (0, 0): the face at z = +hz alone, seen square on, fills
        // the entry texture (blue 1) and the face at z = -hz the exit (blue 0).
        // One unit is 200 pixels: the box covers 100..300 by 150..250.
        view->makeCurrent();
        QImage entry = readRectangleTexture(view->entryTexture(), 400, 400);
        QImage exit = readRectangleTexture(view->exitTexture(), 400, 400);
        // Coordinates change by 1/50 (1/25 along the height) per pixel here.
        VERIFY_PIXEL(entry, 200, 200, qRgba(128, 128, 255, 255), 3);
        VERIFY_PIXEL(exit, 200, 200, qRgba(128, 128, 0, 255), 3);
        VERIFY_PIXEL(entry, 101, 151, qRgba(2, 250, 255, 255), 4); // (0, 1) at the top left
        VERIFY_PIXEL(entry, 298, 248, qRgba(253, 5, 255, 255), 4);
        VERIFY_PIXEL(entry, 200, 140, kClear, 0);
        QCOMPARE(coveredRun(entry, true, 200), 200);
        QCOMPARE(coveredRun(entry, false, 200), 100);

        // A drag of 90 pixels down turns the box by 90 degrees about x: the
        // face at y = +hy faces the viewer (green 1 at entry, 0 at exit).
        drag(view.widget(), QPoint(50, 50), QPoint(50, 140));
        QCOMPARE(view->xRotation(), 90);
        console.clear();
        view.render();
        QVERIFY(console.out().find("x: 90 y: 0\n") != std::string::npos);
        view->makeCurrent();
        entry = readRectangleTexture(view->entryTexture(), 400, 400);
        exit = readRectangleTexture(view->exitTexture(), 400, 400);
        VERIFY_PIXEL(entry, 200, 200, qRgba(128, 255, 128, 255), 5);
        VERIFY_PIXEL(exit, 200, 200, qRgba(128, 0, 128, 255), 5);
        QCOMPARE(coveredRun(entry, false, 200), 50); // the depth now runs up the view
    }

    void rayCastFramesReportEachStep()
    {
        Scene scene(300, 200, SampleVolume(16, 16, 16, 100));
        TestView& view = scene.view;
        ConsoleCapture& console = scene.console;
        setTransfer(view.widget(), {});
        console.clear();
        view.render();
        QCOMPARE(QString::fromStdString(console.err()),
                 QString("Setting 3D Texture: no error\nSetting 1D Texture: no error\n"
                         "Setting 3D Texture3: no error\nSetting 1D Texture4: no error\n"
                         "GetUniformLocation: no error\nGetUniformLocation: no error\n"
                         "GetUniformLocation: no error\nGetUniformLocation: no error\n"
                         "Uniformtest1: no error\nUniformtest2: no error\n"
                         "Uniformtest3: no error\nUniformtest4: no error\n"
                         "Volume_Dimension: no error\n"));
        const QRegularExpression line("^x: 0 y: 0\n- \\d{3}\\.\\d{2} frames/second \r$");
        QVERIFY2(line.match(QString::fromStdString(console.out())).hasMatch(),
                 console.out().c_str());
    }

    void maximumIntensityShowsTheBlockWhereItProjects()
    {
        // A 64-voxel cube, empty but for a dense block at x 8..24, y 40..56,
        // z 20..40. In a 700 x 500 view one unit is 250 pixels: the block
        // projects onto 256..319 across and 156..219 down from the top.
        SampleVolume volume(64, 64, 64, 0);
        fillBox(volume, 8, 40, 20, 24, 56, 40, 4000);
        Scene scene(700, 500, volume);
        TestView& view = scene.view;
        setTransfer(view.widget(), {{4000, Qt::blue}});
        view->setMIPMode();
        QImage image = view.render();
        VERIFY_PIXEL(image, 287, 187, kBlue, 1);
        VERIFY_PIXEL(image, 262, 162, kBlue, 1);
        VERIFY_PIXEL(image, 400, 300, kClear, 0); // in the cube, outside the block
        VERIFY_PIXEL(image, 50, 50, kClear, 0);   // outside the cube
        VERIFY_PIXEL(image, 287, 230, kClear, 0);

        // Half a turn about y mirrors it across the centre.
        drag(view.widget(), QPoint(100, 100), QPoint(280, 100));
        QCOMPARE(view->yRotation(), 180);
        image = view.render();
        VERIFY_PIXEL(image, 412, 187, kBlue, 1);
        VERIFY_PIXEL(image, 287, 187, kClear, 0);
    }

    void averageOfAUniformVolumeIsItsEntry()
    {
        Scene scene(300, 300, SampleVolume(40, 30, 20, 1000));
        TestView& view = scene.view;
        // Entry 1000 is half-transparent orange: the picture is premultiplied.
        setTransfer(view.widget(), {{1000, QColor(255, 128, 0), 127}});
        view->setAverageMode();
        const QImage image = view.render();
        VERIFY_PIXEL(image, 150, 150, qRgba(127, 63, 0, 127), 1);
        drag(view.widget(), QPoint(10, 10), QPoint(47, 33)); // any direction
        VERIFY_PIXEL(view.render(), 150, 150, qRgba(127, 63, 0, 127), 1);
    }

    void compositeShowsTheOpaqueBlockInFront()
    {
        // Two blocks on the line of sight: dense (red, opaque) near the
        // viewer at rotation (0, 0), less dense (green) behind it.
        SampleVolume volume(64, 64, 64, 0);
        fillBox(volume, 16, 16, 40, 48, 48, 56, 3000);
        fillBox(volume, 16, 16, 8, 48, 48, 24, 1500);
        Scene scene(400, 400, volume);
        TestView& view = scene.view;
        setTransfer(view.widget(), {{1400, Qt::black, 0},
                                    {1500, Qt::green},
                                    {1600, Qt::black, 0},
                                    {2900, Qt::black, 0},
                                    {3000, Qt::red}});
        view->setCompositeMode();
        QImage image = view.render();
        QRgb centre = image.pixel(200, 200);
        QVERIFY2(qRed(centre) > 200 && qGreen(centre) < 120 && qAlpha(centre) > 250,
                 qPrintable(rgba(centre)));
        VERIFY_PIXEL(image, 20, 20, kClear, 0);

        drag(view.widget(), QPoint(100, 100), QPoint(280, 100)); // the back comes to the front
        image = view.render();
        centre = image.pixel(200, 200);
        QVERIFY2(qGreen(centre) > 200 && qRed(centre) < 120 && qAlpha(centre) > 250,
                 qPrintable(rgba(centre)));
    }
};

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
