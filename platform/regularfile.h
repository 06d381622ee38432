#pragma once

#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading with the stdio `mode` ("rb", "r") only if it names
// a regular file; null otherwise. The open itself never blocks: a named pipe
// under a data or shader name would wait for a writer for ever, and a folder
// or a device file would fail late or never end.
FilePtr openRegularFile(const char* path, const char* mode);
