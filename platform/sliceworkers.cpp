#include "platform/sliceworkers.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

void forEachSlice(size_t count, unsigned workers,
                  const std::function<void(size_t slice, unsigned worker)>& work,
                  const std::function<void(size_t slice)>& sliceDone)
{
    workers = unsigned(std::clamp<size_t>(workers, 1, std::max<size_t>(count, 1)));
    std::unique_ptr<std::atomic<bool>[]> done(new std::atomic<bool>[count]);
    for (size_t z = 0; z < count; ++z)
        done[z].store(false, std::memory_order_relaxed);
    std::atomic<size_t> next{0};
    const auto workOnNext = [&](unsigned worker) {
        const size_t z = next.fetch_add(1, std::memory_order_relaxed);
        if (z >= count)
            return false;
        work(z, worker);
        done[z].store(true, std::memory_order_release);
        return true;
    };

    std::vector<std::thread> helpers;
    for (unsigned worker = 1; worker < workers; ++worker)
        helpers.emplace_back([&workOnNext, worker] {
            while (workOnNext(worker)) {
            }
        });
    size_t reported = 0;
    const auto report = [&] {
        for (; sliceDone && reported < count && done[reported].load(std::memory_order_acquire);
             ++reported)
            sliceDone(reported);
    };
    while (workOnNext(0))
        report();
    for (std::thread& helper : helpers)
        helper.join();
    report();
}

unsigned workersFor(uint64_t samples)
{
    const uint64_t cores = std::max(1u, std::thread::hardware_concurrency());
    return unsigned(std::clamp<uint64_t>(samples >> 18, 1, cores));
}
