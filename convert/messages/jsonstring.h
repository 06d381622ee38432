#pragma once

#include <string>

// `text` as a JSON string, quoted: bytes that are not UTF-8 are taken as
// Latin-1, as DICOM's most common character set has them.
std::string jsonString(const std::string& text);
