// The frame benchmark's clocks: wall, processor and process-start time.

#include "bench/frameclocks.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

double millisecondsSince(BenchClock::time_point start)
{
    return 1e3 * secondsSince(start);
}

double processorMilliseconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double millisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t afterName = text.rfind(')'); // the name may hold spaces
    if (afterName == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) // field 22: start time in ticks
        ;
    timespec now;
    if (field.empty() || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const double startMs = std::stod(field) * 1e3 / double(sysconf(_SC_CLK_TCK));
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6 - startMs;
}
