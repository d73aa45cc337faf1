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

// A channel that passes the required tests, holding `body`.
std::string Channel(std::string_view body) {
  return "<rss version=\"2.0\"><channel><title>T</title><link>L</link>"
         "<description>D</description>" +
         std::string(body) + "</channel></rss>";
}

// A channel holding one item with `body`.
std::string Item(std::string_view body) {
  return Channel("<item>" + std::string(body) + "</item>");
}

TEST(RssParser, ReadsEveryChannelRowIntoItsOwnField) {
  TSimpleRSS rss;
  Parse(rss, R"(<rss version="2.0"><channel>
    <title>Title</title><link>http://example.org/</link><description>Desc</description>
    <category domain="http://dmoz.org">News/World</category>
    <category>Plain</category>
    <language>en-us</language>
    <copyright>Copyright 2004</copyright>
    <managingEditor>editor@example.org</managingEditor>
    <webMaster>webmaster@example.org</webMaster>
    <pubDate>Tue, 02 Mar 2004 10:20:30 GMT</pubDate>
    <lastBuildDate>Wed, 03 Mar 2004 11:21:31 GMT</lastBuildDate>
    <generator>Gen 1.0</generator>
    <docs>http://example.org/docs</docs>
    <cloud domain="rpc.example.org" port="8080" path="/RPC2"
           registerProcedure="pleaseNotify" protocol="xml-rpc"/>
    <ttl>90</ttl>
    <image><url>http://example.org/i.png</url><title>Img</title><link>http://example.org/i</link>
      <description>Logo</description><width>88</width><height>31</height></image>
    <rating>(PICS-1.1 ...)</rating>
    <textInput><title>Search</title><description>Search here</description>
      <name>q</name><link>http://example.org/search</link></textInput>
    <skipHours><hour>0</hour><hour>23</hour></skipHours>
    <skipDays><day>Sunday</day></skipDays>
  </channel></rss>)");

  const TRSSChannel& c = rss.Channel();
  EXPECT_EQ(c.Required.Title(), "Title");
  EXPECT_EQ(c.Required.Link(), "http://example.org/");
  EXPECT_EQ(c.Required.Desc(), "Desc");
  ASSERT_EQ(c.Optional.Categories.Count(), 2);
  EXPECT_EQ(c.Optional.Categories.Items(0).Category, "News/World");
  EXPECT_EQ(c.Optional.Categories.Items(0).Domain, "http://dmoz.org");
  EXPECT_EQ(c.Optional.Categories.Items(1).Category, "Plain");
  EXPECT_EQ(c.Optional.Categories.Items(1).Domain, "");
  EXPECT_EQ(c.Optional.Language, langEN_US);
  EXPECT_EQ(c.Optional.XLang, "");
  EXPECT_EQ(c.Optional.Copyright, "Copyright 2004");
  EXPECT_EQ(c.Optional.ManagingEditor, "editor@example.org");
  EXPECT_EQ(c.Optional.WebMaster, "webmaster@example.org");
  EXPECT_EQ(Stamp(c.Optional.PubDate), "2004-03-02 10:20:30");
  EXPECT_EQ(Stamp(c.Optional.LastBuildDate), "2004-03-03 11:21:31");
  EXPECT_EQ(c.Optional.Generator, "Gen 1.0");
  EXPECT_EQ(c.Optional.Docs, "http://example.org/docs");
  EXPECT_TRUE(c.Optional.Cloud.Include);
  EXPECT_EQ(c.Optional.Cloud.Domain, "rpc.example.org");
  EXPECT_EQ(c.Optional.Cloud.Port(), 8080);
  EXPECT_EQ(c.Optional.Cloud.Path, "/RPC2");
  EXPECT_EQ(c.Optional.Cloud.RegisterProcedure, "pleaseNotify");
  EXPECT_EQ(c.Optional.Cloud.Protocol, "xml-rpc");
  EXPECT_EQ(c.Optional.TTL(), 90);
  EXPECT_TRUE(c.Optional.Image.Include);
  EXPECT_EQ(c.Optional.Image.Required.URL(), "http://example.org/i.png");
  EXPECT_EQ(c.Optional.Image.Required.Title(), "Img");
  EXPECT_EQ(c.Optional.Image.Required.Link(), "http://example.org/i");
  EXPECT_EQ(c.Optional.Image.Optional.Description, "Logo");
  EXPECT_EQ(c.Optional.Image.Optional.Width(), 88);
  EXPECT_EQ(c.Optional.Image.Optional.Height(), 31);
  EXPECT_EQ(c.Optional.Rating, "(PICS-1.1 ...)");
  EXPECT_TRUE(c.Optional.TextInput.Include);
  EXPECT_EQ(c.Optional.TextInput.Title, "Search");
  EXPECT_EQ(c.Optional.TextInput.Description, "Search here");
  EXPECT_EQ(c.Optional.TextInput.TextInputName, "q");
  EXPECT_EQ(c.Optional.TextInput.Link, "http://example.org/search");
  for (int hour = 0; hour < 24; ++hour)
    EXPECT_EQ(c.Optional.SkipHours.Hour(hour), hour == 0 || hour == 23) << hour;
  for (int day = 0; day < 7; ++day) EXPECT_EQ(c.Optional.SkipDays.Day(day), day == 6) << day;
  EXPECT_EQ(rss.Items().Count(), 0);
}

