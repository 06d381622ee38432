// What a step of the time axis costs: the next volume read and turned into
// densities (on the read-ahead thread, off the window's), and its upload into
// the view (on the window's thread: the step itself), for a 64 x 64 x 33 fMRI
// and a 512 x 512 x 300 perfusion CT, generated. Prints the medians of a few
// steps: kastra-bench-timesteps [--shaders FOLDER].

#include "app/volumereadahead.h"
#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "volume/volumewriter.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Volume t of a series: a smooth field that shifts with t, so that no two
// steps upload the same texels.
SampleVolume frame(int width, int height, int depth, int t)
{
    SampleVolume volume(width, height, depth);
    for (size_t i = 0; i < volume.samples.size(); ++i)
        volume.samples[i] = uint16_t((i * 7 + size_t(t) * 131) % 4096);
    return volume;
}

void measure(BenchView& view, const ScratchFolder& scratch, const char* name, int width, int height,
             int depth)
{
    constexpr int kSteps = 4;
    std::vector<std::string> paths;
    for (int t = 0; t < kSteps; ++t) {
        paths.push_back(scratch.file(std::string(name) + std::to_string(t) + ".dat"));
        writeVolumeFile(paths.back(), frame(width, height, depth, t));
    }
    {
        QuietConsole quiet;
        view.loadVolume(paths[0]);
    }
    std::vector<double> reads, uploads;
    for (int t = 1; t < kSteps; ++t) {
        VolumeData next;
        BenchClock::time_point start = BenchClock::now();
        VolumeReadAhead::read(paths[size_t(t)], 1, next);
        reads.push_back(secondsSince(start) * 1000);
        view.makeCurrent();
        glFinish();
        start = BenchClock::now();
        view.showTimeStep(next);
        view.makeCurrent();
        glFinish();
        uploads.push_back(secondsSince(start) * 1000);
    }
    std::printf("%-28s %dx%dx%d  read ahead %8.1f ms   step (upload) %8.1f ms\n", name, width,
                height, depth, median(reads), median(uploads));
}

} // namespace

int main(int argc, char** argv)
{
    std::string shaders = KASTRA_RUN_DIR;
    if (const int usage = shaderFolderArgument(argc, argv, "kastra-bench-timesteps", shaders))
        return usage;
    QApplication application(argc, argv);
    ScratchFolder scratch;
    if (!scratch.created() || !enterShaderFolder(shaders))
        return 1;
    BenchView view;
    if (!view.showAt(700, 500))
        return 1;
    measure(view, scratch, "fMRI", 64, 64, 33);
    measure(view, scratch, "perfusion CT", 512, 512, 300);
    return 0;
}
