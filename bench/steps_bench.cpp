// Steps benchmark: the time a frame takes against the distance between its
// samples. Renders the real GLWidget in one mode at each sample distance
// given, times frames turned one degree each from the unturned view (as the
// frame benchmark and the peer do; --turn N: from the view turned N degrees
// about the vertical), and saves that view's picture, drawn over black, as a
// PNG; then the converged picture (an eighth of a voxel, untimed). With
// --turning the frames are timed and drawn with the button held, at the
// reduced resolution of a turn. Prints one JSON line per distance.
// bench/step_curves.py runs it beside the peer and turns the pictures into
// errors.
//
//   kastra-bench-steps --save DIR [--steps 2,1,0.5,0.25] [--mode composite|average|mip]
//                      [--frames N] [--size WxH] [--shaders DIR] [--stem NAME]
//                      [--turn DEGREES] [--turning] VOLUME.dat
//
// Run it under a display (xvfb-run for a headless machine).

#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "bench/frameoptions.h"
#include "bench/frametransfers.h"
#include "bench/modetiming.h"
#include "render/glwidget.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct StepOptions {
    FrameOptions frames;
    std::vector<double> steps = {2, 1, 0.5, 0.25};
    std::string mode = "composite";
    std::string save;
    std::string stem;
    int probe = 0; // GLWidget::RayProbe
    bool turning = false; // time and draw the frames while the button is held
    int turn = 0;         // degrees the view is turned from the unturned one
};

bool parse(int argc, char** argv, StepOptions& options)
{
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--steps" && hasValue) {
            options.steps.clear();
            std::istringstream list(argv[++i]);
            for (std::string item; std::getline(list, item, ',');)
                options.steps.push_back(std::atof(item.c_str()));
        } else if (arg == "--mode" && hasValue) {
            options.mode = argv[++i];
        } else if (arg == "--save" && hasValue) {
            options.save = argv[++i];
        } else if (arg == "--probe" && hasValue) {
            options.probe = std::atoi(argv[++i]);
        } else if (arg == "--turn" && hasValue) {
            options.turn = std::atoi(argv[++i]);
        } else if (arg == "--turning") {
            options.turning = true;
        } else if (arg == "--stem" && hasValue) {
            options.stem = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    options.frames.frames = 10;
    if (!::parse(int(rest.size()), rest.data(), options.frames))
        return false;
    for (double step : options.steps)
        if (!(step > 0))
            return false;
    const bool knownMode = options.mode == "composite" || options.mode == "average" ||
                           options.mode == "mip";
    return knownMode && !options.save.empty() && !options.frames.volume.empty();
}

// The picture over black: the view's colours are premultiplied by their
// opacity, so dropping the opacity leaves them as drawn on a black window.
bool savePicture(const QImage& picture, const QString& path)
{
    QImage premultiplied = picture;
    premultiplied.reinterpretAsFormat(QImage::Format_RGBA8888_Premultiplied);
    return premultiplied.convertToFormat(QImage::Format_RGB888).save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    StepOptions options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: kastra-bench-steps --save DIR [--steps 2,1,0.5,0.25] "
                     "[--mode composite|average|mip] [--frames N] [--size WxH] "
                     "[--shaders DIR] [--stem NAME] [--turn DEGREES] [--turning] VOLUME.dat\n";
        return 2;
    }
    FrameOptions& frames = options.frames;
    frames.volume = QDir().absoluteFilePath(QString::fromStdString(frames.volume)).toStdString();
    const QString save = QDir().absoluteFilePath(QString::fromStdString(options.save));
    QDir().mkpath(save);
    const std::string stem =
        options.stem.empty() ? QFileInfo(QString::fromStdString(frames.volume))
                                   .completeBaseName()
                                   .toStdString()
                             : options.stem;
    if (!enterShaderFolder(frames.shaders))
        return 1;
    const QuietConsole quiet;

    requestAlphaChannel();
    BenchView view;
    if (!view.showAt(frames.width, frames.height))
        return 1;
    view.loadVolume(frames.volume);
    view.setRayProbe(GLWidget::RayProbe(options.probe));
    const int editorWidth = 771, editorHeight = 200; // the main window's editor
    if (options.mode == "composite") {
        view.updateTransferFunction(compositeTransfer(editorWidth, editorHeight), editorWidth,
                                    editorHeight);
        view.setCompositeMode();
    } else {
        view.updateTransferFunction(projectionTransfer(editorWidth, editorHeight), editorWidth,
                                    editorHeight);
        options.mode == "average" ? view.setAverageMode() : view.setMIPMode();
    }

    // Turning, the picture is the turning frame drawn at the resolution the
    // timed frames settled on, with the button still down.
    const auto pictureAt = [&](double step, bool turning) {
        view.setSampleDistance(step);
        QPoint cursor(10, 10);
        turnBy(view, cursor, options.turn - view.yRotation(), turning);
        view.keepFramesUnswapped(true);
        const QImage picture = view.picture();
        view.keepFramesUnswapped(false);
        if (turning)
            turnBy(view, cursor, 0, false);
        const std::string name = stem + "_kastra_" + options.mode + (turning ? "_turning_" : "_") +
                                 std::to_string(step) + ".png";
        if (!savePicture(picture, save + "/" + QString::fromStdString(name)))
            std::cerr << "cannot write " << name << "\n";
        return name;
    };

    for (double step : options.steps) {
        view.setSampleDistance(step);
        const ModeTiming timing =
            timeMode(view, options.mode.c_str(), frames, options.turning, options.turn);
        const std::string name = pictureAt(step, options.turning);
        std::printf("{\"renderer\": \"kastra\", \"mode\": \"%s\", \"step\": %g, "
                    "\"turning\": %s, \"median_ms\": %.2f, \"min_ms\": %.2f, "
                    "\"cpu_ms\": %.2f, \"png\": \"%s\"}\n",
                    options.mode.c_str(), step, options.turning ? "true" : "false",
                    timing.median, timing.min, timing.processor, name.c_str());
        std::fflush(stdout);
    }
    const double converged = 1.0 / 8;
    std::printf("{\"renderer\": \"kastra\", \"mode\": \"%s\", \"step\": %g, \"reference\": true, "
                "\"png\": \"%s\"}\n",
                options.mode.c_str(), converged, pictureAt(converged, false).c_str());
    return 0;
}
