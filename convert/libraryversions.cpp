#include "convert/libraryversions.h"

#include <gdcmVersion.h>
#include <itkConfigure.h>
#include <nifti2_io.h>

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

// The NIfTI library only prints its version, so the line is caught from
// the standard output.
std::string niftiVersion()
{
    std::FILE* caught = std::tmpfile();
    if (!caught)
        return "version unknown";
    std::cout.flush();
    std::fflush(stdout);
    const int kept = dup(STDOUT_FILENO);
    dup2(fileno(caught), STDOUT_FILENO);
    nifti_disp_lib_version();
    std::fflush(stdout);
    dup2(kept, STDOUT_FILENO);
    close(kept);
    std::rewind(caught);
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, caught) != nullptr;
    std::fclose(caught);
    std::string said = read ? line : "version unknown";
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r'))
        said.pop_back();
    return said;
}

} // namespace

std::string libraryVersions()
{
    return "ITK " ITK_VERSION_STRING "." + std::to_string(ITK_VERSION_PATCH) +
           " (Apache License 2.0)\n"
           "GDCM " +
           std::string(gdcm::Version::GetVersion()) +
           " (BSD licence)\n"
           "NIfTI library: " +
           niftiVersion() + " (public domain)\n";
}
