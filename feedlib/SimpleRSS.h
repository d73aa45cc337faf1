#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FeedFetcher.h"
#include "SimpleRSSException.h"
#include "SimpleRSSTypes.h"
#include "XMLDocument.h"

namespace vantle {

// DOM settings given to every new document.
struct TXMLFileOptions {
  std::string DOMVendor = "libxml2";
  TXMLDocOptions Options = doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl;
  TParseOptions ParseOptions = 0;
  TFetchOptions FetchOptions;
};

// The feed reader: fetches a link, detects its format, parses it and holds the model.
class TSimpleRSS {
 public:
  TSimpleRSS();
  TSimpleRSS(const TSimpleRSS&) = delete;
  TSimpleRSS& operator=(const TSimpleRSS&) = delete;
  ~TSimpleRSS();

  // Applied to the document made at the next load.
  TXMLFileOptions XMLFileOptions;
  // Called while a link is fetched (bytes so far, total when known). It may let the
  // caller's event loop paint; the load stays synchronous.
  TProgressCallback OnProgress;
  // Reads around what strict reading fails on: empty or markup-holding elements, whitespace
  // before the declaration, HTML entities. A read that succeeds strictly keeps its value.
  bool Tolerant = false;

  // The channel of the last parse.
  TRSSChannel& Channel() { return *FChannel; }
  const TRSSChannel& Channel() const { return *FChannel; }
  // The items of the last parse, in document order.
  TRSSItems& Items() { return *FItems; }
  const TRSSItems& Items() const { return *FItems; }
  // The root's "version" attribute of the last feed that had one ("2.0" at first).
  const std::string& Version() const { return FVersion; }
  // The format found by the last parse that got past detection (xtRDF at first).
  TXMLType XMLType() const { return FXMLType; }
  // The document of the current load.
  TXMLDocument& XMLFile() { return *FXMLFile; }

  // Fetches and parses `link`: RenewXMLFile, XMLFile.LoadFromFile, ParseXMLFile.
  // Every error reaches the caller unchanged.
  void LoadFromLink(const std::string& link);
  // Parses `document`, the bytes `link` was served as with `contentType`, as LoadFromLink
  // would have parsed them: RenewXMLFile, XMLFile.LoadFromData, ParseXMLFile.
  void LoadFromDocument(const std::string& link, std::string_view document,
                        const std::string& contentType);
  // Replaces the document with a new, active one made from XMLFileOptions.
  void RenewXMLFile();
  // Replaces the model with an empty one, detects the format from the root element and
  // runs its parser. Raises "unkown format: <root>" for an unknown root.
  void ParseXMLFile();

  // The format of a document whose root element has this qualified name (ASCII letters
  // compared without case); none when it is not a feed's root.
  static std::optional<TXMLType> FormatOfRoot(std::string_view rootName);

 private:
  std::unique_ptr<TRSSChannel> FChannel;
  std::unique_ptr<TRSSItems> FItems;
  std::string FVersion;
  TXMLType FXMLType = xtRDF;
  std::unique_ptr<TXMLDocument> FXMLFile;
};

}  // namespace vantle
