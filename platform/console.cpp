#include "platform/console.h"

#include <iostream>

namespace {
std::ostream* g_out = nullptr;
std::ostream* g_err = nullptr;
} // namespace

namespace console {

std::ostream& out() { return g_out ? *g_out : std::cout; }
std::ostream& err() { return g_err ? *g_err : std::cerr; }

void redirect(std::ostream* out, std::ostream* err)
{
    g_out = out;
    g_err = err;
}

} // namespace console
