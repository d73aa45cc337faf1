#include "HelpText.h"

#include "Commands.h"

namespace vantle::tool {

std::string VersionText() {
  return "vantle-feed " VANTLE_VERSION "\n";
}

std::string HelpText() {
  return VersionText() + UsageText() +
         "\n"
         "Reads web feeds and group files with Vantle's feed library; lists and changes\n"
         "the groups and feeds of a data directory as the reader window does, and checks\n"
         "all its feeds at once as publishers ask readers to.\n"
         "A LINK is an http:// or https:// address, a file:// URL or a file path.\n"
         "\n"
         "  --data DIR     the data directory (default: the reader window's); show,\n"
         "                 render and discover fetch by its feed state only when given it\n"
         "  --group NAME   the group of the feeds listed, or of the link changed\n"
         "  --to NAME      the group a feed moves to\n"
         "  --title TEXT   the title of a feed added (default: its channel title)\n"
         "  --jobs N       the transfers check runs at once, 1 to 1000 (default 32)\n"
         "  --mark-read    check marks the items of the feeds it considered as read\n"
         "\n"
         "  --help      print this help and exit\n"
         "  --version   print the version and exit\n"
         "\n"
         "Exit status: 0 success, 1 a feed or file that failed to load or read, or a\n"
         "change refused (nothing written), 2 bad usage; check exits 0 whatever its feeds\n"
         "answered, 130 or 143 when interrupted. See vantle-feed(1).\n";
}

}  // namespace vantle::tool
