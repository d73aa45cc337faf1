#include "FeedPage.h"
#include "FuzzSupport.h"
#include "SimpleRSS.h"

namespace {

// Parses the bytes as a document and the document as a feed; false for a clean failure.
bool Load(vantle::TSimpleRSS& reader, const uint8_t* data, size_t size) {
  try {
    reader.RenewXMLFile();
    reader.XMLFile().LoadFromData(reinterpret_cast<const char*>(data), size, "fuzz");
    reader.ParseXMLFile();
  } catch (const vantle::Exception&) {
    return false;
  }
  return true;
}

void RequirePages(const vantle::TSimpleRSS& reader) {
  for (const uint8_t style : {uint8_t{0}, uint8_t{1}}) {
    vantle::fuzz::Require(!vantle::FeedPageLines(reader, style).empty(),
                          "a parsed feed rendered to an empty page");
  }
}

}  // namespace

// The whole road of a feed short of the network and the browser, read strictly and
// tolerantly: parse the bytes as a document, detect and parse the feed, render both view
// styles. An error carrying a message is the clean outcome for bad input; anything else
// escaping is a crash. Tolerant reading never fails where strict reading loads.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vantle::TSimpleRSS strict;
  const bool strictLoaded = Load(strict, data, size);
  if (strictLoaded) RequirePages(strict);
  vantle::TSimpleRSS tolerant;
  tolerant.Tolerant = true;
  const bool tolerantLoaded = Load(tolerant, data, size);
  vantle::fuzz::Require(tolerantLoaded || !strictLoaded,
                        "tolerant reading failed on a feed that loads strictly");
  if (tolerantLoaded) RequirePages(tolerant);
  return 0;
}
