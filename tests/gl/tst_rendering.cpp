// The view with the real GL: frames read back (slices, entry and exit
// points, the three ray-casting modes, with and without leaping), checked at
// pixels whose values are worked out from the geometry and the optics, not
// from the renderer; and its set-up (the volume texture, the framebuffers,
// errors).

#include "app/picturesaver.h"
#include "render/glfeatures.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <cmath>
#include <numeric>

namespace {

void fillBox(SampleVolume& volume, int x0, int y0, int z0, int x1, int y1, int z1, uint16_t value)
{
    for (int z = z0; z < z1; ++z)
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                volume.at(x, y, z) = value;
}

// A shown view with the shader files in its working folder, a volume written
// as "v.dat" and loaded, unless the test loads it itself, and the console
// captured.
struct Scene
{
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    TestView view;
    Scene(int width, int height, const SampleVolume& volume, bool loaded = true)
        : view(width, height)
    {
        loaded ? load(volume) : (void)writeVolumeFile("v.dat", volume);
    }
    void load(const SampleVolume& volume)
    {
        QVERIFY(writeVolumeFile("v.dat", volume));
        view->loadVolume("v.dat");
    }
};

// What a load of a small volume says on standard error.
const std::string kMemoryLine = "- Graphics memory for the volume: 0 MB (5 bytes a voxel).\n";

// Densities that a 16-bit texel holds exactly (multiples of 4095 / 15), so
// that the transfer table is met at the centre of their entry.
constexpr int kLow = 1092, kMiddle = 2184, kHigh = 3276;

// One colour per density and nothing on either side: a lookup that misses
// the entry's centre blends in the transparent neighbours.
std::vector<TablePoint> steep(const std::vector<std::pair<int, QColor>>& densities)
{
    std::vector<TablePoint> points;
    for (const auto& [density, color] : densities)
        points.insert(points.end(),
                      {{density - 1, Qt::black, 0}, {density, color}, {density + 1, Qt::black, 0}});
    return points;
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

// 96 x 88 x 80 voxels (bricks of 8) of air holding blocks of 2048 and of
// 100 that each fill three bricks along every axis (at 16 bits, 2048 / 4095
// is stored a little above and 100 / 4095 a little below: they read a little
// of the table's next and previous entries); a plane of 3000 on x = 88, the
// first voxel of a brick and the last of the brick before; a plane of 1200
// on z = 23, the last voxel of a brick, from y = 9, the second voxel of a
// brick, to y = 79, the last voxel of a brick: nothing lies lower or higher
// on y, so the box of bricks that show ends there; a square of 4095 on x =
// 73, in the second voxel of a brick, behind the blocks seen along x; one
// voxel of 4095 on the corner of eight bricks; and squares on the faces
// x = 0 and z = 79, which the samples between a face and the first voxel
// centres read. Boxes run from x0 to x1 - 1.
SampleVolume boxes()
{
    const int kBoxes[][7] = {{8, 40, 40, 33, 65, 65, 2048},  {40, 40, 40, 65, 65, 65, 100},
                             {88, 24, 16, 89, 80, 72, 3000}, {8, 9, 23, 88, 80, 24, 1200},
                             {73, 44, 44, 74, 60, 60, 4095}, {80, 16, 72, 81, 17, 73, 4095},
                             {0, 56, 8, 1, 72, 24, 1300},    {16, 56, 79, 32, 72, 80, 1400}};
    SampleVolume volume(96, 88, 80, 0);
    for (const int* b : kBoxes)
        fillBox(volume, b[0], b[1], b[2], b[3], b[4], b[5], uint16_t(b[6]));
    return volume;
}

// Control points on a 4095 x 255 editor: density and opacity.
using Transfer = QVector<QPoint>;
const Transfer kWindow = {{999, 0}, {1000, 200}, {1500, 200}, {1501, 0}};

QSize rectangleSize(GLuint texture, GLenum target = GL_TEXTURE_RECTANGLE_ARB)
{
    glBindTexture(target, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &height);
    return QSize(width, height);
}

// Turns the view with the left button held and draws a turning frame, then moves back to
// the unturned view, the button still held.
void turnAndBack(TestView& view)
{
    QTest::mousePress(&view.widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    ui::move(&view.widget(), QPoint(80, 50), Qt::LeftButton);
    view.render();
    ui::move(&view.widget(), QPoint(50, 50), Qt::LeftButton);
}

} // namespace

class TestRendering : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }
    void cleanup() { hideGLFeatures({}); }

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
        setTransfer(view.widget(),
                    steep({{kLow, Qt::red}, {kMiddle, Qt::green}, {kHigh, Qt::blue}}));
        view->setSlicing(true);

