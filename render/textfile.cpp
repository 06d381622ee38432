#include "render/textfile.h"

#include "platform/regularfile.h"

#include <cstdio>
#include <cstdlib>

namespace {

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
    // A folder's "length" means nothing, and a pipe would block the start.
    const FilePtr file = openRegularFile(path, "r");
    if (!file)
        return nullptr;
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
