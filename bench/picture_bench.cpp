// Picture benchmark: how close a Composite frame of one-voxel steps comes to
// the converged picture (the same view at an eighth of a voxel), and how much
// of a white surface the lighting clips to white. (The rendering tests hold
// the gradient texture's shading against six density reads.) Renders the real
// GLWidget at a few turns and prints per turn and overall, then one JSON
// line.
//
//   kastra-bench-picture [--size WxH] [--shaders DIR] [--save DIR] VOLUME.dat
//
// --shaders takes the shader files from another folder, for a before and an
// after in one build; --save writes each picture as a PNG. Run it under a
// display (xvfb-run for a headless machine).

#include "bench/benchsupport.h"
#include "bench/benchview.h"
#include "render/glwidget.h"
#include "tfeditor/controlpoint.h"

#include <QApplication>
#include <QCoreApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPoint>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Options {
    int width = 700;
    int height = 500;
    std::string shaders = KASTRA_RUN_DIR;
    std::string save;
    std::string volume;
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2)
                return false;
        } else if (arg == "--shaders" && hasValue) {
            options.shaders = argv[++i];
        } else if (arg == "--save" && hasValue) {
            options.save = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return false;
        } else {
            options.volume = arg;
        }
    }
    return !options.volume.empty();
}

// A drag from the current turn, one degree per pixel, sent straight to the
// view: the driver's simulated mouse reaches it through the window system,
// later, so that a picture could be read back from the turn before.
void turnTo(GLWidget& view, int xRotation, int yRotation)
{
    const QPoint from(10, 10),
            to = from + QPoint(yRotation - view.yRotation(), xRotation - view.xRotation());
    QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &press);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &release);
}

// A white table like the frame benchmark's Composite one: transparent below
// 10 % of the range, reaching opacity 0.25 per voxel at the top.
std::vector<ControlPoint> whiteTable(int width, int height)
{
    ControlPoint low, high;
    low.color = Qt::white;
    low.x = width / 10;
    low.y = 0;
    high.color = Qt::white;
    high.x = width - 1;
    high.y = height / 4;
    return {low, high};
}

// A white surface: transparent below 10 % of the range, opaque from 11 % on,
// so that a pixel shows the shading of the first sample that shows.
std::vector<ControlPoint> whiteSurface(int width, int height)
{
    ControlPoint below, low, high;
    below.color = low.color = high.color = Qt::white;
    below.x = width / 10;
    below.y = 0;
    low.x = width * 11 / 100;
    high.x = width - 1;
    low.y = high.y = height;
    return {below, low, high};
}

// Differences over the pixels either picture shows, in 8-bit units.
struct Difference {
    double rms = 0, largest = 0;
    double shown = 0;
};

Difference difference(const QImage& a, const QImage& b)
{
    Difference d;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) == 0 && qAlpha(q) == 0)
                continue;
            d.shown += 1;
            for (int c = 0; c < 4; ++c) {
                const int shift = 8 * c;
                const double delta = double(int(p >> shift & 255) - int(q >> shift & 255));
                sum += delta * delta / 4;
                d.largest = std::max(d.largest, std::abs(delta));
            }
        }
    d.rms = d.shown > 0 ? std::sqrt(sum / d.shown) : 0;
    return d;
}

// The same over 3 x 3 means of both pictures: the error the eye sees from a
// step back, where a jitter's noise averages out and a pattern does not.
Difference blurredDifference(const QImage& a, const QImage& b)
{
    const auto blurred = [](const QImage& image) {
        QImage out = image;
        for (int y = 1; y + 1 < image.height(); ++y)
            for (int x = 1; x + 1 < image.width(); ++x) {
                int sum[4] = {};
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QRgb p = image.pixel(x + dx, y + dy);
                        sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p),
                            sum[3] += qAlpha(p);
                    }
                out.setPixel(x, y, qRgba(sum[0] / 9, sum[1] / 9, sum[2] / 9, sum[3] / 9));
            }
        return out;
    };
    return difference(blurred(a), blurred(b));
}

