#pragma once

#include "convert/messages/convertmessage.h"

#include <stdexcept>
#include <string>

// A conversion that cannot go on. The message is the one line the user sees:
// what failed, and where.
class ConvertError : public std::runtime_error
{
public:
    explicit ConvertError(ConvertMessage message)
        : std::runtime_error(message.text()), m_message(std::move(message))
    {
    }

    // "cannot read 'X': REASON" and "cannot write 'X': REASON".
    static ConvertError reading(const std::string& path, ConvertMessage reason)
    {
        return ConvertError({"cannot-read", {path, std::move(reason)}});
    }
    static ConvertError writing(const std::string& path, ConvertMessage reason)
    {
        return ConvertError({"cannot-write", {path, std::move(reason)}});
    }

    const ConvertMessage& message() const { return m_message; }

private:
    ConvertMessage m_message;
};

// A file or folder as the messages name it: 'IM0042'.
inline std::string named(const std::string& path)
{
    return "'" + path + "'";
}
