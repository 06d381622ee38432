#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Runs work(slice, worker) for slices 0 .. count - 1 on up to `workers`
// threads, the calling thread one of them (worker 0). Threads take slices in
// turn from a shared counter, so that a slow thread holds up no more than a
// slice. sliceDone(z), when given, runs on the calling thread once for every
// slice, in order, after slices 0..z are all done.
void forEachSlice(size_t count, unsigned workers,
                  const std::function<void(size_t slice, unsigned worker)>& work,
                  const std::function<void(size_t slice)>& sliceDone = {});

// Every core for a pass over `samples` samples; a thread of its own only for a
// share of at least a quarter of a million samples, which takes longer than
// starting it.
unsigned workersFor(uint64_t samples);
