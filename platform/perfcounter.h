#pragma once

#include <cstdint>

// A high-resolution monotonic counter with a fixed frequency, and a coarse
// millisecond clock counted from the start of the process. The functions are
// reached through a table so that tests can stand in a counter that fails or
// a clock that does not move.
struct PerfCounterSource {
    bool (*frequency)(int64_t* countsPerSecond);
    bool (*counter)(int64_t* count);
    int64_t (*processMilliseconds)();
};

// The source in use: the system's monotonic clock unless a test set another.
const PerfCounterSource& perfCounterSource();

// Replaces the source (null: back to the system's).
void setPerfCounterSource(const PerfCounterSource* source);
