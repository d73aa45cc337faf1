#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "SimpleRSS.h"

namespace vantle::tool {

// The feed model as JSON; keys in model order.
using TJson = nlohmann::ordered_json;

// The enumerator name of a language ("langEN_US", "langX").
std::string LanguageName(TLanguages language);
// The enumerator name of a format ("xtRDF", "xtRSS", "xtAtom").
std::string XMLTypeName(TXMLType type);
// The enumerator name of a content type ("ctText", "ctHTML", "ctXHTML").
std::string ContentTypeName(TContentType type);

// {"DateTime": <days since 1899-12-30>, "TimeZone": text}.
TJson DateToJson(const TRFC822DateTime& date);
// {"Required": {...}, "Optional": {...}} with the stored texts, not the placeholders.
TJson ChannelToJson(const TRSSChannel& channel);
// One item with every field of the model.
TJson ItemToJson(const TRSSItem& item);
// {"Version", "XMLType", "Channel", "Items"}: the reader's whole state.
TJson ModelToJson(const TSimpleRSS& rss);

// One line of `vantle-feed show`: {"link", "ok", "error" (null when ok), "model"}.
TJson ShowRecord(std::string_view link, bool ok, std::string_view error, const TSimpleRSS& rss);

// Serialises `json` on one line (indent < 0) or indented; invalid UTF-8 is replaced, never
// raised.
std::string DumpJson(const TJson& json, int indent = -1);

}  // namespace vantle::tool
