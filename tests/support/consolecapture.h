#pragma once

#include "platform/console.h"

#include <sstream>
#include <string>

// Collects everything the program prints while it lives.
class ConsoleCapture
{
public:
    ConsoleCapture() { console::redirect(&m_out, &m_err); }
    ~ConsoleCapture() { console::redirect(nullptr, nullptr); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string out() const { return m_out.str(); }
    std::string err() const { return m_err.str(); }
    void clear()
    {
        m_out.str({});
        m_err.str({});
    }

private:
    std::ostringstream m_out;
    std::ostringstream m_err;
};
