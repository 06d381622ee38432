#pragma once

#include <cstdint>

// Bytes of physical memory in the machine; 0 when the system does not say.
uint64_t physicalMemoryBytes();

// The process's peak resident size in bytes since it started or since the
// last reset; -1 when the system does not say.
int64_t peakResidentBytes();

// Starts a new peak at the current resident size; false where the system
// cannot, which leaves the peak as it was.
bool resetPeakResidentBytes();
