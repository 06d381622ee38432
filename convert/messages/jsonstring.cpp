// Text as a JSON string.

#include "convert/messages/jsonstring.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the UTF-8 sequence `text` holds at `at`, or 0 where it holds
// none (a stray byte, a sequence cut short, an overlong or surrogate form).
size_t utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return i < text.size() ? uint8_t(text[i]) : 0; };
    const uint8_t lead = byte(at);
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xc2 && lead < 0xe0 ? 2
                          : lead >= 0xe0 && lead < 0xf0 ? 3
                          : lead >= 0xf0 && lead < 0xf5 ? 4
                                                        : 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
    const uint8_t second = byte(at + 1);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0) ||
        (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second >= 0x90))
        return 0;
    return length;
}

} // namespace

std::string jsonString(const std::string& text)
{
    std::string json = "\"";
    for (size_t at = 0; at < text.size();) {
        const uint8_t byte = uint8_t(text[at]);
        const size_t length = utf8Length(text, at);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += char(byte);
        } else if (byte < 0x20 || length == 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
    }
    return json + "\"";
}
