#pragma once

#include <string>
#include <vector>

// Names of the entries of `folder` whose names end in `extension` (".dat"),
// in the order the file system yields them, unsorted. Letter case is ignored
// in the match, as the desktop file dialogs of most systems do, so "HEAD.DAT"
// is offered too. The entry kind is not looked at: a folder named "x.dat" is
// listed like a file. A missing or unreadable folder yields nothing.
std::vector<std::string> listFolder(const std::string& folder, const std::string& extension);
