#include "FeedPage.h"
#include "FuzzSupport.h"
#include "SimpleRSS.h"

// The whole road of a feed short of the network and the browser: parse the bytes as a
// document, detect and parse the feed, render both view styles. An error carrying a message is
// the clean outcome for bad input; anything else escaping is a crash.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vantle::TSimpleRSS reader;
  try {
    reader.RenewXMLFile();
    reader.XMLFile().LoadFromData(reinterpret_cast<const char*>(data), size, "fuzz");
    reader.ParseXMLFile();
  } catch (const vantle::Exception&) {
    return 0;
  }
  for (const uint8_t style : {uint8_t{0}, uint8_t{1}}) {
    vantle::fuzz::Require(!vantle::FeedPageLines(reader, style).empty(),
                          "a parsed feed rendered to an empty page");
  }
  return 0;
}
