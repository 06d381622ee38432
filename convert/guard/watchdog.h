#pragma once

#include <functional>
#include <string>
#include <vector>

// Runs `work` in a child process and returns its exit status. A scan library
// that aborts on a damaged file, or loops on it, takes only the child down:
// when the child dies, or a library call (librarycall.h) outlasts its time
// limit, the child is ended, `leftovers` (its unfinished output) are removed,
// and one line on the error stream says which file the library failed on.
// A SIGTERM or SIGINT meanwhile cancels: the child is ended at once, the
// leftovers removed, and one line says that `output` ("" for none) was not
// written. Returns 1 then. Without fork, `work` runs in this process.
int runWatched(const std::function<int()>& work, const std::string& input,
               const std::string& output, const std::vector<std::string>& leftovers);
