// Frames drawn by the real GL and read back: slices, entry and exit points,
// and the three ray-casting modes, checked at pixels whose values are worked
// out from the geometry and the optics, not from the renderer.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tests/support/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <cmath>

namespace {

void fillBox(SampleVolume& volume, int x0, int y0, int z0, int x1, int y1, int z1, uint16_t value)
{
    for (int z = z0; z < z1; ++z)
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                volume.at(x, y, z) = value;
}

// A shown view with the shader files in its working folder, a volume loaded
// and the console captured.
struct Scene {
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    TestView view;
    Scene(int width, int height, const SampleVolume& volume) : view(width, height)
    {
        load(volume);
    }
    void load(const SampleVolume& volume)
    {
        QVERIFY(writeVolumeFile("v.dat", volume));
        view->loadVolume("v.dat");
    }
};

// Densities that a 16-bit texel holds exactly (multiples of 4095 / 15), so
// that the transfer table is met at the centre of their entry.
constexpr int kLow = 1092, kMiddle = 2184, kHigh = 3276;

// One colour per density and nothing on either side: a lookup that misses
// the entry's centre blends in the transparent neighbours.
std::vector<TablePoint> steep(const std::vector<std::pair<int, QColor>>& densities)
{
    std::vector<TablePoint> points;
    for (const auto& [density, color] : densities)
        points.insert(points.end(), {{density - 1, Qt::black, 0},
                                     {density, color},
                                     {density + 1, Qt::black, 0}});
    return points;
}

const QRgb kClear = qRgba(0, 0, 0, 0), kRed = qRgba(255, 0, 0, 255),
           kGreen = qRgba(0, 255, 0, 255), kBlue = qRgba(0, 0, 255, 255);

// The length of the non-transparent part of a column.
int coveredRun(const QImage& image, int column)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += qAlpha(image.pixel(column, y)) > 0;
    return count;
}

// Where a point of the volume (texture coordinates 0..1 of a cube) lands in
// a 700 x 500 view turned by `ax` about x after `ay` about y: one unit is 250
// pixels, y runs down the image.
QPoint projected(double s, double t, double r, double ax, double ay)
{
    const double x = s - 0.5, y = t - 0.5, z = r - 0.5, a = ax * M_PI / 180, b = ay * M_PI / 180;
    const double x1 = std::cos(b) * x + std::sin(b) * z, z1 = -std::sin(b) * x + std::cos(b) * z;
    const double y2 = std::cos(a) * y - std::sin(a) * z1;
    return QPoint(int(350 + 250 * x1), int(250 - 250 * y2));
}

} // namespace

