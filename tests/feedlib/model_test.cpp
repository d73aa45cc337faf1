#include <gtest/gtest.h>

#include <string>

#include "SimpleRSSConst.h"
#include "SimpleRSSException.h"
#include "SimpleRSSTypes.h"
#include "SimpleRSSUtils.h"
#include "XMLDocument.h"

namespace vantle {
namespace {

TEST(RequiredFields, ReadBlankTextsAsPlaceholdersAndKeepOthersUntrimmed) {
  TRSSChannelReq channel;
  EXPECT_EQ(channel.Title(), "Title Required");
  EXPECT_EQ(channel.Link(), "Link Required");
  EXPECT_EQ(channel.Desc(), "Description Required");
  channel.SetTitle("   ");
  EXPECT_EQ(channel.Title(), "Title Required");
  EXPECT_EQ(channel.StoredTitle(), "   ");
  channel.SetTitle(" News ");
  EXPECT_EQ(channel.Title(), " News ");
  channel.SetLink("\t\r\n\x01\x1F ");
  EXPECT_EQ(channel.Link(), "Link Required");
  channel.SetDesc("\x7F");
  EXPECT_EQ(channel.Desc(), "\x7F");
  channel.SetDesc("\xC2\xA0");
  EXPECT_EQ(channel.Desc(), "\xC2\xA0");
}

TEST(RequiredFields, ReadANewImageAsPlaceholders) {
  TRSSImageReq image;
  EXPECT_EQ(image.URL(), "URL Required");
  EXPECT_EQ(image.Title(), "Title Required");
  EXPECT_EQ(image.Link(), "Link Required");
  image.SetURL("http://x/logo.png");
  image.SetTitle("Logo");
  image.SetLink(" ");
  EXPECT_EQ(image.URL(), "http://x/logo.png");
  EXPECT_EQ(image.Title(), "Logo");
  EXPECT_EQ(image.Link(), "Link Required");
}

TEST(ChannelModel, StartsWithItsDefaults) {
  TRSSChannel channel;
  const TRSSChannelOpt& opt = channel.Optional;
  EXPECT_EQ(opt.Language, langEN);
  EXPECT_EQ(opt.XLang, "");
  EXPECT_EQ(opt.TTL(), 60);
  EXPECT_EQ(opt.Docs, sDefaultDocs);
  EXPECT_FALSE(opt.Docs.empty());
  EXPECT_EQ(opt.Categories.Count(), 0);
  EXPECT_FALSE(opt.Image.Include);
  EXPECT_FALSE(opt.Cloud.Include);
  EXPECT_FALSE(opt.TextInput.Include);
  EXPECT_EQ(opt.Cloud.Port(), 0);
  EXPECT_EQ(opt.Image.Optional.Width(), 0);
  EXPECT_EQ(opt.Image.Optional.Height(), 0);
  for (int hour = 0; hour < 24; ++hour) EXPECT_FALSE(opt.SkipHours.Hour(hour)) << hour;
  for (int day = 0; day < 7; ++day) EXPECT_FALSE(opt.SkipDays.Day(day)) << day;
}

TEST(ChannelModel, ClampsTtlWidthHeightAndPort) {
  TRSSChannel channel;
  TRSSChannelOpt& opt = channel.Optional;
  opt.SetTTL(-5);
  EXPECT_EQ(opt.TTL(), 0);
  opt.SetTTL(0);
  EXPECT_EQ(opt.TTL(), 0);
  opt.SetTTL(1440);
  EXPECT_EQ(opt.TTL(), 1440);
  TRSSImageOpt& image = opt.Image.Optional;
  image.SetWidth(200);
  EXPECT_EQ(image.Width(), 144);
  image.SetWidth(-1);
  EXPECT_EQ(image.Width(), 0);
  image.SetWidth(144);
  EXPECT_EQ(image.Width(), 144);
  image.SetHeight(401);
  EXPECT_EQ(image.Height(), 400);
  image.SetHeight(400);
  EXPECT_EQ(image.Height(), 400);
  image.SetHeight(INT32_MIN);
  EXPECT_EQ(image.Height(), 0);
  opt.Cloud.SetPort(0);
  EXPECT_EQ(opt.Cloud.Port(), 1);
  opt.Cloud.SetPort(-80);
  EXPECT_EQ(opt.Cloud.Port(), 1);
  opt.Cloud.SetPort(80);
  EXPECT_EQ(opt.Cloud.Port(), 80);
}

TEST(ChannelModel, MapsHourAndDayIndexesToTheirFlags) {
  TRSSChannelSkipHours hours;
  hours.Hour(0) = true;
  hours.Hour(23) = true;
  hours.Hour(7) = true;
  EXPECT_TRUE(hours.h00);
  EXPECT_TRUE(hours.h23);
  EXPECT_TRUE(hours.h07);
  EXPECT_FALSE(hours.h01);
  EXPECT_THROW(hours.Hour(24), Exception);
  EXPECT_THROW(hours.Hour(-1), Exception);
  TRSSChannelSkipDays days;
  days.Day(0) = true;
  days.Day(6) = true;
  EXPECT_TRUE(days.Monday);
  EXPECT_TRUE(days.Sunday);
  EXPECT_FALSE(days.Saturday);
  EXPECT_THROW(days.Day(7), Exception);
}

TEST(ItemModel, StartsWithItsDefaults) {
  TRSSItems items;
  TRSSItem& item = items.Add();
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(item.ContentType, ctText);
  EXPECT_FALSE(item.GUID.IsPermaLink);
  EXPECT_FALSE(item.GUID.Include);
  EXPECT_FALSE(item.Enclosure.Include);
  EXPECT_EQ(item.Enclosure.Length, 0);
  EXPECT_FALSE(item.Source.Include);
  EXPECT_EQ(item.Categories.Count(), 0);
  EXPECT_EQ(item.Title, "");
}

TEST(ItemModel, KeepsItemsInOrderAndTheirReferencesValid) {
  TRSSItems items;
  TRSSItem& first = items.Add();
  first.Title = "first";
  for (int i = 1; i < 1000; ++i) items.Add().Title = std::to_string(i);
  EXPECT_EQ(&items.Items(0), &first);
  EXPECT_EQ(first.Title, "first");
  EXPECT_EQ(items.Items(999).Title, "999");
  TRSSItemCategory& category = first.Categories.Add();
  category.Title = "c";
  EXPECT_EQ(first.Categories.Items(0).Title, "c");
}

TEST(Languages, MatchCodesExactly) {
  EXPECT_EQ(StrToLanguage("en-us"), langEN_US);
  EXPECT_EQ(static_cast<int>(langEN_US), 25);
  EXPECT_EQ(StrToLanguage("zh-cn"), langZH_CN);
  EXPECT_EQ(static_cast<int>(langZH_CN), 6);
  EXPECT_EQ(StrToLanguage("af"), langAF);
  EXPECT_EQ(StrToLanguage("uk"), langUK);
  EXPECT_EQ(static_cast<int>(langUK), 95);
  EXPECT_EQ(StrToLanguage("haw"), langHAW);
  EXPECT_EQ(StrToLanguage("de"), langDE);
  EXPECT_EQ(static_cast<int>(langDE), 39);
  for (const char* code : {"EN-US", "en_us", " en", "en ", "", "xx", "en-u"})
    EXPECT_EQ(StrToLanguage(code), langX) << '"' << code << '"';
  EXPECT_EQ(static_cast<int>(langX), 96);
}

TEST(Languages, GiveEveryTableEntryItsOwnEnumerator) {
  for (size_t i = 0; i < LanguageCodes.size(); ++i)
    EXPECT_EQ(static_cast<size_t>(StrToLanguage(LanguageCodes[i])), i) << LanguageCodes[i];
}

class SkipLists : public testing::Test {
 protected:
  IXMLNode& Load(const std::string& xml) {
    FDoc.LoadFromData(xml.data(), xml.size());
    return FDoc.DocumentElement();
  }
  TXMLDocument FDoc;
};

TEST_F(SkipLists, SetOnlyHoursWrittenExactly) {
  TRSSChannelSkipHours hours;
  ParseSkipHours(Load("<skipHours><hour>0</hour><hour>23</hour><hour>24</hour><hour>07</hour>"
                      "<h> 5</h><x>12</x><hour/></skipHours>"),
                 hours);
  for (int hour = 0; hour < 24; ++hour)
    EXPECT_EQ(hours.Hour(hour), hour == 0 || hour == 23 || hour == 12) << hour;
}

TEST_F(SkipLists, NeverClearHoursAlreadySet) {
  TRSSChannelSkipHours hours;
  hours.h05 = true;
  ParseSkipHours(Load("<skipHours><hour>6</hour></skipHours>"), hours);
  EXPECT_TRUE(hours.h05);
  EXPECT_TRUE(hours.h06);
}

TEST_F(SkipLists, SetOnlyDaysWrittenExactly) {
  TRSSChannelSkipDays days;
  ParseSkipDays(Load("<skipDays><day>Sunday</day><day>sunday</day><day>Sun</day>"
                     "<day>Monday </day><day/></skipDays>"),
                days);
  for (int day = 0; day < 7; ++day) EXPECT_EQ(days.Day(day), day == 6) << day;
}

TEST_F(SkipLists, RaiseForAChildThatIsNotOneText) {
  TRSSChannelSkipDays days;
  EXPECT_THROW(ParseSkipDays(Load("<skipDays><day><b>Monday</b></day></skipDays>"), days),
               EXMLDocError);
}

std::string DecodeError(std::string_view text) {
  try {
    DecodeBase64(text);
  } catch (const TSimpleRSSException& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Base64, DecodesWholeAndPaddedGroups) {
  EXPECT_EQ(DecodeBase64(""), "");
  EXPECT_EQ(DecodeBase64("TWFu"), "Man");
  EXPECT_EQ(DecodeBase64("TWE="), "Ma");
  EXPECT_EQ(DecodeBase64("TQ=="), "M");
  EXPECT_EQ(DecodeBase64("PGI+aGk8L2I+"), "<b>hi</b>");
  EXPECT_EQ(DecodeBase64("+/+/"), "\xFB\xFF\xBF");
  EXPECT_EQ(DecodeBase64("AAEC"), std::string("\x00\x01\x02", 3));
}

TEST(Base64, GoesOnAfterAPaddedGroup) {
  EXPECT_EQ(DecodeBase64("TQ==TWFu"), "MMan");
  EXPECT_EQ(DecodeBase64("TQ=A"), "M");
}

TEST(Base64, RefusesALengthThatIsNotAMultipleOfFour) {
  EXPECT_EQ(DecodeError("TWF"), "Invalid Base64 text: its length 3 is not a multiple of 4");
  EXPECT_EQ(DecodeError("TWFu\nTWFu"), "Invalid Base64 text: its length 9 is not a multiple of 4");
}

TEST(Base64, RefusesCharactersOutsideTheAlphabet) {
  EXPECT_EQ(DecodeError("TW u"), "Invalid Base64 character 0x20 at position 3");
  EXPECT_EQ(DecodeError("TWFu\r\nTW"), "Invalid Base64 character 0x0D at position 5");
  EXPECT_EQ(DecodeError("=WFu"), "Invalid Base64 character '=' at position 1");
  EXPECT_EQ(DecodeError("T=Fu"), "Invalid Base64 character '=' at position 2");
  EXPECT_EQ(DecodeError("TW-u"), "Invalid Base64 character '-' at position 3");
  EXPECT_EQ(DecodeError("TWF\xC3"), "Invalid Base64 character 0xC3 at position 4");
}

}  // namespace
}  // namespace vantle
