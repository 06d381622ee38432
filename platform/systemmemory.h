#pragma once

#include <cstdint>

// Bytes of physical memory in the machine; 0 when the system does not say.
uint64_t physicalMemoryBytes();
