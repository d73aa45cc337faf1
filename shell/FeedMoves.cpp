#include "FeedMoves.h"

#include "GridControl.h"
#include "UfrmControl.h"
#include "store/Subscriptions.h"

namespace vantle {

std::string FollowFeedMove(TfrmControl& window, const std::string& link,
                           const std::string& movedTo) {
  if (movedTo.empty() || movedTo == link || window.ListIsUnloaded()) return link;
  const TStoreOutcome outcome = window.Subscriptions().ChangeFeedLink(window.CurrentGroup(), link,
                                                                      movedTo, window.FeedState());
  if (outcome != TStoreOutcome::Done) return link;
  ShowGroupAgainAt(window, movedTo);
  return movedTo;
}

void ShowGroupAgainAt(TfrmControl& window, const std::string& link) {
  window.LoadGroup();
  window.SetRowHeights();
  TGridControl& grid = *window.FeedGrid;
  for (int row = 0; !link.empty() && row < grid.RowCount(); ++row) {
    if (grid.Cells(0, row) == link) {
      grid.FocusCell(2, row);
      window.FeedGridSelectRow(row);
      break;
    }
  }
}

}  // namespace vantle
