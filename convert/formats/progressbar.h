#pragma once

#include <itkProcessObject.h>

#include <chrono>
#include <string>

// A progress bar on the console for a conversion's long stages. It draws only
// when enabled (the output is a terminal) and once a stage has run for a
// second, so quick work prints nothing but its result. For a program that
// runs the converter, `lines` prints "progress STAGE PERCENT" whenever a
// stage's whole percent grows, from 0 at its start to 100 at its end.
class ProgressBar
{
public:
    explicit ProgressBar(bool enabled, bool lines = false) : m_enabled(enabled), m_lines(lines) {}
    ~ProgressBar(); // ends a drawn bar's line, also when a stage fails

    void start(const std::string& stage);
    void update(double fraction); // 0..1 of the current stage
    void finish();
    // Shows the progress ITK's `filter` reports, in the current stage.
    void follow(itk::ProcessObject& filter);
    // The stages that follow are part `part` of `parts` alike (one volume of
    // several): each shows its 0..1 as that share of the whole.
    void share(int part, int parts);

private:
    using Clock = std::chrono::steady_clock;
    // The line for `percent` of the current stage, unless one said as much.
    void printLine(int percent);

    // A stage's fraction as the share of the whole.
    double whole(double fraction) const { return (m_part + fraction) / m_parts; }

    bool m_enabled;
    int m_part = 0, m_parts = 1;
    bool m_lines;
    int m_linePercent = -1;
    bool m_drawn = false;
    int m_shownPercent = -1;
    std::string m_stage;
    Clock::time_point m_started, m_lastDrawn;
};
