#include "ModelJson.h"

#include "SimpleRSSConst.h"

namespace vantle::tool {

namespace {

void WriteCategory(TJsonWriter& json, const TRSSChannelCategory& category) {
  json.BeginObject();
  json.Key("Category").String(category.Category);
  json.Key("Domain").String(category.Domain);
  json.EndObject();
}

void WriteCategory(TJsonWriter& json, const TRSSItemCategory& category) {
  json.BeginObject();
  json.Key("Title").String(category.Title);
  json.Key("Domain").String(category.Domain);
  json.EndObject();
}

template <typename TItem>
void WriteCategories(TJsonWriter& json, const TOwnedCollection<TItem>& categories) {
  json.BeginArray();
  for (int i = 0; i < categories.Count(); ++i) WriteCategory(json, categories.Items(i));
  json.EndArray();
}

void WriteCloud(TJsonWriter& json, const TRSSCloud& cloud) {
  json.BeginObject();
  json.Key("Domain").String(cloud.Domain);
  json.Key("Port").Int(cloud.Port());
  json.Key("Path").String(cloud.Path);
  json.Key("RegisterProcedure").String(cloud.RegisterProcedure);
  json.Key("Protocol").String(cloud.Protocol);
  json.Key("Include").Bool(cloud.Include);
  json.EndObject();
}

void WriteImage(TJsonWriter& json, const TRSSImage& image) {
  json.BeginObject();
  json.Key("Include").Bool(image.Include);
  json.Key("Required").BeginObject();
  json.Key("URL").String(image.Required.StoredURL());
  json.Key("Title").String(image.Required.StoredTitle());
  json.Key("Link").String(image.Required.StoredLink());
  json.EndObject();
  json.Key("Optional").BeginObject();
  json.Key("Width").Int(image.Optional.Width());
  json.Key("Height").Int(image.Optional.Height());
  json.Key("Description").String(image.Optional.Description);
  json.EndObject();
  json.EndObject();
}

void WriteTextInput(TJsonWriter& json, const TRSSTextInput& input) {
  json.BeginObject();
  json.Key("Title").String(input.Title);
  json.Key("Description").String(input.Description);
  json.Key("TextInputName").String(input.TextInputName);
  json.Key("Link").String(input.Link);
  json.Key("Include").Bool(input.Include);
  json.EndObject();
}

void WriteSkipHours(TJsonWriter& json, const TRSSChannelSkipHours& hours) {
  json.BeginObject();
  for (int hour = 0; hour < 24; ++hour) {
    const char name[] = {'h', static_cast<char>('0' + hour / 10),
                         static_cast<char>('0' + hour % 10)};
    json.Key(std::string_view(name, sizeof name)).Bool(hours.Hour(hour));
  }
  json.EndObject();
}

void WriteSkipDays(TJsonWriter& json, const TRSSChannelSkipDays& days) {
  json.BeginObject();
  for (int day = 0; day < 7; ++day)
    json.Key(DayNames[static_cast<size_t>(day)]).Bool(days.Day(day));
  json.EndObject();
}

void WriteOptional(TJsonWriter& json, const TRSSChannelOpt& opt) {
  json.BeginObject();
  json.Key("Language").String(LanguageName(opt.Language));
  json.Key("XLang").String(opt.XLang);
  json.Key("Copyright").String(opt.Copyright);
  json.Key("ManagingEditor").String(opt.ManagingEditor);
  json.Key("WebMaster").String(opt.WebMaster);
  WriteDate(json.Key("PubDate"), opt.PubDate);
  WriteDate(json.Key("LastBuildDate"), opt.LastBuildDate);
  WriteCategories(json.Key("Categories"), opt.Categories);
  json.Key("Generator").String(opt.Generator);
  json.Key("Docs").String(opt.Docs);
  WriteCloud(json.Key("Cloud"), opt.Cloud);
  json.Key("TTL").Int(opt.TTL());
  WriteImage(json.Key("Image"), opt.Image);
  json.Key("Rating").String(opt.Rating);
  WriteTextInput(json.Key("TextInput"), opt.TextInput);
  WriteSkipHours(json.Key("SkipHours"), opt.SkipHours);
  WriteSkipDays(json.Key("SkipDays"), opt.SkipDays);
  json.EndObject();
}

void WriteAuthor(TJsonWriter& json, const TRSSAuthor& author) {
  json.BeginObject();
  json.Key("Name").String(author.Name);
  json.Key("EMail").String(author.EMail);
  json.Key("URL").String(author.URL);
  json.EndObject();
}

void WriteEnclosure(TJsonWriter& json, const TRSSItemEnclosure& enclosure) {
  json.BeginObject();
  json.Key("URL").String(enclosure.URL);
  json.Key("Length").Int(enclosure.Length);
  json.Key("EnclosureType").String(enclosure.EnclosureType);
  json.Key("Include").Bool(enclosure.Include);
  json.EndObject();
}

void WriteGUID(TJsonWriter& json, const TRSSItemGUID& guid) {
  json.BeginObject();
  json.Key("GUID").String(guid.GUID);
  json.Key("IsPermaLink").Bool(guid.IsPermaLink);
  json.Key("Include").Bool(guid.Include);
  json.EndObject();
}

void WriteSource(TJsonWriter& json, const TRSSItemSource& source) {
  json.BeginObject();
  json.Key("Title").String(source.Title);
  json.Key("URL").String(source.URL);
  json.Key("Include").Bool(source.Include);
  json.EndObject();
}

// The tree form of what `write` writes, read back from its text.
template <typename TWrite>
TJson ReadBack(TWrite&& write) {
  TJsonWriter json;
  write(json);
  return TJson::parse(json.Text());
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

void WriteDate(TJsonWriter& json, const TRFC822DateTime& date) {
  json.BeginObject();
  json.Key("DateTime").Float(date.DateTime);
  json.Key("TimeZone").String(date.TimeZone);
  json.EndObject();
}

void WriteChannel(TJsonWriter& json, const TRSSChannel& channel) {
  json.BeginObject();
  json.Key("Required").BeginObject();
  json.Key("Title").String(channel.Required.StoredTitle());
  json.Key("Link").String(channel.Required.StoredLink());
  json.Key("Desc").String(channel.Required.StoredDesc());
  json.EndObject();
  WriteOptional(json.Key("Optional"), channel.Optional);
  json.EndObject();
}

void WriteItem(TJsonWriter& json, const TRSSItem& item) {
  json.BeginObject();
  json.Key("Title").String(item.Title);
  json.Key("Link").String(item.Link);
  json.Key("Description").String(item.Description);
  WriteAuthor(json.Key("Author"), item.Author);
  WriteCategories(json.Key("Categories"), item.Categories);
  json.Key("Comments").String(item.Comments);
  WriteEnclosure(json.Key("Enclosure"), item.Enclosure);
  WriteGUID(json.Key("GUID"), item.GUID);
  WriteDate(json.Key("PubDate"), item.PubDate);
  WriteSource(json.Key("Source"), item.Source);
  json.Key("ContentType").String(ContentTypeName(item.ContentType));
  json.EndObject();
}

void WriteModel(TJsonWriter& json, const TSimpleRSS& rss) {
  json.BeginObject();
  json.Key("Version").String(rss.Version());
  json.Key("XMLType").String(XMLTypeName(rss.XMLType()));
  WriteChannel(json.Key("Channel"), rss.Channel());
  json.Key("Items").BeginArray();
  for (int i = 0; i < rss.Items().Count(); ++i) WriteItem(json, rss.Items().Items(i));
  json.EndArray();
  json.EndObject();
}

void WriteShowRecord(TJsonWriter& json, std::string_view link, bool ok, std::string_view error,
                     const TSimpleRSS& rss) {
  json.BeginObject();
  json.Key("link").String(link);
  json.Key("ok").Bool(ok);
  json.Key("error");
  if (ok)
    json.Null();
  else
    json.String(error);
  WriteModel(json.Key("model"), rss);
  json.EndObject();
}

TJson DateToJson(const TRFC822DateTime& date) {
  return ReadBack([&](TJsonWriter& json) { WriteDate(json, date); });
}

TJson ChannelToJson(const TRSSChannel& channel) {
  return ReadBack([&](TJsonWriter& json) { WriteChannel(json, channel); });
}

TJson ItemToJson(const TRSSItem& item) {
  return ReadBack([&](TJsonWriter& json) { WriteItem(json, item); });
}

TJson ModelToJson(const TSimpleRSS& rss) {
  return ReadBack([&](TJsonWriter& json) { WriteModel(json, rss); });
}

TJson ShowRecord(std::string_view link, bool ok, std::string_view error, const TSimpleRSS& rss) {
  return ReadBack([&](TJsonWriter& json) { WriteShowRecord(json, link, ok, error, rss); });
}

std::string DumpJson(const TJson& json, int indent) {
  return json.dump(indent, ' ', false, TJson::error_handler_t::replace);
}

}  // namespace vantle::tool
