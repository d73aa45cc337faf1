#include <gmock/gmock.h>

#include <functional>

#include "Exception.h"
#include "StoreTestSupport.h"
#include "store/GridStream.h"
#include "store/GroupFiles.h"
#include "store/SubscriptionImport.h"

namespace vantle {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Makes the write or the rename numbered `failAt` (from 1) fail.
class TFailingFiles : public TImportFiles {
 public:
  enum TOperation { opWrite, opRename };
  TFailingFiles(TOperation operation, int failAt) : FOperation(operation), FFailAt(failAt) {}

  void Write(const std::string& path, std::string_view bytes) override {
    Count(opWrite, path);
    TImportFiles::Write(path, bytes);
  }
  void Rename(const std::string& from, const std::string& to) override {
    Count(opRename, to);
    TImportFiles::Rename(from, to);
  }

 private:
  void Count(TOperation operation, const std::string& path) {
    if (operation == FOperation && ++FSeen == FFailAt) {
      throw Exception("Cannot create file \"" + path + "\". Disk full");
    }
  }
  TOperation FOperation;
  int FFailAt;
  int FSeen = 0;
};

class OpmlImport : public test::TStoreTest {
 protected:
  void WriteGroup(const std::string& name, const std::vector<TFeed>& feeds) {
    WriteGroupFile(GroupFilePath(DataDir(), name), EncodeGroup(feeds));
  }
  std::vector<TFeed> Group(const std::string& name) const {
    return DecodeGroup(ReadFile(GroupFilePath(DataDir(), name)));
  }
  std::string WriteOpmlFile(const std::string& opml) const {
    const std::string path = Root() + "subscriptions.opml";
    WriteFile(path, opml);
    return path;
  }
  TImportCounts Import(const std::string& opml) {
    TImportFiles files;
    return ImportOpmlFile(DataDir(), WriteOpmlFile(opml), files);
  }
  // The message of an import that must fail.
  std::string FailedImport(const std::string& opml, TImportFiles& files) {
    try {
      ImportOpmlFile(DataDir(), WriteOpmlFile(opml), files);
    } catch (const Exception& error) {
      return error.Message();
    }
    ADD_FAILURE() << "the import did not fail";
    return {};
  }
  std::string FailedImport(const std::string& opml) {
    TImportFiles files;
    return FailedImport(opml, files);
  }
};

const char* const TrickyOpml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE opml [<!ENTITY site "example.org">]>
<opml version="2.0">
  <head><title>My Reader</title></head>
  <body>
    <outline text="Tech &amp; Science" title="not this">
      <outline text="Nested">
        <outline type="rss" text="Deep &lt;one&gt;" xmlUrl="https://&site;/deep.xml"/>
      </outline>
      <outline type="rss" title="Ünïcödé Nachrichten" text="other" xmlUrl="https://example.org/u.xml"/>
    </outline>
    <outline title="news">
      <outline type="rss" xmlUrl="https://example.org/untitled.xml"/>
      <outline type="rss" text="Already" xmlUrl="https://example.org/already.xml"/>
    </outline>
    <outline type="rss" text="Loose 日本" xmlUrl="https://example.org/loose.xml"/>
  </body>
</opml>
)";

TEST_F(OpmlImport, FoldsNestedFoldersMatchesGroupsIgnoringCaseAndSkipsKnownLinks) {
  WriteGroup("News", {{"https://example.org/already.xml", "Already"}});
  EXPECT_EQ(Import(TrickyOpml), (TImportCounts{2, 4, 1}));
  EXPECT_THAT(ListGroups(DataDir()), ElementsAre("MyReader", "News", "Tech&Science"));
  EXPECT_THAT(Group("Tech&Science"),
              ElementsAre(TFeed{"https://example.org/deep.xml", "Deep <one>"},
                          TFeed{"https://example.org/u.xml", "Ünïcödé Nachrichten"}));
  EXPECT_THAT(Group("News"), ElementsAre(TFeed{"https://example.org/already.xml", "Already"},
                                         TFeed{"https://example.org/untitled.xml",
                                               "https://example.org/untitled.xml"}));
  EXPECT_THAT(Group("MyReader"), ElementsAre(TFeed{"https://example.org/loose.xml", "Loose 日本"}));
}

