#include "platform/systemmemory.h"

#include <unistd.h>

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
