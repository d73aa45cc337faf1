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

// An Atom 0.3 feed holding `body`.
std::string Feed(std::string_view body) {
  return R"(<feed version="0.3" xmlns="http://purl.org/atom/ns#">)" + std::string(body) + "</feed>";
}

std::string Entry(std::string_view body) {
  return Feed("<entry>" + std::string(body) + "</entry>");
}

const std::string kNullString = "Could not convert variant of type (Null) into type (String)";
const std::string kNotText = "Element does not contain a single text node";

TEST(AtomParser, ReadsATypicalFeed) {
  TSimpleRSS rss;
  Parse(rss, Feed(R"(
    <title>Example Feed</title>
    <link rel="alternate" type="text/html" href="http://example.org/"/>
    <tagline>A tagline</tagline>
    <generator url="http://example.org/gen" version="1.0">Gen</generator>
    <modified>2004-03-02T10:20:30Z</modified>
    <id>tag:example.org,2004:feed</id>
    <author><name>Feed author</name></author>
    <copyright>not read</copyright>
    <entry>
      <title>First</title><link rel="alternate" href="http://example.org/1"/>
      <id>tag:example.org,2004:1</id><modified>2004-03-03T11:21:31+01:00</modified>
      <issued>2004-01-01T00:00:00Z</issued>
      <content type="text/html" mode="escaped">&lt;p&gt;Hello &amp;amp; bye&lt;/p&gt;</content>
      <author><name>Ann</name><email>ann@example.org</email></author>
      <comments>http://example.org/1#c</comments>
    </entry>
    <entry><title>Second</title><link href="http://example.org/2"/><id>2</id>
      <modified>2004-03-04T00:00:00Z</modified>
      <author><name>Bob</name><url>http://bob.example.org/</url><email>b@x</email></author>
    </entry>)"));

  EXPECT_EQ(rss.XMLType(), xtAtom);
  EXPECT_EQ(rss.Version(), "0.3");
  const TRSSChannel& c = rss.Channel();
  EXPECT_EQ(c.Required.Title(), "Example Feed");
  EXPECT_EQ(c.Required.Link(), "http://example.org/");
  EXPECT_EQ(c.Required.Desc(), "A tagline");
  EXPECT_EQ(c.Optional.Generator, "Gen");
  EXPECT_EQ(Stamp(c.Optional.PubDate), "2004-03-02 10:20:30");
  EXPECT_EQ(c.Optional.PubDate.TimeZone, "Z");
  EXPECT_EQ(c.Optional.Copyright, "");
  ASSERT_EQ(rss.Items().Count(), 2);
  const TRSSItem& first = rss.Items().Items(0);
  EXPECT_EQ(first.Title, "First");
  EXPECT_EQ(first.Link, "http://example.org/1");
  EXPECT_TRUE(first.GUID.Include);
  EXPECT_EQ(first.GUID.GUID, "tag:example.org,2004:1");
  EXPECT_FALSE(first.GUID.IsPermaLink);
  EXPECT_EQ(Stamp(first.PubDate), "2004-03-03 11:21:31");
  EXPECT_EQ(first.PubDate.TimeZone, "+01:00");
  EXPECT_EQ(first.Description, "<p>Hello &amp; bye</p>");
  EXPECT_EQ(first.Author.Name, "Ann");
  EXPECT_EQ(first.Author.EMail, "ann@example.org");
  EXPECT_EQ(first.Author.URL, "");
  EXPECT_EQ(first.Comments, "http://example.org/1#c");
  EXPECT_EQ(first.ContentType, ctText);
  const TRSSItem& second = rss.Items().Items(1);
  EXPECT_EQ(second.Author.Name, "Bob");
  EXPECT_EQ(second.Author.EMail, "b@x");
  EXPECT_EQ(second.Author.URL, "http://bob.example.org/");
  EXPECT_EQ(second.Description, "");
}

TEST(AtomParser, TakesTheLastFeedLinkWithAnAddressButOnlyTheFirstEntryLink) {
  TSimpleRSS rss;
  Parse(rss, Feed(R"(<link rel="self"/><link href="second"/><link rel="x" href="third"/>
    <link rel="no address"/><title>One</title><title>Two</title>
    <entry><title>e</title><link rel="related"/><link href="later"/></entry>
    <entry><title>f</title><link href=""/></entry>)"));
  EXPECT_EQ(rss.Channel().Required.Link(), "third");
  EXPECT_EQ(rss.Channel().Required.Title(), "Two");
  EXPECT_EQ(rss.Items().Items(0).Link, "");
  EXPECT_EQ(rss.Items().Items(1).Link, "");

  Parse(rss, Feed("<link rel=\"self\"/><title>t</title>"));
  EXPECT_EQ(rss.Channel().Required.Link(), "Link Required");
  // A present but empty address is stored, replacing the earlier one.
  Parse(rss, Feed("<link href=\"a\"/><link href=\"\"/>"));
  EXPECT_EQ(rss.Channel().Required.StoredLink(), "");
  EXPECT_EQ(rss.Channel().Required.Desc(), "Description Required");
}

TEST(AtomParser, DecodesOnlyContentInTheExactBase64Mode) {
  struct Case {
    std::string content;
    std::string expected;
  } cases[] = {
      {R"(<content mode="base64">PHA+SGk8L3A+</content>)", "<p>Hi</p>"},
      {R"(<content mode="base64">SGk=</content>)", "Hi"},
      {R"(<content mode="base64">SA==</content>)", "H"},
      {R"(<content mode="Base64">SGk=</content>)", "SGk="},
      {R"(<content type="application/octet-stream">SGk=</content>)", "SGk="},
      {R"(<content mode="xml"><div xmlns="http://www.w3.org/1999/xhtml">Inline</div></content>)",
       "Inline"},
      {R"(<content mode="escaped"><![CDATA[<b>x</b>]]></content>)", "<b>x</b>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    TSimpleRSS rss;
    Parse(rss, Entry(c.content));
    EXPECT_EQ(rss.Items().Items(0).Description, c.expected);
    EXPECT_EQ(rss.Items().Items(0).Title, "");
  }
}

TEST(AtomParser, DatesThePubDateOverModified) {
  TSimpleRSS rss;
  Parse(rss, Feed(R"(<entry><title>a</title><modified>2004-03-02T10:20:30Z</modified>
      <pubDate>Sat, 05 Jun 2010 01:02:03 GMT</pubDate></entry>
    <entry><title>b</title><modified>2006-07-08T09:10:11Z</modified></entry>)"));
  EXPECT_EQ(Stamp(rss.Items().Items(0).PubDate), "2010-06-05 01:02:03");
  EXPECT_EQ(Stamp(rss.Items().Items(1).PubDate), "2006-07-08 09:10:11");
}

TEST(AtomParser, ReadsTheSharedRssRowsOfFeedAndEntry) {
  TSimpleRSS rss;
  Parse(rss, Feed(R"(<language>de-at</language><ttl>30</ttl><rating>r</rating>
    <image><url>u</url><title>t</title><link>l</link><width>10</width></image>
    <textInput><title>t</title><description>d</description><name>n</name><link>l</link>
    </textInput>
    <skipHours><hour>5</hour></skipHours><skipHours><hour>6</hour></skipHours>
    <skipDays><day>Friday</day></skipDays>
    <cloud domain="d" port="1" path="p" registerProcedure="r" protocol="x"/>
    <category>feed-level category</category><docs>d</docs><webMaster>w</webMaster>
    <lastBuildDate>Tue, 02 Mar 2004 10:20:30 GMT</lastBuildDate><description>no</description>
    <entry><title>e</title>
      <enclosure url="http://example.org/a.mp3" length="99" type="audio/mpeg"/>
      <source url="http://example.org/feed">Origin</source>
      <category domain="d">c1</category><category>c2</category>
    </entry>)"));
  const TRSSChannelOpt& o = rss.Channel().Optional;
  EXPECT_EQ(o.Language, langDE_AT);
  EXPECT_EQ(o.XLang, "");
  EXPECT_EQ(o.TTL(), 30);
  EXPECT_EQ(o.Rating, "r");
  EXPECT_TRUE(o.Image.Include);
  EXPECT_EQ(o.Image.Optional.Width(), 10);
  EXPECT_TRUE(o.TextInput.Include);
  EXPECT_EQ(o.TextInput.Link, "l");
  EXPECT_TRUE(o.SkipHours.h05);
  EXPECT_TRUE(o.SkipHours.h06);
  EXPECT_TRUE(o.SkipDays.Friday);
  // What Atom does not read keeps its initial value.
  EXPECT_FALSE(o.Cloud.Include);
  EXPECT_EQ(o.Categories.Count(), 0);
  EXPECT_EQ(o.Docs, TRSSChannelOpt().Docs);
  EXPECT_EQ(o.WebMaster, "");
  EXPECT_NE(Stamp(o.LastBuildDate), "2004-03-02 10:20:30");
  EXPECT_EQ(rss.Channel().Required.StoredDesc(), "");
  const TRSSItem& item = rss.Items().Items(0);
  EXPECT_TRUE(item.Enclosure.Include);
  EXPECT_EQ(item.Enclosure.Length, 99);
  EXPECT_EQ(item.Enclosure.EnclosureType, "audio/mpeg");
  EXPECT_TRUE(item.Source.Include);
  EXPECT_EQ(item.Source.Title, "Origin");
  EXPECT_EQ(item.Source.URL, "http://example.org/feed");
  ASSERT_EQ(item.Categories.Count(), 2);
  EXPECT_EQ(item.Categories.Items(0).Domain, "d");
  EXPECT_EQ(item.Categories.Items(1).Title, "c2");
}

TEST(AtomParser, ReportsMissingRequiredFieldsAndBadValues) {
  ExpectEachFailsWith({
      {Entry("<id>only an id</id>"), "Required Field Missing. Field: entry -> title"},
      {Entry("<title>t</title><enclosure length=\"1\" type=\"t\"/>"),
       "Required Field Missing. Field: enclosure -> url"},
      {Entry("<title>t</title><enclosure url=\"u\" type=\"t\"/>"),
       "Required Field Missing. Field: enclosure -> length"},
      {Entry("<title>t</title><enclosure url=\"u\" length=\"1\"/>"),
       "Required Field Missing. Field: enclosure -> type"},
      {Entry("<title>t</title><source>s</source>"), "Required Field Missing. Field: source -> url"},
      {Feed("<image><title>t</title><link>l</link></image>"),
       "Required Field Missing. Field: image -> url"},
      {Feed("<image><url>u</url><link>l</link></image>"),
       "Required Field Missing. Field: image -> title"},
      {Feed("<image><url>u</url><title>t</title></image>"),
       "Required Field Missing. Field: image -> link"},
      {Feed("<textInput><description>d</description><name>n</name><link>l</link></textInput>"),
       "Required Field Missing. Field: textInput -> title"},
      {Feed("<textInput><title>t</title><name>n</name><link>l</link></textInput>"),
       "Required Field Missing. Field: textInput -> description"},
      {Feed("<textInput><title>t</title><description>d</description><link>l</link>"
            "</textInput>"),
       "Required Field Missing. Field: textInput -> name"},
      {Feed("<textInput><title>t</title><description>d</description><name>n</name>"
            "</textInput>"),
       "Required Field Missing. Field: textInput -> link"},
      {Feed("<title/>"), kNullString},
      {Feed("<tagline></tagline>"), kNullString},
      {Entry("<content/>"), kNullString},
      {Entry("<title></title><content>c</content>"), kNullString},
      {Entry("<title>t</title><category domain=\"d\"/>"), kNullString},
      {Entry("<title>t</title><author><name/></author>"), kNullString},
      {Entry(R"(<content mode="xml"><div><p>nested</p></div></content>)"), kNotText},
      {Entry(R"(<content mode="xml"><div>a<b>b</b></div></content>)"), kNotText},
      {Feed("<ttl>1.5</ttl>"), "Could not convert variant of type (String) into type (Integer)"},
  });
}

TEST(AtomParser, FailsOnBase64ThatIsNotAWholeNumberOfGroups) {
  TSimpleRSS rss;
  // Line breaks count: 4 + 1 + 4 characters is not a multiple of four.
  EXPECT_THROW(Parse(rss, Entry("<content mode=\"base64\">SGVs\nbG8=</content>")),
               TSimpleRSSException);
  EXPECT_THROW(Parse(rss, Entry("<content mode=\"base64\">SGk</content>")), TSimpleRSSException);
  // The entry was appended before its content failed.
  EXPECT_EQ(rss.Items().Count(), 1);
}

TEST(AtomParser, KeepsTheHeadFieldsAndTheFailingEntryAfterAFailure) {
  TSimpleRSS rss;
  EXPECT_THROW(Parse(rss, Feed("<entry><title>a</title></entry><entry><id>x</id></entry>"
                               "<title>Title after the entries</title><entry><title>c</title>"
                               "</entry>")),
               TSimpleRSSException);
  // The head pass ran over every child before the entries were walked.
  EXPECT_EQ(rss.Channel().Required.Title(), "Title after the entries");
  ASSERT_EQ(rss.Items().Count(), 2);
  EXPECT_EQ(rss.Items().Items(1).Title, "");
}

TEST(AtomParser, ReadsEntriesInsideAndBesideAHeadElement) {
  TSimpleRSS rss;
  Parse(rss, Feed(R"(<title>outside</title><entry><title>before</title></entry>
    <head><title>Head title</title><link href="head-link"/><tagline>Head tagline</tagline>
      <ttl>7</ttl><entry><title>inside</title></entry></head>
    <entry><title>after</title></entry>)"));
  EXPECT_EQ(rss.Channel().Required.Title(), "Head title");
  EXPECT_EQ(rss.Channel().Required.Link(), "head-link");
  EXPECT_EQ(rss.Channel().Required.Desc(), "Head tagline");
  EXPECT_EQ(rss.Channel().Optional.TTL(), 7);
  ASSERT_EQ(rss.Items().Count(), 3);
  EXPECT_EQ(rss.Items().Items(0).Title, "before");
  EXPECT_EQ(rss.Items().Items(1).Title, "inside");
  EXPECT_EQ(rss.Items().Items(2).Title, "after");
}

TEST(AtomParser, ReadsNothingFromAnEmptyFeedOrPrefixedEntries) {
  TSimpleRSS rss;
  Parse(rss, "<feed/>");
  EXPECT_EQ(rss.Items().Count(), 0);
  EXPECT_EQ(rss.Channel().Required.Title(), "Title Required");
  EXPECT_EQ(rss.Channel().Required.Link(), "Link Required");

  Parse(rss, R"(<FEED xmlns:a="http://purl.org/atom/ns#"><a:entry><a:title>x</a:title></a:entry>
                <Entry><title>y</title></Entry></FEED>)");
  EXPECT_EQ(rss.XMLType(), xtAtom);
  EXPECT_EQ(rss.Items().Count(), 0);
}

TEST(AtomParser, ReadsTheSharedPartOfAnAtom10Feed) {
  TSimpleRSS rss;
  Parse(rss, R"(<feed xmlns="http://www.w3.org/2005/Atom"><title type="text">T</title>
    <subtitle>not a tagline</subtitle><link href="http://example.org/"/>
    <updated>2004-03-02T10:20:30Z</updated>
    <entry><title>E</title><link href="http://example.org/e"/><id>urn:e</id>
      <updated>2004-03-02T10:20:30Z</updated>
      <content type="html">&lt;i&gt;x&lt;/i&gt;</content></entry></feed>)");
  EXPECT_EQ(rss.Channel().Required.Title(), "T");
  EXPECT_EQ(rss.Channel().Required.Link(), "http://example.org/");
  EXPECT_EQ(rss.Channel().Required.Desc(), "Description Required");
  ASSERT_EQ(rss.Items().Count(), 1);
  EXPECT_EQ(rss.Items().Items(0).Link, "http://example.org/e");
  EXPECT_EQ(rss.Items().Items(0).GUID.GUID, "urn:e");
  EXPECT_EQ(rss.Items().Items(0).Description, "<i>x</i>");
  // "updated" is no Atom 0.3 name: the entry keeps the creation time of its date.
  EXPECT_NE(Stamp(rss.Items().Items(0).PubDate), "2004-03-02 10:20:30");
}

}  // namespace
}  // namespace vantle
