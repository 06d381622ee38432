#include "platform/systemmemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

uint64_t physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return uint64_t(pages) * uint64_t(pageSize);
}

int64_t peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stoll(line.substr(6)) * 1024; // "VmHWM:  1234 kB"
    return -1;
}

bool resetPeakResidentBytes()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    return bool(clearRefs << "5" << std::flush);
}

void adviseLargePages(void* data, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0)
        return;
    const uintptr_t page = uintptr_t(pageSize);
    const uintptr_t first = (uintptr_t(data) + page - 1) / page * page;
    const uintptr_t end = (uintptr_t(data) + bytes) / page * page;
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE); // advice only
#else
    (void)data;
    (void)bytes;
#endif
}
