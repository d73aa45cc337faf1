#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "JsonWriter.h"
#include "SimpleRSS.h"

namespace vantle::tool {

// The feed model as a JSON value; keys in model order.
using TJson = nlohmann::ordered_json;

// The enumerator name of a language ("langEN_US", "langX").
std::string LanguageName(TLanguages language);
// The enumerator name of a format ("xtRDF", "xtRSS", "xtAtom").
std::string XMLTypeName(TXMLType type);
// The enumerator name of a content type ("ctText", "ctHTML", "ctXHTML").
std::string ContentTypeName(TContentType type);

// Writes {"DateTime": <days since 1899-12-30>, "TimeZone": text} as the next value.
void WriteDate(TJsonWriter& json, const TRFC822DateTime& date);
// Writes {"Required": {...}, "Optional": {...}} with the stored texts, not the placeholders.
void WriteChannel(TJsonWriter& json, const TRSSChannel& channel);
// Writes one item with every field of the model.
void WriteItem(TJsonWriter& json, const TRSSItem& item);
// Writes {"Version", "XMLType", "Channel", "Items"}: the reader's whole state.
void WriteModel(TJsonWriter& json, const TSimpleRSS& rss);
// Writes one record of `vantle-feed show`: {"link", "ok", "error" (null when ok), "model"}.
void WriteShowRecord(TJsonWriter& json, std::string_view link, bool ok, std::string_view error,
                     const TSimpleRSS& rss);

// What WriteDate writes, as a value.
TJson DateToJson(const TRFC822DateTime& date);
// What WriteChannel writes, as a value.
TJson ChannelToJson(const TRSSChannel& channel);
// What WriteItem writes, as a value.
TJson ItemToJson(const TRSSItem& item);
// What WriteModel writes, as a value (invalid UTF-8 already replaced).
TJson ModelToJson(const TSimpleRSS& rss);
// What WriteShowRecord writes, as a value.
TJson ShowRecord(std::string_view link, bool ok, std::string_view error, const TSimpleRSS& rss);

// Serialises `json` on one line (indent < 0) or indented; invalid UTF-8 is replaced, never
// raised.
std::string DumpJson(const TJson& json, int indent = -1);

}  // namespace vantle::tool
