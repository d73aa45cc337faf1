#include "CheckLine.h"

#include "JsonWriter.h"

namespace vantle::tool {

namespace {

void StringOrNull(TJsonWriter& json, const std::string& text) {
  if (text.empty()) {
    json.Null();
  } else {
    json.String(text);
  }
}

void NumberOrNull(TJsonWriter& json, const std::optional<uint64_t>& number) {
  if (number) {
    json.Int(static_cast<int64_t>(*number));
  } else {
    json.Null();
  }
}

}  // namespace

std::string CheckLine(const TSubscribedRow& row, const std::string& link,
                      const TLoadOutcome& outcome, int newItems) {
  TJsonWriter json;
  json.BeginObject();
  json.Key("group").String(row.Group);
  json.Key("title").String(row.Title);
  json.Key("link").String(link);
  json.Key("result").String(FetchResultName(outcome.Result));
  // Without an answer there is no status.
  json.Key("status");
  NumberOrNull(json, outcome.Status ? std::optional<uint64_t>(outcome.Status) : std::nullopt);
  json.Key("bytes");
  NumberOrNull(json, outcome.Bytes);
  json.Key("reason");
  StringOrNull(json, outcome.Reason);
  json.Key("moved_to");
  StringOrNull(json, outcome.MovedTo);
  json.Key("new_items").Int(newItems);
  json.EndObject();
  return std::string(json.Text());
}

}  // namespace vantle::tool
