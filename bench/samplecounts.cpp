// The samples marched and shaded, read back from the ray caster's counting probe.

#include "bench/samplecounts.h"

#include "bench/modetiming.h"

#include <QImage>
#include <QPoint>

#include <algorithm>

SampleCounts countSamples(BenchView& view, const FrameOptions& options)
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
