#pragma once

#include <string>

// A high-resolution timer in seconds on the platform's performance counter,
// falling back to the process's millisecond clock where the counter fails.
class PerfTimer
{
public:
    PerfTimer();

    double currentTime() const;
    double startTime() const { return m_start; }
    void restart();

    // Forgets the shared tick, so that the next timer asks the counter for
    // its frequency again (for tests that change the counter source).
    static void resetTick();

private:
    double m_start = 0;
};

// The frame-rate line for a frame that took `seconds`: 1 / seconds, or 0
// where that is not a positive number, as "- %06.2f frames/second \r".
std::string frameRateLine(double seconds);

// Prints the frame-rate line for the time since the timer's start and
// restarts the timer.
void reportFrameRate(PerfTimer& timer);
