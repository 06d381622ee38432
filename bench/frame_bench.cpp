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
#include "render/glwidget.h"
#include "tfeditor/controlpoint.h"
#include "tools/phantom/phantoms.h"
#include "tools/uidriver.h"
#include "volume/volumedata.h"
#include "volume/volumeloader.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTest>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

double millisecondsSince(BenchClock::time_point start)
{
    return 1e3 * secondsSince(start);
}

// Processor time of the whole process, the driver's rendering threads
// included: steadier than wall time on a machine shared with other work.
double processorMilliseconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Milliseconds since the kernel started this process, on the clock it
// counts process start times with (in 1/100 s); negative if unknown.
double millisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t afterName = text.rfind(')'); // the name may hold spaces
    if (afterName == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) // field 22: start time in ticks
        ;
    timespec now;
    if (field.empty() || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const double startMs = std::stod(field) * 1e3 / double(sysconf(_SC_CLK_TCK));
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6 - startMs;
}

struct Options {
    int frames = 30;
    int warmup = 3;
    int width = 700;
    int height = 500;
    std::string shaders = KASTRA_RUN_DIR;
    std::string volume;
    int phantom[3] = {256, 256, 113};
    bool generate = false; // --phantom given
    bool leaping = true;
    bool breakdown = false;
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue)
            options.frames = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2)
                return false;
        } else if (arg == "--shaders" && hasValue)
            options.shaders = argv[++i];
        else if (arg == "--phantom" && hasValue) {
            int* extents = options.phantom;
            if (std::sscanf(argv[++i], "%dx%dx%d", &extents[0], &extents[1], &extents[2]) != 3)
                return false;
            options.generate = true;
        } else if (arg == "--no-leaping")
            options.leaping = false;
        else if (arg == "--breakdown")
            options.breakdown = true;
        else if (arg.rfind("--", 0) == 0)
            return false;
        else
            options.volume = arg;
    }
    return true;
}

// Transfer functions like the peer renderer's defaults, drawn on a widget of
// the histogram editor's size: for Composite a grey ramp, transparent below
// 10 % of the range and reaching opacity 0.25 per voxel at the top; for the
// projections an opaque grey ramp.
std::vector<ControlPoint> compositeTransfer(int width, int height)
{
    ControlPoint low, high;
    low.color = QColor(26, 26, 26);
    low.x = width / 10;
    low.y = 0;
    high.color = QColor(255, 255, 255);
    high.x = width - 1;
    high.y = height / 4;
    return {low, high};
}

std::vector<ControlPoint> projectionTransfer(int width, int height)
{
    ControlPoint low, high;
    low.color = QColor(0, 0, 0);
    low.x = 0;
    low.y = height;
    high.color = QColor(255, 255, 255);
    high.x = width - 1;
    high.y = height;
    return {low, high};
}

struct ModeTiming {
    const char* name;
    double min = 0, median = 0, max = 0;
    double processor = 0; // mean processor milliseconds per frame
};

// A real drag of `pixels` across from `cursor` (one degree each), released
// unless `held`: the view turns while the button is down and draws the full
// picture once it is up.
void turnBy(GLWidget& view, QPoint& cursor, int pixels, bool held)
{
    const QPoint from = cursor;
    cursor += QPoint(pixels, 0);
    if (!held)
        return ui::drag(&view, from, cursor);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    ui::move(&view, cursor, Qt::LeftButton);
}

// Renders the frames of one mode, turning one degree per frame with a real
// one-pixel drag, as the peer turns its camera: the warm-up frames from the
// unturned view, and the timed ones from there again. Each drag is released
// before its frame, a full one, unless `held`: then the button stays down
// through the frames, which the view draws at reduced resolution.
ModeTiming timeMode(GLWidget& view, const char* name, const Options& options, bool held = false)
{
    ModeTiming timing{name};
    std::vector<double> times;
    QPoint cursor(10, 10);
    turnBy(view, cursor, -view.yRotation(), false);
    double processorStart = 0;
    for (int frame = 0; frame < options.warmup + options.frames; ++frame) {
        if (frame == options.warmup) {
            turnBy(view, cursor, -view.yRotation(), false);
            processorStart = processorMilliseconds();
        }
        const BenchClock::time_point start = BenchClock::now();
        if (held && frame > 0 && frame != options.warmup) {
            cursor += QPoint(1, 0);
            ui::move(&view, cursor, Qt::LeftButton);
        } else {
            turnBy(view, cursor, 1, held);
        }
        view.updateGL();
        glFinish();
        if (frame >= options.warmup)
            times.push_back(millisecondsSince(start));
    }
    if (held)
        turnBy(view, cursor, 0, false);
    timing.processor = (processorMilliseconds() - processorStart) / options.frames;
    timing.min = *std::min_element(times.begin(), times.end());
    timing.max = *std::max_element(times.begin(), times.end());
    timing.median = median(times);
    return timing;
}

// Samples marched and shaded in the frames of timeMode's turns, read back
// from the ray caster's counting probe.
struct SampleCounts {
    double marchedPerFrame = 0, shadedPerFrame = 0;
    double marchedPerRay = 0, shadedPerRay = 0; // over the rays that march any
};

SampleCounts countSamples(BenchView& view, const Options& options)
{
    view.setRayProbe(GLWidget::RayProbe::SampleCounts);
    view.keepFramesUnswapped(true);
    QPoint cursor(10, 10);
    turnBy(view, cursor, -view.yRotation(), false);
    double marched = 0, shaded = 0, rays = 0;
    for (int frame = 0; frame < options.frames; ++frame) {
        turnBy(view, cursor, 1, false);
        const QImage counts = view.picture(); // RGBA bytes: marched, shaded, 16 bits each
        const uchar* pixels = counts.constBits();
        for (qsizetype p = 0; p < counts.sizeInBytes(); p += 4) {
            const double m = pixels[p] + 256.0 * pixels[p + 1];
            marched += m;
            shaded += pixels[p + 2] + 256.0 * pixels[p + 3];
            rays += m > 0;
        }
    }
    view.setRayProbe(GLWidget::RayProbe::Picture);
    view.keepFramesUnswapped(false);
    return {marched / options.frames, shaded / options.frames, marched / std::max(rays, 1.0),
            shaded / std::max(rays, 1.0)};
}

} // namespace

int main(int argc, char** argv)
{
    const BenchClock::time_point mainStart = BenchClock::now();
    const double processStartMs = millisecondsSinceProcessStart();
    QApplication application(argc, argv);
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: kastra-bench-frames [--frames N] [--size WxH] [--shaders DIR] "
                     "[--phantom WxHxD] [--no-leaping] [--breakdown] [VOLUME.dat]\n";
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
                    options.leaping ? "without" : "with", countsWithoutLeaping.marchedPerFrame / 1e6);
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
