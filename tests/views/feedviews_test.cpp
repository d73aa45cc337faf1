#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Exception.h"
#include "FeedPage.h"
#include "SimpleRSS.h"
#include "UFeedViews.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;

// The page pieces, written out here as the page format quotes them.
const std::string NewsPaperStyle =
    R"(<style>body  { margin: 0px; padding: 10px;}div.feedtitle { font-family: Georgia, "Times New Roman", serif;font-size: 24px;font-weight: bold;margin-left: 10px; }div.feeddescription { font-family: Georgia, "Times New Roman", serif;font-size: 16px;font-style: italic;margin-left: 10px; }div.feedimage { margin: 10px;align: right; }div.itemtitle { font-family: Arial, sans-serif;font-size: 17px;font-weight: bold;margin-left: 10px;clear: both;color: black;}div.noline { text-decoration: none }div.itemdescription { font-family: Tahoma, Verdana, Arial, sans-serif;font-size: 14px;line-height: 16px;color: #333;clear: both;margin-top: 20px;margin-left: 10px;margin-bottom: 10px;  }div.itemlink { font-family: Verdana, Arial, sans-serif;font-size: 11px;margin-left: 10px;margin-top: 5px;clear: both; }</style>)";
const std::string ListStyle =
    R"(<style>body  { margin: 0px; padding: 10px;}div.feedtitle { font-family: Georgia, "Arial", serif;font-size: 24px;font-weight: bold;margin-left: 10px; }div.feeddescription { font-family: Georgia, "Arial", serif;font-size: 16px;margin-left: 10px; }div.feedimage { margin: 10px;align: right; }div.itemtitle { font-family: Arial, sans-serif;font-size: 17px;font-weight: bold;margin-left: 10px;clear: both;color: black;}div.noline { text-decoration: none }div.itemdescription { font-family: Tahoma, Verdana, Arial, sans-serif;font-size: 14px;line-height: 16px;color: #333;clear: both;margin-top: 20px;margin-left: 10px;margin-bottom: 10px;  }div.itemlink { font-family: Verdana, Arial, sans-serif;font-size: 11px;margin-left: 10px;margin-top: 5px;clear: both; }</style>)";

const std::string HeaderStart =
    R"(<table style="WIDTH: 100%; HEIGHT: 20px"><tbody><tr><td valign="bottom" height="50"><div class="feedtitle">)";
const std::string HeaderImage = R"(</div></td><td  valign="bottom" align="right"><img src=")";
const std::string NewsPaperHeaderEnd =
    R"(" align="right" /></td></tr><div></div><tr><td valign="top" colspan="2"><div class="feeddescription"><hr style="WIDTH: 100%" color="black" size="4" /></div></td></tr></tbody></table><br /><br />)";
const std::string ListHeaderEnd =
    R"(" align="right" /></td></tr><div></div><tr><td valign="top" colspan="2"><div class="feeddescription"><hr style="WIDTH: 100%" color="black" size="4" /></div></td></tr></tbody></table><br />)";
const std::string FooterStart =
    R"(<div class="feeddescription"><hr style="WIDTH: 100%" color="black" size="4" />)";

const std::string TitledItemStart =
    R"(<table style="HEIGHT: 124px" width="100%"><tbody><tr><td valign="top" width="48%" height="20"><div class="itemtitle"><hr style="WIDTH: 100%" size="2" /><A  HREF=")";
const std::string TitleFont = R"("> <FONT color="black" style="italic" > <div class="noline"> )";
const std::string PairRightTitle =
    R"(</div></FONT></A></div></td><td width="10"></td><td valign="top" width="48%"><div class="itemtitle"><hr style="WIDTH: 100%" size="2" /><A  HREF=")";
const std::string PairDescriptions =
    R"(</div></FONT></A></div></td></tr><tr><td valign="top" height="20"><div class="itemdescription">)";
const std::string PairRightDescription =
    R"(</div></td><td></td><td valign="top"><div class="itemdescription">)";
