// The view's parts that need no GL: the transfer table built from control
// points, the pixels a turned cube can cover, the fit of the volume's box,
// texture sizes, reading shader text, the frame-rate line and the system's
// counter, the turning resolution, the volume's axes as a note keeps them.
//
// Table entries are worked out by hand from the editor's geometry: x times
// (hi - lo) / width plus lo is the index, y / height x 255 the opacity, and
// ramps run between neighbouring points, truncated to bytes.

#include "platform/perfcounter.h"
#include "render/bluenoise.h"
#include "render/brickgrid.h"
#include "render/camera.h"
#include "render/framegeometry.h"
#include "render/perftimer.h"
#include "render/textfile.h"
#include "render/texturesize.h"
#include "render/transfertable.h"
#include "render/turnresolution.h"
#include "render/volumeaxes.h"
#include "tests/support/testfolder.h"

#include <QtTest>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <thread>

namespace {

struct Entry {
    int index;
    TransferEntry value;
};

struct TableCase {
    const char* name;
    std::vector<ControlPoint> points;
    int width, height, lo, hi;
    std::vector<Entry> expected;
};

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

const TableCase kCases[] = {
    {"no points: a transparent grey ramp", {}, 400, 200, 0, 4095,
     {{0, {0, 0, 0, 0}}, {2048, {127, 127, 127, 0}}, {4095, {255, 255, 255, 0}}}},
    // 200 x 4095 / 400 = 2047.5 lands on 2047; 100 / 200 x 255 = 127.5.
    {"one red point", {{kRed, 200, 100}}, 400, 200, 0, 4095,
     {{0, {0, 0, 0, 0}}, {1023, {127, 0, 0, 63}}, {2047, {255, 0, 0, 127}},
      {4095, {255, 255, 255, 0}}}},
    {"the window places the points and clears the rest", {{kRed, 200, 100}}, 400, 200, 1000, 3000,
     {{999, {0, 0, 0, 0}}, {1000, {0, 0, 0, 0}}, {2000, {255, 0, 0, 127}},
      {3000, {255, 255, 255, 0}}, {3001, {0, 0, 0, 0}}, {4095, {0, 0, 0, 0}}}},
    {"the top edge is transparent", {{kBlue, 200, 0}}, 400, 200, 0, 4095, {{2047, {0, 0, 255, 0}}}},
    {"a colour's own alpha plays no part", {{QColor(255, 0, 0, 10), 200, 100}}, 400, 200, 0, 4095,
     {{2047, {255, 0, 0, 127}}}},
    {"an unset colour is black", {{QColor(), 200, 100}}, 400, 200, 0, 4095,
     {{2047, {0, 0, 0, 127}}}},
    // 100 x 10.2375f = 1023.75: both first points land on 1023, and the
    // segment from the second one writes it last.
    {"points at one x make a one-entry segment",
     {{kRed, 100, 50}, {kGreen, 100, 150}, {kBlue, 300, 0}}, 400, 200, 0, 4095,
     {{1023, {0, 255, 0, 191}}, {1024, {0, 254, 0, 191}}}},
    {"unsorted points are sorted", {{kBlue, 300, 0}, {kGreen, 100, 150}}, 400, 200, 0, 4095,
     {{1023, {0, 255, 0, 191}}}},
    // 300 x 13.65f is 4094.99988 in double: the white end lands on 4094.
    {"the white end may fall one entry short", {}, 300, 200, 0, 4095,
     {{4094, {255, 255, 255, 0}}, {4095, {0, 0, 0, 0}}}},
    {"points on the edges keep their own values", {{kRed, 0, 199}, {kGreen, 400, 199}}, 400, 200,
     0, 4095, {{0, {255, 0, 0, 253}}, {4095, {0, 255, 0, 253}}}},
    // The ramp to the white end (5000) is cut at 4095: 1095 / 2000 x 255.
    {"indices past the table are skipped", {{kRed, 500, 100}}, 400, 200, 3000, 5000,
     {{2999, {0, 0, 0, 0}}, {3000, {0, 0, 0, 0}}, {4095, {139, 139, 139, 0}}}},
    {"indices below the table are skipped", {}, 400, 200, -100, 100,
     {{0, {127, 127, 127, 0}}, {101, {0, 0, 0, 0}}}},
    {"a point below a shrunk widget saturates", {{kRed, 200, 400}}, 400, 200, 0, 4095,
     {{2047, {255, 0, 0, 255}}}},
    {"no width", {{kRed, 0, 0}}, 0, 200, 0, 4095, {{0, {0, 0, 0, 0}}, {4095, {0, 0, 0, 0}}}},
    {"no height", {{kRed, 0, 0}}, 400, 0, 0, 4095, {{0, {0, 0, 0, 0}}, {4095, {0, 0, 0, 0}}}},
};

QString text(const TransferEntry& e)
{
    return QString::asprintf("(%d, %d, %d, %d)", e.red, e.green, e.blue, e.alpha);
}

} // namespace