class TestRendering : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }

    void aSliceShowsTheCrossSectionOnEachAxis()
    {
        // 256 x 128 x 64: kLow in the left half (x < 128) and kHigh in the
        // right, but for a top band (y >= 96) of kMiddle in the lower half
        // of the depth (z < 32).
        SampleVolume volume(256, 128, 64, kHigh);
        fillBox(volume, 0, 0, 0, 128, 128, 64, kLow);
        fillBox(volume, 0, 96, 0, 256, 128, 32, kMiddle);
        Scene scene(700, 500, volume);
        TestView& view = scene.view;
        setTransfer(view.widget(), steep({{kLow, Qt::red}, {kMiddle, Qt::green}, {kHigh, Qt::blue}}));
        view->setSlicing(true);

        // Axis x: width across, height up, at depth 0.75 (no band). One unit
        // is 250 pixels: the quad spans 225..475 across and 187.5..312.5 down.
        view->setXAxis();
        view->setSlice(192);
        QImage image = view.render();
        VERIFY_PIXEL(image, 260, 250, kRed, 2);
        VERIFY_PIXEL(image, 440, 250, kBlue, 2);
        VERIFY_PIXEL(image, 226, 189, kRed, 2);
        for (const QPoint& outside : {QPoint(222, 250), QPoint(350, 185), QPoint(478, 250),
                                      QPoint(350, 315)})
            VERIFY_PIXEL(image, outside.x(), outside.y(), kClear, 0);

        // Axis y: width across, depth up, at height 0.875 (in the band).
        view->setYAxis();
        view->setSlice(112);
        image = view.render();
        VERIFY_PIXEL(image, 300, 270, kGreen, 2); // z < 32 is the lower half on screen
        VERIFY_PIXEL(image, 300, 230, kRed, 2);
        VERIFY_PIXEL(image, 400, 230, kBlue, 2);
        VERIFY_PIXEL(image, 350, 218, kClear, 0); // 31.25 pixels each way

        // Axis z: height across, depth up, at width 0.25 (the left half).
        view->setZAxis();
        view->setSlice(16);
        image = view.render();
        VERIFY_PIXEL(image, 300, 240, kRed, 2);
        VERIFY_PIXEL(image, 400, 270, kGreen, 2);
        VERIFY_PIXEL(image, 285, 250, kClear, 0); // 62.5 pixels each side of the centre
    }

    // A small block in an empty cube, where a turn of 30 degrees about x
    // after 40 about y puts it, and not where the turns in the other order would.
    void maximumIntensityShowsTheBlockWhereItProjects()
    {
        SampleVolume volume(64, 64, 64, 0);
        fillBox(volume, 10, 46, 50, 14, 50, 54, kHigh);
        fillBox(volume, 40, 10, 0, 50, 20, 1, kHigh); // the back layer: the rays' last samples
        Scene scene(700, 500, volume);
        TestView& view = scene.view;
        setTransfer(view.widget(), steep({{kHigh, Qt::blue}}));
        view->setMIPMode();
        QImage image = view.render();
        QPoint at = projected(0.1875, 0.75, 0.8125, 0, 0);
        VERIFY_PIXEL(image, at.x(), at.y(), kBlue, 2);
        at = projected(0.7, 0.23, 0, 0, 0);
        VERIFY_PIXEL(image, at.x(), at.y(), kBlue, 2);
        VERIFY_PIXEL(image, 300, 300, kClear, 0); // in the cube, off the blocks

        ui::drag(&view.widget(), QPoint(100, 100), QPoint(140, 130));
        image = view.render();
        at = projected(0.1875, 0.75, 0.8125, 30, 40);
        VERIFY_PIXEL(image, at.x(), at.y(), kBlue, 2);
        const QPoint swapped(354, 235); // 40 about y after 30 about x
        VERIFY_PIXEL(image, swapped.x(), swapped.y(), kClear, 0);
    }

    void averageOfAUniformVolumeIsItsEntry()
    {
        Scene scene(300, 300, SampleVolume(40, 30, 20, 1000));
        // Half-transparent orange: the picture is premultiplied.
        setTransfer(scene.view.widget(), {{1000, QColor(255, 128, 0), 127}});
        scene.view->setAverageMode();
        const QImage image = scene.view.render();
        VERIFY_PIXEL(image, 150, 150, qRgba(127, 63, 0, 127), 1);
        QCOMPARE(coveredRun(image, 150), 112); // 30 / 40 of a unit, 150 pixels, centred
        ui::drag(&scene.view.widget(), QPoint(10, 10), QPoint(47, 33)); // any direction
        VERIFY_PIXEL(scene.view.render(), 150, 150, qRgba(127, 63, 0, 127), 1);
    }

    // Emission and absorption in a uniform slab three voxels deep, seen at a
    // slant (4.5 voxels): a ray of L voxels lets (1 - a)^L through, however
    // it is sampled, and the colour is weighted by the opacity gathered. The uniform volume
    // has no gradient, so the headlight leaves the colour as it is.
    void compositeOfASlantedSlab()
    {
        Scene scene(400, 400, SampleVolume(64, 64, 3, kHigh));
        TestView& view = scene.view;
        setTransfer(view.widget(), {{kHigh - 200, Qt::black, 0},
                                    {kHigh - 100, QColor(255, 128, 0), 64},
                                    {kHigh + 100, QColor(255, 128, 0), 64},
                                    {kHigh + 200, Qt::black, 0}});
        ui::drag(&view.widget(), QPoint(100, 100), QPoint(140, 130)); // 30 about x, 40 about y
        const double slant = std::cos(30 * M_PI / 180) * std::cos(40 * M_PI / 180);
        const double opacity = 1 - std::pow(1 - 64 / 255.0, 3 / slant);
        const QRgb expected = qRgba(int(std::lround(255 * opacity)), int(std::lround(128 * opacity)),
                                    0, int(std::lround(255 * opacity)));
        const QImage image = view.render();
        for (const QPoint& at : {QPoint(200, 200), QPoint(185, 190), QPoint(215, 212)})
            VERIFY_PIXEL(image, at.x(), at.y(), expected, 4);
    }

    // A sheet one voxel thick across the view, a table that is transparent
    // below half its density: whatever the jitter, exactly one sample of
    // each ray lands in the sheet, so every pixel shows the table's opacity
    // once. White stays white under the headlight.
    void compositeOfAOneVoxelSheet()
    {
        SampleVolume volume(32, 32, 64, 0);
        fillBox(volume, 0, 0, 32, 32, 32, 33, kHigh);
        Scene scene(400, 400, volume);
        setTransfer(scene.view.widget(), {{kHigh / 2 - 1, Qt::black, 0},
                                          {kHigh / 2, Qt::white, 128},
                                          {4095, Qt::white, 128}});
        const QImage image = scene.view.render();
        for (int x = 160; x <= 240; x += 10)
            VERIFY_PIXEL(image, x, 200, qRgba(128, 128, 128, 128), 2);
    }
};

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