const std::string PairLinks =
    R"(</div></td></tr><tr><td height="25"><div class="itemlink"><A HREF=")";
const std::string ReadMore = R"(">Read more</A> &nbsp;|&nbsp;<A HREF=")";
const std::string PairRightLinks =
    R"(" target="_blank">Open in browser</A> <hr style="WIDTH: 100%" size="2" /></div></td><td></td><td><div class="itemlink"><A HREF=")";
const std::string PairEnd =
    R"(" target="_blank">Open in browser</A> <hr style="WIDTH: 100%" size="2" /></div></td></tr></tbody></table><br/>)";

const std::string SingleStart =
    R"(<table style="HEIGHT: 124px" width="100%"><tbody><tr><td valign="top" width="48%" height="20"><div class="itemtitle"><hr style="WIDTH: 100%" size="2" />)";
const std::string SingleDescription =
    R"(</div></td><td width="10"></td><td valign="top" width="48%"></td></tr><tr><td valign="top" height="20"><div class="itemdescription">)";
const std::string SingleLinks =
    R"(</div></td><td></td><td valign="top"></td></tr><tr><td height="25"><div class="itemlink"><A HREF=")";
const std::string SingleEnd =
    R"(" target="_blank">Open in browser</A> <hr style="WIDTH: 100%" size="2" /></div></td><td></td><td></td></tr></tbody></table><br/>)";

const std::string ListDescription =
    R"(</div></FONT></A></div></td></tr><tr><td valign="top" height="20"><div class="itemdescription">)";
const std::string ListLinks =
    R"(</div></td></tr><tr><td height="25"><div class="itemlink"><A HREF=")";
const std::string ListEnd =
    R"(" target="_blank">Open in browser</A> <hr style="WIDTH: 100%" size="2" /></div></td></tr></tbody></table>)";

struct Item {
  std::string Title, Link, Description;
};

struct Channel {
  std::string Title = "Example News", ImageURL = "http://example.com/logo.png",
              Description = "All the news of the example";
};

std::string PairLine(const Item& l, const Item& r) {
  return TitledItemStart + l.Link + TitleFont + l.Title + PairRightTitle + r.Link + TitleFont +
         r.Title + PairDescriptions + l.Description + PairRightDescription + r.Description +
         PairLinks + l.Link + ReadMore + l.Link + PairRightLinks + r.Link + ReadMore + r.Link +
         PairEnd;
}

std::string SingleLine(const Item& i) {
  return SingleStart + i.Title + SingleDescription + i.Description + SingleLinks + i.Link +
         ReadMore + i.Link + SingleEnd;
}

std::string ListLine(const Item& i) {
  return TitledItemStart + i.Link + TitleFont + i.Title + ListDescription + i.Description +
         ListLinks + i.Link + ReadMore + i.Link + ListEnd;
}

std::string Page(const std::string& style, const std::string& header,
                 const std::vector<std::string>& itemLines, const std::string& footer) {
  std::string page = "<html>\r\n<head>\r\n" + style + "\r\n</head>\r\n<body>\r\n" + header + "\r\n";
  for (const std::string& line : itemLines) page += line + "\r\n";
  return page + footer + "\r\n</body>\r\n</html>\r\n";
}

std::string NewsPaperPage(const Channel& c, const std::vector<std::string>& itemLines) {
  return Page(NewsPaperStyle, HeaderStart + c.Title + HeaderImage + c.ImageURL + NewsPaperHeaderEnd,
              itemLines, FooterStart + c.Description + "</div>");
}

std::string ListPage(const Channel& c, const std::vector<std::string>& itemLines) {
  return Page(ListStyle, HeaderStart + c.Title + HeaderImage + c.ImageURL + ListHeaderEnd,
              itemLines, FooterStart + c.Description + "</div>");
}

std::vector<Item> NumberedItems(int count) {
  std::vector<Item> items;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    items.push_back({"Title " + n, "http://example.com/item" + n, "Description " + n});
  }
  return items;
}

