#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// What the benchmarks share: their clock, the median of their runs, a
// scratch folder for generated inputs, a silenced console and runs in fresh
// processes.

using BenchClock = std::chrono::steady_clock;

double secondsSince(BenchClock::time_point start);

// The middle value, or the mean of the two middle ones; `values` not empty.
double median(std::vector<double> values);

// A new folder in the system's temporary folder, removed with everything in
// it when this goes.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // False where the system would not make one.
    bool created() const { return !m_path.empty(); }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

// Silences the program's console lines while it lives: they are not the
// benchmark's output, and a line formatted in a timed run would be timed.
class QuietConsole
{
public:
    enum Errors { SilenceErrors, KeepErrors };
    explicit QuietConsole(Errors errors = SilenceErrors);
    ~QuietConsole();
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    std::ostream m_null{nullptr};
};

// A first run of some work in a process of its own, which has no freed heap
// left to reuse: the growth of its peak resident size over the resident size
// before it is what the work itself holds at its peak.
struct FreshRun
{
    double peakBytes = 0;
    double seconds = 0;
};

// Runs this program again with `arguments`, one of which tells it to call
// reportFreshRun, and reads the figures that prints; none where the program
// could not be run, failed or printed something else.
std::optional<FreshRun> runFresh(const std::vector<std::string>& arguments);

// In the fresh process: runs `work` and prints its figures for runFresh.
// Returns the work's status, or 1 where the system does not tell the
// resident sizes. What the work frees before it returns is timed: what it
// loads belongs in the caller's objects.
int reportFreshRun(const std::function<int()>& work);
