#pragma once

#include <stdexcept>
#include <string>

// A conversion that cannot go on. The message is the one line the user sees:
// what failed, and where.
class ConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A file or folder as the messages name it: 'IM0042'.
inline std::string named(const std::string& path)
{
    return "'" + path + "'";
}
