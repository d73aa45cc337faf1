#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "JsonWriter.h"
#include "ModelJson.h"
#include "SimpleRSSConst.h"
#include "support/TestFiles.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;

// The record as `show` printed it before it wrote while walking: a whole tree, then dump().
namespace tree {

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

TJson DateToJson(const TRFC822DateTime& date) {
  return {{"DateTime", date.DateTime}, {"TimeZone", date.TimeZone}};
}

TJson OptionalToJson(const TRSSChannelOpt& opt) {
  TJson hours = TJson::object();
  for (int hour = 0; hour < 24; ++hour)
    hours[(hour < 10 ? "h0" : "h") + std::to_string(hour)] = opt.SkipHours.Hour(hour);
  TJson days = TJson::object();
  for (int day = 0; day < 7; ++day)
    days[std::string(DayNames[static_cast<size_t>(day)])] = opt.SkipDays.Day(day);
  const TRSSCloud& cloud = opt.Cloud;
  const TRSSImage& image = opt.Image;
  const TRSSTextInput& input = opt.TextInput;
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
          {"Cloud",
           {{"Domain", cloud.Domain},
            {"Port", cloud.Port()},
            {"Path", cloud.Path},
            {"RegisterProcedure", cloud.RegisterProcedure},
            {"Protocol", cloud.Protocol},
            {"Include", cloud.Include}}},
          {"TTL", opt.TTL()},
          {"Image",
           {{"Include", image.Include},
            {"Required",
             {{"URL", image.Required.StoredURL()},
              {"Title", image.Required.StoredTitle()},
              {"Link", image.Required.StoredLink()}}},
            {"Optional",
             {{"Width", image.Optional.Width()},
              {"Height", image.Optional.Height()},
              {"Description", image.Optional.Description}}}}},
          {"Rating", opt.Rating},
          {"TextInput",
           {{"Title", input.Title},
            {"Description", input.Description},
            {"TextInputName", input.TextInputName},
            {"Link", input.Link},
            {"Include", input.Include}}},
          {"SkipHours", hours},
          {"SkipDays", days}};
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

TJson ShowRecord(std::string_view link, bool ok, std::string_view error, const TSimpleRSS& rss) {
  TJson items = TJson::array();
  for (int i = 0; i < rss.Items().Count(); ++i) items.push_back(ItemToJson(rss.Items().Items(i)));
  const TRSSChannelReq& required = rss.Channel().Required;
  return {{"link", link},
          {"ok", ok},
          {"error", ok ? TJson(nullptr) : TJson(error)},
          {"model",
           {{"Version", rss.Version()},
            {"XMLType", XMLTypeName(rss.XMLType())},
            {"Channel",
             {{"Required",
               {{"Title", required.StoredTitle()},
                {"Link", required.StoredLink()},
                {"Desc", required.StoredDesc()}}},
              {"Optional", OptionalToJson(rss.Channel().Optional)}}},
            {"Items", std::move(items)}}}};
}

}  // namespace tree

std::string Written(std::string_view link, bool ok, std::string_view error, const TSimpleRSS& rss) {
  TJsonWriter json;
  WriteShowRecord(json, link, ok, error, rss);
  return std::string(json.Text());
}

// Loads every file as `show` does and expects the writer's record to be the tree's dump.
void ExpectSameRecords(const std::vector<fs::path>& files) {
  TSimpleRSS rss;
  rss.Tolerant = true;
  int failed = 0;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    bool ok = true;
    std::string error;
    try {
      rss.LoadFromLink(file.string());
    } catch (const std::exception& e) {
      ok = false;
      error = e.what();
      ++failed;
    }
    const std::string link = file.string();
    EXPECT_EQ(Written(link, ok, error, rss), DumpJson(tree::ShowRecord(link, ok, error, rss)));
  }
  std::cout << files.size() << " documents compared, " << failed << " of them failed loads\n";
}

