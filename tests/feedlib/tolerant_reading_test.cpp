#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ParserTestSupport.h"
#include "SimpleRSS.h"

namespace vantle {
namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;
using testing_support::Parse;

constexpr std::string_view kNull = "Could not convert variant of type (Null) into type (String)";
constexpr std::string_view kNullInteger =
    "Could not convert variant of type (Null) into type (Integer)";
constexpr std::string_view kNotInteger =
    "Could not convert variant of type (String) into type (Integer)";
constexpr std::string_view kNotText = "Element does not contain a single text node";

// A channel that passes the required tests, holding `body`.
std::string Channel(std::string_view body) {
  return R"(<rss version="2.0" xmlns:media="http://search.yahoo.com/mrss/")"
         R"( xmlns:atom="http://www.w3.org/2005/Atom"><channel><title>C</title>)"
         "<link>L</link><description>D</description>" +
         std::string(body) + "</channel></rss>";
}

// A channel holding one item with a title and `body`.
std::string Item(std::string_view body) {
  return Channel("<item><title>T</title>" + std::string(body) + "</item>");
}

// An Atom 1.0 feed holding `body`.
std::string Atom(std::string_view body) {
  return R"(<feed xmlns="http://www.w3.org/2005/Atom"><title>F</title>)" + std::string(body) +
         "</feed>";
}

// An Atom 1.0 feed holding one entry with a title and `body`.
std::string Entry(std::string_view body) {
  return Atom("<entry><title>E</title>" + std::string(body) + "</entry>");
}

using TField = std::function<std::string(const TSimpleRSS&)>;

// A document that strict reading fails on, its message, and the one field tolerant reading
// gives it.
struct TCase {
  std::string Xml;
  std::string_view StrictMessage;
  TField Field;
  std::string Tolerant;
};

void ExpectEach(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Xml);
    TSimpleRSS strict;
    EXPECT_THAT([&] { Parse(strict, c.Xml); }, ThrowsMessage<Exception>(StrEq(c.StrictMessage)));
    TSimpleRSS tolerant;
    tolerant.Tolerant = true;
    Parse(tolerant, c.Xml);
    EXPECT_EQ(c.Field(tolerant), c.Tolerant);
  }
}

std::string ChannelTitle(const TSimpleRSS& rss) {
  return rss.Channel().Required.Title();
}
std::string ChannelDesc(const TSimpleRSS& rss) {
  return rss.Channel().Required.Desc();
}
const TRSSItem& FirstItem(const TSimpleRSS& rss) {
  return rss.Items().Items(0);
}
std::string ItemTitle(const TSimpleRSS& rss) {
  return FirstItem(rss).Title;
}
std::string ItemLink(const TSimpleRSS& rss) {
  return FirstItem(rss).Link;
}
std::string ItemBody(const TSimpleRSS& rss) {
  return FirstItem(rss).Description;
}
std::string Categories(const TSimpleRSS& rss) {
  std::string titles;
  const TRSSItemCategories& categories = FirstItem(rss).Categories;
  for (int i = 0; i < categories.Count(); ++i)
    titles += "[" + categories.Items(i).Title + "|" + categories.Items(i).Domain + "]";
  return titles;
}
std::string Enclosure(const TSimpleRSS& rss) {
  const TRSSItemEnclosure& e = FirstItem(rss).Enclosure;
  return std::to_string(e.Include) + " " + e.URL + " " + std::to_string(e.Length) + " " +
         e.EnclosureType;
}
std::string Source(const TSimpleRSS& rss) {
  const TRSSItemSource& s = FirstItem(rss).Source;
  return std::to_string(s.Include) + " " + s.Title + " " + s.URL;
}
std::string Image(const TSimpleRSS& rss) {
  const TRSSImage& i = rss.Channel().Optional.Image;
  return std::to_string(i.Include) + " " + i.Required.StoredURL() + " " + i.Required.StoredTitle() +
         " " + i.Required.StoredLink() + " " + std::to_string(i.Optional.Width());
}

