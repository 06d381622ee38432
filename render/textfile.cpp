#include "render/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Turns each "\r\n" of the first `length` bytes into "\n" in place and
// returns the new length.
size_t joinLineEnds(char* text, size_t length)
{
    size_t kept = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n')
            continue;
        text[kept++] = text[i];
    }
    return kept;
}

} // namespace

char* readTextFile(const char* path)
{
    // Only regular files are read: a named pipe would wait for a writer for
    // ever (so it is opened without blocking), and a folder's "length" means
    // nothing.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return nullptr;
    }
    std::unique_ptr<std::FILE, FileCloser> file(fdopen(fd, "r"));
    if (!file) {
        close(fd);
        return nullptr;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return nullptr;
    const long length = std::ftell(file.get());
    std::rewind(file.get());
    if (length <= 0)
        return nullptr;

    char* text = static_cast<char*>(std::malloc(size_t(length) + 1));
    if (!text)
        return nullptr;
    const size_t read = std::fread(text, 1, size_t(length), file.get());
    text[joinLineEnds(text, read)] = '\0';
    return text;
}
