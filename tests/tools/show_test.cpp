#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ModelJson.h"
#include "support/RunTool.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Keys(const TJson& object) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.push_back(key);
  return keys;
}

using TKeys = std::vector<std::string>;

class ShowCommand : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("vantle_show_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(FDir / name, std::ios::binary) << content;
    return (FDir / name).string();
  }

  fs::path FDir;
};

const char* const kTinyFeed =
    "<rss version='0.92'><channel><title>Tiny</title><link>http://tiny/</link>"
    "<description>A tiny feed</description><language>de-at</language><ttl>-3</ttl>"
    "<item><title>One</title><category domain='d'>c</category>"
    "<guid>g1</guid></item></channel></rss>";

TEST_F(ShowCommand, ReadsAroundAnEmptyElementUnlessStrict) {
  const std::string link =
      Write("empty.xml",
            "<rss><channel><title>T</title><link>L</link><description>D</description>"
            "<item><title>One</title><description/></item></channel></rss>");
  const TRun tolerant = RunTool({"show", link});
  EXPECT_EQ(tolerant.Status, 0) << tolerant.Err;
  EXPECT_EQ(TJson::parse(tolerant.Out)["model"]["Items"][0]["Title"], "One");
  const TRun strict = RunTool({"show", "--strict", link});
  EXPECT_EQ(strict.Status, 1);
  EXPECT_EQ(TJson::parse(strict.Out)["error"],
            "Could not convert variant of type (Null) into type (String)");
}