TEST_F(OpmlImport, PutsFeedsOutsideAnyFolderIntoImportedWithoutAHeadTitle) {
  Import(R"(<opml version="2.0"><body><outline text="A" xmlUrl="a"/>
    <outline text="  /  "><outline text="B" xmlUrl="b"/></outline></body></opml>)");
  EXPECT_THAT(ListGroups(DataDir()), ElementsAre("Imported"));
  EXPECT_THAT(Group("Imported"), ElementsAre(TFeed{"a", "A"}, TFeed{"b", "B"}));
}

TEST_F(OpmlImport, WritesEveryGroupInTheWindowsOrder) {
  WriteGroup("News", {{"z", "Zeta"}});
  Import(R"(<opml><body><outline text="news"><outline text="Newsday" xmlUrl="c"/>
    <outline text="News" xmlUrl="b"/><outline text="News Daily" xmlUrl="a"/></outline>
    </body></opml>)");
  EXPECT_THAT(Group("News"), ElementsAre(TFeed{"a", "News Daily"}, TFeed{"b", "News"},
                                         TFeed{"c", "Newsday"}, TFeed{"z", "Zeta"}));
}

TEST_F(OpmlImport, RoundTripsAnExportIntoAnEmptyDirectoryAndAddsNothingTheSecondTime) {
  WriteGroup("Empty", {});
  WriteGroup("Café", {{"https://example.org/a?x=1&y=\"2\"", "Tab\there <b> & 'q'"},
                      {"/home/me/feed.xml", "Ærø"}});
  WriteGroup("blog", {{"https://example.org/b", "Blog"}});
  const std::string opml = ExportOpml(DataDir(), 0);
  const std::vector<TGroup> exported = ReadAllGroups(DataDir());
  std::filesystem::remove_all(DataDir());
  std::filesystem::create_directories(DataDir());

  EXPECT_EQ(Import(opml), (TImportCounts{3, 3, 0}));
  EXPECT_EQ(ReadAllGroups(DataDir()), exported);
  const auto files = Snapshot();
  EXPECT_EQ(Import(opml), (TImportCounts{0, 0, 3}));
  EXPECT_EQ(Snapshot(), files);
}

TEST_F(OpmlImport, ExportsOpmlTwoWithTheGroupsInListOrder) {
  WriteGroup("b", {{"https://x/?a=1&b=2", "T \"1\" <x>"}});
  WriteGroup("A", {});
  EXPECT_EQ(ExportOpml(DataDir(), 0),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n"
            "    <title>Vantle subscriptions</title>\n"
            "    <dateCreated>Thu, 01 Jan 1970 00:00:00 GMT</dateCreated>\n  </head>\n"
            "  <body>\n    <outline text=\"A\"/>\n    <outline text=\"b\">\n"
            "      <outline type=\"rss\" text=\"T &quot;1&quot; &lt;x&gt;\" "
            "title=\"T &quot;1&quot; &lt;x&gt;\" xmlUrl=\"https://x/?a=1&amp;b=2\"/>\n"
            "    </outline>\n  </body>\n</opml>\n");
}

TEST_F(OpmlImport, RefusesWhatIsNotGoodOpmlAndWritesNothing) {
  WriteFile(Root() + "secret.txt", "SECRET");
  const std::string laughs =
      "<!DOCTYPE opml [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
      "]><opml><body><outline text=\"x\"><outline text=\"&g;\" xmlUrl=\"l\"/></outline></body>"
      "</opml>";
  const std::string external =
      "<!DOCTYPE opml [<!ENTITY s SYSTEM \"file://" + Root() + "secret.txt\">]><opml>";
  std::string deep = "<opml><body>";
  for (int i = 0; i < 300; ++i) deep += "<outline text=\"f\">";
  const struct {
    std::string Opml;
    std::string Reason;
  } cases[] = {
      {"<opml><body><outline text=\"x\">", "not well-formed"},
      {"", "the document is empty"},
      {"<rss version=\"2.0\"><channel/></rss>", "not an OPML document"},
      {"<opml><head/></opml>", "it has no body"},
      {"\x89PNG\r\n\x1a\n", "not well-formed"},
      {laughs, "entity"},
      {deep, "levels deep"},
      {external + "<body><outline text=\"&s;\" xmlUrl=\"l\"/></body></opml>", "external entity"},
  };
  WriteGroup("News", {{"a", "A"}});
  const auto before = Snapshot();
  for (const auto& c : cases) {
    const std::string message = FailedImport(c.Opml);
    EXPECT_THAT(message, StartsWith("Cannot import \"" + Root() + "subscriptions.opml\": "));
    EXPECT_THAT(message, HasSubstr(c.Reason)) << c.Opml.substr(0, 40);
    EXPECT_EQ(Snapshot(), before);
  }
  // An external entity in a text is never read either.
  Import(external + "<head><title>x&s;</title></head><body><outline xmlUrl=\"l\"/></body></opml>");
  EXPECT_THAT(ListGroups(DataDir()), ElementsAre("News", "x"));
}