class TestRenderParts : public QObject
{
    Q_OBJECT

private slots:
    void entries_data()
    {
        QTest::addColumn<int>("row");
        for (const TableCase& c : kCases)
            QTest::newRow(c.name) << int(&c - kCases);
    }

    void entries()
    {
        QFETCH(int, row);
        const TableCase& c = kCases[row];
        std::vector<TransferEntry> table(kDensityCount, TransferEntry{1, 2, 3, 4});
        buildTransferTable(table, c.points, c.width, c.height, c.lo, c.hi);
        for (const Entry& e : c.expected)
            QCOMPARE(text(table[size_t(e.index)]), text(e.value));
    }

    // The rectangle holds the projected box with at most two spare pixels on
    // each side. Bounds worked out by turning the corners by hand: first
    // about y, then about x, one unit being the shorter side of the view.
    void theFootprintBoundsTheTurnedCube_data()
    {
        QTest::addColumn<QVector<int>>("volume"); // width, height, depth
        QTest::addColumn<QVector<int>>("turn"); // about x, about y, view width, height[, zoom notches]
        QTest::addColumn<QRectF>("bounds");       // left, bottom, width, height in pixels
        const QVector<int> cube = {64, 64, 64};
        QTest::newRow("cube, unturned") << cube << QVector<int>{0, 0, 700, 500}
                                        << QRectF(225, 125, 250, 250);
        const double half = 125 * std::sqrt(2.0); // 45 degrees: sqrt(2) times as wide
        QTest::newRow("cube, 45 about y") << cube << QVector<int>{0, 45, 700, 500}
                                          << QRectF(350 - half, 125, 2 * half, 250);
        QTest::newRow("cube, 30 about x and 40 about y")
            << cube << QVector<int>{30, 40, 700, 500} << QRectF(173.9, 53.7, 352.2, 392.6);
        QTest::newRow("flat volume on its edge") << QVector<int>{256, 256, 64}
                                                 << QVector<int>{90, 0, 500, 500}
                                                 << QRectF(125, 218.75, 250, 62.5);
        QTest::newRow("no view") << cube << QVector<int>{0, 0, 0, 100} << QRectF();
        // Twice the size about x = 525: the centre moves to 175, the left edge off the view.
        QTest::newRow("cube, zoomed about a point")
            << cube << QVector<int>{0, 0, 700, 500, 4} << QRectF(0, 0, 425, 500);
    }

    void theFootprintBoundsTheTurnedCube()
    {
        QFETCH(QVector<int>, volume);
        QFETCH(QVector<int>, turn);
        QFETCH(QRectF, bounds);
        const FrameGeometry frame = frameGeometryFor(volume[0], volume[1], volume[2]);
        const float low[3] = {-frame.half[0], -frame.half[1], -frame.half[2]};
        Camera camera;
        camera.zoomAbout(QPointF(0.5, 0), turn.value(4));
        const PixelRect r = boxFootprint(camera.projection(turn[2], turn[3]) *
                                             camera.modelView(turn[0], turn[1]),
                                         low, frame.half, turn[2], turn[3]);
        if (bounds.isNull()) {
            QCOMPARE(r.width, 0);
            return;
        }
        // Whether `edge` lies 0 to 2 pixels beyond `bound`, outwards by `side`.
        const auto spare = [](double edge, double bound, int side) {
            return side * (edge - bound) >= 0 && side * (edge - bound) <= 2;
        };
        QVERIFY2(spare(r.x, bounds.left(), -1) && spare(r.y, bounds.top(), -1) &&
                     spare(r.x + r.width, bounds.right(), 1) &&
                     spare(r.y + r.height, bounds.bottom(), 1),
                 qPrintable(QString::asprintf("%d, %d, %d x %d", r.x, r.y, r.width, r.height)));
    }