TEST_F(ShowCommand, PrintsTheModelOfATinyFeedInItsFixedShape) {
  const std::string link = Write("tiny.xml", kTinyFeed);
  const TRun run = RunTool({"show", link});
  EXPECT_EQ(run.Status, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 1u) << run.Out;
  const TJson record = TJson::parse(lines[0]);
  EXPECT_EQ(Keys(record), (TKeys{"link", "ok", "error", "model"}));
  EXPECT_EQ(record["link"], link);
  EXPECT_EQ(record["ok"], true);
  EXPECT_TRUE(record["error"].is_null());

  const TJson& model = record["model"];
  EXPECT_EQ(Keys(model), (TKeys{"Version", "XMLType", "Channel", "Items"}));
  EXPECT_EQ(model["Version"], "0.92");
  EXPECT_EQ(model["XMLType"], "xtRSS");
  const TJson& channel = model["Channel"];
  EXPECT_EQ(Keys(channel["Required"]), (TKeys{"Title", "Link", "Desc"}));
  EXPECT_EQ(channel["Required"]["Desc"], "A tiny feed");
  const TJson& opt = channel["Optional"];
  EXPECT_EQ(Keys(opt),
            (TKeys{"Language", "XLang", "Copyright", "ManagingEditor", "WebMaster", "PubDate",
                   "LastBuildDate", "Categories", "Generator", "Docs", "Cloud", "TTL", "Image",
                   "Rating", "TextInput", "SkipHours", "SkipDays"}));
  EXPECT_EQ(opt["Language"], "langDE_AT");
  EXPECT_EQ(opt["TTL"], 0);
  EXPECT_EQ(Keys(opt["PubDate"]), (TKeys{"DateTime", "TimeZone"}));
  EXPECT_TRUE(opt["PubDate"]["DateTime"].is_number_float());
  EXPECT_EQ(opt["PubDate"]["TimeZone"], "GMT");
  EXPECT_EQ(Keys(opt["Cloud"]),
            (TKeys{"Domain", "Port", "Path", "RegisterProcedure", "Protocol", "Include"}));
  EXPECT_EQ(opt["Cloud"]["Include"], false);
  EXPECT_EQ(Keys(opt["Image"]), (TKeys{"Include", "Required", "Optional"}));
  EXPECT_EQ(Keys(opt["Image"]["Required"]), (TKeys{"URL", "Title", "Link"}));
  EXPECT_EQ(opt["Image"]["Required"]["URL"], "");
  EXPECT_EQ(Keys(opt["Image"]["Optional"]), (TKeys{"Width", "Height", "Description"}));
  EXPECT_EQ(Keys(opt["TextInput"]),
            (TKeys{"Title", "Description", "TextInputName", "Link", "Include"}));
  TKeys hours;
  for (int h = 0; h < 24; ++h) hours.push_back((h < 10 ? "h0" : "h") + std::to_string(h));
  EXPECT_EQ(Keys(opt["SkipHours"]), hours);
  EXPECT_EQ(Keys(opt["SkipDays"]),
            (TKeys{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"}));

  ASSERT_EQ(model["Items"].size(), 1u);
  const TJson& item = model["Items"][0];
  EXPECT_EQ(Keys(item), (TKeys{"Title", "Link", "Description", "Author", "Categories", "Comments",
                               "Enclosure", "GUID", "PubDate", "Source", "ContentType"}));
  EXPECT_EQ(item["Title"], "One");
  EXPECT_EQ(Keys(item["Author"]), (TKeys{"Name", "EMail", "URL"}));
  EXPECT_EQ(item["Categories"], TJson::parse(R"([{"Title":"c","Domain":"d"}])"));
  EXPECT_EQ(Keys(item["Enclosure"]), (TKeys{"URL", "Length", "EnclosureType", "Include"}));
  EXPECT_EQ(item["GUID"], TJson::parse(R"({"GUID":"g1","IsPermaLink":true,"Include":true})"));
  EXPECT_EQ(Keys(item["Source"]), (TKeys{"Title", "URL", "Include"}));
  EXPECT_EQ(item["ContentType"], "ctText");
}

TEST_F(ShowCommand, PrintsStoredTextsRatherThanPlaceholders) {
  const TRun run = RunTool({"show", Write("empty.xml", "<feed/>")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  const TJson model = TJson::parse(Lines(run.Out).at(0))["model"];
  EXPECT_EQ(model["XMLType"], "xtAtom");
  EXPECT_EQ(model["Channel"]["Required"], TJson::parse(R"({"Title":"","Link":"","Desc":""})"));
  EXPECT_EQ(model["Items"], TJson::array());
}

TEST_F(ShowCommand, ReportsAFailedLoadWithTheReadersStateAndExitsWithOne) {
  const std::string good = Write("tiny.xml", kTinyFeed);
  const std::string bad = Write("page.xml", "<html/>");
  const TRun run = RunTool({"show", good, bad, ""});
  EXPECT_EQ(run.Status, 1);
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u) << run.Out;
  EXPECT_EQ(TJson::parse(lines[0])["ok"], true);
  const TJson unknown = TJson::parse(lines[1]);
  EXPECT_EQ(unknown["link"], bad);
  EXPECT_EQ(unknown["ok"], false);
  EXPECT_EQ(unknown["error"], "unkown format: html");
  EXPECT_EQ(unknown["model"]["Items"].size(), 0u);
  EXPECT_EQ(unknown["model"]["Version"], "0.92");
  EXPECT_EQ(unknown["model"]["XMLType"], "xtRSS");
  const TJson blank = TJson::parse(lines[2]);
  EXPECT_EQ(blank["error"], "FileName cannot be blank");
  EXPECT_EQ(blank["model"], unknown["model"]);
}

TEST_F(ShowCommand, StartsAndReadsFilesWithoutLibcurlAndNamesItWhenAWebFeedNeedsIt) {
  // A broken libcurl first on the library path: a program that linked it would not start.
  Write("libcurl.so.4", "not a library");
  const std::string web = "http://127.0.0.1:1/feed.xml";
  const TRun run =
      RunTool({"show", Write("tiny.xml", kTinyFeed), web}, {{"LD_LIBRARY_PATH", FDir.string()}});
  EXPECT_EQ(run.Status, 1) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 2u) << run.Out << run.Err;
  EXPECT_EQ(TJson::parse(lines[0])["ok"], true);
  const std::string error = TJson::parse(lines[1])["error"];
  EXPECT_TRUE(error.starts_with(web + ": the HTTP client could not be loaded (")) << error;
  EXPECT_NE(error.find("libcurl.so.4"), std::string::npos) << error;
}

TEST_F(ShowCommand, PrintsUsageAndExitsWithTwoWithoutLinks) {
  const TRun run = RunTool({"show"});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Out, "");
  EXPECT_NE(run.Err.find("usage: vantle-feed show [--strict] [--data DIR] LINK..."),
            std::string::npos)
      << run.Err;
}

TEST(ModelJson, ReplacesInvalidUtf8InsteadOfFailing) {
  TSimpleRSS rss;
  rss.Channel().Required.SetTitle("bad \xFF\xFE text");
  rss.Items().Add().Description = "\xC3";
  const std::string text = DumpJson(ModelToJson(rss));
  const TJson parsed = TJson::parse(text);
  EXPECT_EQ(parsed["Channel"]["Required"]["Title"], "bad \xEF\xBF\xBD\xEF\xBF\xBD text");
  EXPECT_EQ(parsed["Items"][0]["Description"], "\xEF\xBF\xBD");
}

TEST(ModelJson, NamesEnumeratorsAsTheModelDoes) {
  EXPECT_EQ(LanguageName(langEN_US), "langEN_US");
  EXPECT_EQ(LanguageName(langHAW), "langHAW");
  EXPECT_EQ(LanguageName(langAF), "langAF");
  EXPECT_EQ(LanguageName(langX), "langX");
  EXPECT_EQ(XMLTypeName(xtRDF), "xtRDF");
  EXPECT_EQ(XMLTypeName(xtAtom), "xtAtom");
  EXPECT_EQ(ContentTypeName(ctXHTML), "ctXHTML");
}

TEST(ModelJson, WritesNumbersAndFlagsAsJsonValues) {
  TSimpleRSS rss;
  TRSSChannelOpt& opt = rss.Channel().Optional;
  opt.Cloud.SetPort(8080);
  opt.Image.Optional.SetWidth(300);
  opt.SkipHours.h00 = true;
  opt.SkipDays.Sunday = true;
  opt.PubDate.DateTime = 38048.43090277778;
  opt.PubDate.TimeZone = "Z";
  TRSSItem& item = rss.Items().Add();
  item.Enclosure.Length = -1;
  const TJson json = ModelToJson(rss);
  EXPECT_EQ(json["Channel"]["Optional"]["Cloud"]["Port"], 8080);
  EXPECT_EQ(json["Channel"]["Optional"]["Image"]["Optional"]["Width"], 144);
  EXPECT_EQ(json["Channel"]["Optional"]["SkipHours"]["h00"], true);
  EXPECT_EQ(json["Channel"]["Optional"]["SkipHours"]["h01"], false);
  EXPECT_EQ(json["Channel"]["Optional"]["SkipDays"]["Sunday"], true);
  EXPECT_EQ(json["Channel"]["Optional"]["PubDate"],
            TJson::parse(R"({"DateTime":38048.43090277778,"TimeZone":"Z"})"));
  EXPECT_EQ(json["Items"][0]["Enclosure"]["Length"], -1);
}

}  // namespace
}  // namespace vantle::tool