        // Axis x: width across, height up, at depth 0.75 (no band). One unit
        // is 250 pixels: the quad spans 225..475 across and 187.5..312.5 down.
        view->setXAxis();
        view->setSlice(192);
        QImage image = view.render();
        VERIFY_PIXEL(image, 260, 250, kRed, 2);
        VERIFY_PIXEL(image, 440, 250, kBlue, 2);
        VERIFY_PIXEL(image, 226, 189, kRed, 2);
        for (const QPoint& outside :
             {QPoint(222, 250), QPoint(350, 185), QPoint(478, 250), QPoint(350, 315)})
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

    // A ball of 4095 in tissue of 1500: projections take densities above
    // the densest control point as its entry, and 4095 as entry 4094 at
    // most, so the ball is the brightest thing whatever window the table
    // was built for. A grey ramp on 300 pixels of the window 0..4095 ends at
    // entry 4094 (300 x 13.65f truncates there); on 4095 pixels, white at
    // the last but one, entry 4095 is the transparent end point; the white
    // point may stop short of the window's top (at 2416, where the table
    // falls to transparent above it); the grey ramp's own window ends below
    // the ball, and a mean of 3000 lies above it too.
    void projectionsShowTheDensestVoxelsBrightest_data()
    {
        QTest::addColumn<bool>("average");
        QTest::addColumn<int>("windowTop");
        QTest::addColumn<int>("editorWidth");
        QTest::addColumn<int>("whiteAt"); // the ramp's white end on the editor
        QTest::newRow("MIP, the table ending at 4094") << false << 4095 << 300 << 300;
        QTest::newRow("MIP, the end point at 4095") << false << 4095 << 4095 << 4094;
        QTest::newRow("MIP, white short of the window's top") << false << 4095 << 400 << 236;
        QTest::newRow("MIP, a window below the ball") << false << 2416 << 400 << 400;
        QTest::newRow("average above the window") << true << 2416 << 400 << 400;
    }
    void projectionsShowTheDensestVoxelsBrightest()
    {
        QFETCH(bool, average);
        QFETCH(int, windowTop);
        QFETCH(int, editorWidth);
        QFETCH(int, whiteAt);
        SampleVolume volume(64, 64, 64, average ? 3000 : 1500);
        for (int z = 0; z < 64; ++z)
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                    if (!average && std::hypot(x - 31.5, y - 31.5, z - 31.5) < 12)
                        volume.at(x, y, z) = 4095;
        Scene scene(300, 300, volume);
        scene.view->m_maxDensity = windowTop;
        scene.view->updateTransferFunction({{Qt::black, 0, 0}, {Qt::white, whiteAt, 255}},
                                           editorWidth, 255);
        average ? scene.view->setAverageMode() : scene.view->setMIPMode();
        const QImage image = scene.view.render();
        VERIFY_PIXEL(image, 150, 150, qRgba(255, 255, 255, 255), 2);
        if (!average) { // tissue alone, through the cube's edge: grey, darker than the ball
            const QRgb tissue = image.pixel(95, 150);
            QVERIFY2(qAlpha(tissue) > 60 && qAlpha(tissue) < 200, qPrintable(rgbaText(tissue)));
        }
    }

    void averageOfAUniformVolumeIsItsEntry()
    {
        Scene scene(300, 300, SampleVolume(40, 30, 20, 1000));
        // Half-transparent orange: the picture is premultiplied.
        setTransfer(scene.view.widget(), {{1000, QColor(255, 128, 0), 127}});
        scene.view->setAverageMode();
        const QImage image = scene.view.render();
        VERIFY_PIXEL(image, 150, 150, qRgba(127, 63, 0, 127), 1);
        // Fitted as in the 700 x 500 view, where its height, 30 / 40 of a
        // unit of 250 pixels, takes 37.5 % and limits it: here its width
        // does, a unit of 112.5 pixels, and its height is 84.4, centred:
        // rows 108 to 191.
        for (const int y : {107, 108, 191, 192})
            QVERIFY2((qAlpha(image.pixel(150, y)) > 0) == (y == 108 || y == 191),
                     qPrintable(QString::number(y)));
        ui::drag(&scene.view.widget(), QPoint(10, 10), QPoint(47, 33)); // any direction
        VERIFY_PIXEL(scene.view.render(), 150, 150, qRgba(127, 63, 0, 127), 1);
    }

