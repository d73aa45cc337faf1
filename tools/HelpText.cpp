#include "HelpText.h"

#include "Commands.h"

namespace vantle::tool {

std::string VersionText() {
  return "vantle-feed " VANTLE_VERSION "\n";
}

std::string HelpText() {
  return VersionText() + UsageText() +
         "\n"
         "Reads web feeds and group files with Vantle's feed library.\n"
         "A LINK is an http:// or https:// address, a file:// URL or a file path.\n"
         "\n"
         "  --help      print this help and exit\n"
         "  --version   print the version and exit\n"
         "\n"
         "Exit status: 0 success, 1 a feed or file that failed to load or read,\n"
         "2 bad usage. See vantle-feed(1).\n";
}

}  // namespace vantle::tool
