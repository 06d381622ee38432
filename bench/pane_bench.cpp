// What a slice pane's repaint costs on a 512 x 512 x 300 CT, generated,
// beside a ray-cast frame of the 3D pane of the same size (350 x 250, a
// quarter of the view's area): the point moved to another voxel before each
// repaint, as a drag in a pane moves it. Prints the medians of 20 frames of
// each: kastra-bench-panes [--shaders FOLDER].

#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "render/panelink.h"
#include "render/slicepane.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 512, kHeight = 512, kDepth = 300, kFrames = 20;

// A head of sorts: air, a ball of soft tissue in a shell of bone.
SampleVolume head()
{
    SampleVolume volume(kWidth, kHeight, kDepth, 24);
    for (int z = 0; z < kDepth; ++z)
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const double r = std::hypot(x - 256.0, y - 256.0, (z - 150.0) * 1.6);
                volume.at(x, y, z) = uint16_t(r < 200 ? 1064 : r < 220 ? 2400 : 24);
            }
    return volume;
}

// Milliseconds of one repaint, finished.
template <class Widget> double repaint(Widget& widget)
{
    const BenchClock::time_point start = BenchClock::now();
    widget.updateGL();
    widget.makeCurrent();
    glFinish();
    return secondsSince(start) * 1000;
}

} // namespace

int main(int argc, char** argv)
{
    std::string shaders = KASTRA_RUN_DIR;
    if (const int usage = shaderFolderArgument(argc, argv, "kastra-bench-panes", shaders))
        return usage;
    QApplication application(argc, argv);
    ScratchFolder scratch;
    if (!scratch.created() || !enterShaderFolder(shaders))
        return 1;
    const QuietConsole quiet;
    BenchView view;
    if (!view.showAt(350, 250))
        return 1;
    const std::string path = scratch.file("ct.dat");
    writeVolumeFile(path, head());
    view.loadVolume(path);
    view.updateTransferFunction({{QColor(200, 160, 140), 160, 240}, {Qt::white, 340, 60}}, 400,
                                255);
    PaneLink link;
    link.setVolume(&view.volume(), view.volumeTexture(), {{0.5, 0.5, 0.8}}, true, true);
    link.setWindow(SliceWindow::fromHounsfield(400, 40));
    std::printf("%-24s %dx%dx%d, %d frames of 350 x 250 pixels, medians\n", "", kWidth, kHeight,
                kDepth, kFrames);
    for (PanePlane plane : {PanePlane::Axial, PanePlane::Coronal, PanePlane::Sagittal}) {
        SlicePane pane(plane, &link, nullptr, &view);
        pane.resize(350, 250);
        pane.show();
        if (!QTest::qWaitForWindowExposed(&pane))
            return 1;
        repaint(pane); // the program built, the first overlay made
        std::vector<double> times;
        for (int frame = 0; frame < kFrames; ++frame) {
            link.setPoint({{100 + 15 * frame, 120 + 13 * frame, 40 + 11 * frame}});
            times.push_back(repaint(pane));
        }
        const char* names[] = {"axial pane", "coronal pane", "sagittal pane"};
        std::printf("%-24s %8.2f ms\n", names[int(plane)], median(times));
    }
    std::vector<double> frames;
    for (int frame = 0; frame < kFrames / 4; ++frame)
        frames.push_back(repaint(view));
    std::printf("%-24s %8.2f ms\n", "3D pane (Composite)", median(frames));
    return 0;
}
