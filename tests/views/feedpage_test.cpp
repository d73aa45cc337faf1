#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FeedPage.h"
#include "SimpleRSS.h"

namespace vantle {
namespace {

// A reader whose values carry what the page treats specially: quotes in links (escaped in
// attributes only), line breaks and markup (written as they are).
void Fill(TSimpleRSS& reader, int items, size_t descriptionSize) {
  reader.Channel().Required.SetTitle("T \"q\" <b>");
  reader.Channel().Optional.Image.Required.SetURL("\"http://x/\"img\".png\"");
  for (int i = 0; i < items; ++i) {
    TRSSItem& item = reader.Items().Add();
    item.Title = "Title \"" + std::to_string(i) + "\"";
    item.Link = i % 2 == 0 ? "http://x/\"" + std::to_string(i) + "\"\"" : "";
    item.Description = "<p>line\r\nbreak</p>" + std::string(descriptionSize, 'd');
  }
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::vector<std::string> Chunks(const TSimpleRSS& reader, uint8_t style) {
  std::vector<std::string> chunks;
  WriteFeedPage(reader, style, [&](std::string_view text) { chunks.emplace_back(text); });
  return chunks;
}

std::string Concatenated(const std::vector<std::string>& chunks) {
  std::string text;
  for (const std::string& chunk : chunks) text += chunk;
  return text;
}

TEST(FeedPage, WrittenPageIsTheLinesEachFollowedByCarriageReturnAndLineFeed) {
  struct TCase {
    int Items;
    size_t DescriptionSize;
  };
  for (const TCase& c : {TCase{0, 0}, TCase{1, 0}, TCase{4, 10}, TCase{5, 3}, TCase{3000, 200},
                         TCase{3, PageChunkSize - 20}, TCase{2, PageChunkSize + 1}}) {
    TSimpleRSS reader;
    Fill(reader, c.Items, c.DescriptionSize);
    for (uint8_t style : {uint8_t{0}, uint8_t{1}, uint8_t{2}}) {
      EXPECT_EQ(Concatenated(Chunks(reader, style)), Joined(FeedPageLines(reader, style)))
          << c.Items << " items of " << c.DescriptionSize << ", style " << int{style};
    }
  }
}

TEST(FeedPage, LargePageIsHandedOnInFullChunksOfTheFixedSize) {
  TSimpleRSS reader;
  Fill(reader, 3000, 200);
  const std::vector<std::string> chunks = Chunks(reader, 0);
  ASSERT_GT(chunks.size(), 2u);
  for (size_t i = 0; i + 1 < chunks.size(); ++i) {
    EXPECT_LE(chunks[i].size(), PageChunkSize);
    // A chunk is passed on only when the next piece no longer fits.
    EXPECT_GT(chunks[i].size(), PageChunkSize - 300);
  }
  EXPECT_FALSE(chunks.back().empty());
}

TEST(FeedPage, UnknownStyleWritesNothing) {
  TSimpleRSS reader;
  Fill(reader, 3, 0);
  EXPECT_TRUE(Chunks(reader, 2).empty());
  EXPECT_TRUE(Chunks(reader, 255).empty());
}

}  // namespace
}  // namespace vantle
