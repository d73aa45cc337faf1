#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ItemIdentity.h"
#include "ParserTestSupport.h"
#include "SimpleRSS.h"

namespace vantle {
namespace {

using ::testing::ElementsAreArray;
using testing_support::Parse;

std::string Rss(const std::string& items) {
  return "<rss version=\"2.0\"><channel><title>T</title><link>http://example.org/</link>"
         "<description>D</description>" +
         items + "</channel></rss>";
}

std::string Atom(const std::string& entries) {
  return R"(<feed version="0.3" xmlns="http://purl.org/atom/ns#"><title>T</title>)" + entries +
         "</feed>";
}

struct TIdentityCase {
  std::string name;
  std::string document;
  std::vector<std::string> identities;
};

// The digest of title "T", an empty link and description "D", each field after its length as
// eight little-endian bytes; stored identities depend on these exact bytes.
const std::string DigestOfTAndD =
    "sha256:4f6025c10a872fdd0c76061f3913ecd0a5e971bd22d7be813c41d443dd989b66";

TEST(ItemIdentity, NamesEachItemByGuidThenLinkThenDigest) {
  const std::vector<TIdentityCase> cases = {
      {"a guid wins over the link",
       Rss("<item><title>A</title><link>http://example.org/a</link><guid>g-1</guid></item>"),
       {"guid:g-1"}},
      {"a guid that is no permalink still names the item",
       Rss(R"(<item><title>A</title><guid isPermaLink="false"> g-2 </guid></item>)"),
       {"guid:g-2"}},
      {"an Atom entry is named by its id",
       Atom(R"(<entry><title>A</title><link rel="alternate" href="http://example.org/a"/>)"
            "<id>tag:example.org,2004:1</id><content>x</content></entry>"),
       {"guid:tag:example.org,2004:1"}},
      {"without a guid the link names the item",
       Rss("<item><title>A</title><link> http://example.org/a </link></item>"),
       {"link:http://example.org/a"}},
      {"a blank guid falls back to the link",
       Rss("<item><title>A</title><link>http://example.org/a</link><guid> </guid></item>"),
       {"link:http://example.org/a"}},
      {"without guid and link the digest names the item",
       Rss("<item><title>T</title><description>D</description></item>"),
       {DigestOfTAndD}},
      {"the date takes no part in the digest",
       Rss("<item><title>T</title><description>D</description>"
           "<pubDate>Tue, 02 Mar 2004 10:20:30 GMT</pubDate></item>"),
       {DigestOfTAndD}},
      {"a guid repeated within the feed counts once",
       Rss("<item><title>A</title><guid>g</guid></item><item><title>B</title><guid>g</guid>"
           "</item><item><title>C</title><guid>h</guid></item>"),
       {"guid:g", "guid:h"}},
      {"the same guid and link name two different items",
       Rss("<item><title>A</title><guid>http://example.org/a</guid></item>"
           "<item><title>B</title><link>http://example.org/a</link></item>"),
       {"guid:http://example.org/a", "link:http://example.org/a"}},
  };
  for (const TIdentityCase& test : cases) {
    SCOPED_TRACE(test.name);
    TSimpleRSS rss;
    rss.Tolerant = true;
    Parse(rss, test.document);
    EXPECT_THAT(ItemIdentities(rss.Items()), ElementsAreArray(test.identities));
  }
}

TEST(ItemIdentity, DigestChangesWhenTextMovesBetweenFields) {
  TRSSItem first, second;
  first.Title = "TD";
  second.Title = "T";
  second.Description = "D";
  EXPECT_NE(ItemIdentity(first), ItemIdentity(second));
  EXPECT_EQ(ItemIdentity(second), DigestOfTAndD);
}

}  // namespace
}  // namespace vantle
