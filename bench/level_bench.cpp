// Large volumes: for generated volumes of about 0.5, 2 and 6 G voxels, the
// time from the load's start to the first picture (a coarse level where the
// volume is over 256 M voxels), to the picture of the level the view then
// shows (the whole, or the finest that fits), and the peak memory the load
// adds to the process; each in a process of its own. The volumes are a ball
// of graded shells in air, written a row at a time, the air left as holes
// of sparse files, into the system's temporary folder (or --folder), and
// removed after.
//
//   kastra-bench-levels [--shaders DIR] [--folder DIR] [--keep] [GVOXELS ...]
//
// Run it under a display (xvfb-run for a headless machine).

#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "platform/systemmemory.h"
#include "tfeditor/controlpoint.h"
#include "volume/volumewriter.h"

#include <QApplication>
#include <QDir>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// A ball of shells of 600 to 2400 in air, filling most of the box.
bool writeBall(const std::string& path, int width, int height, int depth)
{
    VolumeFileWriter writer(path, width, height, depth);
    std::vector<uint16_t> row(static_cast<size_t>(width));
    const double radius = 0.45 * std::min({width, height, depth});
    for (int z = 0; z < depth; ++z)
        for (int y = 0; y < height; ++y) {
            const double dy = y - height / 2.0, dz = z - depth / 2.0;
            for (int x = 0; x < width; ++x) {
                const double r =
                    std::sqrt((x - width / 2.0) * (x - width / 2.0) + dy * dy + dz * dz);
                row[size_t(x)] =
                    r < radius ? uint16_t(600 + 600 * (int(4 * r / radius) % 4)) : uint16_t(0);
            }
            if (!writer.writeRow(y, z, row.data()))
                return false;
        }
    return writer.commit();
}

// In the fresh process: the load, its first picture (the time written to
// `firstFile`), and the picture of the level it ends at.
int measure(const std::string& volume, const std::string& firstFile)
{
    BenchView view;
    view.keepFramesUnswapped(true);
    if (!view.showAt(700, 500))
        return 1;
    std::vector<ControlPoint> ramp = {{Qt::black, 0, 0}, {Qt::white, 4095, 255}};
    view.updateTransferFunction(ramp, 4095, 255);
    view.picture();
    const BenchClock::time_point start = BenchClock::now();
    view.loadVolume(volume);
    view.picture();
    std::ofstream times(firstFile);
    times << secondsSince(start) << ' ' << view.volume().level.factor << ' ' << std::flush;
    while (view.readingFinerLevel()) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    view.picture();
    times << view.volume().level.factor << std::endl;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::string shaders = KASTRA_RUN_DIR, folder;
    bool keep = false;
    std::vector<double> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--measure" && i + 2 < argc) {
            const std::string volume = argv[i + 1], firstFile = argv[i + 2];
            if (!enterShaderFolder(shaders))
                return 1;
            const QuietConsole quiet;
            return reportFreshRun([&] { return measure(volume, firstFile); });
        }
        if (arg == "--shaders" && i + 1 < argc)
            shaders = argv[++i];
        else if (arg == "--folder" && i + 1 < argc)
            folder = argv[++i];
        else if (arg == "--keep")
            keep = true;
        else if (arg.rfind("--", 0) != 0 && std::atof(arg.c_str()) > 0)
            sizes.push_back(std::atof(arg.c_str()));
        else {
            std::cerr << "usage: kastra-bench-levels [--shaders DIR] [--folder DIR] [--keep] "
                         "[GVOXELS ...]\n";
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {0.5, 2, 6};
    ScratchFolder scratch;
    if (!scratch.created())
        return 1;
    std::printf("%-22s %10s %12s %10s %10s %10s\n", "volume", "G voxels", "levels", "first s",
                "final s", "peak GB");
    for (const double size : sizes) {
        // 2048 x 2048 x 1500 for 6 G voxels; cubes below 2 G.
        const int side = int(std::cbrt(size * 1e9));
        const int width = std::min(side, 2048), depth = int(size * 1e9 / width / width);
        const std::string name = std::to_string(width) + "x" + std::to_string(width) + "x" +
                                 std::to_string(depth) + ".dat";
        const std::string path = folder.empty()
                                     ? scratch.file(name)
                                     : QDir(QString::fromStdString(folder))
                                           .absoluteFilePath(QString::fromStdString(name))
                                           .toStdString();
        const BenchClock::time_point writing = BenchClock::now();
        if (!QFile::exists(QString::fromStdString(path)) && !writeBall(path, width, width, depth)) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
        std::fprintf(stderr, "%s written in %.0f s\n", name.c_str(), secondsSince(writing));
        const std::string firstFile = scratch.file("first.txt");
        const std::optional<FreshRun> run = runFresh(
            {"--shaders", QDir(QString::fromStdString(shaders)).absolutePath().toStdString(),
             "--measure", path, firstFile});
        double first = 0;
        int coarse = 0, level = 0;
        std::ifstream(firstFile) >> first >> coarse >> level;
        if (!run)
            std::printf("%-22s %10.2f %12s\n", name.c_str(), double(width) * width * depth / 1e9,
                        "failed");
        else
            std::printf("%-22s %10.2f %12s %10.1f %10.1f %10.2f\n", name.c_str(),
                        double(width) * width * depth / 1e9,
                        ("1/" + std::to_string(coarse) + ", 1/" + std::to_string(level)).c_str(),
                        first, run->seconds, run->peakBytes / 1e9);
        std::fflush(stdout);
        if (!keep)
            QFile::remove(QString::fromStdString(path));
    }
    return 0;
}
