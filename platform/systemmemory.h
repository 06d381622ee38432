#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of physical memory in the machine; 0 when the system does not say.
uint64_t physicalMemoryBytes();

// The process's resident size in bytes now; -1 when the system does not say.
int64_t residentBytes();

// The process's peak resident size in bytes since it started or since the
// last reset; -1 when the system does not say.
int64_t peakResidentBytes();

// Starts a new peak at the current resident size; false where the system
// cannot, which leaves the peak as it was.
bool resetPeakResidentBytes();

// Asks the system to back the whole pages within [data, data + bytes) with
// large pages where it can. The first touch of a fresh buffer of hundreds of
// megabytes then faults in a few hundred pages instead of a few hundred
// thousand, which can take longer than the work done on the buffer.
void adviseLargePages(void* data, size_t bytes);
