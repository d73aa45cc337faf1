#include <QComboBox>
#include <QDateTime>
#include <QHelpEvent>
#include <QImage>
#include <QLocale>
#include <QToolTip>

#include <map>
#include <string>
#include <vector>

#include "FeedListMarks.h"
#include "FeedListRows.h"
#include "FeedMarkPainter.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::TFeedRow;
using test::WaitFor;
namespace groupfile = test::groupfile;

class WindowMarks : public test::TWindowTest {
 protected:
  QRect Cell(int row, int col) const {
    TGridControl& grid = *Window->FeedGrid;
    return grid.visualRect(grid.model()->index(row, col));
  }

  // Whether the title of `row` shows `expected` as its tooltip, or none when it is empty.
  bool ShowsTooltip(int row, const QString& expected) {
    QWidget& viewport = *Window->FeedGrid->viewport();
    const QPoint at = Cell(row, 2).center();
    QHelpEvent help(QEvent::ToolTip, at, viewport.mapToGlobal(at));
    QApplication::sendEvent(&viewport, &help);
    if (expected.isEmpty()) return WaitFor([] { return !QToolTip::isVisible(); }, 5000);
    return QToolTip::isVisible() && QToolTip::text() == expected;
  }
};

TEST_F(WindowMarks, MarkTheMarginAndSayWhyInTheTooltipLeavingTheMarginEmpty) {
  const std::string longTitle = "C" + std::string(80, 'W');
  const std::vector<TFeedRow> feeds = {{WriteFeed("a.xml", "A"), "Alpha"},
                                       {WriteFeed("b.xml", "B"), "Beta"},
                                       {WriteFeed("c.xml", "C"), longTitle},
                                       {WriteFeed("d.xml", "D"), "Delta"}};
  WriteData("News.dat", groupfile::Group(feeds));
  TfrmControl& window = Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::mouseClick(window.FeedGrid->viewport(), Qt::LeftButton, {}, Cell(0, 2).center());
  ASSERT_TRUE(WaitFor([&] { return window.CurrentLink() == feeds[0].Link; }));

  TFeedRecord failing;
  failing.Link = feeds[2].Link;
  failing.Standing = TFeedStanding::Failing;
  failing.StandingSince = 0;
  failing.Reason = "host not found (DNS)";
  window.FeedMarks().SetFacts({{feeds[0].Link, {{}, {}, 2, false}},
                               {feeds[1].Link, {{}, {}, 1, false}},
                               {feeds[2].Link, {failing, {}, 0, false}}});
  const QImage picture = window.FeedGrid->viewport()->grab().toImage();

  struct TRowCase {
    int row;
    QColor mark;        // at the margin's centre
    QColor background;  // at the margin's corner
    QString tooltip;
  };
  const QColor base = window.FeedGrid->palette().color(QPalette::Base);
  const QString since = QStringLiteral("Not reachable since %1: host not found (DNS)")
                            .arg(QLocale::c().toString(QDateTime::fromSecsSinceEpoch(0),
                                                       QStringLiteral("d MMM HH:mm")));
  const std::vector<TRowCase> rows = {
      {0, NewItemsColour, SelectedRowColour, "2 new items\nPress F5 to read the new items"},
      {1, NewItemsColour, base, "1 new item"},
      {2, WarningColour, base, QString::fromStdString(longTitle) + "\n" + since},
      {3, base, base, QString()},
  };
  for (const TRowCase& test : rows) {
    SCOPED_TRACE(test.row);
    const QRect margin = Cell(test.row, 1);
    EXPECT_EQ(picture.pixelColor(margin.center()), test.mark);
    EXPECT_EQ(picture.pixelColor(margin.topLeft()), test.background);
    EXPECT_TRUE(ShowsTooltip(test.row, test.tooltip)) << QToolTip::text().toStdString();
  }
  // The margin's cells stay empty, in the list and in the file written from it.
  Close();
  TGridControl written;
  written.LoadFromBytes(ReadData("News.dat"));
  ASSERT_EQ(written.RowCount(), 4);
  for (int row = 0; row < written.RowCount(); ++row) EXPECT_EQ(written.Cells(1, row), "");
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
