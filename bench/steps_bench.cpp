// Steps benchmark: the time a frame takes against the distance between its
// samples. Renders the real GLWidget in one mode at each sample distance
// given, times frames turned one degree each from the unturned view (as the
// frame benchmark and the peer do; --turn N: from the view turned N degrees
// about the vertical), and saves that view's picture, drawn over black, as a
// PNG; then the converged picture (an eighth of a voxel, untimed). With
// --turning the frames are timed and drawn with the button held, at the
// reduced resolution of a turn. Prints one JSON line per distance.
//
// With --refine (Composite, still frames) each distance's still frame is then
// refined: the view's refinement switched on, its frames drawn one by one,
// each timed to its glFinish, and the refined picture saved after 1, 2, 4, 8
// and 16 of them, with one JSON line each giving the ms of all its frames
// together; last, the converged picture refined by 16 frames too (its line
// says "reference": "refined"). Composite draws with the grey ramp like the peer's default
// (--table ramp) or a sharp table that shows bone as an opaque white surface
// (--table bone). bench/step_curves.py runs it beside the peer and turns the
// pictures into errors.
//
//   kastra-bench-steps --save DIR [--steps 2,1,0.5,0.25] [--mode composite|average|mip]
//                      [--table ramp|bone] [--refine] [--frames N] [--size WxH]
//                      [--shaders DIR] [--stem NAME] [--turn DEGREES] [--turning]
//                      VOLUME.dat
//
// Run it under a display (xvfb-run for a headless machine).

#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "bench/frameclocks.h"
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

struct StepOptions
{
    FrameOptions frames;
    std::vector<double> steps = {2, 1, 0.5, 0.25};
    std::string mode = "composite";
    std::string save;
    std::string stem;
    int probe = 0;              // GLWidget::RayProbe
    bool turning = false;       // time and draw the frames while the button is held
    int turn = 0;               // degrees the view is turned from the unturned one
    bool refine = false;        // refined still frames after each distance's still frame
    std::string table = "ramp"; // Composite's: ramp or bone
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
        } else if (arg == "--refine") {
            options.refine = true;
        } else if (arg == "--table" && hasValue) {
            options.table = argv[++i];
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
    const bool knownMode =
        options.mode == "composite" || options.mode == "average" || options.mode == "mip";
    const bool composite = options.mode == "composite";
    // Only Composite's still frames are refined, and the projections have a
    // table of their own.
    if (options.refine && (!composite || options.turning))
        return false;
    if (options.table != "ramp" && (options.table != "bone" || !composite))
        return false;
    return knownMode && !options.save.empty() && !options.frames.volume.empty();
}

