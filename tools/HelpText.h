#pragma once

#include <string>

namespace vantle::tool {

// What --version prints: the tool's name and version on one line.
std::string VersionText();

// What --help prints: the version, the usage, the options and the exit statuses.
std::string HelpText();

}  // namespace vantle::tool
