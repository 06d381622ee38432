#pragma once

#include <string>

// The libraries the converter reads and writes scans with, one a line:
// name, version as linked, licence.
std::string libraryVersions();
