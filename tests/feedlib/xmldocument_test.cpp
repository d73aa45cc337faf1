#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "XMLDocument.h"

namespace vantle {
namespace {

std::unique_ptr<TXMLDocument> Parse(const std::string& xml, TParseOptions parseOptions = 0,
                                    TXMLDocOptions options = doNodeAutoCreate | doAttrNull |
                                                             doAutoPrefix | doNamespaceDecl) {
  auto document = std::make_unique<TXMLDocument>();
  document->ParseOptions = parseOptions;
  document->Options = options;
  document->LoadFromData(xml.data(), xml.size(), "test.xml");
  return document;
}

std::string ErrorOf(const std::string& xml) {
  try {
    Parse(xml);
  } catch (const EXMLDocError& e) {
    return e.what();
  }
  return "(no error)";
}

std::string ConversionError(const TVariant& value, bool integer) {
  try {
    if (integer)
      value.AsInteger();
    else
      value.AsString();
  } catch (const EVariantError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Variant, ConvertsTextAndRefusesNull) {
  EXPECT_EQ(TVariant("abc").AsString(), "abc");
  EXPECT_EQ(TVariant("").AsString(), "");
  EXPECT_TRUE(TVariant().IsNull());
  EXPECT_FALSE(TVariant("").IsNull());
  EXPECT_EQ(ConversionError(TVariant(), false),
            "Could not convert variant of type (Null) into type (String)");
  EXPECT_EQ(ConversionError(TVariant(), true),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(TVariant().StringOr("fallback"), "fallback");
  EXPECT_EQ(TVariant("x").StringOr("fallback"), "x");
}

TEST(Variant, ReadsDecimalIntegersWithBlanksAndSign) {
  EXPECT_EQ(TVariant("42").AsInteger(), 42);
  EXPECT_EQ(TVariant(" \n\t60 \r\n").AsInteger(), 60);
  EXPECT_EQ(TVariant("-7").AsInteger(), -7);
  EXPECT_EQ(TVariant("+7").AsInteger(), 7);
  EXPECT_EQ(TVariant("007").AsInteger(), 7);
  EXPECT_EQ(TVariant("2147483647").AsInteger(), 2147483647);
  EXPECT_EQ(TVariant("-2147483648").AsInteger(), INT32_MIN);
}

TEST(Variant, RefusesTextThatIsNotAnInteger) {
  for (const char* text : {"", " ", "+", "-", "12a", "1 2", "0x10", "1.5", "1e3", "- 1", "٣"})
    EXPECT_EQ(ConversionError(TVariant(text), true),
              "Could not convert variant of type (String) into type (Integer)")
        << '"' << text << '"';
}

TEST(Variant, ReportsOverflowBeyondThirtyTwoBits) {
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999999"})
    EXPECT_EQ(ConversionError(TVariant(text), true),
              "Overflow while converting variant of type (String) into type (Integer)")
        << text;
}

TEST(XMLDocument, NamesNodesAsWrittenWithPrefixAndNamespace) {
  auto doc = Parse(
      "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' "
      "xmlns='http://purl.org/rss/1.0/'><channel rdf:about='x'/></rdf:RDF>");
  IXMLNode& root = doc->DocumentElement();
  EXPECT_EQ(root.NodeName(), "rdf:RDF");
  EXPECT_EQ(root.LocalName(), "RDF");
  EXPECT_EQ(root.NamespaceURI(), "http://www.w3.org/1999/02/22-rdf-syntax-ns#");
  IXMLNode& channel = root.ChildNodes().Nodes(0);
  EXPECT_EQ(channel.NodeName(), "channel");
  EXPECT_EQ(channel.NamespaceURI(), "http://purl.org/rss/1.0/");
  IXMLNode& about = channel.AttributeNodes().Nodes(0);
  EXPECT_EQ(about.NodeType(), TNodeType::ntAttribute);
  EXPECT_EQ(about.NodeName(), "rdf:about");
  EXPECT_EQ(about.LocalName(), "about");
  EXPECT_EQ(about.NodeValue().AsString(), "x");
}

TEST(XMLDocument, ListsChildrenWithoutWhitespaceButWithCommentsInstructionsAndCData) {
  auto doc = Parse("<r>\n  <a/>\n  <!--note-->\n  <?pi data?>\n  <![CDATA[ raw ]]>\n  text\n</r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_EQ(children.Count(), 5);
  EXPECT_EQ(children.Nodes(0).NodeType(), TNodeType::ntElement);
  EXPECT_EQ(children.Nodes(1).NodeType(), TNodeType::ntComment);
  EXPECT_EQ(children.Nodes(1).NodeName(), "#comment");
  EXPECT_EQ(children.Nodes(1).NodeValue().AsString(), "note");
  EXPECT_EQ(children.Nodes(2).NodeType(), TNodeType::ntProcessingInstr);
  EXPECT_EQ(children.Nodes(2).NodeName(), "pi");
  EXPECT_EQ(children.Nodes(3).NodeType(), TNodeType::ntCData);
  EXPECT_EQ(children.Nodes(3).NodeName(), "#cdata-section");
  EXPECT_EQ(children.Nodes(3).NodeValue().AsString(), " raw ");
  EXPECT_EQ(children.Nodes(4).NodeType(), TNodeType::ntText);
  EXPECT_EQ(children.Nodes(4).NodeName(), "#text");
  EXPECT_EQ(children.Nodes(4).NodeValue().AsString(), "\n  text\n");
  EXPECT_TRUE(children.Nodes(4).LocalName().empty());
}

TEST(XMLDocument, KeepsWhitespaceTextWhenAskedToPreserveIt) {
  auto doc = Parse("<r>\n  <a/>\n</r>", poPreserveWhiteSpace);
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_EQ(children.Count(), 3);
  EXPECT_EQ(children.Nodes(0).NodeType(), TNodeType::ntText);
  EXPECT_EQ(children.Nodes(0).NodeValue().AsString(), "\n  ");
  EXPECT_THROW(doc->DocumentElement().NodeValue(), EXMLDocError);
}

TEST(XMLDocument, ReadsTheSingleTextOrCDataOfAnElement) {
  auto doc = Parse(
      "<r><t>Hello &amp; &#233;t&#xE9;</t><c>\n <![CDATA[<b>bold</b>]]>\n</c>"
      "<e/><s>   </s></r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  EXPECT_EQ(children.Nodes("t").NodeValue().AsString(), "Hello & \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(children.Nodes("c").NodeValue().AsString(), "<b>bold</b>");
  EXPECT_TRUE(children.Nodes("e").NodeValue().IsNull());
  EXPECT_TRUE(children.Nodes("s").NodeValue().IsNull());
}

TEST(XMLDocument, GivesAnEmptyElementAnEmptyTextChildWhenItsValueIsRead) {
  auto doc = Parse("<r><e/></r>");
  IXMLNode& empty = doc->DocumentElement().ChildNodes().Nodes(0);
  EXPECT_EQ(empty.ChildNodes().Count(), 0);
  EXPECT_TRUE(empty.NodeValue().IsNull());
  ASSERT_EQ(empty.ChildNodes().Count(), 1);
  EXPECT_EQ(empty.ChildNodes().Nodes(0).NodeType(), TNodeType::ntText);
  EXPECT_TRUE(empty.NodeValue().IsNull());
  EXPECT_EQ(empty.ChildNodes().Count(), 1);
}

TEST(XMLDocument, RefusesTheValueOfMixedOrNestedContent) {
  auto doc = Parse("<r><a><b>x</b></a><c>x<!--n--></c><d>x<![CDATA[y]]></d><e><!--only--></e></r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  for (const char* name : {"a", "c", "d", "e"}) {
    try {
      children.Nodes(name).NodeValue();
      ADD_FAILURE() << name << " gave a value";
    } catch (const EXMLDocError& e) {
      EXPECT_STREQ(e.what(), "Element does not contain a single text node") << name;
    }
  }
}

TEST(XMLDocument, SubstitutesInternalEntitiesIntoOneTextNode) {
  auto doc = Parse("<!DOCTYPE r [<!ENTITY who 'World'>]><r>Hello, &who;!</r>");
  IXMLNode& root = doc->DocumentElement();
  EXPECT_EQ(root.ChildNodes().Count(), 1);
  EXPECT_EQ(root.NodeValue().AsString(), "Hello, World!");
}

TEST(XMLDocument, SubstitutesEntitiesHoldingMarkupAtEveryReference) {
  auto doc = Parse("<!DOCTYPE r [<!ENTITY sig '<b x=\"1\">&amp;</b>'>]><r>a&sig;b&sig;</r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_EQ(children.Count(), 4);
  EXPECT_EQ(children.Nodes(0).NodeValue().AsString(), "a");
  EXPECT_EQ(children.Nodes(1).NodeName(), "b");
  EXPECT_EQ(children.Nodes(1).Attributes("x").AsString(), "1");
  EXPECT_EQ(children.Nodes(1).NodeValue().AsString(), "&");
  EXPECT_EQ(children.Nodes(2).NodeValue().AsString(), "b");
  EXPECT_EQ(children.Nodes(3).NodeValue().AsString(), "&");
}

TEST(XMLDocument, MergesAdjacentCDataSectionsButNotTextBesideThem) {
  auto doc = Parse("<r><c><![CDATA[<p>]]><![CDATA[</p>]]></c><m>x<![CDATA[y]]></m></r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  EXPECT_EQ(children.Nodes("c").ChildNodes().Count(), 1);
  EXPECT_EQ(children.Nodes("c").NodeValue().AsString(), "<p></p>");
  EXPECT_EQ(children.Nodes("m").ChildNodes().Count(), 2);
}

TEST(XMLDocument, LeavesCommentsAndInstructionsOutsideTheRootOut) {
  auto doc = Parse("<?xml version='1.0'?><!-- before --><?pi x?><r>t</r><!-- after --><?pi y?>");
  EXPECT_EQ(doc->DocumentElement().ChildNodes().Count(), 1);
  EXPECT_EQ(doc->DocumentElement().NodeValue().AsString(), "t");
}

TEST(XMLDocument, KeepsAnUndeclaredEntityOfAnExternalDtdAsANodeOfItsOwn) {
  auto doc = Parse("<!DOCTYPE r SYSTEM 'r.dtd'><r>a &nbsp; b</r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_EQ(children.Count(), 3);
  EXPECT_EQ(children.Nodes(1).NodeType(), TNodeType::ntOther);
  EXPECT_EQ(children.Nodes(1).NodeName(), "nbsp");
  EXPECT_THROW(doc->DocumentElement().NodeValue(), EXMLDocError);
}

TEST(XMLDocument, ListsOnlyTheAttributesWrittenInTheDocument) {
  auto doc = Parse(
      "<!DOCTYPE r [<!ATTLIST r mode CDATA 'escaped' xmlns:d CDATA 'urn:d'>]>"
      "<r type='html'><d:x/></r>");
  IXMLNode& root = doc->DocumentElement();
  EXPECT_EQ(root.AttributeNodes().Count(), 1);
  EXPECT_TRUE(root.Attributes("mode").IsNull());
  EXPECT_EQ(root.ChildNodes().Nodes(0).NamespaceURI(), "urn:d");
}

TEST(XMLDocument, KeepsLongTextsAndTheTextsAroundThemIntact) {
  std::string xml = "<r>";
  std::vector<std::string> texts;
  for (size_t size : {10u, 300000u, 70000u, 5u, 65536u, 1u, 130000u}) {
    texts.push_back(std::string(size - 1, static_cast<char>('a' + texts.size())) + "&");
    xml += "<t>" + texts.back().substr(0, size - 1) + "&amp;</t>";
  }
  xml += "</r>";
  auto doc = Parse(xml);
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_EQ(children.Count(), static_cast<int>(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(children.Nodes(static_cast<int>(i)).NodeValue().AsString(), texts[i]) << i;
}

TEST(XMLDocument, ReadsAttributesPresentEmptyOrAbsent) {
  auto doc = Parse("<r version='2.0' empty='' x:mode='m' xmlns:x='urn:x'/>");
  IXMLNode& root = doc->DocumentElement();
  EXPECT_EQ(root.Attributes("version").AsString(), "2.0");
  EXPECT_FALSE(root.Attributes("empty").IsNull());
  EXPECT_EQ(root.Attributes("empty").AsString(), "");
  EXPECT_TRUE(root.Attributes("absent").IsNull());
  EXPECT_EQ(root.Attributes("x:mode").AsString(), "m");
  EXPECT_TRUE(root.Attributes("Version").IsNull());
  IXMLNodeList& attributes = root.AttributeNodes();
  ASSERT_EQ(attributes.Count(), 3);
  EXPECT_EQ(attributes.Nodes(0).NodeName(), "version");
  EXPECT_EQ(attributes.Nodes(2).NodeName(), "x:mode");
  EXPECT_TRUE(attributes.Nodes(1).NodeValue().IsNull());
  EXPECT_EQ(attributes.FindNode("mode"), &attributes.Nodes(2));

  auto lax = Parse("<r/>", 0, doNodeAutoCreate);
  EXPECT_EQ(lax->DocumentElement().Attributes("absent").AsString(), "");
}

TEST(XMLDocument, RaisesForAnIndexOutsideTheList) {
  auto doc = Parse("<r><a/></r>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  EXPECT_NO_THROW(children.Nodes(0));
  for (int index : {-1, 1}) {
    try {
      children.Nodes(index);
      ADD_FAILURE() << index;
    } catch (const EXMLDocError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
}

TEST(XMLDocument, AppendsAMissingElementOnceWhenLookedUpByName) {
  auto doc = Parse("<rss><other/></rss>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  IXMLNode& channel = children.Nodes("channel");
  EXPECT_EQ(channel.NodeName(), "channel");
  EXPECT_EQ(channel.NodeType(), TNodeType::ntElement);
  ASSERT_EQ(children.Count(), 2);
  EXPECT_EQ(&children.Nodes(1), &channel);
  EXPECT_EQ(&children.Nodes("channel"), &channel);
  EXPECT_EQ(children.Count(), 2);
  EXPECT_EQ(channel.ChildNodes().Count(), 0);
  EXPECT_TRUE(channel.NodeValue().IsNull());
  EXPECT_EQ(&children.Nodes("other"), &children.Nodes(0));
}

TEST(XMLDocument, AppendsAMissingElementInTheParentsNamespace) {
  auto doc = Parse("<feed xmlns='http://purl.org/atom/ns#'><title>t</title></feed>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  IXMLNode& added = children.Nodes("head");
  EXPECT_EQ(added.NamespaceURI(), "http://purl.org/atom/ns#");
  EXPECT_EQ(&children.Nodes("head"), &added);
  EXPECT_EQ(children.Count(), 2);
}

TEST(XMLDocument, AppendsAMissingAttributeWithANullValue) {
  auto doc = Parse("<cloud domain='d'/>");
  IXMLNode& cloud = doc->DocumentElement();
  IXMLNodeList& attributes = cloud.AttributeNodes();
  IXMLNode& port = attributes.Nodes("port");
  EXPECT_EQ(port.NodeType(), TNodeType::ntAttribute);
  EXPECT_EQ(port.NodeName(), "port");
  EXPECT_TRUE(port.NodeValue().IsNull());
  EXPECT_EQ(attributes.Count(), 2);
  EXPECT_EQ(&attributes.Nodes("port"), &port);
  EXPECT_EQ(cloud.Attributes("port").AsString(), "");
  EXPECT_EQ(attributes.Nodes("domain").NodeValue().AsString(), "d");
}

TEST(XMLDocument, RaisesForAMissingNodeWithoutAutoCreation) {
  auto doc = Parse("<rss/>", 0, doAttrNull);
  EXPECT_THROW(doc->DocumentElement().ChildNodes().Nodes("channel"), EXMLDocError);
  EXPECT_THROW(doc->DocumentElement().AttributeNodes().Nodes("version"), EXMLDocError);
  EXPECT_EQ(doc->DocumentElement().ChildNodes().Count(), 0);
}

TEST(XMLDocument, FindsChildrenByQualifiedOrLocalNameInANamespaceFreeParent) {
  auto doc = Parse(
      "<item xmlns:media='http://search.yahoo.com/mrss/' "
      "xmlns:content='http://purl.org/rss/1.0/modules/content/'>"
      "<media:title>m</media:title><title>t</title><content:encoded>c</content:encoded>"
      "<media:content url='u'/></item>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_NE(children.FindNode("title"), nullptr);
  EXPECT_EQ(children.FindNode("title")->NodeName(), "media:title");
  EXPECT_EQ(children.FindNode("media:title"), &children.Nodes(0));
  EXPECT_EQ(children.FindNode("content"), &children.Nodes(3));
  EXPECT_EQ(children.FindNode("content:encoded"), &children.Nodes(2));
  EXPECT_EQ(children.FindNode("encoded"), &children.Nodes(2));
  EXPECT_EQ(children.FindNode("dc:date"), nullptr);
  EXPECT_EQ(children.FindNode("Title"), nullptr);
  EXPECT_EQ(children.FindNode(""), nullptr);
}

TEST(XMLDocument, FindsOnlyChildrenOfTheParentsNamespaceIgnoringItsCase) {
  auto doc = Parse(
      "<feed xmlns='http://purl.org/atom/ns#' xmlns:dc='http://purl.org/dc/elements/1.1/' "
      "xmlns:A='HTTP://PURL.ORG/ATOM/NS#'>"
      "<dc:title>dc</dc:title><A:title>atom</A:title><dc:date>d</dc:date></feed>");
  IXMLNodeList& children = doc->DocumentElement().ChildNodes();
  ASSERT_NE(children.FindNode("title"), nullptr);
  EXPECT_EQ(children.FindNode("title")->NodeValue().AsString(), "atom");
  EXPECT_EQ(children.FindNode("dc:date"), nullptr);
  EXPECT_EQ(children.FindNode("date"), nullptr);
}

TEST(XMLDocument, FindsAttributesWhateverTheirNamespace) {
  auto doc =
      Parse("<feed xmlns='http://purl.org/atom/ns#' xmlns:x='urn:x'><link x:href='h'/></feed>");
  IXMLNodeList& attributes = doc->DocumentElement().ChildNodes().Nodes(0).AttributeNodes();
  ASSERT_NE(attributes.FindNode("href"), nullptr);
  EXPECT_EQ(attributes.FindNode("href")->NodeValue().AsString(), "h");
}

TEST(XMLDocument, HandsOutOneWrapperPerNode) {
  auto doc = Parse("<r><a/><b/></r>");
  IXMLNode& root = doc->DocumentElement();
  EXPECT_EQ(&root, &doc->DocumentElement());
  EXPECT_EQ(&root.ChildNodes(), &root.ChildNodes());
  EXPECT_EQ(root.ChildNodes().FindNode("b"), &root.ChildNodes().Nodes(1));
}

TEST(XMLDocument, RefusesABlankFileName) {
  TXMLDocument doc;
  try {
    doc.LoadFromFile("");
    ADD_FAILURE() << "no error";
  } catch (const EXMLDocError& e) {
    EXPECT_STREQ(e.what(), "FileName cannot be blank");
  }
}

TEST(XMLDocument, HoldsNoDocumentAfterAFailedLoad) {
  TXMLDocument doc;
  doc.LoadFromData("<r/>", 4);
  EXPECT_THROW(doc.LoadFromData("<r>", 3), EXMLDocError);
  EXPECT_FALSE(doc.IsLoaded());
  doc.LoadFromData("<s/>", 4);
  EXPECT_EQ(doc.DocumentElement().NodeName(), "s");
}

TEST(XMLDocument, HasNoRootUntilLoadedAndLosesItWhenMadeInactive) {
  TXMLDocument doc;
  EXPECT_FALSE(doc.IsLoaded());
  EXPECT_THROW(doc.DocumentElement(), EXMLDocError);
  doc.LoadFromData("<r/>", 4);
  EXPECT_TRUE(doc.Active());
  EXPECT_EQ(doc.DocumentElement().NodeName(), "r");
  doc.LoadFromData("<s/>", 4);
  EXPECT_EQ(doc.DocumentElement().NodeName(), "s");
  doc.SetActive(false);
  EXPECT_FALSE(doc.IsLoaded());
  EXPECT_THROW(doc.DocumentElement(), EXMLDocError);
}

TEST(XMLDocument, NamesTheSourceAndThePlaceOfAWellFormednessError) {
  const std::string error = ErrorOf("<rss>\n<channel>\n<title>x</channel>\n</rss>");
  EXPECT_EQ(error.rfind("test.xml: not well-formed (line 3, column ", 0), 0u) << error;
  EXPECT_NE(error.find("mismatch"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

TEST(XMLDocument, RefusesEmptyTruncatedAndUnbalancedDocuments) {
  for (const char* xml : {"", " ", "<", "<rss>", "<rss></feed>", "<a/><b/>", "text", "<a b=c/>"})
    EXPECT_NE(ErrorOf(xml).find("test.xml: not well-formed"), std::string::npos) << xml;
}

TEST(XMLDocument, ConvertsDeclaredEncodingsToUtf8) {
  EXPECT_EQ(Parse("<?xml version='1.0' encoding='ISO-8859-1'?><r>caf\xE9</r>")
                ->DocumentElement()
                .NodeValue()
                .AsString(),
            "caf\xC3\xA9");
  EXPECT_EQ(Parse("<?xml version='1.0' encoding='windows-1252'?><r>\x80 \x93q\x94</r>")
                ->DocumentElement()
                .NodeValue()
                .AsString(),
            "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D");
  EXPECT_EQ(Parse("\xEF\xBB\xBF<r>\xC3\xA9</r>")->DocumentElement().NodeValue().AsString(),
            "\xC3\xA9");
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) {
    const std::string unit = c == '@' ? std::string("\xE9\x00", 2) : std::string{c, '\0'};
    bytes += bigEndian ? std::string{unit[1], unit[0]} : unit;
  }
  return bytes;
}

TEST(XMLDocument, ReadsUtf16WithAByteOrderMark) {
  for (bool bigEndian : {false, true}) {
    auto doc = Parse(Utf16("<?xml version='1.0' encoding='UTF-16'?><r a='@'>h@</r>", bigEndian));
    EXPECT_EQ(doc->DocumentElement().NodeValue().AsString(), "h\xC3\xA9") << bigEndian;
    EXPECT_EQ(doc->DocumentElement().Attributes("a").AsString(), "\xC3\xA9") << bigEndian;
  }
}

TEST(XMLDocument, RefusesInvalidUtf8) {
  EXPECT_NE(ErrorOf("<r>a\xFF\xFE b</r>").find("not well-formed"), std::string::npos);
  EXPECT_NE(ErrorOf("<r>\xC3</r>").find("not well-formed"), std::string::npos);
}

TEST(XMLDocument, KeepsTextWholeWhereItCrossesAChunkOfTheFile) {
  // The fetcher hands the parser 64 KiB at a time; put a text with leading blanks astride.
  const std::string head = "<r><pad>" + std::string(65536 - 24, 'p') + "</pad>\n<t>";
  const std::string xml = head + "      \n    value</t>\n</r>";
  const auto path = std::filesystem::temp_directory_path() /
                    ("vantle_chunks_" + std::to_string(::getpid()) + ".xml");
  std::ofstream(path, std::ios::binary) << xml;
  TXMLDocument doc;
  doc.LoadFromFile(path.string());
  std::filesystem::remove(path);
  IXMLNodeList& children = doc.DocumentElement().ChildNodes();
  ASSERT_EQ(children.Count(), 2);
  EXPECT_EQ(children.Nodes("t").NodeValue().AsString(), "      \n    value");
}

class XMLDocumentHostile : public testing::Test {
 protected:
  void SetUp() override {
    FSecret = std::filesystem::temp_directory_path() /
              ("vantle_secret_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(FSecret) << "TOP-SECRET-CONTENT";
  }
  void TearDown() override { std::filesystem::remove(FSecret); }

  static std::string AllText(IXMLNode& node) {
    if (node.NodeType() != TNodeType::ntElement) return node.NodeValue().StringOr("");
    std::string text;
    for (int i = 0; i < node.AttributeNodes().Count(); ++i)
      text += AllText(node.AttributeNodes().Nodes(i));
    for (int i = 0; i < node.ChildNodes().Count(); ++i) text += AllText(node.ChildNodes().Nodes(i));
    return text;
  }

  // Loads `xml`; a refusal is fine, but the secret must never reach the document.
  void ExpectSecretUnread(const std::string& xml) {
    std::unique_ptr<TXMLDocument> doc;
    try {
      doc = Parse(xml);
    } catch (const EXMLDocError&) {
      return;
    }
    EXPECT_EQ(AllText(doc->DocumentElement()).find("TOP-SECRET"), std::string::npos) << xml;
  }

  std::filesystem::path FSecret;
};

TEST_F(XMLDocumentHostile, NeverReadsAnExternalEntity) {
  const std::string path = FSecret.string();
  ExpectSecretUnread("<!DOCTYPE r [<!ENTITY x SYSTEM 'file://" + path + "'>]><r>&x;</r>");
  ExpectSecretUnread("<!DOCTYPE r [<!ENTITY x SYSTEM '" + path + "'>]><r>&x;</r>");
  ExpectSecretUnread("<!DOCTYPE r [<!ENTITY % p SYSTEM '" + path + "'> %p;]><r>x</r>");
  ExpectSecretUnread("<!DOCTYPE r SYSTEM '" + path + "'><r>x</r>");
}

TEST_F(XMLDocumentHostile, StopsExponentialEntityExpansion) {
  std::string xml = "<!DOCTYPE l [<!ENTITY a0 'lollollollollollollollollollol'>";
  for (int level = 1; level <= 10; ++level) {
    xml += "<!ENTITY a" + std::to_string(level) + " '";
    for (int i = 0; i < 10; ++i) xml += "&a" + std::to_string(level - 1) + ";";
    xml += "'>";
  }
  xml += "]><l>&a10;</l>";
  EXPECT_NE(ErrorOf(xml).find("test.xml: not well-formed"), std::string::npos);
}

TEST_F(XMLDocumentHostile, StopsQuadraticEntityExpansion) {
  std::string xml = "<!DOCTYPE l [<!ENTITY big '" + std::string(100000, 'x') + "'>]><l>";
  for (int i = 0; i < 20000; ++i) xml += "&big;";
  xml += "</l>";
  EXPECT_NE(ErrorOf(xml).find("test.xml: not well-formed"), std::string::npos);
}

TEST_F(XMLDocumentHostile, StopsQuadraticExpansionOfEntitiesHoldingElements) {
  std::string elements;
  for (int i = 0; i < 2000; ++i) elements += "<e/>";
  std::string xml = "<!DOCTYPE l [<!ENTITY many '" + elements + "'>]><l>";
  for (int i = 0; i < 20000; ++i) xml += "&many;";
  xml += "</l>";
  const std::string error = ErrorOf(xml);
  EXPECT_NE(error.find("test.xml: not well-formed (line 1, column "), std::string::npos) << error;
  EXPECT_NE(error.find("entity references expand"), std::string::npos) << error;
}

TEST_F(XMLDocumentHostile, AcceptsEntitiesUsedInModeration) {
  std::string xml = "<!DOCTYPE l [<!ENTITY sig '<b>signature</b> of the feed'>]><l>";
  for (int i = 0; i < 5000; ++i) xml += "<i>&sig;</i>";
  xml += "</l>";
  auto doc = Parse(xml);
  EXPECT_EQ(doc->DocumentElement().ChildNodes().Count(), 5000);
}

std::string Nested(int depth) {
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<a>";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  return xml;
}

TEST_F(XMLDocumentHostile, RefusesVeryDeepNestingCleanly) {
  EXPECT_NO_THROW(Parse(Nested(256)));
  const std::string error = ErrorOf(Nested(257));
  EXPECT_EQ(error.rfind("test.xml: not well-formed (line 1, column ", 0), 0u) << error;
  EXPECT_NE(error.find("nest more than 256 levels"), std::string::npos) << error;
  EXPECT_NE(ErrorOf(Nested(100000)).find("test.xml: not well-formed"), std::string::npos);
}

TEST_F(XMLDocumentHostile, RefusesBinaryGarbage) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(1 + random() % 4096, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    EXPECT_NE(ErrorOf(bytes).find("not well-formed"), std::string::npos) << round;
  }
}

}  // namespace
}  // namespace vantle
