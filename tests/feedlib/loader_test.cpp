#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "SimpleRSS.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;

const char* const kRdfNs = "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'";

std::string RssFeed(const std::string& root, const std::string& attributes,
                    const std::string& title, int items) {
  std::string xml = "<" + root + attributes + "><channel><title>" + title +
                    "</title><link>http://example.com/</link><description>d</description>";
  for (int i = 0; i < items; ++i)
    xml += "<item><title>item " + std::to_string(i) + "</title></item>";
  return xml + "</channel></" + root + ">";
}

class Loader : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("vantle_loader_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  std::string Write(const std::string& content) {
    const fs::path path = FDir / ("feed" + std::to_string(FCount++) + ".xml");
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  // Loads `content` and returns the error message, or "" on success.
  std::string Load(const std::string& content) { return LoadLink(Write(content)); }

  std::string LoadLink(const std::string& link) {
    try {
      FRSS.LoadFromLink(link);
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }

  // A previous feed whose model a failed load must leave in place.
  void LoadPreviousFeed() {
    ASSERT_EQ(Load(RssFeed("rss", " version='0.92'", "Previous", 2)), "");
    ASSERT_EQ(FRSS.Items().Count(), 2);
  }

  void ExpectPreviousFeed() {
    EXPECT_EQ(FRSS.Channel().Required.Title(), "Previous");
    EXPECT_EQ(FRSS.Items().Count(), 2);
    EXPECT_EQ(FRSS.Version(), "0.92");
    EXPECT_EQ(FRSS.XMLType(), xtRSS);
  }

  fs::path FDir;
  int FCount = 0;
  TSimpleRSS FRSS;
};

TEST_F(Loader, StartsWithVersionTwoRdfAndAnEmptyActiveDocument) {
  EXPECT_EQ(FRSS.Version(), "2.0");
  EXPECT_EQ(FRSS.XMLType(), xtRDF);
  EXPECT_EQ(FRSS.Items().Count(), 0);
  EXPECT_EQ(FRSS.Channel().Required.Title(), "Title Required");
  EXPECT_TRUE(FRSS.XMLFile().Active());
  EXPECT_FALSE(FRSS.XMLFile().IsLoaded());
  EXPECT_EQ(FRSS.XMLFileOptions.Options,
            TXMLDocOptions{doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl});
  EXPECT_EQ(FRSS.XMLFileOptions.ParseOptions, TParseOptions{0});
}

TEST_F(Loader, RecognisesRssWhateverTheCaseOfItsRoot) {
  for (const char* root : {"rss", "RSS", "Rss"}) {
    FRSS.LoadFromLink(Write(RssFeed(root, "", "t", 0)));
    EXPECT_EQ(FRSS.XMLType(), xtRSS) << root;
  }
}

TEST_F(Loader, RecognisesRdfByItsLiteralPrefix) {
  FRSS.LoadFromLink(Write(RssFeed("rss", "", "t", 0)));
  FRSS.LoadFromLink(Write(std::string("<rdf:RDF ") + kRdfNs + "/>"));
  EXPECT_EQ(FRSS.XMLType(), xtRDF);
  FRSS.LoadFromLink(Write(RssFeed("rss", "", "t", 0)));
  FRSS.LoadFromLink(Write("<RDF:rdf xmlns:RDF='http://www.w3.org/1999/02/22-rdf-syntax-ns#'/>"));
  EXPECT_EQ(FRSS.XMLType(), xtRDF);
}

TEST_F(Loader, RecognisesAtomWithoutAPrefix) {
  for (const char* xml : {"<feed/>", "<FEED/>", "<feed xmlns='http://purl.org/atom/ns#'/>"}) {
    FRSS.LoadFromLink(Write(RssFeed("rss", "", "t", 0)));
    FRSS.LoadFromLink(Write(xml));
    EXPECT_EQ(FRSS.XMLType(), xtAtom) << xml;
  }
}

TEST_F(Loader, RefusesOtherRootsNamingThemAsWritten) {
  const std::pair<const char*, const char*> cases[] = {
      {"<RDF/>", "unkown format: RDF"},
      {"<atom:feed xmlns:atom='http://www.w3.org/2005/Atom'/>", "unkown format: atom:feed"},
      {"<channel><title>t</title></channel>", "unkown format: channel"},
      {"<html version='9'><body/></html>", "unkown format: html"},
      {"<rdf:rss xmlns:rdf='urn:x'/>", "unkown format: rdf:rss"}};
  for (const auto& [xml, message] : cases) {
    LoadPreviousFeed();
    try {
      FRSS.LoadFromLink(Write(xml));
      ADD_FAILURE() << xml;
    } catch (const TSimpleRSSException& e) {
      EXPECT_STREQ(e.what(), message);
    }
    EXPECT_EQ(FRSS.Items().Count(), 0) << xml;
    EXPECT_EQ(FRSS.Channel().Required.StoredTitle(), "") << xml;
    EXPECT_EQ(FRSS.XMLType(), xtRSS) << xml;
    EXPECT_EQ(FRSS.Version(), "0.92") << xml;
    EXPECT_TRUE(FRSS.XMLFile().IsLoaded()) << xml;
  }
}

TEST_F(Loader, KeepsTheLastVersionAttributeSeen) {
  FRSS.LoadFromLink(Write(RssFeed("rss", " version='0.91'", "t", 0)));
  EXPECT_EQ(FRSS.Version(), "0.91");
  EXPECT_EQ(FRSS.XMLType(), xtRSS);
  FRSS.LoadFromLink(Write(std::string("<rdf:RDF ") + kRdfNs + "/>"));
  EXPECT_EQ(FRSS.Version(), "0.91");
  EXPECT_EQ(FRSS.XMLType(), xtRDF);
  FRSS.LoadFromLink(Write(RssFeed("rss", " Version='3' x:version='4' xmlns:x='urn:x'", "t", 0)));
  EXPECT_EQ(FRSS.Version(), "0.91");
  FRSS.LoadFromLink(Write("<feed version=''/>"));
  EXPECT_EQ(FRSS.Version(), "");
}

TEST_F(Loader, ReplacesTheModelAtEveryLoad) {
  FRSS.LoadFromLink(Write(RssFeed("rss", "", "First", 3)));
  FRSS.Items().Items(0).Title = "changed";
  FRSS.LoadFromLink(Write(RssFeed("rss", "", "Second", 1)));
  EXPECT_EQ(FRSS.Items().Count(), 1);
  EXPECT_EQ(FRSS.Channel().Required.Title(), "Second");
  EXPECT_EQ(FRSS.Items().Items(0).Title, "item 0");
  FRSS.LoadFromLink(Write("<feed/>"));
  EXPECT_EQ(FRSS.Items().Count(), 0);
  EXPECT_EQ(FRSS.Channel().Required.Title(), "Title Required");
}

TEST_F(Loader, KeepsThePreviousFeedWhenTheLinkIsBlank) {
  LoadPreviousFeed();
  try {
    FRSS.LoadFromLink("");
    ADD_FAILURE() << "no error";
  } catch (const EXMLDocError& e) {
    EXPECT_STREQ(e.what(), "FileName cannot be blank");
  }
  ExpectPreviousFeed();
  EXPECT_FALSE(FRSS.XMLFile().IsLoaded());
}

TEST_F(Loader, KeepsThePreviousFeedWhenTheLinkCannotBeFetched) {
  LoadPreviousFeed();
  const std::string missing = (FDir / "missing.xml").string();
  EXPECT_EQ(LoadLink(missing), missing + ": cannot open the file: No such file or directory");
  ExpectPreviousFeed();
  EXPECT_EQ(LoadLink("gopher://example.com/"),
            "gopher://example.com/: unsupported scheme \"gopher\"");
  ExpectPreviousFeed();
  EXPECT_FALSE(FRSS.XMLFile().IsLoaded());
}

TEST_F(Loader, KeepsThePreviousFeedWhenTheDocumentIsNotWellFormed) {
  LoadPreviousFeed();
  const std::string link = Write("<rss><channel></rss>");
  EXPECT_EQ(LoadLink(link).rfind(link + ": not well-formed (line 1, column ", 0), 0u);
  ExpectPreviousFeed();
  EXPECT_FALSE(FRSS.XMLFile().IsLoaded());
}

TEST_F(Loader, StartsAFreshModelBeforeAMissingRequiredField) {
  LoadPreviousFeed();
  EXPECT_EQ(Load("<rss version='2.0'/>"), "Required Field Missing. Field: title");
  EXPECT_EQ(FRSS.Items().Count(), 0);
  EXPECT_EQ(FRSS.Channel().Required.StoredTitle(), "");
  EXPECT_EQ(FRSS.XMLType(), xtRSS);
  EXPECT_EQ(FRSS.Version(), "2.0");
}

TEST_F(Loader, KeepsWhatTheParserStoredBeforeAnotherError) {
  LoadPreviousFeed();
  EXPECT_EQ(Load("<rss><channel><title>New</title><link>l</link><description>d</description>"
                 "<item><title>a</title></item><item><title>b</title><description/></item>"
                 "<item><title>c</title></item></channel></rss>"),
            "Could not convert variant of type (Null) into type (String)");
  EXPECT_EQ(FRSS.Channel().Required.Title(), "New");
  ASSERT_EQ(FRSS.Items().Count(), 2);
  EXPECT_EQ(FRSS.Items().Items(1).Title, "b");
}

TEST_F(Loader, GivesTheNextDocumentTheReadersOptionsAndProgress) {
  int calls = 0;
  FRSS.OnProgress = [&calls](uint64_t, uint64_t) { ++calls; };
  FRSS.XMLFileOptions.ParseOptions = poPreserveWhiteSpace;
  FRSS.LoadFromLink(Write("<feed>\n</feed>"));
  EXPECT_GT(calls, 0);
  EXPECT_EQ(FRSS.XMLFile().ParseOptions, TParseOptions{poPreserveWhiteSpace});
  EXPECT_EQ(FRSS.XMLFile().DocumentElement().ChildNodes().Count(), 1);

  FRSS.XMLFileOptions.FetchOptions.MaxDocumentSize = 10;
  const std::string link = Write(RssFeed("rss", "", "t", 0));
  EXPECT_EQ(LoadLink(link), link + ": document too large (more than 10 bytes)");
}

TEST_F(Loader, ReadsFileUrls) {
  const std::string path = Write(RssFeed("rss", " version='0.91'", "By URL", 1));
  FRSS.LoadFromLink("file://" + path);
  EXPECT_EQ(FRSS.Channel().Required.Title(), "By URL");
  EXPECT_EQ(FRSS.Version(), "0.91");
}

}  // namespace
}  // namespace vantle
