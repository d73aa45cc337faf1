#include "FeedDiscovery.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <libxml/uri.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "AsciiText.h"

namespace vantle {

namespace {

// Ends a fetch once the part of the page that discovery reads has arrived.
struct TPageComplete {};

const xmlChar* Xml(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

bool IsHtmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Takes ownership of a string libxml2 allocated.
std::string Taken(xmlChar* text) {
  std::string result = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return result;
}

std::string Attribute(xmlNode* element, const char* name) {
  return Taken(xmlGetProp(element, Xml(name)));
}

bool IsElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, Xml(name)) == 0;
}

// Whether the space-separated list `tokens` holds `token`, compared without case.
bool HasToken(std::string_view tokens, std::string_view token) {
  while (!(tokens = Trimmed(tokens)).empty()) {
    const size_t end = std::find_if(tokens.begin(), tokens.end(), IsHtmlSpace) - tokens.begin();
    if (AsciiLower(tokens.substr(0, end)) == token) return true;
    tokens.remove_prefix(end);
  }
  return false;
}

// The MIME type of a type attribute without its parameters, when it is a feed's.
std::string FeedTypeOf(std::string_view type) {
  const std::string lower = AsciiLower(Trimmed(type.substr(0, type.find(';'))));
  for (TXMLType format : {xtRSS, xtAtom, xtRDF})
    if (lower == FeedMimeType(format)) return lower;
  return {};
}

// `href` resolved against `base`; empty when either is not a usable address.
std::string Resolved(std::string_view href, const std::string& base) {
  const std::string reference(Trimmed(href));
  if (reference.empty()) return {};
  return Taken(xmlBuildURI(Xml(reference.c_str()), Xml(base.c_str())));
}

// Calls `visit` with every element of `document` in document order; no recursion, so a
// deeply nested page cannot exhaust the stack.
template <typename TVisit>
void ForEachElement(xmlDoc& document, const TVisit& visit) {
  const auto* top = reinterpret_cast<const xmlNode*>(&document);
  xmlNode* node = document.children;
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      visit(node);
      if (node->children != nullptr) {
        node = node->children;
        continue;
      }
    }
    while (node != nullptr && node->next == nullptr)
      node = node->parent == top ? nullptr : node->parent;
    if (node != nullptr) node = node->next;
  }
}

// The address relative links of the page resolve against: its first <base href>, itself
// resolved against the page's address, else the page's address.
std::string BaseOf(xmlDoc& document, const std::string& pageLink) {
  std::string base;
  ForEachElement(document, [&](xmlNode* element) {
    if (!base.empty() || !IsElement(element, "base")) return;
    base = Resolved(Attribute(element, "href"), pageLink);
  });
  return base.empty() ? pageLink : base;
}

using TDocument = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

TDocument ParsePage(std::string_view page, const std::string& pageLink) {
  xmlInitParser();
  const int size = static_cast<int>(std::min<size_t>(page.size(), INT_MAX));
  return TDocument(htmlReadMemory(page.data(), size, pageLink.c_str(), nullptr,
                                  HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING),
                   xmlFreeDoc);
}

}  // namespace

std::string_view FeedMimeType(TXMLType type) {
  switch (type) {
    case xtRSS:
      return "application/rss+xml";
    case xtAtom:
      return "application/atom+xml";
    case xtRDF:
      break;
  }
  return "application/rdf+xml";
}

std::vector<TDiscoveredFeed> FeedsOfPage(std::string_view page, const std::string& pageLink) {
  std::vector<TDiscoveredFeed> feeds;
  const TDocument document = ParsePage(page, pageLink);
  if (!document) return feeds;
  const std::string base = BaseOf(*document, pageLink);
  ForEachElement(*document, [&](xmlNode* element) {
    if (!IsElement(element, "link") || !HasToken(Attribute(element, "rel"), "alternate")) return;
    std::string type = FeedTypeOf(Attribute(element, "type"));
    std::string link = Resolved(Attribute(element, "href"), base);
    if (type.empty() || link.empty()) return;
    const bool known = std::any_of(feeds.begin(), feeds.end(),
                                   [&](const TDiscoveredFeed& feed) { return feed.Link == link; });
    if (!known)
      feeds.push_back(
          {std::move(link), std::string(Trimmed(Attribute(element, "title"))), std::move(type)});
  });
  return feeds;
}

std::vector<TDiscoveredFeed> DiscoverFeeds(const std::string& link, const TFetchOptions& options,
                                           const TProgressCallback& progress) {
  // The sink stops at the page limit itself, so a larger page is no error.
  TFetchOptions bounded = options;
  bounded.MaxDocumentSize = 0;
  std::string page;
  try {
    TFeedFetcher(bounded).Fetch(
        link,
        [&page](const char* data, size_t size) {
          page.append(data, std::min(size, kDiscoveryPageLimit - page.size()));
          if (page.size() == kDiscoveryPageLimit) throw TPageComplete{};
        },
        progress);
  } catch (const TPageComplete&) {
  }
  return FeedsOfPage(page, link);
}

bool LoadedSomethingElse(TSimpleRSS& rss, const std::exception& error) {
  if (dynamic_cast<const EFetchError*>(&error) != nullptr) return false;
  TXMLDocument& document = rss.XMLFile();
  // Not well-formed: whatever it is, it is no feed.
  if (!document.IsLoaded()) return dynamic_cast<const EXMLDocError*>(&error) != nullptr;
  return !TSimpleRSS::FormatOfRoot(document.DocumentElement().NodeName());
}

}  // namespace vantle
