#pragma once

#include "volume/volumeloader.h"

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>

// A planned read on a thread of its own, while a coarse level of the same
// file is on show. Its console lines are printed by poll() on the caller's
// thread, as a read in the foreground prints them, so that nothing else the
// program prints meanwhile runs into them.
class BackgroundLoad
{
public:
    ~BackgroundLoad(); // gives up a read under way and waits for it

    // Starts reading `path` as `plan` says (its header already checked).
    void start(const std::string& path, const VolumeLoadPlan& plan);
    bool running() const { return m_read.valid(); }
    // Prints the lines due; returns the share of the level read, 0..100.
    int poll();
    bool finished() const;
    // Once finished: the volume read into `volume`, and the last lines
    // printed; false, with the error line printed, where the read failed.
    bool take(VolumeData& volume);
    // Gives the read up and waits for its thread; prints nothing more.
    void cancel();

private:
    VolumeLoadPlan m_plan;
    std::optional<LoadLines> m_lines;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_fileRead{false};
    std::atomic<size_t> m_slicesDone{0};
    bool m_fileReadSaid = false;
    size_t m_slicesSaid = 0;
    std::future<std::unique_ptr<VolumeData>> m_read;
};
