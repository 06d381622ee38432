#pragma once

// Counting the samples the frame benchmark's frames march and shade.

#include "bench/benchview.h"
#include "bench/frameoptions.h"

// Samples marched and shaded in the frames of timeMode's turns, read back
// from the ray caster's counting probe.
struct SampleCounts
{
    double marchedPerFrame = 0, shadedPerFrame = 0;
    double marchedPerRay = 0, shadedPerRay = 0; // over the rays that march any
};

SampleCounts countSamples(BenchView& view, const FrameOptions& options);
