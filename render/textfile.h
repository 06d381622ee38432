#pragma once

// Reads a whole text file into a new NUL-terminated buffer allocated with
// malloc (release it with free). Each carriage return before a line feed is
// dropped, as text-mode reading does on systems with two-byte line ends, so
// the text is the same on every platform. Returns null when the file cannot
// be opened, is not a regular file, or is empty.
char* readTextFile(const char* path);
