#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "SimpleRSSException.h"
#include "SimpleRSSUtils.h"

namespace vantle {
namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;

TEST(Base64, DecodesTheStandardTestVectors) {
  EXPECT_EQ(DecodeBase64(""), "");
  EXPECT_EQ(DecodeBase64("Zg=="), "f");
  EXPECT_EQ(DecodeBase64("Zm8="), "fo");
  EXPECT_EQ(DecodeBase64("Zm9v"), "foo");
  EXPECT_EQ(DecodeBase64("Zm9vYg=="), "foob");
  EXPECT_EQ(DecodeBase64("Zm9vYmE="), "fooba");
  EXPECT_EQ(DecodeBase64("Zm9vYmFy"), "foobar");
}

TEST(Base64, DecodesEveryCharacterOfTheAlphabetToItsSixBits) {
  // The alphabet in order is the sextets 0..63: 64 characters, 48 bytes.
  const std::string decoded =
      DecodeBase64("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
  ASSERT_EQ(decoded.size(), 48u);
  for (int sextet = 0; sextet < 64; ++sextet) {
    const int bit = sextet * 6;
    int value = 0;
    for (int i = 0; i < 6; ++i) {
      const int at = bit + i;
      const auto byte = static_cast<unsigned char>(decoded[static_cast<size_t>(at / 8)]);
      value = value << 1 | (byte >> (7 - at % 8) & 1);
    }
    EXPECT_EQ(value, sextet) << "sextet " << sextet;
  }
}

TEST(Base64, KeepsBinaryBytesAndMultiByteText) {
  EXPECT_EQ(DecodeBase64("AAAA"), std::string(3, '\0'));
  EXPECT_EQ(DecodeBase64("////"), "\xFF\xFF\xFF");
  EXPECT_EQ(DecodeBase64("+/+/"), "\xFB\xFF\xBF");
  EXPECT_EQ(DecodeBase64("Y2Fmw6k="), "caf\xC3\xA9");
}

TEST(Base64, DecodesEveryGroupEvenAfterAPaddedOne) {
  EXPECT_EQ(DecodeBase64("SA==SGk="), "HHi");
  // A pad in the third place gives one byte, whatever the fourth holds.
  EXPECT_EQ(DecodeBase64("SG=k"), "H");
}

TEST(Base64, FailsOnALengthThatIsNotAMultipleOfFour) {
  EXPECT_THAT([] { DecodeBase64("SGk"); },
              ThrowsMessage<TSimpleRSSException>(
                  StrEq("Invalid Base64 text: its length 3 is not a multiple of 4")));
  // Line breaks count as characters.
  EXPECT_THAT([] { DecodeBase64("SGVs\nbG8="); },
              ThrowsMessage<TSimpleRSSException>(
                  StrEq("Invalid Base64 text: its length 9 is not a multiple of 4")));
}

TEST(Base64, FailsOnACharacterOutsideTheAlphabetNamingItAndItsPlace) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"SGk!", "Invalid Base64 character '!' at position 4"},
      {"SGk=\nSGk", "Invalid Base64 character 0x0A at position 5"},
      {"SG k", "Invalid Base64 character 0x20 at position 3"},
      {"=AAA", "Invalid Base64 character '=' at position 1"},
      {"S===", "Invalid Base64 character '=' at position 2"},
      {"SGk-", "Invalid Base64 character '-' at position 4"},
      {"SGk\xC3", "Invalid Base64 character 0xC3 at position 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_THAT([&] { DecodeBase64(c.text); },
                ThrowsMessage<TSimpleRSSException>(StrEq(c.message)));
  }
}

}  // namespace
}  // namespace vantle
