#include "store/GridText.h"

#include <gtest/gtest.h>

namespace vantle {
namespace {

const std::string Fffd = "\xEF\xBF\xBD";

TEST(GridText, KeepsValidUtf8AsItIs) {
  const std::string text = "News \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(ValidUtf8(text), text);
}

TEST(GridText, ReplacesEachMalformedUtf8SequenceOnce) {
  EXPECT_EQ(ValidUtf8("a\xFF"
                      "b"),
            "a" + Fffd + "b");
  // A sequence cut short is one replacement, and the byte that broke it is read again.
  EXPECT_EQ(ValidUtf8("\xE2\x82"
                      "b"),
            Fffd + "b");
  EXPECT_EQ(ValidUtf8("\xE2\x82"), Fffd);
  // Overlong forms and encoded surrogates are not characters.
  EXPECT_EQ(ValidUtf8("\xC0\x80"), Fffd + Fffd);
  EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), Fffd + Fffd + Fffd);
  EXPECT_EQ(ValidUtf8("\xF4\x90\x80\x80"), Fffd + Fffd + Fffd + Fffd);
}

TEST(GridText, CountsUtf16UnitsWithSurrogatePairsAsTwo) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("Caf\xC3\xA9"), 4u);
  EXPECT_EQ(Utf16Length("\xE6\x97\xA5\xE6\x9C\xAC"), 2u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);
}

TEST(GridText, ConvertsBetweenUtf8AndUtf16BothWays) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, (std::u16string{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(GridText, ReplacesUnpairedSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D}), Fffd);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDE00, u'a'}), Fffd + "a");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDE00, 0xD83D}), Fffd + Fffd);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, u'x', 0xDE00}), Fffd + "x" + Fffd);
}

TEST(GridText, DecodesWindows1252) {
  EXPECT_EQ(Windows1252ToUtf8("abc"), "abc");
  EXPECT_EQ(Windows1252ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\xC5\xB8");
  EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");
  EXPECT_EQ(Windows1252ToUtf8("\xFF"), "\xC3\xBF");
}

TEST(GridText, TellsAsciiFromOtherBytes) {
  EXPECT_TRUE(IsAscii(""));
  EXPECT_TRUE(IsAscii(std::string("a\0\x7F", 3)));
  EXPECT_FALSE(IsAscii("a\x80"));
}

}  // namespace
}  // namespace vantle