TEST(ModelJsonWriter, WritesTheTreesDumpForEverySampleFeed) {
  const std::vector<fs::path> files = test::FeedFilesUnder(VANTLE_EXAMPLES_DIR);
  ASSERT_GE(files.size(), 5u);
  ExpectSameRecords(files);
}

TEST(ModelJsonWriter, WritesTheTreesDumpForEveryCorpusDocument) {
  const fs::path root = VANTLE_CORPORA_DIR;
  if (!fs::is_directory(root)) GTEST_SKIP() << "no corpora at " << root;
  const std::vector<fs::path> files = test::FeedFilesUnder(root);
  ASSERT_FALSE(files.empty());
  ExpectSameRecords(files);
}

// A text unlike every other field's, so that a field written under another key shows.
std::string Text(const char* field) {
  return std::string(field) + " \"q\" \\ \t\x01 \xC3\xA9 \xFF end";
}

TEST(ModelJsonWriter, WritesEveryFieldUnderItsOwnKey) {
  TSimpleRSS rss;
  TRSSChannel& channel = rss.Channel();
  channel.Required.SetTitle(Text("title"));
  channel.Required.SetLink(Text("link"));
  channel.Required.SetDesc(Text("desc"));
  TRSSChannelOpt& opt = channel.Optional;
  opt.Language = langX;
  opt.XLang = Text("xlang");
  opt.Copyright = Text("copyright");
  opt.ManagingEditor = Text("editor");
  opt.WebMaster = Text("webmaster");
  opt.PubDate.DateTime = 45000.25;
  opt.PubDate.TimeZone = Text("zone");
  opt.LastBuildDate.DateTime = -1.5e-7;
  TRSSChannelCategory& category = opt.Categories.Add();
  category.Category = Text("category");
  category.Domain = Text("domain");
  opt.Categories.Add();
  opt.Generator = Text("generator");
  opt.Cloud.Domain = Text("cloud domain");
  opt.Cloud.SetPort(-7);
  opt.Cloud.Path = Text("path");
  opt.Cloud.RegisterProcedure = Text("procedure");
  opt.Cloud.Protocol = Text("protocol");
  opt.Cloud.Include = true;
  opt.SetTTL(12);
  opt.Image.Include = true;
  opt.Image.Required.SetURL(Text("image url"));
  opt.Image.Optional.SetWidth(77);
  opt.Image.Optional.SetHeight(401);
  opt.Image.Optional.Description = Text("image description");
  opt.Rating = Text("rating");
  opt.TextInput.Title = Text("input title");
  opt.TextInput.TextInputName = Text("input name");
  opt.TextInput.Include = true;
  opt.SkipHours.h00 = opt.SkipHours.h13 = opt.SkipHours.h23 = true;
  opt.SkipDays.Monday = opt.SkipDays.Sunday = true;
  for (int i = 0; i < 2; ++i) {
    TRSSItem& item = rss.Items().Add();
    item.Title = Text("item title");
    item.Link = Text("item link");
    item.Description = Text("item description");
    item.Author.Name = Text("author");
    item.Author.URL = Text("author url");
    item.Categories.Add().Title = Text("item category");
    item.Comments = Text("comments");
    item.Enclosure.URL = Text("enclosure");
    item.Enclosure.Length = i == 0 ? std::numeric_limits<int32_t>::min() : 1 << 30;
    item.Enclosure.Include = true;
    item.GUID.GUID = Text("guid");
    item.GUID.IsPermaLink = true;
    item.PubDate.DateTime = i == 0 ? 1e17 : 0.0;
    item.Source.URL = Text("source");
    item.ContentType = i == 0 ? ctXHTML : ctHTML;
  }
  for (bool ok : {true, false})
    EXPECT_EQ(Written("li\"nk", ok, Text("error"), rss),
              DumpJson(tree::ShowRecord("li\"nk", ok, Text("error"), rss)));
}

