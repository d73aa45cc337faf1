#include <gtest/gtest.h>
#include <libxml/xmlmemory.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DocumentEncoding.h"
#include "XMLDocument.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;
using std::string_literals::operator""s;

const fs::path kSamples = fs::path(VANTLE_EXAMPLES_DIR) / "encodings";

std::string TitleOf(TXMLDocument& doc) {
  return doc.DocumentElement()
      .ChildNodes()
      .Nodes("channel")
      .ChildNodes()
      .Nodes("title")
      .NodeValue()
      .AsString();
}

TEST(DocumentEncoding, TakesTheMarkThenTheDeclarationThenTheCharsetThenUtf8) {
  using enum TEncodingSource;
  struct TCase {
    std::string Head, Charset, Name;
    TEncodingSource Source;
    size_t MarkSize;
  };
  const std::vector<TCase> cases = {
      {"\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?>", "koi8-r", "UTF-8",
       esByteOrderMark, 3},
      {"\xFF\xFE<\0"s, "", "UTF-16LE", esByteOrderMark, 2},
      {"\xFF\xFE\0\0<\0\0\0"s, "", "UTF-32LE", esByteOrderMark, 4},
      {"\0\0\xFE\xFF\0\0\0<"s, "", "UTF-32BE", esByteOrderMark, 4},
      {"<\0\0\0?\0\0\0"s, "utf-8", "UTF-32LE", esDeclaration, 0},
      {"<\0?\0x\0m\0"s, "", "UTF-16LE", esDeclaration, 0},
      {"<?xml version=\"1.0\" encoding = \"KOI8-R\" ?><rss/>", "utf-8", "KOI8-R", esDeclaration, 0},
      {"<?xml version='1.0' encoding='ISO-8859-1'?>", "", "WINDOWS-1252", esDeclaration, 0},
      {"<?xml version='1.0' encoding='UTF-16'?><rss/>", "", "UTF-8", esDefault, 0},
      {"<?xml version='1.0'?><rss/>", "latin1", "WINDOWS-1252", esContentType, 0},
      {"<?xml version='1.0' encoding='utf-8'?>", "latin1", "UTF-8", esDeclaration, 0},
      {"<rss encoding='koi8-r'>", "", "UTF-8", esDefault, 0},
      {"<rss>", "utf-16", "UTF-8", esDefault, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Head);
    const TDocumentEncoding encoding = DecideDocumentEncoding(c.Head, c.Charset);
    EXPECT_EQ(encoding.Name, c.Name);
    EXPECT_EQ(encoding.Source, c.Source);
    EXPECT_EQ(encoding.MarkSize, c.MarkSize);
  }
}

TEST(DocumentEncoding, ReadsTheCharsetParameterOfAContentType) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"text/xml; charset=ISO-8859-1", "ISO-8859-1"},
      {"application/rss+xml;Charset=\"windows-1252\"", "windows-1252"},
      {"text/xml; q=1; CHARSET = utf-8 ", "utf-8"},
      {"text/xml", ""},
  };
  for (const auto& [type, charset] : cases) EXPECT_EQ(CharsetOfContentType(type), charset) << type;
}

TEST(DocumentEncoding, ReadsWindows1252HighBytesAsBrowsersDoAndTheRestAsLatin1) {
  std::string bytes;
  for (int byte = 0x80; byte < 0xA0; ++byte) bytes += static_cast<char>(byte);
  bytes += "\xA0\xE9\xFF";
  const std::string xml = "<?xml version='1.0' encoding='windows-1252'?><t>" + bytes + "</t>";
  TXMLDocument doc;
  doc.LoadFromData(xml.data(), xml.size());
  EXPECT_EQ(doc.DocumentElement().NodeValue().AsString(),
            "€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ\u00A0éÿ");
  // Text that grows threefold in UTF-8 is decoded piece by piece without loss.
  const std::string quotes(400000, '\x93');
  const std::string large = "<?xml version='1.0' encoding='ISO-8859-1'?><t>" + quotes + "</t>";
  doc.LoadFromData(large.data(), large.size());
  std::string expected;
  for (size_t i = 0; i < quotes.size(); ++i) expected += "“";
  EXPECT_TRUE(doc.DocumentElement().NodeValue().AsString() == expected);
}

TEST(EncodingSamples, EachSampleReadsAsItsTextWasWritten) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"rss2-iso-8859-1-with-cp1252-punctuation.xml", "“Café” – 5 €"},
      {"rss2-us-ascii-with-cp1252-apostrophe.xml", "Today’s news"},
      {"rss2-iso-8859-1-undefined-byte.xml", "a\u0081b"},
      {"rss2-utf8-bom-declares-iso-8859-1.xml", "Café"},
      {"rss2-utf8-declared.xml", "Café"},
      {"rss2-utf16be-bom.xml", "Café ☕ 𝄞"},
      {"rss2-utf32le-bom.xml", "Café ☕ 𝄞"},
      {"rss2-utf32be-no-bom.xml", "Café ☕ 𝄞"},
  };
  for (const auto& [file, title] : cases) {
    SCOPED_TRACE(file);
    TXMLDocument doc;
    doc.LoadFromFile((kSamples / file).string());
    EXPECT_EQ(TitleOf(doc), title);
  }
}

// libxml2's allocator, failing from the `FailFrom`th request on.
int Requests = 0;
int FailFrom = 0;
bool Failing() {
  return FailFrom > 0 && ++Requests >= FailFrom;
}
void* FailingMalloc(size_t size) {
  return Failing() ? nullptr : std::malloc(size);
}
void* FailingRealloc(void* block, size_t size) {
  return Failing() ? nullptr : std::realloc(block, size);
}
char* FailingStrdup(const char* text) {
  return Failing() ? nullptr : strdup(text);
}

TEST(XMLDocumentFaults, RunningOutOfMemoryIsNotReportedAsNotWellFormed) {
  const std::string xml = "<?xml version='1.0' encoding='ISO-8859-1'?><rss><channel>" +
                          std::string(3000, 'x') + "<title a='1'>t&amp;</title></channel></rss>";
  xmlFreeFunc freeFunc;
  xmlMallocFunc mallocFunc;
  xmlReallocFunc reallocFunc;
  xmlStrdupFunc strdupFunc;
  xmlMemGet(&freeFunc, &mallocFunc, &reallocFunc, &strdupFunc);
  {
    TXMLDocument warm;  // libxml2 sets itself up before its allocator is replaced
    warm.LoadFromData(xml.data(), xml.size());
  }
  xmlMemSetup(std::free, FailingMalloc, FailingRealloc, FailingStrdup);
  int failures = 0;
  for (int from = 1; from <= 60; ++from) {
    Requests = 0;
    FailFrom = from;
    TXMLDocument doc;
    try {
      doc.LoadFromData(xml.data(), xml.size());
    } catch (const EXMLDocError& e) {
      ++failures;
      EXPECT_EQ(std::string(e.what()).find("not well-formed"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("the XML parser failed"), std::string::npos) << e.what();
    }
  }
  FailFrom = 0;
  xmlMemSetup(freeFunc, mallocFunc, reallocFunc, strdupFunc);
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace vantle
