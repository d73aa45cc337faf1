#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QPainter>

#include <optional>
#include <set>
#include <string>

#include "FeedMarkPainter.h"
#include "FeedNotes.h"
#include "GroupNewsMarks.h"
#include "component_support.h"

namespace vantle {
namespace {

// 10 Dec 2026 14:02:00 UTC.
constexpr TUnixTime At1402 = 1796911320;
constexpr TUnixTime Now = At1402 + 3600;

TFeedRecord Standing(TFeedStanding standing, std::string reason = {}, std::string movedTo = {}) {
  TFeedRecord record;
  record.Link = "http://example.org/feed";
  record.Standing = standing;
  record.StandingSince = At1402;
  record.Reason = std::move(reason);
  record.MovedTo = std::move(movedTo);
  return record;
}

TFeedRecord NotBefore(TUnixTime until, std::string reason) {
  TFeedRecord record = Standing(TFeedStanding::Fine);
  record.NotBefore = until;
  record.NotBeforeReason = std::move(reason);
  return record;
}

struct TNotesCase {
  std::string name;
  TFeedFacts facts;
  TFeedMark mark;
  QStringList notes;
};

TEST(FeedNotes, SayWhatIsNewAndWhatWentWrongInTheTooltipsWords) {
  const TFeedRecord failing = Standing(TFeedStanding::Failing, "host not found (DNS)");
  const std::vector<TNotesCase> cases = {
      {"a feed never fetched", {}, TFeedMark::None, {}},
      {"a fine feed with nothing new",
       {Standing(TFeedStanding::Fine), {}, 0, false},
       TFeedMark::None,
       {}},
      {"one new item", {{}, {}, 1, false}, TFeedMark::NewItems, {"1 new item"}},
      {"several new items", {{}, {}, 12, false}, TFeedMark::NewItems, {"12 new items"}},
      {"the feed shown with new items",
       {{}, {}, 2, true},
       TFeedMark::NewItems,
       {"2 new items", "Press F5 to read the new items"}},
      {"the feed shown with nothing new", {{}, {}, 0, true}, TFeedMark::None, {}},
      {"a failing feed",
       {failing, {}, 0, false},
       TFeedMark::Warning,
       {"Not reachable since 10 Dec 14:02: host not found (DNS)"}},
      {"a failing feed with new items from its stored copy",
       {failing, {}, 3, false},
       TFeedMark::Warning,
       {"Not reachable since 10 Dec 14:02: host not found (DNS)", "3 new items"}},
      {"a gone feed",
       {Standing(TFeedStanding::Gone, "the server says this feed was removed (410)"), {}, 0, false},
       TFeedMark::Warning,
       {"Gone: the server says this feed was removed (410)"}},
      {"a gone feed kept without a reason",
       {Standing(TFeedStanding::Gone), {}, 0, false},
       TFeedMark::Warning,
       {"Gone: the server says this feed was removed (410)"}},
      {"a moved feed",
       {Standing(TFeedStanding::Moved, {}, "https://example.net/feed"), {}, 0, false},
       TFeedMark::Warning,
       {"Moved to https://example.net/feed"}},
      {"a feed whose link already is the new one",
       {Standing(TFeedStanding::Moved, {}, "http://example.org/feed"), {}, 0, false},
       TFeedMark::None,
       {}},
      {"a host that asked to wait",
       {{}, THostDeferral{"http://example.org:80", Now + 60, "HTTP status 429"}, 0, false},
       TFeedMark::Warning,
       {"Asked to wait until 10 Dec 15:03: HTTP status 429"}},
      {"a host whose wait is over",
       {{}, THostDeferral{"http://example.org:80", Now, "HTTP status 429"}, 1, false},
       TFeedMark::NewItems,
       {"1 new item"}},
      {"a feed that asked to wait",
       {NotBefore(Now + 120, "retry-after"), {}, 0, false},
       TFeedMark::Warning,
       {"Asked to wait until 10 Dec 15:04: retry-after"}},
      {"a feed fresh for a while is no trouble",
       {NotBefore(Now + 120, "max-age"), {}, 0, false},
       TFeedMark::None,
       {}},
  };
  for (const TNotesCase& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(FeedMark(test.facts, Now), test.mark);
    EXPECT_EQ(FeedNotes(test.facts, Now, QTimeZone::utc()), test.notes);
  }
}

TEST(FeedNotes, GiveTheTimeInTheZoneAsked) {
  const TFeedFacts facts{Standing(TFeedStanding::Failing, "timed out"), {}, 0, false};
  EXPECT_EQ(FeedNotes(facts, Now, QTimeZone(3600 * 2)),
            QStringList{"Not reachable since 10 Dec 16:02: timed out"});
}

TEST(FeedMarkPainter, DrawsEachMarkInsideTheMarginOverItsBackground) {
  const QColor selected(223, 224, 214);
  for (const auto& [mark, colour] :
       {std::pair{TFeedMark::None, selected}, std::pair{TFeedMark::NewItems, NewItemsColour},
        std::pair{TFeedMark::Warning, WarningColour}}) {
    SCOPED_TRACE(static_cast<int>(mark));
    QImage cell(10, 35, QImage::Format_RGB32);
    cell.fill(selected);
    QPainter painter(&cell);
    PaintFeedMark(painter, cell.rect(), mark);
    painter.end();
    EXPECT_EQ(cell.pixelColor(5, 18), colour);
    EXPECT_EQ(cell.pixelColor(0, 0), selected);
    EXPECT_EQ(cell.pixelColor(5, 8), selected);
    EXPECT_EQ(cell.pixelColor(5, 27), selected);
  }
}

TEST(GroupNewsMarks, DotTheGroupsWithNewsAndKeepEveryName) {
  QComboBox groups;
  groups.addItems({"News", "Sport", "Tech"});
  MarkGroupsWithNews(groups, {"Sport", "Gone group"});
  EXPECT_EQ(groups.itemIcon(1).pixmap(16).toImage().pixelColor(8, 8), NewItemsColour);
  for (int i : {0, 2})
    EXPECT_EQ(groups.itemIcon(i).pixmap(16).toImage().pixelColor(8, 8).alpha(), 0);
  EXPECT_EQ(groups.itemText(0), "News");
  EXPECT_EQ(groups.itemText(1), "Sport");
  EXPECT_EQ(groups.itemText(2), "Tech");

  MarkGroupsWithNews(groups, {"Gone group"});
  for (int i = 0; i < groups.count(); ++i) EXPECT_TRUE(groups.itemIcon(i).isNull());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
