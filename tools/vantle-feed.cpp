#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "HelpText.h"

namespace vantle::tool {

const char* UsageText() {
  return "usage: vantle-feed show [--strict] [--data DIR] LINK...\n"
         "       vantle-feed render [--strict] [--style NewsPaper|List|N] [--out FILE] "
         "[--data DIR] LINK\n"
         "       vantle-feed group FILE\n"
         "       vantle-feed discover [--data DIR] LINK\n"
         "       vantle-feed opml export [--data DIR] [--out FILE]\n"
         "       vantle-feed opml import FILE [--data DIR]\n"
         "       vantle-feed groups [--data DIR]\n"
         "       vantle-feed groups add NAME | rename OLD NEW | delete NAME [--data DIR]\n"
         "       vantle-feed feeds [--group NAME] [--data DIR]\n"
         "       vantle-feed feeds add LINK --group NAME [--title TEXT] [--data DIR]\n"
         "       vantle-feed feeds move LINK --to NAME [--group NAME] [--data DIR]\n"
         "       vantle-feed feeds retitle LINK TITLE [--group NAME] [--data DIR]\n"
         "       vantle-feed feeds delete LINK [--group NAME] [--data DIR]\n"
         "       vantle-feed check [--group NAME] [--jobs N] [--mark-read] [--data DIR]\n";
}

}  // namespace vantle::tool

int main(int argc, char** argv) {
  using namespace vantle::tool;
  if (argc < 2) {
    std::cerr << UsageText();
    return 2;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    std::cout << HelpText();
    return 0;
  }
  if (command == "--version") {
    std::cout << VersionText();
    return 0;
  }
  const std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (command == "show") return RunShow(args);
    if (command == "render") return RunRender(args);
    if (command == "group") return RunGroup(args);
    if (command == "discover") return RunDiscover(args);
    if (command == "opml") return RunOpml(args);
    if (command == "groups") return RunGroups(args);
    if (command == "feeds") return RunFeeds(args);
    if (command == "check") return RunCheck(args);
  } catch (const std::exception& e) {
    std::cerr << "vantle-feed: " << e.what() << '\n';
    return 1;
  }
  std::cerr << UsageText();
  return 2;
}
