#pragma once

// The frame benchmark's clocks beside the benchmarks' own: wall time in
// milliseconds, the process's processor time, and the time since it started.

#include "bench/benchsupport.h"

double millisecondsSince(BenchClock::time_point start);

// Processor time of the whole process, the driver's rendering threads
// included: steadier than wall time on a machine shared with other work.
double processorMilliseconds();

// Milliseconds since the kernel started this process, on the clock it
// counts process start times with (in 1/100 s); negative if unknown.
double millisecondsSinceProcessStart();
