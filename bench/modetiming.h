#pragma once

// Timing the frames of one mode of the frame benchmark, turned by real drags.

#include "bench/frameoptions.h"
#include "render/glwidget.h"

#include <QPoint>

struct ModeTiming
{
    const char* name;
    double min = 0, median = 0, max = 0;
    double processor = 0; // mean processor milliseconds per frame
};

// A real drag of `pixels` across from `cursor` (one degree each), released
// unless `held`: the view turns while the button is down and draws the full
// picture once it is up.
void turnBy(GLWidget& view, QPoint& cursor, int pixels, bool held);

// Renders the frames of one mode, turning one degree per frame with a real
// one-pixel drag, as the peer turns its camera: the warm-up frames from the
// view turned `start` degrees (the unturned one by default), and the timed
// ones from there again. Each drag is released
// before its frame, a full one, unless `held`: then the button stays down
// through the frames, which the view draws at reduced resolution.
ModeTiming timeMode(GLWidget& view, const char* name, const FrameOptions& options,
                    bool held = false, int start = 0);
