#include "render/perftimer.h"

#include "platform/console.h"
#include "platform/perfcounter.h"

#include <cstdio>
#include <ostream>

namespace {
// Seconds per count of the time base, shared by all timers; 0 until the
// first timer asks the counter for its frequency.
double g_tick = 0;
} // namespace

PerfTimer::PerfTimer()
{
    if (g_tick <= 0) {
        int64_t frequency = 0;
        const bool known = perfCounterSource().frequency(&frequency) && frequency > 0;
        g_tick = known ? 1.0 / double(frequency) : 0.001;
    }
    m_start = currentTime();
}

double PerfTimer::currentTime() const
{
    const PerfCounterSource& source = perfCounterSource();
    int64_t count = 0;
    if (!source.counter(&count))
        count = source.processMilliseconds();
    return double(count) * g_tick;
}

void PerfTimer::restart() { m_start = currentTime(); }

void PerfTimer::resetTick() { g_tick = 0; }

std::string frameRateLine(double seconds)
{
    // The comparison is false for a NaN too.
    const double rate = seconds > 0 ? 1.0 / seconds : 0.0;
    const char* format = "- %06.2f frames/second \r";
    std::string line(size_t(std::snprintf(nullptr, 0, format, rate)), '\0');
    std::snprintf(&line[0], line.size() + 1, format, rate);
    return line;
}

void reportFrameRate(PerfTimer& timer)
{
    const double seconds = timer.currentTime() - timer.startTime();
    timer.restart();
    console::out() << frameRateLine(seconds) << std::flush;
}
