#include <exception>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "FeedSource.h"
#include "FeedStateAccess.h"
#include "ModelJson.h"

namespace vantle::tool {

namespace {

// Keeps the reader of the last show alive to the end of the process, which follows at once:
// freeing a large feed's document and model item by item would cost as long as writing its
// JSON, and the system takes the memory back in one go. Still reachable, so no leak.
void KeepToTheEnd(std::unique_ptr<TSimpleRSS> reader) {
  static TSimpleRSS* kept = nullptr;
  delete kept;
  kept = reader.release();
}

}  // namespace

int RunShow(std::vector<std::string> args) {
  std::optional<std::string> dataDir;
  if (!TakeDataOption(args, dataDir)) {
    std::cerr << UsageText();
    return 2;
  }
  const bool strict = !args.empty() && args.front() == kStrictOption;
  const std::vector<std::string> links(args.begin() + (strict ? 1 : 0), args.end());
  if (links.empty()) {
    std::cerr << UsageText();
    return 2;
  }
  // One reader for every link, as the reader window keeps one: Version carries over.
  auto rss = std::make_unique<TSimpleRSS>();
  rss->Tolerant = !strict;
  const std::unique_ptr<IFeedState> state = ToolFeedState(dataDir);
  const TFeedSource source(state.get());
  TJsonWriter json(std::cout);
  bool allLoaded = true;
  for (const std::string& link : links) {
    bool loaded = true;
    std::string error;
    try {
      source.Load(*rss, link, TRequestKind::Click);
    } catch (const std::exception& e) {
      loaded = false;
      error = e.what();
    }
    allLoaded = allLoaded && loaded;
    WriteShowRecord(json, link, loaded, error, *rss);
    json.EndLine();
  }
  json.Flush();
  std::cout.flush();
  KeepToTheEnd(std::move(rss));
  return allLoaded ? 0 : 1;
}

}  // namespace vantle::tool