std::string WrittenString(std::string_view text) {
  TJsonWriter json;
  json.String(text);
  return std::string(json.Text());
}

std::string DumpedString(std::string_view text) {
  return DumpJson(TJson(std::string(text)));
}

TEST(ModelJsonWriter, EscapesAndReplacesBytesAsTheLibraryDoes) {
  const std::vector<std::string> cases = {"",
                                          "plain",
                                          "\"\\/",
                                          std::string("\0\x01\x08\x09\x0A\x0B\x0C\x0D\x1F\x7F", 10),
                                          "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
                                          "\xC0\xAF",
                                          "\xE0\x80\xAF",
                                          "\xED\xA0\x80",
                                          "\xF4\x90\x80\x80",
                                          "\xF5\xBF",
                                          "\xE2\x82",
                                          "\xF0\x9F\x98",
                                          "a\x80z",
                                          "\xC3(",
                                          "\xE2\x28\xA1",
                                          "\xF0\x9F\x98\x41",
                                          "\xFE\xFF"};
  for (const std::string& text : cases) EXPECT_EQ(WrittenString(text), DumpedString(text)) << text;
}

TEST(ModelJsonWriter, EscapesEveryShortByteStringAsTheLibraryDoes) {
  // Every pair of bytes, then every triple of the bytes where the decoding turns.
  std::string text(2, '\0');
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      text[0] = static_cast<char>(a);
      text[1] = static_cast<char>(b);
      ASSERT_EQ(WrittenString(text), DumpedString(text)) << a << " " << b;
    }
  const std::string turns(
      "\x00\x1F\x22\x5C\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0\xC1\xC2\xDF\xE0\xE1"
      "\xEC\xED\xEE\xEF\xF0\xF1\xF3\xF4\xF5\xFF",
      27);
  text.resize(3);
  for (char a : turns)
    for (char b : turns)
      for (char c : turns) {
        text = {a, b, c};
        ASSERT_EQ(WrittenString(text), DumpedString(text));
      }
}

TEST(ModelJsonWriter, WritesNumbersAsTheLibraryDoes) {
  for (double value : {0.0, -0.0, 1.0, 0.1, 38048.43090277778, 1e15, 1e16, 1.5e300, 1e-4, 1e-5,
                       -45000.000001157407, 5e-324, std::nan(""), HUGE_VAL}) {
    TJsonWriter json;
    json.Float(value);
    EXPECT_EQ(json.Text(), DumpJson(TJson(value))) << value;
  }
  for (int64_t value : {int64_t{0}, int64_t{-1}, int64_t{INT32_MIN}, int64_t{INT64_MAX}}) {
    TJsonWriter json;
    json.Int(value);
    EXPECT_EQ(json.Text(), DumpJson(TJson(value)));
  }
}

TEST(ModelJsonWriter, SeparatesMembersAndStartsEachLineAfresh) {
  TJsonWriter json;
  json.BeginObject().Key("a").BeginArray().EndArray().Key("b").BeginObject().EndObject();
  json.Key("c").BeginArray().Bool(false).Null().Int(3).EndArray().EndObject().EndLine();
  json.BeginArray().String("x").EndArray().EndLine();
  EXPECT_EQ(json.Text(), "{\"a\":[],\"b\":{},\"c\":[false,null,3]}\n[\"x\"]\n");
}

TEST(ModelJsonWriter, StreamsTheSameBytesThroughASinkInChunks) {
  TSimpleRSS rss;
  for (int i = 0; i < 3000; ++i) rss.Items().Add().Description = Text("description");
  TJsonWriter inMemory;
  WriteModel(inMemory, rss);
  std::ostringstream sink;
  TJsonWriter streamed(sink);
  WriteModel(streamed, rss);
  EXPECT_LT(streamed.Text().size(), inMemory.Text().size());
  streamed.Flush();
  EXPECT_EQ(sink.str(), inMemory.Text());
}

}  // namespace
}  // namespace vantle::tool
