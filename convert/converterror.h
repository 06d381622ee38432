#pragma once

#include <stdexcept>

// A conversion that cannot go on. The message is the one line the user sees:
// what failed, and where.
class ConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
