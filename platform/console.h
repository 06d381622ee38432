#pragma once

#include <ostream>

// The program's console: progress lines go to out(), errors and diagnostics
// to err(). Everything the program prints goes through here, so a test can
// point both streams at buffers and compare the text byte for byte.
namespace console {

std::ostream& out();
std::ostream& err();

// Sends out() and err() to the given streams (null: back to the process's
// standard output and standard error).
void redirect(std::ostream* out, std::ostream* err);

} // namespace console