void Fill(TSimpleRSS& reader, const Channel& c, const std::vector<Item>& items) {
  reader.Channel().Required.SetTitle(c.Title);
  reader.Channel().Optional.Image.Required.SetURL(c.ImageURL);
  reader.Channel().Required.SetDesc(c.Description);
  for (const Item& i : items) {
    TRSSItem& item = reader.Items().Add();
    item.Title = i.Title;
    item.Link = i.Link;
    item.Description = i.Description;
  }
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class TRecordingBrowser : public IWebBrowser {
 public:
  void Navigate(const std::string& path) override { Paths.push_back(path); }
  std::vector<std::string> Paths;
};

// Renders into a fresh directory that TMPDIR points at.
class FeedViews : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantle-views-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
    const char* old = getenv("TMPDIR");
    if (old != nullptr) OldTmpDir = old;
    HadTmpDir = old != nullptr;
    setenv("TMPDIR", Dir.c_str(), 1);
  }
  void TearDown() override {
    if (HadTmpDir)
      setenv("TMPDIR", OldTmpDir.c_str(), 1);
    else
      unsetenv("TMPDIR");
    fs::remove_all(Dir);
  }

  // The page lands in this user's private directory under TMPDIR.
  fs::path PageFile() const { return Private() / "vantle_tmp.htm"; }
  fs::path Private() const { return Dir / ("vantle-" + std::to_string(geteuid())); }

  // Shows the reader in `style` and returns the page file's bytes.
  std::string Render(uint8_t style) {
    const size_t before = Browser.Paths.size();
    ShowFeedView(Reader, Browser, style);
    EXPECT_EQ(Browser.Paths, std::vector<std::string>(before + 1, PageFile().string()));
    return ReadBytes(PageFile());
  }

  fs::path Dir;
  std::string OldTmpDir;
  bool HadTmpDir = false;
  TSimpleRSS Reader;
  TRecordingBrowser Browser;
};

TEST(PagePieces, StyleBlocksHaveTheirQuotedLengths) {
  EXPECT_EQ(NewsPaperStyle.size(), 802u);
  EXPECT_EQ(ListStyle.size(), 763u);
}

TEST_F(FeedViews, EmptyFeedGivesANineLinePageInEitherStyle) {
  Fill(Reader, {}, {});
  EXPECT_EQ(Render(0), NewsPaperPage({}, {}));
  EXPECT_EQ(FeedPageLines(Reader, 0).size(), 9u);
  EXPECT_EQ(Render(1), ListPage({}, {}));
  EXPECT_EQ(FeedPageLines(Reader, 1).size(), 9u);
}

TEST_F(FeedViews, NewsPaperWithOneItemGivesOnlyASingleItemLine) {
  const auto items = NumberedItems(1);
  Fill(Reader, {}, items);
  EXPECT_EQ(Render(0), NewsPaperPage({}, {SingleLine(items[0])}));
}

TEST_F(FeedViews, NewsPaperWithFourItemsPairsTheFirstHalfWithTheSecond) {
  const auto items = NumberedItems(4);
  Fill(Reader, {}, items);
  EXPECT_EQ(Render(0),
            NewsPaperPage({}, {PairLine(items[0], items[2]), PairLine(items[1], items[3])}));
}

TEST_F(FeedViews, NewsPaperWithFiveItemsEndsWithTheLastItemAlone) {
  const auto items = NumberedItems(5);
  Fill(Reader, {}, items);
  EXPECT_EQ(Render(0), NewsPaperPage({}, {PairLine(items[0], items[2]),
                                          PairLine(items[1], items[3]), SingleLine(items[4])}));
}

TEST_F(FeedViews, ListShowsOneLinePerItemInCollectionOrder) {
  for (int count : {1, 3, 4, 5}) {
    TSimpleRSS reader;
    const auto items = NumberedItems(count);
    Fill(reader, {}, items);
    std::vector<std::string> lines;
    for (const Item& i : items) lines.push_back(ListLine(i));
    ShowFeedView(reader, Browser, 1);
    EXPECT_EQ(ReadBytes(PageFile()), ListPage({}, lines)) << count << " items";
  }
}

