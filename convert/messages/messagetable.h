#pragma once

#include <string>
#include <vector>

// A message's code, which never changes once given, and its English with the
// arguments numbered %1, %2, ...
struct MessageTemplate
{
    const char* code;
    const char* english;
};

// Every message the converter refuses with or gives as the values' reason.
const std::vector<MessageTemplate>& messageTable();

// The English of `code`; the code itself where the table lacks it.
std::string englishTemplate(const std::string& code);