// The picture over black: the view's colours are premultiplied by their
// opacity, so dropping the opacity leaves them as drawn on a black window.
bool savePicture(const QImage& picture, const QString& path)
{
    // Taken as premultiplied, Qt would divide by the opacity on the way to
    // RGB: a faint pixel at a silhouette, 1 of 255 at an opacity of 2, would
    // be saved as 128.
    QImage shown = picture;
    shown.reinterpretAsFormat(QImage::Format_RGBX8888);
    return shown.convertToFormat(QImage::Format_RGB888).save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    StepOptions options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: kastra-bench-steps --save DIR [--steps 2,1,0.5,0.25] "
                     "[--mode composite|average|mip] [--table ramp|bone] [--refine] "
                     "[--frames N] [--size WxH] [--shaders DIR] [--stem NAME] "
                     "[--turn DEGREES] [--turning] VOLUME.dat\n"
                     "(--refine and --table bone draw Composite; --refine not --turning)\n";
        return 2;
    }
    FrameOptions& frames = options.frames;
    frames.volume = QDir().absoluteFilePath(QString::fromStdString(frames.volume)).toStdString();
    const QString save = QDir().absoluteFilePath(QString::fromStdString(options.save));
    QDir().mkpath(save);
    const std::string stem =
        options.stem.empty()
            ? QFileInfo(QString::fromStdString(frames.volume)).completeBaseName().toStdString()
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
        const std::vector<ControlPoint> table = options.table == "bone"
                                                    ? boneTransfer(editorWidth, editorHeight)
                                                    : compositeTransfer(editorWidth, editorHeight);
        view.updateTransferFunction(table, editorWidth, editorHeight);
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

    // The still frame refined: the refinement's frames one by one, each timed
    // to its glFinish and counted by the view, since a frame that did not add
    // to the average would leave the count behind; the refined picture is in
    // the back buffer after each. False where a frame did not refine. As the
    // `reference`, only the picture of all the frames is saved.
    const auto refineAt = [&](double step, bool reference) {
        view.setSampleDistance(step);
        QPoint cursor(10, 10);
        turnBy(view, cursor, options.turn - view.yRotation(), false);
        view.keepFramesUnswapped(true);
        // Two untimed frames make the average's buffer at the view's size and
        // have the GL build its blending into it, which it does at first use.
        view.setRefining(true);
        for (int frame = 0; frame < 2; ++frame)
            view.updateGL();
        glFinish();
        view.setRefining(false);
        view.setRefining(true); // the next frame is a still frame again
        double total = 0;
        bool refined = true;
        for (int frame = 1; frame <= Refinement::kFrames; ++frame) {
            const BenchClock::time_point start = BenchClock::now();
            view.updateGL();
            glFinish();
            total += millisecondsSince(start);
            if (view.refinedFrames() != frame) {
                std::cerr << "frame " << frame << " left the refinement at " << view.refinedFrames()
                          << " frames\n";
                refined = false;
                break;
            }
            if ((frame & (frame - 1)) != 0 || (reference && frame < Refinement::kFrames))
                continue; // saved after 1, 2, 4, 8 and 16 frames
            const std::string name = stem + "_kastra_" + options.mode + "_refined_" +
                                     std::to_string(step) + "_" + std::to_string(frame) + ".png";
            if (!savePicture(view.backBuffer(), save + "/" + QString::fromStdString(name)))
                std::cerr << "cannot write " << name << "\n";
            if (reference)
                std::printf("{\"renderer\": \"kastra\", \"mode\": \"%s\", \"step\": %g, "
                            "\"reference\": \"refined\", \"png\": \"%s\"}\n",
                            options.mode.c_str(), step, name.c_str());
            else
                std::printf("{\"renderer\": \"kastra-refined\", \"mode\": \"%s\", \"step\": %g, "
                            "\"frames\": %d, \"median_ms\": %.2f, \"min_ms\": %.2f, \"png\": "
                            "\"%s\"}\n",
                            options.mode.c_str(), step, frame, total, total, name.c_str());
            std::fflush(stdout);
        }
        view.setRefining(false);
        view.keepFramesUnswapped(false);
        return refined;
    };

    for (double step : options.steps) {
        view.setSampleDistance(step);
        const ModeTiming timing =
            timeMode(view, options.mode.c_str(), frames, options.turning, options.turn);
        const std::string name = pictureAt(step, options.turning);
        std::printf("{\"renderer\": \"kastra\", \"mode\": \"%s\", \"step\": %g, "
                    "\"turning\": %s, \"median_ms\": %.2f, \"min_ms\": %.2f, "
                    "\"cpu_ms\": %.2f, \"png\": \"%s\"}\n",
                    options.mode.c_str(), step, options.turning ? "true" : "false", timing.median,
                    timing.min, timing.processor, name.c_str());
        std::fflush(stdout);
        if (options.refine && !refineAt(step, false))
            return 1;
    }
    const double converged = 1.0 / 8;
    std::printf("{\"renderer\": \"kastra\", \"mode\": \"%s\", \"step\": %g, \"reference\": true, "
                "\"png\": \"%s\"}\n",
                options.mode.c_str(), converged, pictureAt(converged, false).c_str());
    // Refined, the converged picture loses the grain of its own jitter too.
    if (options.refine && !refineAt(converged, true))
        return 1;
    return 0;
}
