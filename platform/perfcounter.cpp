#include "platform/perfcounter.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point g_processStart = Clock::now();

bool systemFrequency(int64_t* countsPerSecond)
{
    *countsPerSecond = int64_t(Clock::period::den) / int64_t(Clock::period::num);
    return *countsPerSecond > 0;
}

bool systemCounter(int64_t* count)
{
    *count = Clock::now().time_since_epoch().count();
    return true;
}

int64_t systemProcessMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - g_processStart)
        .count();
}

const PerfCounterSource g_systemSource = {systemFrequency, systemCounter,
                                          systemProcessMilliseconds};
const PerfCounterSource* g_source = &g_systemSource;

} // namespace

const PerfCounterSource& perfCounterSource() { return *g_source; }

void setPerfCounterSource(const PerfCounterSource* source)
{
    g_source = source ? source : &g_systemSource;
}
