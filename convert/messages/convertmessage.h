#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

// A message of the converter as a stable code and its arguments, so that a
// program can say it in its own words; the English comes from one table
// (messagetable.h). An argument is a text as it stands (a path, a number as
// written) or a message of its own: the reason that a frame such as "cannot
// read 'X': ..." gives.
class ConvertMessage
{
public:
    class Argument
    {
    public:
        Argument(std::string text) : m_text(std::move(text)) {}
        Argument(const char* text) : m_text(text) {}
        template <class Number, std::enable_if_t<std::is_integral<Number>::value, int> = 0>
        Argument(Number number) : m_text(std::to_string(number))
        {
        }
        Argument(ConvertMessage message);

        std::string text() const;
        std::string json() const;

    private:
        std::string m_text;
        std::shared_ptr<const ConvertMessage> m_message;
    };

    ConvertMessage() = default;
    // A list, not a vector: {count, value} must not read as a vector's size.
    ConvertMessage(std::string code, std::initializer_list<Argument> arguments = {});

    const std::string& code() const { return m_code; }
    bool empty() const { return m_code.empty(); }
    // The English text, its arguments filled in.
    std::string text() const;
    // {"code": "...", "arguments": [...], "text": "..."}, a message argument
    // as such an object; the text is for a program that does not know the code.
    std::string json() const;

private:
    std::string m_code;
    std::vector<Argument> m_arguments;
};

// Whether refusals and the values' reason are also printed as lines for a
// program (--codes): "refusal JSON" before the refusal's line on the standard
// error, "reason JSON" before the values line on the standard output.
void setMessageCodesPrinted(bool printed);

// The refusal's lines on the standard error: its code line where codes are
// printed, then "kastra-convert: TEXT".
void printRefusal(const ConvertMessage& refusal);

// The code line "reason JSON" on the standard output, where codes are printed.
void printReasonCode(const ConvertMessage& reason);
