#include "platform/folderlisting.h"

#include <dirent.h>
#include <strings.h>

#include <memory>

namespace {

// True when `name` ends in `extension`, ignoring letter case. Like the
// wildcard "*.dat", this also accepts a name that is only ".dat".
bool matchesExtension(const std::string& name, const std::string& extension)
{
    if (name.size() < extension.size())
        return false;
    const char* tail = name.c_str() + (name.size() - extension.size());
    return strcasecmp(tail, extension.c_str()) == 0;
}

} // namespace

std::vector<std::string> listFolder(const std::string& folder, const std::string& extension)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (matchesExtension(name, extension))
            names.push_back(name);
    }
    return names;
}
