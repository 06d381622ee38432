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

namespace {

// A size field of /proc/self/status ("VmHWM:  1234 kB") in bytes; -1 if missing.
int64_t statusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stoll(line.substr(field.size() + 1)) * 1024;
    return -1;
}

} // namespace

int64_t residentBytes() { return statusBytes("VmRSS"); }

int64_t peakResidentBytes() { return statusBytes("VmHWM"); }

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