    // The fit: the eight corners of the box, seen from the side, inside the
    // view, touching on one axis the share it fills of the 700 x 500 view at
    // 250 pixels a unit. Each box's extents seen are worked out by hand, the
    // volume's longest side one unit.
    void theBoxFitsEveryView_data()
    {
        QTest::addColumn<QVector<int>>("volume"); // width, height, depth
        QTest::addColumn<int>("side");            // Camera::Side
        QTest::addColumn<QSizeF>("seen");         // its width and height in units
        QTest::addColumn<QSize>("view");
        const std::tuple<const char*, QVector<int>, Camera::Side, QSizeF> boxes[] = {{"wide box from above", {40, 30, 20}, Camera::Side::Top, {1, 0.75}},
                     {"tall box from above", {20, 60, 10}, Camera::Side::Top, {1 / 3.0, 1}},
                     {"flat volume from the front", {256, 256, 64}, Camera::Side::Front, {1, 0.25}},
                     {"long box from the left", {16, 64, 32}, Camera::Side::Left, {1, 0.5}}};
        const std::pair<const char*, QSize> views[] = {{"start", {700, 500}},  {"wide", {1600, 500}},   {"tall", {400, 900}},
                     {"square", {600, 600}}, {"large", {1900, 1300}}, {"quarter", {350, 250}}};
        for (const auto& [box, volume, side, seen] : boxes)
            for (const auto& [view, size] : views)
                QTest::addRow("%s, %s", box, view) << volume << int(side) << seen << size;
    }