TEST_F(FeedViews, BlankChannelFieldsShowTheirPlaceholders) {
  Fill(Reader, {" \t", "", "\r\n"}, NumberedItems(1));
  const Channel placeholders{"Title Required", "URL Required", "Description Required"};
  EXPECT_EQ(Render(0), NewsPaperPage(placeholders, {SingleLine(NumberedItems(1)[0])}));
  EXPECT_EQ(Render(1), ListPage(placeholders, {ListLine(NumberedItems(1)[0])}));
}

TEST_F(FeedViews, NothingLoadedShowsThePlaceholdersAndNoItems) {
  const Channel placeholders{"Title Required", "URL Required", "Description Required"};
  EXPECT_EQ(Render(0), NewsPaperPage(placeholders, {}));
}

TEST_F(FeedViews, EmptyItemFieldsLeaveEveryAnchorEmpty) {
  const std::vector<Item> items{{"", "", ""}, {"Second", "", "Text"}};
  Fill(Reader, {}, items);
  EXPECT_EQ(Render(0), NewsPaperPage({}, {PairLine(items[0], items[1])}));
  EXPECT_EQ(Render(1), ListPage({}, {ListLine(items[0]), ListLine(items[1])}));
}

TEST_F(FeedViews, MarkupAndLineBreaksInValuesAreWrittenUnchanged) {
  const Channel channel{"News & <b>Views</b>", "http://example.com/a.png?x=1&y=<2>",
                        "Line one\nline two <i>&amp;</i>"};
  const std::vector<Item> items{{"<em>Big</em> & bold", "http://example.com/?a=1&b=<2>",
                                 "<p>Para with <a href='x'>link</a></p>\r\nmore"}};
  Fill(Reader, channel, items);
  EXPECT_EQ(Render(0), NewsPaperPage(channel, {SingleLine(items[0])}));
  EXPECT_EQ(Render(1), ListPage(channel, {ListLine(items[0])}));
}

TEST_F(FeedViews, DoubleQuoteCannotLeaveAnAttribute) {
  const Channel channel{R"(A "quoted" title)", R"(http://x/i.png" onerror="alert(1))",
                        R"(Said "hi")"};
  const std::vector<Item> items{{R"(T "1")", R"(http://x/1" onclick="steal())", R"(D "1")"},
                                {"T2", "http://x/2", "D2"},
                                {"T3", R"(http://x/"3")", "D3"}};
  Fill(Reader, channel, items);
  Channel shown = channel;
  shown.ImageURL = "http://x/i.png&quot; onerror=&quot;alert(1)";
  std::vector<Item> escaped = items;
  escaped[0].Link = "http://x/1&quot; onclick=&quot;steal()";
  escaped[2].Link = "http://x/&quot;3&quot;";
  EXPECT_EQ(Render(0),
            NewsPaperPage(shown, {PairLine(escaped[0], escaped[1]), SingleLine(escaped[2])}));
  EXPECT_EQ(Render(1),
            ListPage(shown, {ListLine(escaped[0]), ListLine(escaped[1]), ListLine(escaped[2])}));
}

TEST_F(FeedViews, UnknownStyleWritesAnEmptyFileAndStillNavigates) {
  Fill(Reader, {}, NumberedItems(3));
  Render(0);
  for (uint8_t style : {uint8_t{2}, uint8_t{255}}) {
    EXPECT_EQ(Render(style), "");
    EXPECT_TRUE(fs::is_regular_file(PageFile()));
  }
  EXPECT_EQ(Browser.Paths.size(), 3u);
}

