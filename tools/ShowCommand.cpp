#include <exception>
#include <iostream>

#include "Commands.h"
#include "ModelJson.h"

namespace vantle::tool {

int RunShow(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::cerr << UsageText();
    return 2;
  }
  // One reader for every link, as the reader window keeps one: Version carries over.
  TSimpleRSS rss;
  TJsonWriter json(std::cout);
  bool allLoaded = true;
  for (const std::string& link : args) {
    bool loaded = true;
    std::string error;
    try {
      rss.LoadFromLink(link);
    } catch (const std::exception& e) {
      loaded = false;
      error = e.what();
    }
    allLoaded = allLoaded && loaded;
    WriteShowRecord(json, link, loaded, error, rss);
    json.EndLine();
  }
  json.Flush();
  std::cout.flush();
  return allLoaded ? 0 : 1;
}

}  // namespace vantle::tool