    // Emission and absorption in a uniform slab three voxels deep, seen at a
    // slant (4.5 voxels): a ray of L voxels lets (1 - a)^L through, however
    // it is sampled, and the colour is weighted by the opacity gathered. The uniform volume
    // has no gradient: lit as a surface facing the headlight, without its
    // highlight, it shows 0.2 + 0.6 of its colour.
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
        const QRgb expected =
            qRgba(int(std::lround(0.8 * 255 * opacity)), int(std::lround(0.8 * 128 * opacity)), 0,
                  int(std::lround(255 * opacity)));
        const QImage image = view.render();
        for (const QPoint& at : {QPoint(200, 200), QPoint(185, 190), QPoint(215, 212)})
            VERIFY_PIXEL(image, at.x(), at.y(), expected, 4);
    }

    // A sheet one voxel thick across the view, a table that is transparent
    // below half its density and too faint to be a surface: whatever the
    // jitter, exactly one sample of each ray lands in the sheet, so every
    // pixel shows the table's opacity once. White stays white under the
    // headlight.
    void compositeOfAOneVoxelSheet()
    {
        SampleVolume volume(32, 32, 64, 0);
        fillBox(volume, 0, 0, 32, 32, 32, 33, kHigh);
        Scene scene(400, 400, volume);
        setTransfer(
            scene.view.widget(),
            {{kHigh / 2 - 1, Qt::black, 0}, {kHigh / 2, Qt::white, 24}, {4095, Qt::white, 24}});
        const QImage image = scene.view.render();
        for (int x = 160; x <= 240; x += 10)
            VERIFY_PIXEL(image, x, 200, qRgba(24, 24, 24, 24), 1);
    }

    // The jitter over a picture wider and taller than its 64 x 64 tile. Seen
    // straight along z, a volume of 0 over 4095 with a table opaque from
    // density 1 and red rising with it: each ray finds the surface between
    // the two layers' centres in steps of a quarter of a voxel, its first
    // substep past the last 0 as deep as the ray's offset puts it, and shows
    // that depth as red, 0 to 64. Over 144 x 144 pixels, neighbours almost
    // never share an offset, and every 16 x 16 block spans most of them: no
    // region of one offset, no rings.
    void theJitterVariesOverTheWholePicture()
    {
        SampleVolume volume(64, 64, 8, 0);
        fillBox(volume, 0, 0, 0, 64, 64, 4, 4095);
        Scene scene(320, 320, volume);
        setTransfer(scene.view.widget(), {{1, Qt::black}, {4095, Qt::red}});
        const QImage image = scene.view.render();
        int same = 0, pairs = 0, narrowest = 255; // the smallest spread of red in a block
        for (int top = 88; top < 232; top += 16)  // the volume covers 80..240 each way
            for (int left = 88; left < 232; left += 16) {
                int low = 255, high = 0;
                for (int y = top; y < top + 16; ++y)
                    for (int x = left; x < left + 16; ++x) {
                        const int red = qRed(image.pixel(x, y));
                        low = std::min(low, red), high = std::max(high, red);
                        same += (red == qRed(image.pixel(x + 1, y))) +
                                (red == qRed(image.pixel(x, y + 1)));
                        pairs += 2;
                    }
                narrowest = std::min(narrowest, high - low);
            }
        if (same >= pairs / 20 || narrowest <= 16)
            TestView::saveArtefact(image, "jitter");
        QVERIFY2(same < pairs / 20,
                 qPrintable(QString("%1 of %2 neighbours alike").arg(same).arg(pairs)));
        QVERIFY2(narrowest > 16, qPrintable(QString("a block's red spans %1").arg(narrowest)));
    }

    // Leaping over empty space is lossless: every pixel of a ray-cast frame
    // equals the plain march's within one unit per channel, for thin features
    // on brick faces and on the volume's faces, tables transparent over part
    // of the range and densities a table entry away from an edge of the table,
    // in all three modes; and for sharp tables at steps short enough to pass
    // samples by the cells around them.
    void leapingChangesNoPixel_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Transfer>("transfer");
        QTest::addColumn<QPoint>("turn");        // a drag across and down, one degree per pixel
        QTest::addColumn<bool>("paddedTexture"); // the volume in a corner of a larger texture
        QTest::addColumn<double>("step");        // voxels between samples
        const Transfer above2048 = {{2048, 0}, {2049, 255}, {4094, 255}};
        const Transfer below100 = {{98, 0}, {99, 255}, {100, 0}};
        const Transfer above2400 = {{2400, 0}, {2401, 255}, {4094, 255}};
        QTest::newRow("composite, window") << 0 << kWindow << QPoint(-50, 35) << false << 1.0;
        QTest::newRow("composite, just above 2048")
            << 0 << above2048 << QPoint(30, -20) << false << 1.0;
        QTest::newRow("composite, just below 100")
            << 0 << below100 << QPoint(-40, 20) << false << 1.0;
        QTest::newRow("maximum") << 2 << Transfer{{0, 255}, {4094, 255}} << QPoint(120, -30)
                                 << false << 1.0;
        QTest::newRow("average, below 1001")
            << 1 << Transfer{{0, 255}, {1000, 255}, {1001, 0}} << QPoint(65, 25) << false << 1.0;
        // Rays along z step exactly a voxel: a run reads as far from its brick as it ever does.
        QTest::newRow("composite, window, along z")
            << 0 << kWindow << QPoint(0, 0) << false << 1.0;
        QTest::newRow("composite, padded texture")
            << 0 << kWindow << QPoint(-50, 35) << true << 1.0;
        QTest::newRow("composite, just above 2048, a quarter voxel")
            << 0 << above2048 << QPoint(30, -20) << false << 0.25;
        QTest::newRow("composite, just below 100, 0.3 voxels")
            << 0 << below100 << QPoint(-40, 20) << false << 0.3;
        // Slabs a voxel or two thick and a single voxel on a cell's face, nothing else.
        QTest::newRow("composite, above 2400, 0.45 voxels")
            << 0 << above2400 << QPoint(-70, 25) << false << 0.45;
        QTest::newRow("composite, above 2400, 0.3 voxels")
            << 0 << above2400 << QPoint(-40, 30) << false << 0.3;
        QTest::newRow("composite, above 2400, along x, 0.3 voxels")
            << 0 << above2400 << QPoint(90, 0) << false << 0.3;
    }

    void leapingChangesNoPixel()
    {
        QFETCH(int, mode);
        QFETCH(Transfer, transfer);
        QFETCH(QPoint, turn);
        QFETCH(bool, paddedTexture);
        QFETCH(double, step);
        SampleVolume volume = boxes();
        // At short steps also single voxels, scattered, the finest thing a
        // cell's look could pass by, and a slab a voxel thick two voxels
        // beyond a cell's face, where a look that reached too far would pass it.
        if (step < 1)
            fillBox(volume, 50, 20, 10, 51, 70, 70, 4095);
        uint32_t random = 7;
        for (int speck = 0; step < 1 && speck < 400; ++speck) {
            int at[3];
            for (int& coordinate : at) {
                random = random * 1664525u + 1013904223u;
                coordinate = int(random >> 16);
            }
            volume.at(at[0] % volume.width, at[1] % volume.height, at[2] % volume.depth) = 4095;
        }
        GLFeatures hidden;
        hidden.nonPowerOfTwo = paddedTexture;
        hideGLFeatures(hidden);
        Scene scene(step < 1 ? 600 : 240, step < 1 ? 500 : 200, volume);
        TestView& view = scene.view;
        // Loaded under a table that shows nothing: leaping must follow its change.
        setTransfer(view.widget(), {{0, Qt::white, 0}, {4094, Qt::white, 0}});
        scene.load(volume);

        std::vector<TablePoint> points;
        for (const QPoint& p : transfer)
            points.push_back({p.x(), QColor::fromHsv(p.x() * 300 / 4095, 200, 255), p.y()});
        setTransfer(view.widget(), points);
        void (GLWidget::*modes[])() = {&GLWidget::setCompositeMode, &GLWidget::setAverageMode,
                                       &GLWidget::setMIPMode};
        (view.widget().*modes[mode])();
        ui::drag(&view.widget(), QPoint(1, 1), QPoint(1, 1) + turn);
        view->setSampleDistance(step);

        view->setLeaping(false);
        const QImage plain = view.render();
        view->setLeaping(true);
        const QImage leaping = view.render();
        int differing = 0, shown = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                shown += qAlpha(plain.pixel(x, y)) > 0;
                differing += !nearPixel(leaping.pixel(x, y), plain.pixel(x, y), 1);
            }
        if (differing > 0) {
            TestView::saveArtefact(plain, QString("leaping-%1-plain").arg(QTest::currentDataTag()));
            TestView::saveArtefact(leaping, QString("leaping-%1").arg(QTest::currentDataTag()));
        }
        QVERIFY2(shown > 200, "the plain march shows too little of the volume to compare");
        QVERIFY2(differing == 0, qPrintable(QString("%1 pixels differ").arg(differing)));
    }

    // A still frame shades from six density reads a sample; steps longer
    // than a voxel, and frames while turning, from the gradient textures,
    // as the reads do but for their 8 bits: a ball, whose surface faces
    // every way, at three turns, close in every pixel and closer on the
    // whole. (Measured: at most 3 in 255 and 0.45 rms for the soft ball, 11
    // and 1.8 for the hard edge, whose longest gradients a clamp at length 1
    // would take to 5.4.)
    void gradientTexturesShadeAsDensityReads_data()
    {
        QTest::addColumn<bool>("hardEdged");
        QTest::newRow("soft ball in noise") << false;
        // 0 beside 4095: differences of -1 and +1, the longest there are.
        QTest::newRow("hard-edged ball") << true;
    }

    void gradientTexturesShadeAsDensityReads()
    {
        QFETCH(bool, hardEdged);
        SampleVolume volume(48, 40, 44);
        uint32_t noise = 1;
        for (int z = 0; z < volume.depth; ++z)
            for (int y = 0; y < volume.height; ++y)
                for (int x = 0; x < volume.width; ++x) {
                    noise = noise * 1664525u + 1013904223u;
                    const double r = std::hypot(x - 22.5, y - 20.5, z - 23.0);
                    const double ball = 3000 / (1 + std::exp((r - 15) / 1.5));
                    volume.at(x, y, z) = hardEdged ? (r < 15 ? 4095 : 0)
                                                   : uint16_t(ball + 200 + (noise >> 24) % 61 - 30);
                }
        Scene scene(240, 200, volume);
        TestView& view = scene.view;
        QVERIFY(view->gradientsHeld());
        setTransfer(view.widget(),
                    {{300, Qt::black, 0}, {1500, QColor(255, 128, 0), 60}, {4094, Qt::white, 200}});
        const auto verifyClose = [&](const QImage& texture, const QImage& reads,
                                     const QString& what) {
            int largest = 0, shown = 0;
            double squares = 0;
            for (int y = 0; y < texture.height(); ++y)
                for (int x = 0; x < texture.width(); ++x) {
                    const QRgb a = texture.pixel(x, y), b = reads.pixel(x, y);
                    const int channels[3] = {qRed(a) - qRed(b), qGreen(a) - qGreen(b),
                                             qBlue(a) - qBlue(b)};
                    for (int d : channels) {
                        largest = std::max(largest, std::abs(d));
                        squares += d * d;
                    }
                    shown += qAlpha(b) > 0;
                }
            const double rms = std::sqrt(squares / (3.0 * std::max(shown, 1)));
            QVERIFY2(largest > 0, qPrintable(what + ": shaded from density reads"));
            QVERIFY2(largest <= (hardEdged ? 14 : 6) && rms <= (hardEdged ? 2.5 : 0.8),
                     qPrintable(
                         QString("%1: %2 in 255 at most, %3 rms").arg(what).arg(largest).arg(rms)));
        };
        const auto fromReads = [&] {
            view->setRayProbe(GLWidget::RayProbe::GradientsFromDensities);
            const QImage reads = view.render();
            view->setRayProbe(GLWidget::RayProbe::Picture);
            return reads;
        };
        for (const QPoint& turn : {QPoint(0, 0), QPoint(35, 20), QPoint(-50, 70)}) {
            ui::drag(&view.widget(), QPoint(100, 100), QPoint(100, 100) + turn);
            QVERIFY2(view.render() == fromReads(), "a still frame shades from the textures");
            view->setSampleDistance(1.5);
            const QImage texture = view.render();
            verifyClose(texture, fromReads(), QString("turn %1, %2").arg(turn.x()).arg(turn.y()));
            view->setSampleDistance(1);
        }
        // Turning with every ray, and back to where it started.
        const QImage still = view.render();
        view->setDragFrameBudget(1e6);
        turnAndBack(view);
        QCoreApplication::processEvents();
        verifyClose(view.readBack(), still, "turning");
        QTest::mouseRelease(&view.widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    }

    // While the left button turns the view, frames are cast from fewer rays
    // and scaled up; the release itself draws the full picture, the very one
    // the unturned view showed before. The rays are as many as keep a frame
    // within its time, the GL's work counted: frames made slow by short steps
    // are cast from fewer rays too.
    void aTurnCastsFewerRaysUntilReleased_data()
    {
        QTest::addColumn<double>("budget"); // ms
        QTest::addColumn<double>("step");   // voxels
        QTest::newRow("no time") << 0.0 << 1.0;
        QTest::newRow("slow frames") << 20.0 << 1.0 / 64;
    }

    void aTurnCastsFewerRaysUntilReleased()
    {
        QFETCH(double, budget);
        QFETCH(double, step);
        const SampleVolume volume = boxes();
        Scene scene(240, 200, volume);
        TestView& view = scene.view;
        setTransfer(view.widget(),
                    {{99, Qt::white, 0}, {100, QColor(255, 128, 0), 200}, {4094, Qt::white, 200}});
        view->setDragFrameBudget(budget); // from the second turning frame on, fewer rays
        view->setSampleDistance(step);
        const QImage still = view.render();
        turnAndBack(view);
        QCoreApplication::processEvents();
        const QImage turning = view.readBack();
        QTest::mouseRelease(&view.widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QCoreApplication::processEvents();
        const QImage released = view.readBack();
        QVERIFY2(view->turnScale() < 1, "the turning frames were timed without the GL's work");

        int differing = 0, shown = 0, shownTurning = 0;
        for (int y = 0; y < still.height(); ++y)
            for (int x = 0; x < still.width(); ++x) {
                differing += turning.pixel(x, y) != still.pixel(x, y);
                shown += qAlpha(still.pixel(x, y)) > 0;
                shownTurning += qAlpha(turning.pixel(x, y)) > 0;
            }
        QVERIFY2(differing > shown / 4, "the turning frame was cast at full resolution");
        // The same picture, blurred: its outline widened by a few rays, and
        // the same colour within the front block.
        QVERIFY2(std::abs(shownTurning - shown) < shown / 5,
                 "the turning frame shows another picture");
        VERIFY_PIXEL(turning, 124, 90, still.pixel(124, 90), 12);
        QVERIFY(released == still);
    }

    // A picture is the still frame drawn off screen: saved as a PNG; at 2x
    // the same picture sampled finer, the means of its 2 x 2 pixels the
    // frame's colours within 1 in 255 on average (the jitter differs pixel
    // by pixel: 0.83; one pixel off at 2x, 1.13; the 1x frame in a corner,
    // tens); drawn while a turn casts fewer rays. The view on screen stays
    // as it was, still or turning.
    void aPictureIsTheFullFrame()
    {
        const SampleVolume volume = boxes();
        Scene scene(240, 200, volume, false);
        TestView& view = scene.view;
        QString fault;
        QImage white(240, 200, QImage::Format_RGBA8888);
        white.fill(Qt::white);
        QCOMPARE(view->renderPicture(1, fault), white); // nothing loaded: the clear colour
        scene.load(volume);
        setTransfer(view.widget(),
                    {{99, Qt::white, 0}, {100, QColor(255, 128, 0), 200}, {4094, Qt::white, 200}});
        ui::drag(&view.widget(), QPoint(50, 50), QPoint(75, 30));
        view->setDragFrameBudget(0); // from the second turning frame on, the fewest rays
        const QImage still = view.render();
        QVERIFY2(savePicture(&view.widget(), "p.png", 1, fault), qPrintable(fault));
        QCOMPARE(QImage("p.png").convertToFormat(QImage::Format_RGBA8888), still);

        const QImage large = view->renderPicture(2, fault);
        QCOMPARE(large.size(), QSize(480, 400));
        double off = 0; // each channel's 2 x 2 mean against the frame's
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 240; ++x)
                for (const int shift : {24, 16, 8, 0}) { // the channels of 0xAARRGGBB
                    int sum = 0;
                    for (int k = 0; k < 4; ++k)
                        sum += int(large.pixel(2 * x + k % 2, 2 * y + k / 2) >> shift & 255);
                    off += std::abs(sum / 4.0 - int(still.pixel(x, y) >> shift & 255));
                }
        off /= 4 * 240 * 200;
        QVERIFY2(off < 1, qPrintable(QString("%1 off on average").arg(off)));
        QCOMPARE(view.render(), still);
        QCOMPARE(rectangleSize(view->entryTexture()), QSize(240, 200));

        turnAndBack(view);
        const QImage turning = view.render();
        QCOMPARE(view->renderPicture(1, fault), still);
        QCOMPARE(view.render(), turning);

        QVERIFY2(!savePicture(&view.widget(), "missing/p.png", 1, fault) &&
                     fault.startsWith("missing/p.png kann nicht") && !fault.contains('\n'),
                 qPrintable(fault));
    }

    // Every density survives the 16-bit texels. Without non-power-of-two
    // support each extent rounds up to its own power of two, and the volume
    // fills the first texels of each row, layer and slab, in the density
    // texture and in the gradient textures alike.
    void theVolumeTexture()
    {
        SampleVolume ramp(16, 16, 16);
        std::iota(ramp.samples.begin(), ramp.samples.end(), uint16_t(0));
        Scene setup(300, 200, ramp);
        const VolumeTexture all = readVolumeTexture(setup.view->volumeTexture());
        for (int density = 0; density < 4096; ++density)
            QVERIFY2(std::fabs(all.texels[size_t(density)] * 4095.0f - float(density)) < 0.1f,
                     qPrintable(QString::number(density)));

        // 500 + x^2 + 2 y^2 + 10 z^2: no two voxels' differences alike.
        SampleVolume bowl(40, 20, 12);
        for (int z = 0; z < 12; ++z)
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 40; ++x)
                    bowl.at(x, y, z) = uint16_t(500 + x * x + 2 * y * y + 10 * z * z);
        QVERIFY(writeVolumeFile("v.dat", bowl));
        GLFeatures padded;
        padded.nonPowerOfTwo = true;
        hideGLFeatures(padded);
        setup.view->loadVolume("v.dat");
        const VolumeTexture texture = readVolumeTexture(setup.view->volumeTexture());
        const VolumeTexture xy =
            readVolumeTexture(setup.view->gradientTexture(0), GL_LUMINANCE_ALPHA);
        const VolumeTexture z = readVolumeTexture(setup.view->gradientTexture(1));
        QCOMPARE(texture.size, std::vector<int>({64, 32, 16}));
        QCOMPARE(xy.size, texture.size);
        QCOMPARE(z.size, texture.size);
        // x, y, z, the density, then the gradient's bytes. The central
        // differences (over one voxel at the faces, where the texture clamps)
        // are 1, 2, 10; 152, 144, 400; 77, 74, 210 in 4095ths; kept is
        // 128 + 127 v, v the differences' direction times their length to the
        // power 2/3, worked out by hand.
        const int voxels[][7] = {{0, 0, 0, 500, 128, 128, 130},
                                 {38, 18, 10, 3592, 138, 137, 154},
                                 {39, 19, 11, 3953, 134, 134, 145}};
        for (const int* v : voxels) {
            const size_t at = size_t(v[0] + 64 * (v[1] + 32 * v[2]));
            QVERIFY(std::fabs(texture.texels[at] * 4095 - float(v[3])) < 0.1f);
            const float bytes[3] = {xy.texels[2 * at] * 255, xy.texels[2 * at + 1] * 255,
                                    z.texels[at] * 255};
            for (int axis = 0; axis < 3; ++axis)
                QVERIFY2(std::fabs(bytes[axis] - float(v[4 + axis])) < 0.01f,
                         qPrintable(QString::asprintf("voxel %d, %d, %d: %g", v[0], v[1], v[2],
                                                      double(bytes[axis]))));
        }
        hideGLFeatures({});

        // The graphics memory the load takes is said; a volume wider than the
        // GL's 3D textures opens at half its resolution, the blocks' means.
        setup.console.clear();
        setup.view->loadVolume("v.dat");
        QCOMPARE(setup.console.err(), kMemoryLine);
        GLint widest = 0;
        glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &widest);
        SampleVolume wide(widest + 1, 1, 1, 1000);
        wide.at(widest, 0, 0) = 3000;
        QVERIFY(writeVolumeFile("wide.dat", wide));
        setup.console.clear();
        setup.view->loadVolume("wide.dat");
        QVERIFY(setup.console.out().find("- Resolution 1/2: " + std::to_string(widest / 2 + 1) +
                                         " x 1 x 1 of " + std::to_string(widest + 1) +
                                         " x 1 x 1\n") != std::string::npos);
        const VolumeTexture reduced = readVolumeTexture(setup.view->volumeTexture());
        QCOMPARE(reduced.size, std::vector<int>({widest / 2 + 1, 1, 1}));
        QVERIFY(std::fabs(reduced.texels[0] * 4095 - 1000) < 0.1f);      // a block of two
        QVERIFY(std::fabs(reduced.texels.back() * 4095 - 3000) < 0.1f); // the last, of one
    }

    // Without 3D textures the first layer goes up as a flat texture (rounded up
    // to powers of two here); the name then cannot be bound as a volume, which
    // the next load reports exactly.
    void theFlatFallbackShowsTheFirstLayer()
    {
        SampleVolume volume(20, 12, 3, 4095);
        std::fill(volume.samples.begin(), volume.samples.begin() + 240, 0);
        Scene setup(300, 200, volume, false);
        GLFeatures hidden;
        hidden.texture3D = hidden.nonPowerOfTwo = true;
        hideGLFeatures(hidden);
        setup.view->loadVolume("v.dat");
        QVERIFY(setup.console.out().find("3D textures not supported!\n") != std::string::npos);
        glActiveTexture(GL_TEXTURE0);
        QCOMPARE(rectangleSize(setup.view->volumeTexture(), GL_TEXTURE_2D), QSize(32, 16));
        std::vector<float> texels(32 * 16, -1.0f);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
        for (int y = 0; y < 12; ++y)
            QCOMPARE(std::vector<float>(&texels[32 * y], &texels[32 * y + 20]),
                     std::vector<float>(20, 0.0f));

        hideGLFeatures({});
        setup.console.clear();
        setup.view->loadVolume("v.dat");
        QCOMPARE(setup.console.err(),
                 std::string("Could not bind texture: invalid operation\n") + kMemoryLine);
    }

    // A GL error left pending by someone else is reported by the next
    // operation that checks, which then gives up: the upload (the framebuffers
    // are still prepared), the transfer table, the names of a new context.
    void aPendingErrorIsReportedByTheNextCheck()
    {
        Scene setup(300, 200, SampleVolume(32, 32, 32, 1000));
        QVERIFY(writeVolumeFile("v.dat", SampleVolume(16, 16, 16, 1000)));
        setup.view->resize(320, 240);
        QCoreApplication::processEvents();
        const auto pending = [&setup] {
            glEnable(GL_INVALID_ENUM + 1);
            setup.console.clear();
        };
        pending();
        setup.view->loadVolume("v.dat");
        QCOMPARE(setup.console.err(),
                 std::string("Error generating texture: invalid enumerant\n") + kMemoryLine);
        QCOMPARE(readVolumeTexture(setup.view->volumeTexture()).size,
                 std::vector<int>({32, 32, 32}));
        QCOMPARE(rectangleSize(setup.view->entryTexture()), QSize(320, 240));
        pending();
        setup.view->updateTransferFunction({}, 400, 200);
        QCOMPARE(setup.console.err(), std::string("Could not bind texture: invalid enumerant\n"));
        pending();
        const GLuint programs[] = {setup.view->slicesProgram(), setup.view->fboProgram(),
                                   setup.view->raycastProgram()};
        setup.view.initializeGLAgain();
        const GLuint again[] = {setup.view->slicesProgram(), setup.view->fboProgram(),
                                setup.view->raycastProgram()};
        QVERIFY(std::equal(programs, programs + 3, again)); // built once per context
        QVERIFY2(
            setup.console.err().find("Error generating slicing texture: invalid enumerant\n") !=
                    std::string::npos &&
                setup.console.err().find("front and back") == std::string::npos,
            setup.console.err().c_str());
    }

    // The entry and exit textures take the view's size at each load, and
    // follow a resize, as the viewport does: the picture keeps the volume's
    // proportions at the new size (the cube half the shorter side). The
    // clear colour turns from white to transparent black at the first load.
    void framebuffersAndClearColour()
    {
        Scene setup(300, 200, SampleVolume(16, 16, 16, 1000), false);
        QCOMPARE(setup.view.render().pixel(100, 50), qRgba(255, 255, 255, 255));
        setup.view->loadVolume("v.dat");
        QCOMPARE(setup.view.render().pixel(100, 50), qRgba(0, 0, 0, 0));
        QCOMPARE(rectangleSize(setup.view->exitTexture()), QSize(300, 200));

        setup.view->resize(400, 240);
        QCoreApplication::processEvents();
        QCOMPARE(setup.view->viewportSize(), QSize(400, 240));
        QCOMPARE(rectangleSize(setup.view->entryTexture()), QSize(400, 240));
        QCOMPARE(rectangleSize(setup.view->exitTexture()), QSize(400, 240));
        setTransfer(setup.view.widget(), {{0, Qt::white}, {4095, Qt::white}});
        const QImage picture = setup.view.render();
        for (const auto& [x, y, shown] : {std::tuple(137, 120, false), std::tuple(143, 120, true),
                                          std::tuple(257, 66, true), std::tuple(263, 120, false)})
            QVERIFY2((qAlpha(picture.pixel(x, y)) > 0) == shown, qPrintable(QString::number(x)));

        // A view with no pixels gets framebuffers that cannot be drawn into: reported.
        setup.view->hide();
        setup.view->resize(0, 0);
        setup.console.clear();
        setup.view->loadVolume("v.dat");
        QCOMPARE(setup.console.err(), "Could not create fbo: no error\nfbError: " +
                                          std::to_string(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT) +
                                          "\n" + kMemoryLine);
    }
};

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