TEST(RssParser, ReadsEveryItemRowIntoItsOwnField) {
  TSimpleRSS rss;
  Parse(rss, Item(R"(
    <title>Item title</title><link>http://example.org/1</link>
    <description>&lt;p&gt;Hello&lt;/p&gt;</description>
    <author>joe@example.org (Joe)</author>
    <comments>http://example.org/1#comments</comments>
    <enclosure url="http://example.org/a.mp3" length="12345" type="audio/mpeg"/>
    <enclosure url="http://example.org/b.mp3" length="1" type="audio/ogg"/>
    <guid isPermaLink="false">tag:example.org,2004:1</guid>
    <pubDate>Tue, 02 Mar 2004 10:20:30 GMT</pubDate>
    <source url="http://example.org/src.xml">Source feed</source>
    <category domain="http://example.org/tags">First</category>
    <media:category xmlns:media="http://search.yahoo.com/mrss/">Second</media:category>
    <categoryx>not a category</categoryx>)"));

  ASSERT_EQ(rss.Items().Count(), 1);
  const TRSSItem& item = rss.Items().Items(0);
  EXPECT_EQ(item.Title, "Item title");
  EXPECT_EQ(item.Link, "http://example.org/1");
  EXPECT_EQ(item.Description, "<p>Hello</p>");
  EXPECT_EQ(item.Author.Name, "joe@example.org (Joe)");
  EXPECT_EQ(item.Author.EMail, "");
  EXPECT_EQ(item.Author.URL, "");
  EXPECT_EQ(item.Comments, "http://example.org/1#comments");
  EXPECT_TRUE(item.Enclosure.Include);
  EXPECT_EQ(item.Enclosure.URL, "http://example.org/a.mp3");
  EXPECT_EQ(item.Enclosure.Length, 12345);
  EXPECT_EQ(item.Enclosure.EnclosureType, "audio/mpeg");
  EXPECT_TRUE(item.GUID.Include);
  EXPECT_EQ(item.GUID.GUID, "tag:example.org,2004:1");
  EXPECT_FALSE(item.GUID.IsPermaLink);
  EXPECT_EQ(Stamp(item.PubDate), "2004-03-02 10:20:30");
  EXPECT_TRUE(item.Source.Include);
  EXPECT_EQ(item.Source.Title, "Source feed");
  EXPECT_EQ(item.Source.URL, "http://example.org/src.xml");
  ASSERT_EQ(item.Categories.Count(), 2);
  EXPECT_EQ(item.Categories.Items(0).Title, "First");
  EXPECT_EQ(item.Categories.Items(0).Domain, "http://example.org/tags");
  EXPECT_EQ(item.Categories.Items(1).Title, "Second");
  EXPECT_EQ(item.ContentType, ctText);
}

TEST(RssParser, KeepsTheDefaultsOfEveryAbsentField) {
  TSimpleRSS rss;
  Parse(rss, Item("<title>Only a title</title>"));
  const TRSSChannelOpt& o = rss.Channel().Optional;
  EXPECT_EQ(o.TTL(), 60);
  EXPECT_EQ(o.Language, langEN);
  EXPECT_EQ(o.XLang, "");
  EXPECT_FALSE(o.Image.Include);
  EXPECT_FALSE(o.Cloud.Include);
  EXPECT_FALSE(o.TextInput.Include);
  EXPECT_EQ(o.Image.Required.URL(), "URL Required");
  const TRSSItem& item = rss.Items().Items(0);
  EXPECT_EQ(item.Description, "");
  EXPECT_FALSE(item.Enclosure.Include);
  EXPECT_FALSE(item.GUID.Include);
  EXPECT_FALSE(item.GUID.IsPermaLink);
  EXPECT_FALSE(item.Source.Include);
  // No date element: the item keeps the creation time of its date, not the zero date.
  EXPECT_GT(item.PubDate.DateTime, 40000.0);
}

TEST(RssParser, LetsTheLastChannelFieldAndTheFirstItemFieldWin) {
  TSimpleRSS rss;
  Parse(rss, R"(<rss><channel><title>First</title><link>L1</link><description>D</description>
    <link>L2</link><ttl>5</ttl><ttl>-5</ttl><title>Second</title>
    <item><title>Item first</title><title>Item second</title>
      <link>I1</link><link>I2</link><guid>g1</guid><guid isPermaLink="false">g2</guid></item>
  </channel></rss>)");
  EXPECT_EQ(rss.Channel().Required.Title(), "Second");
  EXPECT_EQ(rss.Channel().Required.Link(), "L2");
  EXPECT_EQ(rss.Channel().Optional.TTL(), 0);
  const TRSSItem& item = rss.Items().Items(0);
  EXPECT_EQ(item.Title, "Item first");
  EXPECT_EQ(item.Link, "I1");
  EXPECT_EQ(item.GUID.GUID, "g1");
  EXPECT_TRUE(item.GUID.IsPermaLink);
}

TEST(RssParser, TakesTheDescriptionOverContentEncodedOverContent) {
  const std::string ns = R"( xmlns:content="http://purl.org/rss/1.0/modules/content/")";
  struct Case {
    std::string body;
    std::string expected;
  } cases[] = {
      {"<title>t</title><content>c</content><content:encoded" + ns + ">e</content:encoded>", "e"},
      {"<description>d</description><content:encoded" + ns + ">e</content:encoded>", "d"},
      {"<title>t</title><content:encoded" + ns +
           "><![CDATA[<b>bold</b> & more]]></content:encoded>",
       "<b>bold</b> & more"},
      {"<title>t</title><content>only content</content>", "only content"},
      // The body is the first child's value, so mixed content keeps its leading text.
      {"<description>Lead <b>bold</b> tail</description>", "Lead "},
      {"<description><p>para</p><p>lost</p></description>", "para"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    TSimpleRSS rss;
    Parse(rss, Item(c.body));
    EXPECT_EQ(rss.Items().Items(0).Description, c.expected);
  }
}

TEST(RssParser, DatesThePubDateOverTheDublinCoreDate) {
  const std::string dc = R"(<dc:date xmlns:dc="http://purl.org/dc/elements/1.1/">)";
  TSimpleRSS rss;
  Parse(rss, Channel("<item><title>a</title>" + dc +
                     "2005-06-07T08:09:10Z</dc:date><pubDate>Tue, 02 Mar 2004 10:20:30 "
                     "GMT</pubDate></item><item><title>b</title>" +
                     dc + "2005-06-07T08:09:10+01:00</dc:date></item>"));
  EXPECT_EQ(Stamp(rss.Items().Items(0).PubDate), "2004-03-02 10:20:30");
  EXPECT_EQ(Stamp(rss.Items().Items(1).PubDate), "2005-06-07 08:09:10");
  EXPECT_EQ(rss.Items().Items(1).PubDate.TimeZone, "+01:00");
}

TEST(RssParser, ReadsIsPermaLinkAsTrueOnlyWhenAbsentOrExactlyTrue) {
  struct Case {
    const char* guid;
    bool expected;
  } cases[] = {{"<guid>g</guid>", true},
               {"<guid isPermaLink=\"true\">g</guid>", true},
               {"<guid isPermaLink=\"True\">g</guid>", false},
               {"<guid isPermaLink=\"false\">g</guid>", false},
               {"<guid isPermaLink=\"\">g</guid>", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.guid);
    TSimpleRSS rss;
    Parse(rss, Item(std::string("<title>t</title>") + c.guid));
    EXPECT_TRUE(rss.Items().Items(0).GUID.Include);
    EXPECT_EQ(rss.Items().Items(0).GUID.IsPermaLink, c.expected);
  }
}

TEST(RssParser, ReportsTheFirstMissingRequiredFieldByItsPath) {
  struct Case {
    std::string xml;
    const char* path;
  } cases[] = {
      {"<rss version=\"2.0\"/>", "title"},
      {"<rss><channel><link>L</link><description>D</description></channel></rss>", "title"},
      {"<rss><channel><title>T</title><description>D</description></channel></rss>", "link"},
      {"<rss><channel><title>T</title><link>L</link></channel></rss>", "description"},
      {Item("<link>only a link</link>"), "item -> title"},
      {Item("<title>t</title><enclosure length=\"1\" type=\"a/b\"/>"), "enclosure -> url"},
      {Item("<title>t</title><enclosure url=\"u\" type=\"a/b\"/>"), "enclosure -> length"},
      {Item("<title>t</title><enclosure url=\"u\" length=\"1\"/>"), "enclosure -> type"},
      // With several missing, the first in test order is reported.
      {"<rss><channel><title>T</title></channel></rss>", "link"},
      {Item("<title>t</title><enclosure/>"), "enclosure -> url"},
      {Item("<title>t</title><enclosure url=\"u\"/>"), "enclosure -> length"},
      {Channel("<image><url>u</url></image>"), "image -> title"},
      {Channel("<textInput><title>t</title></textInput>"), "textInput -> description"},
      {Channel("<textInput><title>t</title><description>d</description></textInput>"),
       "textInput -> name"},
      {Item("<title>t</title><source>s</source>"), "source -> url"},
      {Channel("<image><title>t</title><link>l</link></image>"), "image -> url"},
      {Channel("<image><url>u</url><link>l</link></image>"), "image -> title"},
      {Channel("<image><url>u</url><title>t</title></image>"), "image -> link"},
      {Channel("<textInput><description>d</description><name>n</name><link>l</link>"
               "</textInput>"),
       "textInput -> title"},
      {Channel("<textInput><title>t</title><name>n</name><link>l</link></textInput>"),
       "textInput -> description"},
      {Channel("<textInput><title>t</title><description>d</description><link>l</link>"
               "</textInput>"),
       "textInput -> name"},
      {Channel("<textInput><title>t</title><description>d</description><name>n</name>"
               "</textInput>"),
       "textInput -> link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    TSimpleRSS rss;
    EXPECT_THAT([&] { Parse(rss, c.xml); },
                ThrowsMessage<TSimpleRSSException>(
                    StrEq(std::string("Required Field Missing. Field: ") + c.path)));
  }
}

TEST(RssParser, KeepsWhatWasStoredBeforeAFailure) {
  TSimpleRSS rss;
  EXPECT_THROW(Parse(rss, Channel("<copyright>C</copyright><item><title>one</title></item>"
                                  "<item><link>two</link></item><item><title>three</title>"
                                  "</item><generator>never</generator>")),
               TSimpleRSSException);
  EXPECT_EQ(rss.Channel().Optional.Copyright, "C");
  EXPECT_EQ(rss.Channel().Optional.Generator, "");
  ASSERT_EQ(rss.Items().Count(), 2);
  EXPECT_EQ(rss.Items().Items(0).Title, "one");
  EXPECT_EQ(rss.Items().Items(1).Title, "");

  // The cloud is marked included before its attributes are read.
  EXPECT_THAT([&] { Parse(rss, Channel(R"(<cloud domain="d" port="80" protocol="p"/>)")); },
              ThrowsMessage<EVariantError>(
                  StrEq("Could not convert variant of type (Null) into type (String)")));
  EXPECT_TRUE(rss.Channel().Optional.Cloud.Include);
  EXPECT_EQ(rss.Channel().Optional.Cloud.Domain, "d");
  EXPECT_EQ(rss.Channel().Optional.Cloud.Port(), 80);
  EXPECT_EQ(rss.Items().Count(), 0);
}

TEST(RssParser, FailsOnEmptyOrMalformedValuesWithTheConversionOrTextNodeError) {
  const std::string nullString = "Could not convert variant of type (Null) into type (String)";
  const std::string nullInteger = "Could not convert variant of type (Null) into type (Integer)";
  const std::string notInteger = "Could not convert variant of type (String) into type (Integer)";
  const std::string overflow =
      "Overflow while converting variant of type (String) into type (Integer)";
  const std::string notText = "Element does not contain a single text node";
  const std::string media = R"( xmlns:media="http://search.yahoo.com/mrss/")";
  ExpectEachFailsWith({
      {Item("<title>t</title><description></description>"), nullString},
      {Item("<title>t</title><description/>"), nullString},
      {Item("<title></title>"), nullString},
      {Item("<media:content" + media + " url=\"u\"/><title>t</title>"), nullString},
      {Item("<title>t</title><author><name>n</name></author>"), notText},
      {Item("<title>a<!-- note -->b</title>"), notText},
      {Item("<title>t</title><enclosure url=\"u\" length=\"big\" type=\"a\"/>"), notInteger},
      {Item("<title>t</title><enclosure url=\"u\" length=\"\" type=\"a\"/>"), nullInteger},
      {Item("<title>t</title><category domain=\"d\"/>"), nullString},
      {Item("<title>t</title><pubDate/>"), nullString},
      {Channel("<ttl>sixty</ttl>"), notInteger},
      {Channel("<ttl>4294967296</ttl>"), overflow},
      {Channel("<ttl/>"), nullInteger},
      {Channel("<cloud domain=\"d\" port=\"x\" path=\"p\" registerProcedure=\"r\" "
               "protocol=\"p\"/>"),
       notInteger},
      {Channel("<image><url>u</url><title>t</title><link>l</link><width>wide</width></image>"),
       notInteger},
      {Channel("<category/>"), nullString},
      {Channel("<copyright><b>C</b></copyright>"), notText},
      {Channel("<skipHours><hour><b>1</b></hour></skipHours>"), notText},
      {"<rss><channel><title/><link>L</link><description>D</description></channel></rss>",
       nullString},
  });
}

TEST(RssParser, SkipsWhatTheChannelRowsDoNotName) {
  TSimpleRSS rss;
  Parse(rss, R"(<rss><channel>
    <title>T</title><atom:link xmlns:atom="http://www.w3.org/2005/Atom" href="h"/>
    <description>D</description>
    <textinput><title>t</title></textinput>
    <TTL>5</TTL><Item><title>wrong case</title></Item>
    <dc:date xmlns:dc="http://purl.org/dc/elements/1.1/">2004-03-02</dc:date>
    <cloud/>
    <!-- a comment --><unknown><deep>x</deep></unknown>
  </channel><item><title>beside the channel</title></item></rss>)");
  // atom:link passes the required test by its local name but is no "link" row.
  EXPECT_EQ(rss.Channel().Required.StoredLink(), "");
  EXPECT_EQ(rss.Channel().Required.Link(), "Link Required");
  EXPECT_FALSE(rss.Channel().Optional.TextInput.Include);
  EXPECT_EQ(rss.Channel().Optional.TTL(), 60);
  EXPECT_FALSE(rss.Channel().Optional.Cloud.Include);
  EXPECT_EQ(rss.Items().Count(), 0);
}

TEST(RssParser, FindsPrefixedChildrenOfAnUnqualifiedItemByLocalName) {
  TSimpleRSS rss;
  Parse(rss, Item(R"(<media:title xmlns:media="http://search.yahoo.com/mrss/">Media</media:title>
                     <title>Plain</title>)"));
  EXPECT_EQ(rss.Items().Items(0).Title, "Media");
}

TEST(RssParser, MapsTheLanguageCodeOrKeepsAnUnknownOneAsText) {
  struct Case {
    const char* code;
    TLanguages language;
    const char* xlang;
  } cases[] = {{"en-us", langEN_US, ""},
               {"de-at", langDE_AT, ""},
               {"EN-US", langX, "EN-US"},
               {"tlh", langX, "tlh"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    TSimpleRSS rss;
    Parse(rss, Channel(std::string("<language>") + c.code + "</language>"));
    EXPECT_EQ(rss.Channel().Optional.Language, c.language);
    EXPECT_EQ(rss.Channel().Optional.XLang, c.xlang);
  }
}

TEST(RssParser, BoundsImageSizesAndCloudPortThroughTheModel) {
  TSimpleRSS rss;
  Parse(rss, Channel(R"(<image><url>u</url><title>t</title><link>l</link>
                        <width>200</width><height>-3</height></image>
                        <cloud domain="d" port="0" path="p" registerProcedure="r" protocol="x"/>)"));
  EXPECT_EQ(rss.Channel().Optional.Image.Optional.Width(), 144);
  EXPECT_EQ(rss.Channel().Optional.Image.Optional.Height(), 0);
  EXPECT_EQ(rss.Channel().Optional.Cloud.Port(), 1);
}

TEST(RssParser, ReadsManyItemsInDocumentOrder) {
  std::string items;
  for (int i = 0; i < 500; ++i) items += "<item><title>" + std::to_string(i) + "</title></item>";
  TSimpleRSS rss;
  Parse(rss, Channel(items));
  ASSERT_EQ(rss.Items().Count(), 500);
  for (int i = 0; i < 500; i += 97) EXPECT_EQ(rss.Items().Items(i).Title, std::to_string(i));
  EXPECT_EQ(rss.Items().Items(499).Title, "499");
}

TEST(RssParser, EndsEveryMalformedDocumentInACleanError) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<b>";
  // Ten levels of ten references each: 10^10 characters if expanded without a bound.
  std::string laughs = R"(<?xml version="1.0"?><!DOCTYPE rss [<!ENTITY a "aaaaaaaaaa">)";
  for (char c = 'b'; c <= 'k'; ++c) {
    std::string references;
    for (int i = 0; i < 10; ++i) references += std::string("&") + static_cast<char>(c - 1) + ";";
    laughs += std::string("<!ENTITY ") + c + " \"" + references + "\">";
  }
  laughs += "]>" + Channel("<copyright>&k;</copyright>");
  struct Case {
    std::string name;
    std::string xml;
  } cases[] = {
      {"empty", ""},
      {"truncated", Item("<title>t</title><description>cut off")},
      {"deeply nested", Item("<title>t</title><description>" + deep)},
      {"entity expansion", laughs},
      {"invalid UTF-8", Item("<title>caf\xC3(</title>")},
      {"unknown encoding",
       "<?xml version=\"1.0\" encoding=\"x-no-such\"?>" + Item("<title>t</title>")},
      {"binary", std::string("\x00\x01\x02\x03 binary", 11)},
      {"undefined entity", Item("<title>&nbsp;</title>")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSimpleRSS rss;
    EXPECT_THROW(Parse(rss, c.xml), EXMLDocError);
  }
}

}  // namespace
}  // namespace vantle