TEST_F(OpmlImport, LeavesEveryGroupFileAsItWasWhenAWriteOrARenameFails) {
  WriteGroup("News", {{"a", "A"}});
  WriteGroup("Tech", {{"t", "T"}});
  const std::string opml =
      "<opml><body><outline text=\"News\"><outline text=\"B\" xmlUrl=\"b\"/></outline>"
      "<outline text=\"Fresh\"><outline text=\"F\" xmlUrl=\"f\"/></outline>"
      "<outline text=\"tech\"><outline text=\"U\" xmlUrl=\"u\"/></outline></body></opml>";
  const auto before = Snapshot();
  // Three groups change: a backup and a new file for each old one, a new file for Fresh.
  const struct {
    TFailingFiles::TOperation Operation;
    int FailAt;
  } cases[] = {{TFailingFiles::opWrite, 1},  {TFailingFiles::opWrite, 3},
               {TFailingFiles::opWrite, 5},  {TFailingFiles::opRename, 1},
               {TFailingFiles::opRename, 2}, {TFailingFiles::opRename, 3}};
  for (const auto& c : cases) {
    TFailingFiles files(c.Operation, c.FailAt);
    EXPECT_THAT(FailedImport(opml, files), HasSubstr("Disk full"));
    EXPECT_EQ(Snapshot(), before) << c.Operation << " " << c.FailAt;
  }
}

TEST_F(OpmlImport, NamesAGroupFileItCannotReadAndWritesNothing) {
  WriteFile(GroupFilePath(DataDir(), "News"), "not a group file");
  const std::string reason = "the group file \"" + GroupFilePath(DataDir(), "News") +
                             "\" cannot be read: Invalid stream format";
  EXPECT_THAT(
      FailedImport("<opml><body><outline text=\"news\"><outline xmlUrl=\"n\"/></outline>"
                   "<outline text=\"Other\"><outline xmlUrl=\"o\"/></outline></body></opml>"),
      HasSubstr(reason));
  EXPECT_EQ(Snapshot().size(), 1u);
  EXPECT_THROW(
      {
        try {
          ExportOpml(DataDir(), 0);
        } catch (const Exception& error) {
          EXPECT_EQ(error.Message(), reason);
          throw;
        }
      },
      Exception);
}

TEST_F(OpmlImport, RefusesToFillAGroupBeyondWhatItsFileCanHold) {
  std::string opml = "<opml><body><outline text=\"Big\">";
  for (int i = 0; i <= GridMaxRows; ++i) {
    opml += "<outline text=\"t\" xmlUrl=\"" + std::to_string(i) + "\"/>";
  }
  opml += "</outline></body></opml>";
  EXPECT_THAT(FailedImport(opml),
              HasSubstr("the group \"Big\" would hold 32769 feeds, more than the 32768"));
  EXPECT_TRUE(Snapshot().empty());
}

TEST(CleanGroupName, CleansAsNewGroupDoesAndNamesWhatIsLeftEmptyImported) {
  const std::pair<std::string, std::string> cases[] = {
      {"My Feeds", "MyFeeds"}, {"a/b:c", "abc"},         {"\t x \n", "x"},
      {"  ", "Imported"},      {"", "Imported"},         {"<|>", "Imported"},
      {"Ünï Cödé", "ÜnïCödé"}, {"a\\b*c?d\"e", "abcde"},
  };
  for (const auto& [name, cleaned] : cases) EXPECT_EQ(CleanGroupName(name), cleaned) << name;
}

}  // namespace
}  // namespace vantle