    void theBoxFitsEveryView()
    {
        QFETCH(QVector<int>, volume);
        QFETCH(int, side);
        QFETCH(QSizeF, seen);
        QFETCH(QSize, view);
        const FrameGeometry frame = frameGeometryFor(volume[0], volume[1], volume[2]);
        Camera camera;
        camera.setBox(QVector3D(frame.half[0], frame.half[1], frame.half[2]));
        camera.setSide(Camera::Side(side));
        const double share = std::max(seen.width() * 250 / 700, seen.height() * 250 / 500);
        const QMatrix4x4 look =
            camera.projection(view.width(), view.height()) * camera.modelView(0, 0);
        double across = 0, up = 0; // the farthest corner from the centre, in pixels
        for (int corner = 0; corner < 8; ++corner) {
            const QVector3D ndc = look.map(QVector3D(corner & 1 ? frame.half[0] : -frame.half[0],
                                                     corner & 2 ? frame.half[1] : -frame.half[1],
                                                     corner & 4 ? frame.half[2] : -frame.half[2]));
            across = std::max(across, std::abs(double(ndc.x())) * view.width() / 2);
            up = std::max(up, std::abs(double(ndc.y())) * view.height() / 2);
        }
        const double acrossLimit = share * view.width() / 2, upLimit = share * view.height() / 2;
        const QString found = QString::asprintf("corners reach %.3f, %.3f of %.3f, %.3f", across,
                                                up, acrossLimit, upLimit);
        QVERIFY2(across <= acrossLimit + 1e-3 && up <= upLimit + 1e-3, qPrintable(found));
        QVERIFY2(std::abs(across - acrossLimit) < 1e-3 || std::abs(up - upLimit) < 1e-3,
                 qPrintable(found));
        if (view == QSize(700, 500)) // exactly the framing of before: 500 / 700 across
            QCOMPARE(camera.projection(700, 500),
                     QMatrix4x4(500.0f / 700, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    }

    // Home keeps the box and the axes: the zoom, pan and side go, the fit stays.
    void theResetKeepsTheFit()
    {
        Camera fitted;
        fitted.setBox(QVector3D(0.5f, 0.25f, 0.125f));
        fitted.setAxes(VolumeAxes::fromText("-z +x -y"));
        Camera camera = fitted;
        camera.setSide(Camera::Side::Left);
        camera.zoomAbout(QPointF(0.3, 0.2), 3);
        camera.setSpin(40);
        camera.reset();
        QVERIFY(camera.isReset());
        QCOMPARE(camera.projection(400, 900), fitted.projection(400, 900));
        QCOMPARE(camera.modelView(0, 0), fitted.modelView(0, 0));
    }

    // A note of the axes, as the cache keeps it beside a volume (and anyone
    // may edit it), is taken only where it names each axis once with its
    // sign; anything else is the file's axes.
    void theAxesAreReadFromTheirNote_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("read");
        // clang-format off
        QTest::newRow("turned and mirrored") << "-z +x -y" << "-z +x -y";
        QTest::newRow("an axis twice") << "+x -x +z" << "+x +y +z";
        QTest::newRow("no sign") << "y x z" << "+x +y +z";
        QTest::newRow("two axes") << "-y +x" << "+x +y +z";
        QTest::newRow("no such axis") << "+w +x +y" << "+x +y +z";
        QTest::newRow("a line's end") << "-y +x +z\n" << "-y +x +z";
        // clang-format on
    }

    void theAxesAreReadFromTheirNote()
    {
        QFETCH(QString, note);
        QFETCH(QString, read);
        QCOMPARE(VolumeAxes::fromText(note).text(), read);
    }

    void texturesRoundUpToPowersOfTwo()
    {
        const int in[] = {-3, 0, 1, 2, 3, 113, 256, 257, 65535};
        const int out[] = {1, 1, 1, 2, 4, 128, 256, 512, 65536};
        for (size_t i = 0; i < sizeof in / sizeof *in; ++i)
            QCOMPARE(nextPowerOfTwo(in[i]), out[i]);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the file's bytes; "folder" and "pipe" make those
        QTest::addColumn<QByteArray>("text");  // null: no text
        QTest::newRow("plain") << QByteArray("void main()\n{\n}\n") << QByteArray("void main()\n{\n}\n");
        // The terminator follows the last byte kept; lone carriage returns stay.
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n\r\nc\rd\r") << QByteArray("a\nb\n\nc\rd\r");
        QTest::newRow("binary, up to its first nul")
            << QByteArray("\x01\xff\x7f\0x", 5) << QByteArray("\x01\xff\x7f");
        QTest::newRow("empty") << QByteArray("") << QByteArray();
        QTest::newRow("folder") << QByteArray("folder") << QByteArray();
        QTest::newRow("named pipe") << QByteArray("pipe") << QByteArray(); // would wait for ever
        QTest::newRow("missing") << QByteArray("missing") << QByteArray();
    }

    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, text);
        TestFolder folder;
        if (bytes == "folder")
            QCOMPARE(mkdir("a.frag", 0755), 0);
        else if (bytes == "pipe")
            QCOMPARE(mkfifo("a.frag", 0644), 0);
        else if (bytes != "missing")
            folder.write("a.frag", bytes);
        const std::unique_ptr<char, decltype(&std::free)> result(readTextFile("a.frag"), &std::free);
        QCOMPARE(QByteArray(result.get()), text);
        QCOMPARE(!result, text.isNull());
    }

    void rateLinesArePaddedAndNeverCut()
    {
        const double seconds[] = {0.02, 4.0, 1 / 1234.5, 0.0, -1.0,
                                  std::numeric_limits<double>::quiet_NaN()};
        const char* const lines[] = {"050.00", "000.25", "1234.50", "000.00", "000.00", "000.00"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(frameRateLine(seconds[i]), "- " + std::string(lines[i]) + " frames/second \r");
    }

    // The system's counter is the monotonic clock, which no clock change can
    // turn back; it and the process clock agree with an independent clock
    // over a quarter of a second, within generous bounds for a busy machine.
    void theSystemCounterMeasuresSeconds()
    {
        int64_t count = 0, frequency = 0;
        timespec monotonic;
        QVERIFY(perfCounterSource().counter(&count) && perfCounterSource().frequency(&frequency));
        clock_gettime(CLOCK_MONOTONIC, &monotonic);
        QVERIFY(std::fabs(double(count) / double(frequency) - double(monotonic.tv_sec)) < 2.0);
        PerfTimer timer;
        const int64_t startMs = perfCounterSource().processMilliseconds();
        QElapsedTimer reference;
        reference.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const double seconds = timer.currentTime() - timer.startTime();
        const double expected = reference.nsecsElapsed() * 1e-9;
        QVERIFY2(seconds >= 0.9 * expected && seconds <= expected + 0.5,
                 qPrintable(QString("%1 s against %2 s").arg(seconds).arg(expected)));
        const int64_t ms = perfCounterSource().processMilliseconds() - startMs;
        QVERIFY2(ms >= 225 && ms <= 1000 * expected + 500, qPrintable(QString::number(ms)));
    }

    // The turning resolution after each frame time, at the 36 ms budget: the
    // rays along a side go with the square root of the time.
    void theTurningResolutionFollowsFrameTimes_data()
    {
        QTest::addColumn<QVector<double>>("ms");
        QTest::addColumn<QVector<double>>("scales");
        QTest::newRow("a slow frame lowers it at once, one on budget keeps it")
            << QVector<double>{144, 36, 64} << QVector<double>{0.5, 0.5, 0.375};
        QTest::newRow("fast frames raise it by a quarter at most, up to all")
            << QVector<double>{144, 25, 1, 1, 1} << QVector<double>{0.5, 0.6, 0.75, 0.9375, 1};
        QTest::newRow("never below a quarter of the rays along a side")
            << QVector<double>{10000, 10000} << QVector<double>{0.25, 0.25};
    }

    void theTurningResolutionFollowsFrameTimes()
    {
        QFETCH(QVector<double>, ms);
        QFETCH(QVector<double>, scales);
        TurnResolution resolution;
        QCOMPARE(resolution.scale(), 1.0f);
        for (int frame = 0; frame < ms.size(); ++frame) {
            resolution.frameTook(ms[frame]);
            QVERIFY2(std::fabs(resolution.scale() - scales[frame]) < 1e-6,
                     qPrintable(QString("frame %1: %2").arg(frame).arg(resolution.scale())));
        }
    }

    // The jitter tile holds every offset equally often, and its neighbours lie
    // farther apart than white noise's (a third of the range on average).
    // Each block's range is the least and largest density of the voxels it
    // covers: its own, the next block's first and `reach` more each side,
    // those within the volume; bricks reach no further, cells a voxel.
    void rangesCoverTheirBlocksAndReach_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("reach");
        QTest::newRow("bricks") << kBrickSize << 0;
        QTest::newRow("cells") << kCellSize << kCellReach;
        QTest::newRow("three, reaching two") << 3 << 2;
    }

    void rangesCoverTheirBlocksAndReach()
    {
        QFETCH(int, size);
        QFETCH(int, reach);
        VolumeData volume;
        volume.width = 19, volume.height = 10, volume.depth = 7;
        volume.voxels.resize(size_t(volume.width) * volume.height * volume.depth);
        uint32_t random = 11;
        for (float& voxel : volume.voxels) {
            random = random * 1664525u + 1013904223u;
            voxel = float(random >> 8) / float(1 << 24);
        }
        const BrickGrid grid = buildRangeGrid(volume, size, reach);
        const int extents[3] = {volume.width, volume.height, volume.depth};
        const int blocks[3] = {grid.width, grid.height, grid.depth};
        for (int axis = 0; axis < 3; ++axis)
            QCOMPARE(blocks[axis], (extents[axis] + size - 1) / size);
        size_t b = 0;
        for (int bz = 0; bz < grid.depth; ++bz)
            for (int by = 0; by < grid.height; ++by)
                for (int bx = 0; bx < grid.width; ++bx, ++b) {
                    float least = 1, largest = 0;
                    for (int z = 0; z < volume.depth; ++z)
                        for (int y = 0; y < volume.height; ++y)
                            for (int x = 0; x < volume.width; ++x) {
                                const int at[3] = {x, y, z}, block[3] = {bx, by, bz};
                                bool covered = true;
                                for (int axis = 0; axis < 3; ++axis)
                                    covered = covered && at[axis] >= block[axis] * size - reach &&
                                              at[axis] <= (block[axis] + 1) * size + reach;
                                if (!covered)
                                    continue;
                                const float v = volume.voxels[(size_t(z) * volume.height + y) *
                                                                  volume.width + x];
                                least = std::min(least, v), largest = std::max(largest, v);
                            }
                    QCOMPARE(grid.ranges[2 * b], least);
                    QCOMPARE(grid.ranges[2 * b + 1], largest);
                }
    }

    void theJitterTileIsBlueNoise()
    {
        const std::vector<uint8_t> tile = blueNoiseTile(64);
        std::vector<int> counts(256);
        double apart = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                ++counts[tile[size_t(y * 64 + x)]];
                apart += std::abs(tile[size_t(y * 64 + x)] - tile[size_t(y * 64 + (x + 1) % 64)]) +
                         std::abs(tile[size_t(y * 64 + x)] - tile[size_t((y + 1) % 64 * 64 + x)]);
            }
        QCOMPARE(*std::min_element(counts.begin(), counts.end()), 16);
        QCOMPARE(*std::max_element(counts.begin(), counts.end()), 16);
        QVERIFY2(apart / (2 * 64 * 64) > 100, qPrintable(QString::number(apart / (2 * 64 * 64))));
    }
};

QTEST_GUILESS_MAIN(TestRenderParts)
#include "tst_renderparts.moc"
