// The still frame without grain: a sharp table's surface placed between
// samples, and further frames averaged until the picture is that of a finer
// march, stopped by input, and saved as refined; off, the frames are those
// of before.

#include "app/picturesaver.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <cmath>
#include <functional>

namespace {

// A ball whose density falls from 3000 at its centre to 1000 at its rim,
// grained by up to 300 either way, turned 30 degrees each way. Through a
// table that fades in over that range, the march of one voxel shows the
// grain; through a thin shell's table (`shell`), the ray crosses a layer
// about a voxel thick.
struct Scene
{
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    TestView view{160, 128};
    explicit Scene(bool shell = false)
    {
        SampleVolume volume(48, 48, 48, 0);
        for (int z = 0; z < 48; ++z)
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x) {
                    const double r = std::hypot(x - 23.5, y - 23.5, z - 23.5) / 22;
                    const int grain = shell ? 0 : (x * 7919 + y * 104729 + z * 1299709) % 601 - 300;
                    volume.at(x, y, z) = r < 1 ? uint16_t(3000 - 2000 * r + grain) : 0;
                }
        QVERIFY(writeVolumeFile("v.dat", volume));
        view->loadVolume("v.dat");
        const QColor orange(255, 160, 60), clear(Qt::black);
        using Table = std::vector<TablePoint>;
        setTransfer(view.widget(),
                    shell ? Table{{1949, clear, 0}, {2000, orange, 60}, {2051, clear, 0}}
                          : Table{{999, clear, 0}, {3000, orange, 40}});
        ui::drag(&view.widget(), QPoint(50, 50), QPoint(80, 20));
    }
};

int frameLines(const ConsoleCapture& console)
{
    return int(QString::fromStdString(console.out()).count("frames/second"));
}

// The root mean square of the channels' differences, in 255ths.
double rms(const QImage& a, const QImage& b)
{
    double sum = 0; // both RGBA, rows without padding
    for (qsizetype i = 0; i < a.sizeInBytes(); ++i)
        sum += std::pow(int(a.constBits()[i]) - int(b.constBits()[i]), 2);
    return std::sqrt(sum / double(a.sizeInBytes()));
}

// Lets a frame that is asked for arrive: the next frame is asked for by a
// zero timer, and drawn on the update that posts.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestRefinement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }

    // A layer about a voxel thick through a table that peaks within it:
    // marched at one voxel or half, the step where it lies is marched again finely,
    // and the picture is the finer march's, not one whose rays show the
    // layer as their samples happen to hit or straddle it.
    void aSharpTableAtOneVoxelIsTheFinerMarch()
    {
        Scene scene(true);
        TestView& view = scene.view;
        view->setSampleDistance(1.0 / 16);
        const QImage finer = view.render();
        for (const float step : {1.0f, 0.5f}) {
            view->setSampleDistance(step);
            const double error = rms(view.render(), finer);
            QVERIFY2(error < 0.3, qPrintable(QString("step %1: %2").arg(step).arg(error)));
        }
    }

    // The still frame is shown at once, as without refinement; the frames
    // after it, each with its console line, approach the march at 1/16
    // voxel, which the average of 16 offsets samples at the same positions.
    // A picture saved at the view's size is the refined one; switched off,
    // the view draws the still frame again, one frame for each update.
    void aStillFrameConvergesOnTheFinerMarch()
    {
        Scene scene;
        TestView& view = scene.view;
        view->setSampleDistance(1.0 / 16);
        const QImage finer = view.render();
        view->setSampleDistance(1);
        const QImage still = view.render();
        settle();

        view->setRefining(true);
        scene.console.clear();
        QCOMPARE(view.render(), still);
        QTRY_COMPARE(view->refinedFrames(), 16);
        settle();
        QCOMPARE(frameLines(scene.console), 16);
        const QImage refined = view.readBack();
        const double before = rms(still, finer), after = rms(refined, finer);
        qInfo("rms against the finer march: still %.2f, refined %.2f", before, after);
        QVERIFY2(after < 0.15 && after < before / 3, qPrintable(QString::number(after)));

        // Saved while refining, the picture's missing frames come first.
        view->setRefining(false);
        view->setRefining(true);
        view.render();
        QString fault;
        QVERIFY2(savePicture(&view.widget(), "p.png", 1, fault), qPrintable(fault));
        QCOMPARE(QImage("p.png").convertToFormat(QImage::Format_RGBA8888), refined);

        view->setRefining(false);
        settle();
        scene.console.clear();
        QCOMPARE(view.render(), still);
        settle();
        QCOMPARE(frameLines(scene.console), 1);
    }

    // Input stops the refinement at once: no frame follows a press, a key
    // or a wheel that changes nothing; the next frame after any input or
    // change is a still frame that starts afresh.
    void inputStopsIt()
    {
        Scene scene;
        TestView& view = scene.view;
        view->setRefining(true);
        QWheelEvent halfNotch({80, 64}, {80, 64}, {}, {0, 60}, Qt::NoButton, {}, Qt::NoScrollPhase,
                              false);
        const std::vector<TablePoint> white = {{999, Qt::black, 0}, {3000, Qt::white}};
        const CropBox cropped{{0, 0, 0}, {40, 47, 47}};
        const std::vector<std::pair<const char*, std::function<void()>>> inputs = {
            {"press", [&] { QTest::mousePress(&view.widget(), Qt::LeftButton); }},
            {"key", [&] { QTest::keyClick(&view.widget(), Qt::Key_A); }},
            {"wheel", [&] { QApplication::sendEvent(&view.widget(), &halfNotch); }},
            {"table", [&] { setTransfer(view.widget(), white); }},
            {"window", [&] { view->m_minDensity = 500; }},
            {"crop", [&] { view->setCropBox(cropped); }}};
        int row = 0;
        for (const auto& [name, input] : inputs) {
            view.render();
            settle();
            QTRY_VERIFY(view->refinedFrames() >= 3);
            scene.console.clear();
            input();
            if (row++ < 3) { // press, key, wheel: nothing changed
                settle();
                QVERIFY2(frameLines(scene.console) == 0, name);
                QTest::mouseRelease(&view.widget(), Qt::LeftButton);
            }
            view.render();
            QVERIFY2(view->refinedFrames() == 1, name);
        }
    }
};

QTEST_MAIN(TestRefinement)
#include "tst_refinement.moc"