// The share of shown pixels whose colour is white, or all but: lit to white.
double clippedShare(const QImage& image)
{
    double shown = 0, clipped = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            shown += 1;
            clipped += qRed(p) >= 254 && qGreen(p) >= 254 && qBlue(p) >= 254;
        }
    return shown > 0 ? clipped / shown : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: kastra-bench-picture [--size WxH] [--shaders DIR] [--save DIR] "
                     "VOLUME.dat\n";
        return 2;
    }
    const std::string volume = QDir().absoluteFilePath(QString::fromStdString(options.volume))
                                   .toStdString();
    const QString save = options.save.empty() ? QString()
                                              : QDir().absoluteFilePath(
                                                    QString::fromStdString(options.save));
    if (!enterShaderFolder(options.shaders))
        return 1;
    const QuietConsole quiet;

    requestAlphaChannel(); // alpha tells shown pixels apart
    BenchView view;
    view.keepFramesUnswapped(true);
    if (!view.showAt(options.width, options.height))
        return 1;
    view.loadVolume(volume);
    const int editorWidth = 771, editorHeight = 200;
    view.updateTransferFunction(whiteTable(editorWidth, editorHeight), editorWidth, editorHeight);
    view.picture(); // the first frame after the window is shown is not yet settled

    const int turns[][2] = {{0, 0}, {30, 40}, {-60, 20}, {90, 0}, {20, -120}};
    std::printf("%-10s %12s %12s %12s %10s\n", "turn", "rms to ref", "max to ref", "3x3 to ref",
                "clipped");
    std::printf("(the white ramp table against the converged picture; the share of a white "
                "surface lit to white)\n");
    Difference total, totalBlurred;
    double clipped = 0;
    std::string json;
    for (const auto& turn : turns) {
        turnTo(view, turn[0], turn[1]);
        view.setSampleDistance(1.0 / 8);
        const QImage reference = view.picture();
        view.setSampleDistance(1);
        const QImage picture = view.picture();
        const Difference toReference = difference(picture, reference);
        const Difference blurred = blurredDifference(picture, reference);
        view.updateTransferFunction(whiteSurface(editorWidth, editorHeight), editorWidth,
                                    editorHeight);
        const double share = clippedShare(view.picture());
        view.updateTransferFunction(whiteTable(editorWidth, editorHeight), editorWidth,
                                    editorHeight);
        const std::string name = std::to_string(turn[0]) + "," + std::to_string(turn[1]);
        std::printf("%-10s %12.2f %12.0f %12.2f %9.2f%%\n", name.c_str(), toReference.rms,
                    toReference.largest, blurred.rms, 100 * share);
        totalBlurred.rms += blurred.rms * blurred.rms;
        total.rms += toReference.rms * toReference.rms;
        total.largest = std::max(total.largest, toReference.largest);
        clipped += share;
        if (!save.isEmpty()) {
            const QString stem = save + "/" + QString::fromStdString(name).replace(',', '_');
            picture.save(stem + ".png");
            reference.save(stem + "-reference.png");
        }
        std::ostringstream entry;
        entry << (json.empty() ? "" : ", ") << "{\"turn\": [" << turn[0] << ", " << turn[1]
              << "], \"rms_to_reference\": " << toReference.rms
              << ", \"max_to_reference\": " << toReference.largest
              << ", \"blurred_rms_to_reference\": " << blurred.rms
              << ", \"clipped\": " << share
              << "}";
        json += entry.str();
    }
    const double count = double(std::size(turns));
    std::printf("%-10s %12.2f %12.0f %12.2f %9.2f%%\n", "all", std::sqrt(total.rms / count),
                total.largest, std::sqrt(totalBlurred.rms / count), 100 * clipped / count);
    std::printf("{\"bench\": \"picture\", \"view\": [%d, %d], \"turns\": [%s]}\n", options.width,
                options.height, json.c_str());
    return 0;
}