TEST(TolerantReading, PassesOverEmptyElementsToTheNextOfTheirNameOrTreatsThemAsMissing) {
  ExpectEach({
      {Item(R"(<media:content url="https://img/1.jpg" medium="image"/>)"), kNull, ItemBody, ""},
      {Item(R"(<media:content url="https://img/1.jpg"/><content>Body</content>)"), kNull, ItemBody,
       "Body"},
      {Item(R"(<atom:link href="https://amp/"/><link>https://page/</link>)"), kNull, ItemLink,
       "https://page/"},
      {Item("<description/>"), kNull, ItemBody, ""},
      {Channel("<item><title/><description>B</description></item>"), kNull, ItemTitle, ""},
      {Item("<author/>"), kNull, [](auto& r) { return FirstItem(r).Author.Name; }, ""},
      {Item("<guid/>"), kNull, [](auto& r) { return std::to_string(FirstItem(r).GUID.Include); },
       "0"},
      {R"(<rss><channel><title/><link>L</link><description>D</description></channel></rss>)", kNull,
       ChannelTitle, "Title Required"},
      {R"(<rss><channel><title>T</title><link>L</link><description/></channel></rss>)", kNull,
       ChannelDesc, "Description Required"},
      {Channel("<ttl/>"), kNullInteger,
       [](auto& r) { return std::to_string(r.Channel().Optional.TTL()); }, "60"},
      {Channel("<ttl>soon</ttl>"), kNotInteger,
       [](auto& r) { return std::to_string(r.Channel().Optional.TTL()); }, "60"},
      {Channel(R"(<cloud domain="d" port="" path="p" registerProcedure="r" protocol="x"/>)"),
       kNullInteger, [](auto& r) { return std::to_string(r.Channel().Optional.Cloud.Port()); },
       "0"},
      {Channel("<copyright/>"), kNull, [](auto& r) { return r.Channel().Optional.Copyright; }, ""},
      {Entry(R"(<content src="https://video/1.mp4" type="video/mp4"/>)"), kNull, ItemBody, ""},
  });
}

TEST(TolerantReading, LeavesOutRecordsWithoutTheirAddressAndFillsTheirOtherParts) {
  ExpectEach({
      {Item(R"(<enclosure url="https://a/1.mp3" type="audio/mpeg"/>)"),
       "Required Field Missing. Field: enclosure -> length", Enclosure,
       "1 https://a/1.mp3 0 audio/mpeg"},
      {Item(R"(<enclosure url="https://a/1.mp3" length="12"/>)"),
       "Required Field Missing. Field: enclosure -> type", Enclosure, "1 https://a/1.mp3 12 "},
      {Item(R"(<enclosure url="" length="12" type="audio/mpeg"/>)"), kNull, Enclosure, "0  0 "},
      {Item("<enclosure/>"), "Required Field Missing. Field: enclosure -> url", Enclosure, "0  0 "},
      {Channel("<image><url/><title>I</title><link>L</link></image>"), kNull, Image, "0    0"},
      {Channel("<image><url>U</url><link>IL</link><width/></image><title>Last</title>"),
       "Required Field Missing. Field: image -> title", Image, "1 U Last IL 0"},
      {Item(R"(<source url="">S</source>)"), kNull, Source, "0  "},
      {Entry(R"(<source><id>i</id><title>Partner</title><link rel="alternate" href="A"/>)"
             R"(<link rel="self" href="S"/></source>)"),
       "Required Field Missing. Field: source -> url", Source, "1 Partner S"},
      {Entry(R"(<source><title>Partner</title><link rel="alternate" href="A"/></source>)"),
       "Required Field Missing. Field: source -> url", Source, "1 Partner A"},
      {Entry(R"(<category term="birds" scheme="s"/><category term=""/>)"), kNull, Categories,
       "[birds|]"},
      {Item(R"(<category domain="d"/><category>News</category>)"), kNull, Categories, "[News|]"},
      {Channel("<textInput><title>T</title><description/><name>n</name><link>L</link>"
               "</textInput>"),
       kNull, [](auto& r) { return std::to_string(r.Channel().Optional.TextInput.Include); }, "0"},
  });
}

TEST(TolerantReading, ReadsMarkupAsXhtmlInBodiesAndAsPlainTextElsewhere) {
  ExpectEach({
      {Entry(R"(<content type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">)"
             R"(<p>Hi <b>there</b> &amp; <br/><img src="a&quot;b"/></p></div></content>)"),
       kNotText, ItemBody, R"(<p>Hi <b>there</b> &amp; <br /><img src="a&quot;b" /></p>)"},
      {Entry(R"(<content type="xhtml"><x:div xmlns:x="http://www.w3.org/1999/xhtml">)"
             R"(<x:p>A</x:p><x:p>B</x:p></x:div></content>)"),
       kNotText, ItemBody, "<p>A</p><p>B</p>"},
      {R"(<feed><entry><title>E</title><content mode="xml"><div><p>A</p>)"
       R"(<p>B</p></div></content></entry></feed>)",
       kNotText, ItemBody, "<p>A</p><p>B</p>"},
      {Item("<description><p>One <b>two</b></p></description>"), kNotText, ItemBody,
       "<p>One <b>two</b></p>"},
      {R"(<rss><channel><title>T</title><link>L</link><description>Hello <b>world</b>)"
       R"(</description></channel></rss>)",
       kNotText, ChannelDesc, "Hello <b>world</b>"},
      {Atom(R"(<title type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">Field )"
            R"(<em>Notes</em></div></title>)"),
       kNotText, ChannelTitle, "Field Notes"},
      {Channel("<item><title>A <i>b</i></title></item>"), kNotText, ItemTitle, "A b"},
  });
}

TEST(TolerantReading, SkipsWhitespaceBeforeTheDeclarationAndReadsHtmlEntitiesWithoutADtd) {
  const std::string declared = R"(<?xml version="1.0" encoding="UTF-8"?>)";
  ExpectEach({
      {"\n\n  " + declared + Channel(""),
       "data: not well-formed (line 3, column 8): XML declaration allowed only at the start of "
       "the document",
       ChannelTitle, "C"},
      {"\xEF\xBB\xBF \r\n" + declared + Channel(""),
       "data: not well-formed (line 2, column 6): XML declaration allowed only at the start of "
       "the document",
       ChannelTitle, "C"},
      {Item("<description>a&nbsp;b&mdash;c</description>"),
       "data: not well-formed (line 1, column 214): Entity 'nbsp' not defined", ItemBody,
       "a\u00a0b\u2014c"},
      {Item(R"(<category domain="caf&eacute;">x</category>)"),
       "data: not well-formed (line 1, column 223): Entity 'eacute' not defined", Categories,
       "[x|caf\u00e9]"},
  });
}

TEST(TolerantReading, KeepsTheFailuresItDoesNotMend) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<!DOCTYPE rss [<!ENTITY x 'y'>]>" + Item("<description>&nbsp;</description>"),
       "data: not well-formed (line 1, column 245): Entity 'nbsp' not defined"},
      {"<rss><channel><link>L</link><description>D</description></channel></rss>",
       "Required Field Missing. Field: title"},
      {Channel("<item><link>L</link></item>"), "Required Field Missing. Field: item -> title"},
      {"<atom:feed xmlns:atom='http://www.w3.org/2005/Atom'/>", "unkown format: atom:feed"},
  };
  for (const auto& [xml, message] : cases) {
    SCOPED_TRACE(xml);
    TSimpleRSS rss;
    rss.Tolerant = true;
    EXPECT_THAT([&] { Parse(rss, xml); }, ThrowsMessage<Exception>(StrEq(message)));
  }
}

TEST(TolerantReading, KeepsTheValueOfEveryReadThatSucceedsStrictly) {
  // The body rule takes the first child, and RDF's guarded reads fall back, as strictly.
  const std::vector<std::string> documents = {
      Item("<description>Hello <b>you</b></description>"),
      Item("<description><div>Only text</div></description>"),
      R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><channel>)"
      "<title>T</title><description/></channel><item><title>I</title><description/></item>"
      "</rdf:RDF>",
  };
  for (const std::string& xml : documents) {
    SCOPED_TRACE(xml);
    TSimpleRSS strict;
    TSimpleRSS tolerant;
    tolerant.Tolerant = true;
    Parse(strict, xml);
    Parse(tolerant, xml);
    EXPECT_EQ(tolerant.Channel().Required.Desc(), strict.Channel().Required.Desc());
    EXPECT_EQ(ItemBody(tolerant), ItemBody(strict));
  }
}

}  // namespace
}  // namespace vantle
