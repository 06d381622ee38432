// Frame benchmark: the real GLWidget in a window, a loaded volume and a
// transfer function, then N frames per mode, each turned one degree further
// by a mouse drag and finished with glFinish; every mode starts from the
// unturned view, as the peer's camera does. Each drag is released before its
// frame, a full one; "turning" are Composite frames while the button stays
// down, which the view draws at reduced resolution. Prints min / median /
// max milliseconds per frame per mode, the load time and the time to the
// first picture, as a table and as one JSON line.
//
//   kastra-bench-frames [--frames N] [--size WxH] [--shaders DIR] [--phantom WxHxD]
//                       [--no-leaping] [--breakdown] [VOLUME.dat]
//
// Without a volume it generates the head phantom (256 x 256 x 113, or the
// extents of --phantom) into a temporary folder; with a volume and --phantom
// it writes the phantom to that file first, for the peer to render the same
// bytes. --no-leaping marches every sample, for comparison. --breakdown also
// shows where a Composite frame's time goes: the same frames unshaded,
// without leaping, and with the entry and exit passes alone, and the samples
// marched and shaded per frame and per ray. Run it under a display (xvfb-run
// for a headless machine).

#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "bench/frameclocks.h"
#include "bench/frameoptions.h"
#include "bench/frametransfers.h"
#include "bench/modetiming.h"
#include "bench/samplecounts.h"
#include "render/glwidget.h"
#include "tools/phantom/phantoms.h"
#include "volume/volumedata.h"
#include "volume/volumeloader.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QDir>
#include <QString>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const BenchClock::time_point mainStart = BenchClock::now();
    const double processStartMs = millisecondsSinceProcessStart();
    QApplication application(argc, argv);
    FrameOptions options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: kastra-bench-frames [--frames N] [--size WxH] [--shaders DIR] "
                     "[--phantom WxHxD] [--no-leaping] [--breakdown] [--crop SHARE] "
                     "[--zoom NOTCHES] [VOLUME.dat]\n";
        return 2;
    }

    // Generating the phantom is not part of the time to the first picture.
    const BenchClock::time_point generateStart = BenchClock::now();
    const ScratchFolder scratch;
    if (options.volume.empty() || options.generate) {
        if (options.volume.empty()) {
            if (!scratch.created()) {
                std::cerr << "cannot create a temporary folder\n";
                return 1;
            }
            options.volume = scratch.file("head.dat");
        }
        const int* extents = options.phantom;
        if (!writeVolumeFile(options.volume, makeHeadPhantom(extents[0], extents[1], extents[2]))) {
            std::cerr << "cannot write " << options.volume << "\n";
            return 1;
        }
    }
    const double generateMs = millisecondsSince(generateStart);
    options.volume = QDir().absoluteFilePath(QString::fromStdString(options.volume)).toStdString();
    if (!enterShaderFolder(options.shaders))
        return 1;
    const QuietConsole quiet;
    requestAlphaChannel(); // the counting probe writes alpha too

    // The first picture: the window shown, the volume loaded, the table
    // built and one composite frame finished, as a user's first look is.
    const BenchClock::time_point showStart = BenchClock::now();
    BenchView view;
    view.setLeaping(options.leaping);
    if (!view.showAt(options.width, options.height))
        return 1;
    glFinish();
    const double showMs = millisecondsSince(showStart);

    const BenchClock::time_point loadStart = BenchClock::now();
    view.loadVolume(options.volume);
    glFinish();
    const double loadMs = millisecondsSince(loadStart);
    const VolumeData& volume = view.volume();
    // A crop box about the centre, and a zoom about the view's centre.
    CropBox box;
    const int extents[3] = {volume.width, volume.height, volume.depth};
    for (int axis = 0; axis < 3; ++axis) {
        const int kept = std::max(1, int(extents[axis] * options.crop));
        box.from[axis] = (extents[axis] - kept) / 2;
        box.to[axis] = box.from[axis] + kept - 1;
    }
    view.setCropBox(box);
    view.zoomAt(QPoint(options.width / 2, options.height / 2), options.zoomNotches);

    const int editorWidth = 771, editorHeight = 200; // the main window's editor
    const BenchClock::time_point tableStart = BenchClock::now();
    view.setCompositeMode();
    view.updateTransferFunction(compositeTransfer(editorWidth, editorHeight), editorWidth,
                                editorHeight);
    glFinish();
    const double tableMs = millisecondsSince(tableStart);
    const BenchClock::time_point frameStart = BenchClock::now();
    view.updateGL();
    glFinish();
    const double firstFrameMs = millisecondsSince(frameStart);
    const double sinceMainMs = millisecondsSince(mainStart) - generateMs;
    const double firstPictureMs = processStartMs < 0 ? -1 : processStartMs + sinceMainMs;

    // The loader's share of the load: the same file read again, from the page cache.
    const BenchClock::time_point readStart = BenchClock::now();
    {
        auto scratchVolume = std::make_unique<VolumeData>();
        readVolumeFile(options.volume, *scratchVolume);
    }
    const double readMs = millisecondsSince(readStart);

    std::vector<ModeTiming> timings;
    timings.push_back(timeMode(view, "composite", options));
    timings.push_back(timeMode(view, "turning", options, true));
    std::vector<ModeTiming> breakdown;
    SampleCounts counts, countsWithoutLeaping;
    if (options.breakdown) {
        view.setRayProbe(GLWidget::RayProbe::Unshaded);
        breakdown.push_back(timeMode(view, "unshaded", options));
        view.setRayProbe(GLWidget::RayProbe::PassesOnly);
        breakdown.push_back(timeMode(view, "passes", options));
        view.setRayProbe(GLWidget::RayProbe::Picture);
        view.setLeaping(!options.leaping);
        breakdown.push_back(timeMode(view, options.leaping ? "no-leaping" : "leaping", options));
        countsWithoutLeaping = countSamples(view, options);
        view.setLeaping(options.leaping);
        counts = countSamples(view, options);
    }
    view.updateTransferFunction(projectionTransfer(editorWidth, editorHeight), editorWidth,
                                editorHeight);
    view.setAverageMode();
    timings.push_back(timeMode(view, "average", options));
    view.setMIPMode();
    timings.push_back(timeMode(view, "mip", options));
    SampleCounts mipCounts;
    if (options.breakdown)
        mipCounts = countSamples(view, options);

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("volume %s: %d x %d x %d, view %d x %d, %d frames after %d warm-up, leaping %s\n",
                options.volume.c_str(), volume.width, volume.height, volume.depth, options.width,
                options.height, options.frames, options.warmup, options.leaping ? "on" : "off");
    std::printf("GL renderer: %s\n", renderer ? renderer : "?");
    std::printf("load (read, upload, framebuffers): %.1f ms, of which the loader alone %.1f ms\n",
                loadMs, readMs);
    if (firstPictureMs >= 0)
        std::printf("first picture: %.0f ms after the process started (to main %.0f, window "
                    "shown %.0f, load %.0f, table %.0f, first composite frame %.0f)\n",
                    firstPictureMs, processStartMs, showMs, loadMs, tableMs, firstFrameMs);
    std::printf("%-10s %10s %10s %10s %8s %12s\n", "mode", "min ms", "median ms", "max ms", "fps",
                "cpu ms/frame");
    for (const ModeTiming& t : timings)
        std::printf("%-10s %10.1f %10.1f %10.1f %8.1f %12.1f\n", t.name, t.min, t.median, t.max,
                    1000.0 / t.median, t.processor);
    if (options.breakdown) {
        std::printf("composite breakdown (same frames):\n");
        for (const ModeTiming& t : breakdown)
            std::printf("  %-10s %10.1f %10.1f %10.1f %8.1f %12.1f\n", t.name, t.min, t.median,
                        t.max, 1000.0 / t.median, t.processor);
        std::printf("  samples per frame: %.2f M marched, %.2f M shaded (%s leaping: %.2f M "
                    "marched)\n",
                    counts.marchedPerFrame / 1e6, counts.shadedPerFrame / 1e6,
                    options.leaping ? "without" : "with",
                    countsWithoutLeaping.marchedPerFrame / 1e6);
        std::printf("  per ray that marches: %.1f marched, %.1f shaded (%s leaping: %.1f "
                    "marched)\n",
                    counts.marchedPerRay, counts.shadedPerRay, options.leaping ? "without" : "with",
                    countsWithoutLeaping.marchedPerRay);
        std::printf("mip: %.2f M samples marched per frame, %.1f per ray that marches\n",
                    mipCounts.marchedPerFrame / 1e6, mipCounts.marchedPerRay);
    }
    std::printf("{\"bench\": \"frames\", \"volume\": [%d, %d, %d], \"view\": [%d, %d], "
                "\"frames\": %d, \"load_ms\": %.2f, \"read_ms\": %.2f, \"first_picture_ms\": %.1f, "
                "\"first_frame_ms\": %.2f, \"leaping\": %s",
                volume.width, volume.height, volume.depth, options.width, options.height,
                options.frames, loadMs, readMs, firstPictureMs, firstFrameMs,
                options.leaping ? "true" : "false");
    for (const ModeTiming& t : timings)
        std::printf(", \"%s\": {\"min_ms\": %.2f, \"median_ms\": %.2f, \"max_ms\": %.2f, "
                    "\"cpu_ms\": %.2f}",
                    t.name, t.min, t.median, t.max, t.processor);
    std::printf("}\n");
    return 0;
}
