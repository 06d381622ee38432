#pragma once

#include "tfeditor/transferpresets.h"

// What surrounds the object in a scan whose values carry no unit, read from
// its histogram: padding, one density that fills many voxels at an end of
// the range where the scanner saw nothing (outside its field of view), and
// the peak at the low end that the air or the noise of the field makes.
struct HistogramBackground
{
    int lowPadding = -1;  // the padding below the data; -1 where there is none
    int highPadding = -1; // the padding above it
    int peak = -1;        // the background's peak; -1 where the low end has none
    // The densest density of the background: the end of its peak, else the
    // padding below the data, else the density just below the data. It and
    // all below it are background.
    int background = 0;
    int top = kMaxDensity;     // the 99.5th percentile of the voxels above the background
    int densest = kMaxDensity; // the densest density that is not padding
};

HistogramBackground findBackground(const DensityHistogram& histogram);