TEST_F(FeedViews, SecondRenderingReplacesTheFirstInTheSameFile) {
  const auto items = NumberedItems(4);
  Fill(Reader, {}, items);
  Render(0);
  TSimpleRSS other;
  const Channel channel{"Other", "http://other/img", "Other feed"};
  Fill(other, channel, {items[3]});
  ShowFeedView(other, Browser, 1);
  EXPECT_EQ(Browser.Paths, std::vector<std::string>(2, PageFile().string()));
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadBytes(PageFile()), ListPage(channel, {ListLine(items[3])}));
}

TEST_F(FeedViews, PlantedSymbolicLinkIsReplacedAndItsTargetLeftAlone) {
  const fs::path target = Dir / "victim.txt";
  std::ofstream(target) << "precious";
  fs::create_directory(Private());
  fs::create_symlink(target, PageFile());
  Fill(Reader, {}, {});
  EXPECT_EQ(Render(0), NewsPaperPage({}, {}));
  EXPECT_FALSE(fs::is_symlink(PageFile()));
  EXPECT_EQ(ReadBytes(target), "precious");
}

TEST_F(FeedViews, PageFileIsWrittenNeverThroughASymbolicLink) {
  const fs::path target = Dir / "victim.txt";
  std::ofstream(target) << "precious";
  fs::create_directory(Private());
  fs::create_symlink(target, PageFile());
  try {
    WritePageFile(PageFile().string(), {"<html>"});
    FAIL() << "wrote through a symbolic link";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(PageFile().string()), std::string::npos) << e.Message();
  }
  EXPECT_EQ(ReadBytes(target), "precious");
}

TEST_F(FeedViews, PageFileIsPrivateToTheUser) {
  Render(0);
  EXPECT_EQ(fs::status(PageFile()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FeedViews, UnwritablePathRaisesNamingThePathAndTheReason) {
  const std::string path = (Dir / "missing" / "page.htm").string();
  try {
    ShowFeedView(Reader, Browser, 0, path);
    FAIL() << "no error for " << path;
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("No such file or directory"), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(Browser.Paths.empty());
}

TEST_F(FeedViews, DirectoryAtThePagePathRaisesAndLeavesNothingBehind) {
  fs::create_directories(PageFile());
  EXPECT_THROW(Render(0), Exception);
  EXPECT_TRUE(Browser.Paths.empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(Private()), {}), 1);
}

TEST_F(FeedViews, FilesPlantedAtThePageNameAreNeverWrittenInto) {
  const fs::path victim = Dir / "victim.txt";
  std::ofstream(victim) << "precious";
  fs::create_hard_link(victim, Dir / "vantle_tmp.htm");
  fs::create_directory(Private());
  fs::permissions(Private(), fs::perms::owner_all);
  fs::create_hard_link(victim, PageFile());
  Fill(Reader, {}, {});
  EXPECT_EQ(Render(0), NewsPaperPage({}, {}));
  EXPECT_EQ(ReadBytes(victim), "precious");
  // The link in the shared directory is not even removed; the page is all the private one holds.
  EXPECT_EQ(fs::hard_link_count(victim), 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(Private()), {}), 1);
}

TEST_F(FeedViews, GivenPathIsWrittenAndShownInsteadOfTheTemporaryOne) {
  Fill(Reader, {}, NumberedItems(1));
  const std::string path = (Dir / "out.htm").string();
  ShowFeedView(Reader, Browser, 1, path);
  EXPECT_EQ(Browser.Paths, std::vector<std::string>{path});
  EXPECT_EQ(ReadBytes(path), ListPage({}, {ListLine(NumberedItems(1)[0])}));
  EXPECT_FALSE(fs::exists(PageFile()));
}

TEST_F(FeedViews, BrowserFailureLeavesAsTheBrowsersError) {
  struct TFailingBrowser : IWebBrowser {
    void Navigate(const std::string&) override { throw std::runtime_error("no browser"); }
  } failing;
  EXPECT_THROW(ShowFeedView(Reader, failing, 0), std::runtime_error);
  EXPECT_EQ(ReadBytes(PageFile()),
            NewsPaperPage({"Title Required", "URL Required", "Description Required"}, {}));
}

}  // namespace
}  // namespace vantle
