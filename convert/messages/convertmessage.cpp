// Messages as codes and arguments, their English, and their code lines.

#include "convert/messages/convertmessage.h"

#include "convert/messages/jsonstring.h"
#include "convert/messages/messagetable.h"
#include "platform/console.h"

#include <ostream>

namespace {

bool g_codesPrinted = false;

} // namespace

ConvertMessage::Argument::Argument(ConvertMessage message)
    : m_message(std::make_shared<const ConvertMessage>(std::move(message)))
{
}

std::string ConvertMessage::Argument::text() const
{
    return m_message ? m_message->text() : m_text;
}

std::string ConvertMessage::Argument::json() const
{
    return m_message ? m_message->json() : jsonString(m_text);
}

ConvertMessage::ConvertMessage(std::string code, std::initializer_list<Argument> arguments)
    : m_code(std::move(code)), m_arguments(arguments)
{
}

std::string ConvertMessage::text() const
{
    // One pass, so that an argument holding "%2" stays as it is.
    const std::string pattern = englishTemplate(m_code);
    std::string text;
    for (size_t at = 0; at < pattern.size(); ++at) {
        const size_t index = at + 1 < pattern.size() ? size_t(pattern[at + 1] - '1') : 9;
        if (pattern[at] == '%' && index < 9 && index < m_arguments.size()) {
            text += m_arguments[index].text();
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}

std::string ConvertMessage::json() const
{
    std::string json = "{\"code\": " + jsonString(m_code) + ", \"arguments\": [";
    for (size_t i = 0; i < m_arguments.size(); ++i)
        json += (i ? ", " : "") + m_arguments[i].json();
    return json + "], \"text\": " + jsonString(text()) + "}";
}

void setMessageCodesPrinted(bool printed)
{
    g_codesPrinted = printed;
}

void printRefusal(const ConvertMessage& refusal)
{
    if (g_codesPrinted)
        console::err() << "refusal " << refusal.json() << "\n";
    console::err() << "kastra-convert: " << refusal.text() << std::endl;
}

void printReasonCode(const ConvertMessage& reason)
{
    if (g_codesPrinted)
        console::out() << "reason " << reason.json() << std::endl;
}
