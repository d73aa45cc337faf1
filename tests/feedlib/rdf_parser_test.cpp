#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "ParserTestSupport.h"
#include "SimpleRSS.h"
#include "SimpleRSSException.h"
#include "Variant.h"
#include "XMLDocument.h"

namespace vantle {
namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;
using testing_support::ExpectEachFailsWith;
using testing_support::Parse;
using testing_support::Stamp;

// An RSS 1.0 document whose document element holds `body`.
std::string RDF(std::string_view body) {
  return R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"
    xmlns="http://purl.org/rss/1.0/" xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:content="http://purl.org/rss/1.0/modules/content/">)" +
         std::string(body) + "</rdf:RDF>";
}

std::string Item(std::string_view body) {
  return RDF("<channel><title>T</title></channel><item>" + std::string(body) + "</item>");
}

const std::string kNullString = "Could not convert variant of type (Null) into type (String)";

TEST(RdfParser, ReadsATypicalDocumentWithItemsBesideTheChannel) {
  TSimpleRSS rss;
  Parse(rss, RDF(R"(
    <channel rdf:about="http://example.org/rss">
      <title>Example</title><link>http://example.org/</link><description>About it</description>
      <dc:date>2004-03-02T10:20:30Z</dc:date>
      <image rdf:resource="http://example.org/i.png"/>
      <items><rdf:Seq><rdf:li rdf:resource="http://example.org/1"/></rdf:Seq></items>
      <item><title>nested, not read</title></item>
    </channel>
    <image rdf:about="http://example.org/i.png">
      <title>Img</title><link>http://example.org/</link><url>http://example.org/i.png</url>
    </image>
    <item rdf:about="http://example.org/1">
      <title>One</title><link>http://example.org/1</link><description>First</description>
      <dc:date>2004-03-02T10:20:30Z</dc:date>
    </item>
    <item rdf:about="http://example.org/2">
      <title>Two</title><link>http://example.org/2</link><description>Second</description>
      <dc:date>2005-06-07T08:09:10-05:00</dc:date>
      <content:encoded>ignored</content:encoded>
      <dc:subject>not a category</dc:subject>
    </item>
    <textinput rdf:about="http://example.org/search">
      <title>Search</title><description>d</description><name>q</name><link>l</link>
    </textinput>)"));

  EXPECT_EQ(rss.XMLType(), xtRDF);
  EXPECT_EQ(rss.Channel().Required.Title(), "Example");
  EXPECT_EQ(rss.Channel().Required.Link(), "http://example.org/");
  EXPECT_EQ(rss.Channel().Required.Desc(), "About it");
  EXPECT_TRUE(rss.Channel().Optional.Image.Include);
  EXPECT_EQ(rss.Channel().Optional.Image.Required.URL(), "http://example.org/i.png");
  EXPECT_EQ(rss.Channel().Optional.Image.Required.Title(), "Img");
  EXPECT_FALSE(rss.Channel().Optional.TextInput.Include);
  ASSERT_EQ(rss.Items().Count(), 2);
  const TRSSItem& one = rss.Items().Items(0);
  EXPECT_EQ(one.Title, "One");
  EXPECT_EQ(one.Link, "http://example.org/1");
  EXPECT_EQ(one.Description, "First");
  EXPECT_EQ(Stamp(one.PubDate), "2004-03-02 10:20:30");
  EXPECT_EQ(one.PubDate.TimeZone, "Z");
  const TRSSItem& two = rss.Items().Items(1);
  EXPECT_EQ(two.Title, "Two");
  EXPECT_EQ(two.Description, "Second");
  EXPECT_EQ(Stamp(two.PubDate), "2005-06-07 08:09:10");
  EXPECT_EQ(two.PubDate.TimeZone, "-05:00");
  EXPECT_EQ(two.Categories.Count(), 0);
}

TEST(RdfParser, ReadsTheRssRowsOneLevelUpInDocumentOrder) {
  TSimpleRSS rss;
  Parse(rss, RDF(R"(
    <channel><title>Channel title</title><link>cl</link><description>cd</description></channel>
    <title>Later title</title>
    <category domain="dom">Cat</category>
    <language>fr-ca</language><ttl>15</ttl><copyright>C</copyright>
    <pubDate>Tue, 02 Mar 2004 10:20:30 GMT</pubDate>
    <skipDays><day>Monday</day></skipDays>
    <cloud domain="d" port="81" path="/p" registerProcedure="r" protocol="soap"/>
    <textInput><title>t</title><description>d</description><name>n</name><link>l</link>
    </textInput>
    <item><title>i</title><author>a</author><comments>c</comments>
      <enclosure url="u" length="7" type="x/y"/><source url="s">Src</source>
      <category>k1</category><category domain="d2">k2</category></item>)"));

  const TRSSChannel& c = rss.Channel();
  EXPECT_EQ(c.Required.Title(), "Later title");
  EXPECT_EQ(c.Required.Link(), "cl");
  ASSERT_EQ(c.Optional.Categories.Count(), 1);
  EXPECT_EQ(c.Optional.Categories.Items(0).Domain, "dom");
  EXPECT_EQ(c.Optional.Language, langFR_CA);
  EXPECT_EQ(c.Optional.TTL(), 15);
  EXPECT_EQ(c.Optional.Copyright, "C");
  EXPECT_EQ(Stamp(c.Optional.PubDate), "2004-03-02 10:20:30");
  EXPECT_TRUE(c.Optional.SkipDays.Monday);
  EXPECT_EQ(c.Optional.Cloud.Port(), 81);
  EXPECT_EQ(c.Optional.Cloud.Protocol, "soap");
  EXPECT_TRUE(c.Optional.TextInput.Include);
  EXPECT_EQ(c.Optional.TextInput.TextInputName, "n");
  const TRSSItem& item = rss.Items().Items(0);
  EXPECT_EQ(item.Author.Name, "a");
  EXPECT_EQ(item.Comments, "c");
  EXPECT_TRUE(item.Enclosure.Include);
  EXPECT_EQ(item.Enclosure.Length, 7);
  EXPECT_TRUE(item.Source.Include);
  EXPECT_EQ(item.Source.URL, "s");
  ASSERT_EQ(item.Categories.Count(), 2);
  EXPECT_EQ(item.Categories.Items(1).Title, "k2");
  EXPECT_EQ(item.Categories.Items(1).Domain, "d2");
}

TEST(RdfParser, RequiresNothingOfTheChannel) {
  for (std::string xml : {RDF(""), RDF("<channel/>"), RDF("<channel><link>l</link></channel>")}) {
    SCOPED_TRACE(xml);
    TSimpleRSS rss;
    Parse(rss, xml);
    EXPECT_EQ(rss.Channel().Required.Title(), "Title Required");
    EXPECT_EQ(rss.Channel().Required.Desc(), "Description Required");
    EXPECT_EQ(rss.Items().Count(), 0);
  }
}

TEST(RdfParser, FallsBackOnlyForTheTwoGuardedDescriptions) {
  TSimpleRSS rss;
  Parse(rss, RDF(R"(<channel><title>T</title><description/></channel>
    <item><title>a</title><description></description></item>
    <item><title>b</title><description>x<b>y</b></description></item>
    <item><title>c</title><description><![CDATA[<p>kept</p>]]></description></item>)"));
  EXPECT_EQ(rss.Channel().Required.StoredDesc(), " ");
  ASSERT_EQ(rss.Items().Count(), 3);
  EXPECT_EQ(rss.Items().Items(0).Description, "");
  EXPECT_EQ(rss.Items().Items(1).Description, "");
  EXPECT_EQ(rss.Items().Items(2).Description, "<p>kept</p>");

  Parse(rss, RDF("<channel><description><p>markup</p></description></channel>"));
  EXPECT_EQ(rss.Channel().Required.StoredDesc(), " ");

  // Beside the channel, description is a plain row again and its failure ends the parse.
  EXPECT_THAT([&] { Parse(rss, RDF("<channel/><description/>")); },
              ThrowsMessage<EVariantError>(StrEq(kNullString)));
}

TEST(RdfParser, FailsOnEmptyTitlesAndMissingRequiredFields) {
  ExpectEachFailsWith({
      {RDF("<channel><title/></channel>"), kNullString},
      {Item("<title></title>"), kNullString},
      {Item("<link>l</link>"), "Required Field Missing. Field: item -> title"},
      {Item("<title>t</title><enclosure url=\"u\" type=\"t\"/>"),
       "Required Field Missing. Field: enclosure -> length"},
      {Item("<title>t</title><source>s</source>"), "Required Field Missing. Field: source -> url"},
      {RDF("<image><url>u</url><title>t</title></image>"),
       "Required Field Missing. Field: image -> link"},
      {RDF("<textInput><title>t</title><description>d</description><link>l</link></textInput>"),
       "Required Field Missing. Field: textInput -> name"},
      {RDF("<ttl>soon</ttl>"), "Could not convert variant of type (String) into type (Integer)"},
  });
}

TEST(RdfParser, KeepsTheFailingItemAsTheLastEntry) {
  TSimpleRSS rss;
  EXPECT_THROW(Parse(rss, RDF("<channel><title>T</title></channel><item><title>ok</title></item>"
                              "<item><link>l</link></item><item><title>never</title></item>")),
               TSimpleRSSException);
  EXPECT_EQ(rss.Channel().Required.Title(), "T");
  ASSERT_EQ(rss.Items().Count(), 2);
  EXPECT_EQ(rss.Items().Items(1).Link, "");
}

TEST(RdfParser, FindsTheDublinCoreDateInAnyNamespaceAndLetsPubDateWin) {
  TSimpleRSS rss;
  Parse(rss, Item(R"(<title>t</title><dc:date>2004-03-02T10:20:30Z</dc:date>
                     <pubDate>Sat, 05 Jun 2010 01:02:03 GMT</pubDate>)"));
  EXPECT_EQ(Stamp(rss.Items().Items(0).PubDate), "2010-06-05 01:02:03");
  // The ISO reading ran first: its zone stays.
  EXPECT_EQ(rss.Items().Items(0).PubDate.TimeZone, "Z");

  // Only the exact qualified name counts.
  Parse(rss, Item(R"(<title>t</title>
    <x:date xmlns:x="http://purl.org/dc/elements/1.1/">2004-03-02T10:20:30Z</x:date>)"));
  EXPECT_EQ(rss.Items().Items(0).PubDate.TimeZone, "GMT");
}

TEST(RdfParser, ReadsAGuidWithoutIsPermaLinkAsAPermalinkLikeRss) {
  struct Case {
    const char* guid;
    bool expected;
  } cases[] = {{"<guid>g</guid>", true},
               {"<guid isPermaLink=\"true\">g</guid>", true},
               {"<guid isPermaLink=\"false\">g</guid>", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.guid);
    TSimpleRSS rss;
    Parse(rss, Item(std::string("<title>t</title>") + c.guid));
    EXPECT_TRUE(rss.Items().Items(0).GUID.Include);
    EXPECT_EQ(rss.Items().Items(0).GUID.GUID, "g");
    EXPECT_EQ(rss.Items().Items(0).GUID.IsPermaLink, c.expected);
  }
}

TEST(RdfParser, AcceptsTheRootInAnyLetterCaseButOnlyWithTheRdfPrefix) {
  TSimpleRSS rss;
  Parse(rss, "<RDF:rdf xmlns:RDF=\"urn:x\"><channel><title>T</title></channel></RDF:rdf>");
  EXPECT_EQ(rss.XMLType(), xtRDF);
  EXPECT_EQ(rss.Channel().Required.Title(), "T");
  EXPECT_THAT([&] { Parse(rss, "<RDF><channel><title>T</title></channel></RDF>"); },
              ThrowsMessage<TSimpleRSSException>(StrEq("unkown format: RDF")));
}

}  // namespace
}  // namespace vantle
