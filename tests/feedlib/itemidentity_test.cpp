#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

// An item titled "A" holding `inner`.
std::string Item(const std::string& inner) {
  return "<item><title>A</title>" + inner + "</item>";
}

// Digests of a title, an empty link and a description, each field after its length as eight
// little-endian bytes; stored identities depend on these exact bytes.
const std::string DigestOfTAndD =
    "sha256:4f6025c10a872fdd0c76061f3913ecd0a5e971bd22d7be813c41d443dd989b66";
const std::string DigestOfTD =
    "sha256:63f88537877ff8eedc89ffbb5402d82b323c3b244d937039f86948cf5d098fb2";

TEST(ItemIdentity, NamesEachItemByGuidThenLinkThenDigest) {
  const std::string a = "http://example.org/a";
  // clang-format off
  const std::vector<std::tuple<std::string, std::string, std::vector<std::string>>> cases = {
      {"a guid wins over the link", Rss(Item("<link>" + a + "</link><guid>g-1</guid>")),
       {"guid:g-1"}},
      {"a guid that is no permalink still names the item",
       Rss(Item(R"(<guid isPermaLink="false"> g-2 </guid>)")), {"guid:g-2"}},
      {"an Atom entry is named by its id",
       R"(<feed version="0.3" xmlns="http://purl.org/atom/ns#"><title>T</title><entry>)"
       "<title>A</title><link rel=\"alternate\" href=\"" + a + "\"/>"
       "<id>tag:example.org,2004:1</id><content>x</content></entry></feed>",
       {"guid:tag:example.org,2004:1"}},
      {"without a guid the link names the item", Rss(Item("<link> " + a + " </link>")),
       {"link:" + a}},
      {"a blank guid falls back to the link", Rss(Item("<link>" + a + "</link><guid> </guid>")),
       {"link:" + a}},
      {"without guid and link a digest of each text but the date names the item",
       Rss("<item><title>T</title><description>D</description>"
           "<pubDate>Tue, 02 Mar 2004 10:20:30 GMT</pubDate></item><item><title>TD</title></item>"),
       {DigestOfTAndD, DigestOfTD}},
      {"a repeated guid counts once; the same text as guid and link names two items",
       Rss(Item("<guid>g</guid>") + Item("<guid>g</guid>") + Item("<guid>" + a + "</guid>") +
           Item("<link>" + a + "</link>")),
       {"guid:g", "guid:" + a, "link:" + a}},
  };
  // clang-format on
  for (const auto& [name, document, identities] : cases) {
    SCOPED_TRACE(name);
    TSimpleRSS rss;
    rss.Tolerant = true;
    Parse(rss, document);
    EXPECT_THAT(ItemIdentities(rss.Items()), ElementsAreArray(identities));
  }
}

}  // namespace
}  // namespace vantle
