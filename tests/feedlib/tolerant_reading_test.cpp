#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "ModelJson.h"
#include "ParserTestSupport.h"

namespace vantle {
namespace {

using testing_support::Parse;
using tool::TJson;

const std::string kNull = "Could not convert variant of type (Null) into type (String)";
const std::string kNoInteger = "Could not convert variant of type (Null) into type (Integer)";
const std::string kNotText = "Element does not contain a single text node";

std::string Channel(std::string_view body) {
  return R"(<rss xmlns:media="http://search.yahoo.com/mrss/" xmlns:atom="http://www.w3.org/2005/Atom">)"
         "<channel><title>C</title><link>L</link><description>D</description>" +
         std::string(body) + "</channel></rss>";
}
std::string Item(std::string_view body) {
  return Channel("<item><title>T</title>" + std::string(body) + "</item>");
}
std::string Entry(std::string_view body) {
  return R"(<feed xmlns="http://www.w3.org/2005/Atom"><entry><title>E</title>)" +
         std::string(body) + "</entry></feed>";
}

// A document, the message strict reading fails with, and the one field of the model's dump
// (a JSON pointer) that tolerant reading gives it, with its value.
struct TCase {
  std::string Xml, StrictMessage, Field;
  TJson Tolerant;
};

void ExpectEach(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Xml);
    TSimpleRSS strict, tolerant;
    EXPECT_THAT([&] { Parse(strict, c.Xml); },
                ::testing::ThrowsMessage<Exception>(::testing::StrEq(c.StrictMessage)));
    tolerant.Tolerant = true;
    Parse(tolerant, c.Xml);
    EXPECT_EQ(tool::ModelToJson(tolerant).at(TJson::json_pointer(c.Field)), c.Tolerant);
  }
}

TEST(TolerantReading, PassesOverEmptyElementsToTheNextOfTheirNameOrTreatsThemAsMissing) {
  ExpectEach({
      {Item(R"(<media:content url="u" medium="image"/><content>B</content>)"), kNull,
       "/Items/0/Description", "B"},
      {Item(R"(<atom:link href="a"/><link>https://page/</link>)"), kNull, "/Items/0/Link",
       "https://page/"},
      {Item("<description/>"), kNull, "/Items/0/Description", ""},
      {"<rss><channel><title/><link>L</link><description>D</description></channel></rss>", kNull,
       "/Channel/Required/Title", ""},
      {Channel("<ttl>soon</ttl>"), "Could not convert variant of type (String) into type (Integer)",
       "/Channel/Optional/TTL", 60},
      {Channel(R"(<cloud domain="d" port="" path="p" registerProcedure="r" protocol="x"/>)"),
       kNoInteger, "/Channel/Optional/Cloud/Port", 0},
      {Entry(R"(<content src="https://video/1.mp4"/>)"), kNull, "/Items/0/Description", ""},
  });
}

TEST(TolerantReading, LeavesOutRecordsWithoutTheirAddressAndFillsTheirOtherParts) {
  ExpectEach({
      {Item(R"(<enclosure url="u" type="audio/mpeg"/>)"),
       "Required Field Missing. Field: enclosure -> length",
       "/Items/0/Enclosure",
       {{"URL", "u"}, {"Length", 0}, {"EnclosureType", "audio/mpeg"}, {"Include", true}}},
      {Item(R"(<enclosure url="" length="1" type="t"/>)"), kNull, "/Items/0/Enclosure/Include",
       false},
      {Channel("<image><url/><title>I</title><link>L</link></image>"), kNull,
       "/Channel/Optional/Image/Include", false},
      {Channel("<image><url>U</url><link>IL</link></image><title>Last</title>"),
       "Required Field Missing. Field: image -> title", "/Channel/Optional/Image/Required/Title",
       "Last"},
      {Entry(R"(<source><title>P</title><link rel="alternate" href="A"/>)"
             R"(<link rel="self" href="S"/></source>)"),
       "Required Field Missing. Field: source -> url",
       "/Items/0/Source",
       {{"Title", "P"}, {"URL", "S"}, {"Include", true}}},
      {Entry(R"(<category term="birds"/><category term=""/><category/>)"), kNull,
       "/Items/0/Categories", TJson::parse(R"([{"Title": "birds", "Domain": ""}])")},
  });
}

TEST(TolerantReading, ReadsMarkupAsXhtmlInBodiesAndAsPlainTextElsewhere) {
  ExpectEach({
      {Entry(R"(<content type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">)"
             R"(<p>Hi <b>you</b> &amp; <br/><img src="a&quot;b"/></p></div></content>)"),
       kNotText, "/Items/0/Description",
       R"(<p>Hi <b>you</b> &amp; <br /><img src="a&quot;b" /></p>)"},
      {Entry(R"(<content type="xhtml"><x:div xmlns:x="http://www.w3.org/1999/xhtml">)"
             R"(<x:p>A</x:p><x:p>B</x:p></x:div></content>)"),
       kNotText, "/Items/0/Description", "<p>A</p><p>B</p>"},
      {"<rss><channel><title>T</title><link>L</link><description>Hi <b>you</b></description>"
       "</channel></rss>",
       kNotText, "/Channel/Required/Desc", "Hi <b>you</b>"},
      {Channel("<item><title>A <i>b</i></title></item>"), kNotText, "/Items/0/Title", "A b"},
  });
}

TEST(TolerantReading, SkipsWhitespaceBeforeTheDeclarationAndReadsHtmlEntitiesWithoutADtd) {
  const std::string misplaced = "XML declaration allowed only at the start of the document";
  ExpectEach({
      {"\n\n  <?xml version='1.0'?>" + Channel(""),
       "data: not well-formed (line 3, column 8): " + misplaced, "/Channel/Required/Title", "C"},
      {"\xEF\xBB\xBF \r\n<?xml version='1.0'?>" + Channel(""),
       "data: not well-formed (line 2, column 6): " + misplaced, "/Channel/Required/Title", "C"},
      {Item(R"(<description>a&nbsp;b&mdash;c</description>)"),
       "data: not well-formed (line 1, column 200): Entity 'nbsp' not defined",
       "/Items/0/Description", "a\u00a0b\u2014c"},
      {Item(R"(<category domain="caf&eacute;">x</category>)"),
       "data: not well-formed (line 1, column 209): Entity 'eacute' not defined",
       "/Items/0/Categories/0/Domain", "caf\u00e9"},
  });
}

TEST(TolerantReading, KeepsTheFailuresItDoesNotMend) {
  for (const auto& [xml, message] : std::vector<std::pair<std::string, std::string>>{
           {"<!DOCTYPE rss [<!ENTITY x 'y'>]>" + Item("<description>&nbsp;</description>"),
            "data: not well-formed (line 1, column 231): Entity 'nbsp' not defined"},
           {Channel("<item><link>L</link></item>"), "Required Field Missing. Field: item -> title"},
           {"<rss><channel><link>L</link><description>D</description></channel></rss>",
            "Required Field Missing. Field: title"},
       }) {
    TSimpleRSS rss;
    rss.Tolerant = true;
    EXPECT_THAT([&] { Parse(rss, xml); },
                ::testing::ThrowsMessage<Exception>(::testing::StrEq(message)));
  }
}

}  // namespace
}  // namespace vantle
