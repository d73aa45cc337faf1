#pragma once

#include <QStringList>

#include <functional>
#include <map>
#include <string>

#include "FeedNotes.h"

class QPainter;
class QRect;

namespace vantle {

class TGridControl;

// What the feed list shows of each feed's news and trouble: a mark in the margin column and
// lines in the title's tooltip, from a snapshot of facts by link that the owner refreshes.
class TFeedListMarks {
 public:
  // Over `grid`, which outlives this; `shownLink` names the feed shown, `now` the time.
  TFeedListMarks(TGridControl& grid, std::function<std::string()> shownLink,
                 std::function<TUnixTime()> now);

  // Replaces the facts and repaints the margin.
  void SetFacts(std::map<std::string, TFeedFacts> facts);
  // The facts of `link`: nothing known when there are none.
  TFeedFacts FactsOf(const std::string& link) const;
  // The mark of a row and the lines its tooltip adds.
  TFeedMark MarkOf(int row) const;
  QStringList NotesOf(int row) const;
  // Paints a row's mark when `col` is the margin; for the grid's OnDrawCell.
  void DrawCell(int row, int col, QPainter& painter, const QRect& rect) const;

 private:
  TFeedFacts RowFacts(int row) const;

  TGridControl& FGrid;
  std::function<std::string()> FShownLink;
  std::function<TUnixTime()> FNow;
  std::map<std::string, TFeedFacts> FFacts;
};

}  // namespace vantle
