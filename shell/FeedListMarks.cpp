#include "FeedListMarks.h"

#include "FeedMarkPainter.h"
#include "GridControl.h"

namespace vantle {

namespace {

constexpr int LinkColumn = 0;
constexpr int MarginColumn = 1;

}  // namespace

TFeedListMarks::TFeedListMarks(TGridControl& grid, std::function<std::string()> shownLink,
                               std::function<TUnixTime()> now)
    : FGrid(grid), FShownLink(std::move(shownLink)), FNow(std::move(now)) {}

void TFeedListMarks::SetFacts(std::map<std::string, TFeedFacts> facts) {
  FFacts = std::move(facts);
  FGrid.RepaintCol(MarginColumn);
}

TFeedFacts TFeedListMarks::FactsOf(const std::string& link) const {
  const auto found = FFacts.find(link);
  return found == FFacts.end() ? TFeedFacts{} : found->second;
}

TFeedFacts TFeedListMarks::RowFacts(int row) const {
  const std::string link = FGrid.Cells(LinkColumn, row);
  TFeedFacts facts = FactsOf(link);
  facts.Shown = !link.empty() && link == FShownLink();
  return facts;
}

TFeedMark TFeedListMarks::MarkOf(int row) const {
  return FeedMark(RowFacts(row), FNow());
}

QStringList TFeedListMarks::NotesOf(int row) const {
  return FeedNotes(RowFacts(row), FNow());
}

void TFeedListMarks::DrawCell(int row, int col, QPainter& painter, const QRect& rect) const {
  if (col == MarginColumn && !FFacts.empty()) PaintFeedMark(painter, rect, MarkOf(row));
}

}  // namespace vantle
