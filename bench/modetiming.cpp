// The frame benchmark's timed frames: drags, frames, and their times.

#include "bench/modetiming.h"

#include "bench/benchsupport.h"
#include "bench/frameclocks.h"
#include "tools/uidriver.h"

#include <QTest>

#include <algorithm>
#include <vector>

void turnBy(GLWidget& view, QPoint& cursor, int pixels, bool held)
{
    const QPoint from = cursor;
    cursor += QPoint(pixels, 0);
    if (!held)
        return ui::drag(&view, from, cursor);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    ui::move(&view, cursor, Qt::LeftButton);
}

ModeTiming timeMode(GLWidget& view, const char* name, const FrameOptions& options, bool held,
                    int start)
{
    ModeTiming timing{name};
    std::vector<double> times;
    QPoint cursor(10, 10);
    turnBy(view, cursor, start - view.yRotation(), false);
    double processorStart = 0;
    for (int frame = 0; frame < options.warmup + options.frames; ++frame) {
        if (frame == options.warmup) {
            turnBy(view, cursor, start - view.yRotation(), false);
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
