#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FeedDiscovery.h"
#include "support/LoopbackServer.h"

namespace vantle {

void PrintTo(const TDiscoveredFeed& feed, std::ostream* out) {
  *out << "{" << feed.Link << ", " << feed.Title << ", " << feed.Type << "}";
}

namespace {

using TFeeds = std::vector<TDiscoveredFeed>;

std::string Page(const std::string& head, const std::string& body = "") {
  return "<!DOCTYPE html><html><head><title>Site</title>" + head + "</head><body>" + body +
         "</body></html>";
}

const char* const kRss = "application/rss+xml";
const char* const kAtom = "application/atom+xml";
const char* const kRdf = "application/rdf+xml";

TEST(FeedsOfPage, ResolvesRelativeAbsoluteAndBaseHrefsInPageOrder) {
  struct Case {
    const char* what;
    std::string page;
    TFeeds feeds;
  };
  const std::string at = "http://site.test/blog/post.html";
  const std::vector<Case> cases = {
      {"relative to the page's folder",
       Page("<link rel=alternate type='application/rss+xml' href='feed.xml' title='Posts'>"),
       {{"http://site.test/blog/feed.xml", "Posts", kRss}}},
      {"relative to the host",
       Page("<link rel='alternate' type='application/atom+xml' href='/atom?x=1&amp;y=2'>"),
       {{"http://site.test/atom?x=1&y=2", "", kAtom}}},
      {"absolute, kept",
       Page("<link rel='alternate' type='application/rdf+xml' href='https://other.test/r.rdf'>"),
       {{"https://other.test/r.rdf", "", kRdf}}},
      {"against <base href>",
       Page("<base href='http://cdn.test/feeds/'><link rel='alternate' "
            "type='application/rss+xml' href='all.xml'>"),
       {{"http://cdn.test/feeds/all.xml", "", kRss}}},
      {"against a relative <base href>, itself against the page",
       Page("<base href='../feeds/'><link rel='alternate' type='application/rss+xml' "
            "href='all.xml'>"),
       {{"http://site.test/feeds/all.xml", "", kRss}}},
      {"several feeds, in page order, one in the body, repeats dropped",
       Page("<link rel='alternate' type='application/atom+xml' href='a' title=' Atom  '>"
            "<link rel='alternate' type='application/rss+xml' href='r' title='Caf&eacute;'>"
            "<link rel='alternate' type='application/atom+xml' href='a' title='Again'>",
            "<link rel='alternate' type='application/rss+xml' href='/comments'>"),
       {{"http://site.test/blog/a", "Atom", kAtom},
        {"http://site.test/blog/r", "Caf\xC3\xA9", kRss},
        {"http://site.test/comments", "", kRss}}},
      {"rel as a token list and types without case or with parameters",
       Page("<LINK REL='Alternate Nofollow' TYPE='Application/RSS+XML; charset=utf-8' "
            "HREF='one'><link rel=' ALTERNATE ' type=' application/atom+xml ' href=' two '>"),
       {{"http://site.test/blog/one", "", kRss}, {"http://site.test/blog/two", "", kAtom}}},
      {"no feed: other rels, other types, no href",
       Page("<link rel='stylesheet' type='application/rss+xml' href='s'>"
            "<link rel='alternates' type='application/rss+xml' href='t'>"
            "<link rel='alternate' type='text/html' href='u'>"
            "<link rel='alternate' type='application/json' href='v'>"
            "<link rel='alternate' type='application/rss+xml'>"
            "<link rel='alternate' type='application/rss+xml' href=''>"
            "<a rel='alternate' type='application/rss+xml' href='w'>a</a>"),
       {}},
      {"not a page at all", "\x89PNG\r\n\x1a\n\0\0\0", {}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FeedsOfPage(c.page, at), c.feeds);
  }
}

// Serves pages on the loopback interface.
class DiscoveryOverHttp : public testing::Test {
 protected:
  void Serve(const std::string& path, const std::string& body) {
    FServer.Serve(path, "text/html", body);
  }
  std::string Url(const std::string& path) const { return FServer.Url(path); }

  test::TLoopbackServer FServer;
};

TEST_F(DiscoveryOverHttp, FetchesThePageOnceAndResolvesAgainstItsAddress) {
  Serve("/blog/", Page("<link rel='alternate' type='application/rss+xml' href='feed' "
                       "title='Blog'><link rel='alternate' type='application/atom+xml' "
                       "href='/atom.xml'>"));
  EXPECT_EQ(DiscoverFeeds(Url("/blog/")),
            (TFeeds{{Url("/blog/feed"), "Blog", kRss}, {Url("/atom.xml"), "", kAtom}}));
  EXPECT_EQ(FServer.Requests().size(), 1u);
}

TEST_F(DiscoveryOverHttp, ReadsOnlyTheFirstMebibyteOfALargePageWithoutFailing) {
  const std::string before = "<link rel='alternate' type='application/rss+xml' href='/early'>";
  const std::string after = "<link rel='alternate' type='application/rss+xml' href='/late'>";
  std::string filler(kDiscoveryPageLimit, ' ');
  // Far beyond the page limit and the loader's own document limit.
  TFetchOptions options;
  options.MaxDocumentSize = 2 * kDiscoveryPageLimit;
  Serve("/big", "<html><head>" + before + filler + after + filler + filler + "</head></html>");
  EXPECT_EQ(DiscoverFeeds(Url("/big"), options), (TFeeds{{Url("/early"), "", kRss}}));
}

TEST_F(DiscoveryOverHttp, FollowsAFailedLoadOfAPageOrOtherDocumentButNotOfAFeed) {
  struct Case {
    const char* path;
    std::string body;
    bool somethingElse;
  };
  const std::vector<Case> cases = {
      {"/page", Page("", "<p>not closed"), true},
      {"/xhtml", "<html><head/><body/></html>", true},
      {"/other", "<channel/>", true},
      {"/feed-missing-a-field", "<rss><channel/></rss>", false},
      {"/missing", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (!c.body.empty()) Serve(c.path, c.body);
    TSimpleRSS rss;
    try {
      rss.LoadFromLink(Url(c.path));
      ADD_FAILURE() << "loaded";
    } catch (const std::exception& error) {
      EXPECT_EQ(LoadedSomethingElse(rss, error), c.somethingElse) << error.what();
    }
  }
}

}  // namespace
}  // namespace vantle
