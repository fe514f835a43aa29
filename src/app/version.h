#pragma once

#include <string>
#include <utility>
#include <vector>

namespace xyla {

// The program's version as it is released ("0.1.0").
const char* versionText();

// What `xyla --version` prints: "xyla 0.1.0".
std::string versionLine();

// The libraries this build was made with and their versions, in the order the About box
// lists them: the compiler, Qt (with the version running now), libplist, cairo,
// libdeflate.
std::vector<std::pair<std::string, std::string>> buildLibraries();

// The About box's text: name, version, what the program is for, the build's libraries
// and the outside programs it starts.
std::string aboutText();

}  // namespace xyla
