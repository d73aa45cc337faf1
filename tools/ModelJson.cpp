#include "ModelJson.h"

#include "SimpleRSSConst.h"

namespace vantle::tool {

namespace {

TJson CategoryToJson(const TRSSChannelCategory& category) {
  return {{"Category", category.Category}, {"Domain", category.Domain}};
}

TJson CategoryToJson(const TRSSItemCategory& category) {
  return {{"Title", category.Title}, {"Domain", category.Domain}};
}

template <typename TItem>
TJson CategoriesToJson(const TOwnedCollection<TItem>& categories) {
  TJson list = TJson::array();
  for (int i = 0; i < categories.Count(); ++i) list.push_back(CategoryToJson(categories.Items(i)));
  return list;
}

TJson CloudToJson(const TRSSCloud& cloud) {
  return {{"Domain", cloud.Domain},     {"Port", cloud.Port()},
          {"Path", cloud.Path},         {"RegisterProcedure", cloud.RegisterProcedure},
          {"Protocol", cloud.Protocol}, {"Include", cloud.Include}};
}

TJson ImageToJson(const TRSSImage& image) {
  return {{"Include", image.Include},
          {"Required",
           {{"URL", image.Required.StoredURL()},
            {"Title", image.Required.StoredTitle()},
            {"Link", image.Required.StoredLink()}}},
          {"Optional",
           {{"Width", image.Optional.Width()},
            {"Height", image.Optional.Height()},
            {"Description", image.Optional.Description}}}};
}

TJson TextInputToJson(const TRSSTextInput& input) {
  return {{"Title", input.Title},
          {"Description", input.Description},
          {"TextInputName", input.TextInputName},
          {"Link", input.Link},
          {"Include", input.Include}};
}

TJson SkipHoursToJson(const TRSSChannelSkipHours& hours) {
  TJson json = TJson::object();
  for (int hour = 0; hour < 24; ++hour) {
    const std::string name = (hour < 10 ? "h0" : "h") + std::to_string(hour);
    json[name] = hours.Hour(hour);
  }
  return json;
}

TJson SkipDaysToJson(const TRSSChannelSkipDays& days) {
  TJson json = TJson::object();
  for (int day = 0; day < 7; ++day)
    json[std::string(DayNames[static_cast<size_t>(day)])] = days.Day(day);
  return json;
}

TJson OptionalToJson(const TRSSChannelOpt& opt) {
  return {{"Language", LanguageName(opt.Language)},
          {"XLang", opt.XLang},
          {"Copyright", opt.Copyright},
          {"ManagingEditor", opt.ManagingEditor},
          {"WebMaster", opt.WebMaster},
          {"PubDate", DateToJson(opt.PubDate)},
          {"LastBuildDate", DateToJson(opt.LastBuildDate)},
          {"Categories", CategoriesToJson(opt.Categories)},
          {"Generator", opt.Generator},
          {"Docs", opt.Docs},
          {"Cloud", CloudToJson(opt.Cloud)},
          {"TTL", opt.TTL()},
          {"Image", ImageToJson(opt.Image)},
          {"Rating", opt.Rating},
          {"TextInput", TextInputToJson(opt.TextInput)},
          {"SkipHours", SkipHoursToJson(opt.SkipHours)},
          {"SkipDays", SkipDaysToJson(opt.SkipDays)}};
}

}  // namespace

std::string LanguageName(TLanguages language) {
  if (language >= LanguageCodes.size()) return "langX";
  std::string name = "lang";
  for (char c : LanguageCodes[language])
    name += c == '-' ? '_' : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return name;
}

std::string XMLTypeName(TXMLType type) {
  switch (type) {
    case xtRDF:
      return "xtRDF";
    case xtRSS:
      return "xtRSS";
    case xtAtom:
      return "xtAtom";
  }
  return "xt" + std::to_string(static_cast<int>(type));
}

std::string ContentTypeName(TContentType type) {
  switch (type) {
    case ctText:
      return "ctText";
    case ctHTML:
      return "ctHTML";
    case ctXHTML:
      return "ctXHTML";
  }
  return "ct" + std::to_string(static_cast<int>(type));
}

TJson DateToJson(const TRFC822DateTime& date) {
  return {{"DateTime", date.DateTime}, {"TimeZone", date.TimeZone}};
}

TJson ChannelToJson(const TRSSChannel& channel) {
  return {{"Required",
           {{"Title", channel.Required.StoredTitle()},
            {"Link", channel.Required.StoredLink()},
            {"Desc", channel.Required.StoredDesc()}}},
          {"Optional", OptionalToJson(channel.Optional)}};
}

TJson ItemToJson(const TRSSItem& item) {
  return {
      {"Title", item.Title},
      {"Link", item.Link},
      {"Description", item.Description},
      {"Author",
       {{"Name", item.Author.Name}, {"EMail", item.Author.EMail}, {"URL", item.Author.URL}}},
      {"Categories", CategoriesToJson(item.Categories)},
      {"Comments", item.Comments},
      {"Enclosure",
       {{"URL", item.Enclosure.URL},
        {"Length", item.Enclosure.Length},
        {"EnclosureType", item.Enclosure.EnclosureType},
        {"Include", item.Enclosure.Include}}},
      {"GUID",
       {{"GUID", item.GUID.GUID},
        {"IsPermaLink", item.GUID.IsPermaLink},
        {"Include", item.GUID.Include}}},
      {"PubDate", DateToJson(item.PubDate)},
      {"Source",
       {{"Title", item.Source.Title}, {"URL", item.Source.URL}, {"Include", item.Source.Include}}},
      {"ContentType", ContentTypeName(item.ContentType)}};
}

TJson ModelToJson(const TSimpleRSS& rss) {
  TJson items = TJson::array();
  for (int i = 0; i < rss.Items().Count(); ++i) items.push_back(ItemToJson(rss.Items().Items(i)));
  return {{"Version", rss.Version()},
          {"XMLType", XMLTypeName(rss.XMLType())},
          {"Channel", ChannelToJson(rss.Channel())},
          {"Items", std::move(items)}};
}

TJson ShowRecord(std::string_view link, bool ok, std::string_view error, const TSimpleRSS& rss) {
  return {{"link", link},
          {"ok", ok},
          {"error", ok ? TJson(nullptr) : TJson(error)},
          {"model", ModelToJson(rss)}};
}

std::string DumpJson(const TJson& json, int indent) {
  return json.dump(indent, ' ', false, TJson::error_handler_t::replace);
}

}  // namespace vantle::tool
