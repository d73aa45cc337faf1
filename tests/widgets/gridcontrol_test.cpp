#include "GridControl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QTest>

#include <memory>
#include <vector>

#include "store/GridStream.h"

namespace vantle {
namespace {

using ::testing::ElementsAre;

// The application lives from before the first test to after the last, and is gone before
// the program's statics are destroyed.
class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[17] = "gridcontrol_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const QtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

class GridControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid_ = std::make_unique<TGridControl>();
    grid_->resize(200, 300);
  }

  // The feed-list shape: link, margin, title; two feeds.
  void FillFeeds() {
    grid_->SetColCount(3);
    grid_->SetRowCount(2);
    grid_->SetColWidths(0, 0);
    grid_->SetColWidths(1, 10);
    grid_->SetColWidths(2, 176);
    for (int row = 0; row < 2; ++row) grid_->SetRowHeights(row, 35);
    grid_->SetCells(0, 0, "http://a.example/feed");
    grid_->SetCells(2, 0, "A");
    grid_->SetCells(0, 1, "http://b.example/feed");
    grid_->SetCells(2, 1, "B");
  }

  void Show() {
    grid_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid_.get()));
  }

  QImage Picture() { return grid_->viewport()->grab().toImage(); }

  QPoint CellCentre(int col, int row) const {
    return QPoint(grid_->columnViewportPosition(col) + grid_->columnWidth(col) / 2,
                  grid_->rowViewportPosition(row) + grid_->rowHeight(row) / 2);
  }

  // Pixels of the cell that differ from `background`.
  int InkIn(const QImage& picture, int col, int row, QColor background) const {
    int ink = 0;
    const QRect cell(grid_->columnViewportPosition(col), grid_->rowViewportPosition(row),
                     grid_->columnWidth(col), grid_->rowHeight(row));
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
      for (int x = cell.left(); x <= cell.right(); ++x) {
        if (picture.pixelColor(x, y) != background) ++ink;
      }
    }
    return ink;
  }

  // The first line of the cell holding ink, from its top; -1 for none.
  int FirstInkLine(const QImage& picture, int col, int row, QColor background) const {
    const int top = grid_->rowViewportPosition(row);
    const int left = grid_->columnViewportPosition(col);
    for (int y = 0; y < grid_->rowHeight(row); ++y) {
      for (int x = 0; x < grid_->columnWidth(col); ++x) {
        if (picture.pixelColor(left + x, top + y) != background) return y;
      }
    }
    return -1;
  }

  // What a user's double click delivers: a press and release, then the double click and its
  // release.
  void DoubleClick(QPoint at) {
    QTest::mousePress(grid_->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, {}, at);
  }

  QColor Base() const { return grid_->palette().color(QPalette::Base); }

  std::unique_ptr<TGridControl> grid_;
};

TEST_F(GridControlTest, SetsAndReadsItsCounts) {
  grid_->SetColCount(3);
  grid_->SetRowCount(5);
  grid_->SetFixedCols(1);
  grid_->SetFixedRows(0);
  EXPECT_EQ(grid_->ColCount(), 3);
  EXPECT_EQ(grid_->RowCount(), 5);
  EXPECT_EQ(grid_->FixedCols(), 1);
  EXPECT_EQ(grid_->FixedRows(), 0);
  grid_->SetRowCount(-2);
  EXPECT_EQ(grid_->RowCount(), 0);
}

TEST_F(GridControlTest, KeepsTheStoredTextOfEachCell) {
  FillFeeds();
  EXPECT_EQ(grid_->Cells(2, 1), "B");
  EXPECT_EQ(grid_->Cells(1, 1), "");
  const std::string odd("caf\xC3\xA9 \xFF\0end", 12);
  grid_->SetCells(1, 0, odd);
  EXPECT_EQ(grid_->Cells(1, 0), odd);
  grid_->SetCells(2, 1, "");
  EXPECT_EQ(grid_->Cells(2, 1), "");
  grid_->SetCells(3, 0, "outside");
  grid_->SetCells(0, 2, "outside");
  EXPECT_EQ(grid_->Cells(3, 0), "");
  EXPECT_EQ(grid_->Cells(0, 2), "");
  EXPECT_EQ(grid_->Cells(-1, -1), "");
}

TEST_F(GridControlTest, ClearsAppendsAndRemovesRows) {
  FillFeeds();
  grid_->AddRow();
  ASSERT_EQ(grid_->RowCount(), 3);
  EXPECT_EQ(grid_->Cells(2, 2), "");
  grid_->SetCells(2, 2, "C");
  grid_->RemoveRow(0);
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->Cells(2, 0), "B");
  EXPECT_EQ(grid_->Cells(2, 1), "C");
  grid_->RemoveRow(7);
  EXPECT_EQ(grid_->RowCount(), 2);
  grid_->ClearAll();
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->ColCount(), 3);
  EXPECT_EQ(grid_->Cells(2, 0), "");
  EXPECT_EQ(grid_->Cells(0, 1), "");
}

TEST_F(GridControlTest, GivesAColumnOfWidthZeroNoRoomAtAll) {
  FillFeeds();
  Show();
  EXPECT_EQ(grid_->ColWidths(0), 0);
  EXPECT_EQ(grid_->ColWidths(1), 10);
  EXPECT_EQ(grid_->RowHeights(1), 35);
  EXPECT_EQ(grid_->columnViewportPosition(1), 0);
  EXPECT_EQ(grid_->columnAt(0), 1);
  EXPECT_EQ(grid_->ColWidths(5), 0);
}

TEST_F(GridControlTest, MovesAndReadsTheCursor) {
  FillFeeds();
  grid_->FocusCell(2, 1);
  EXPECT_EQ(grid_->Row(), 1);
  EXPECT_EQ(grid_->Col(), 2);
  grid_->FocusCell(0, 0);
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(grid_->Col(), 0);
  grid_->FocusCell(9, 9);
  EXPECT_EQ(grid_->Row(), 0);
}

TEST_F(GridControlTest, StretchesTheLastColumnToTheVisibleWidth) {
  FillFeeds();
  Show();
  grid_->StretchLastColumn();
  EXPECT_EQ(grid_->ColWidths(2), grid_->viewport()->width() - 10);
  grid_->resize(300, 300);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->ColWidths(2), grid_->viewport()->width() - 10);
  EXPECT_EQ(grid_->ColWidths(0), 0);
}

TEST_F(GridControlTest, MeasuresTextsInItsFont) {
  QFont font("Tahoma");
  font.setPixelSize(11);
  grid_->setFont(font);
  const QString text = "News of the day";
  EXPECT_EQ(grid_->TextWidth(text), QFontMetrics(font).horizontalAdvance(text));
  EXPECT_GT(grid_->TextWidth(text), grid_->TextWidth("News"));
}

TEST_F(GridControlTest, PaintsTheBackgroundTheOwnerChoosesAndNoSelection) {
  FillFeeds();
  const QColor chosen(223, 224, 214);
  grid_->OnGetCellColor = [&](int row, int, QBrush& brush, QFont&) {
    if (row == 1) brush = QBrush(chosen);
  };
  Show();
  grid_->FocusCell(2, 0);
  const QImage picture = Picture();
  // Row 0 holds the cursor yet keeps the normal background; row 1 is the owner's.
  EXPECT_EQ(picture.pixelColor(5, 2), Base());
  EXPECT_EQ(picture.pixelColor(5, 35 + 2), chosen);
  EXPECT_EQ(picture.pixelColor(150, 35 + 33), chosen);
  // No grid line between the rows nor between the columns.
  EXPECT_EQ(picture.pixelColor(150, 34), Base());
  EXPECT_EQ(picture.pixelColor(10, 35 + 20), chosen);
}

TEST_F(GridControlTest, PaintsTheTextTheOwnerDecides) {
  FillFeeds();
  std::vector<std::pair<int, QString>> asked;
  grid_->OnGetDisplText = [&](int col, int row, QString& value) {
    if (col == 2) asked.emplace_back(row, value);
    if (row == 0) value.clear();
    if (row == 1 && col == 1) value = "MMMM";
  };
  Show();
  const QImage picture = Picture();
  EXPECT_EQ(InkIn(picture, 2, 0, Base()), 0);
  EXPECT_GT(InkIn(picture, 2, 1, Base()), 0);
  EXPECT_GT(InkIn(picture, 1, 1, Base()), 0);
  EXPECT_EQ(InkIn(picture, 1, 0, Base()), 0);
  EXPECT_THAT(asked, ::testing::Contains(std::make_pair(1, QString("B"))));
  EXPECT_THAT(asked, ::testing::Contains(std::make_pair(0, QString("A"))));
  EXPECT_EQ(grid_->Cells(2, 0), "A");
}

TEST_F(GridControlTest, AlignsTextsAsTheOwnerDecides) {
  FillFeeds();
  Show();
  const int top = FirstInkLine(Picture(), 2, 0, Base());
  grid_->OnGetAlignment = [](int, int, Qt::Alignment&, Qt::Alignment& vertical) {
    vertical = Qt::AlignVCenter;
  };
  grid_->RepaintAll();
  const int centred = FirstInkLine(Picture(), 2, 0, Base());
  ASSERT_GE(top, 0);
  EXPECT_GT(centred, top + 5);
}

TEST_F(GridControlTest, RepaintsAColumnWithWhatTheEventsNowSay) {
  FillFeeds();
  QColor colour = Qt::white;
  grid_->OnGetCellColor = [&](int, int, QBrush& brush, QFont&) { brush = QBrush(colour); };
  Show();
  colour = QColor(10, 200, 10);
  grid_->RepaintCol(2);
  EXPECT_EQ(Picture().pixelColor(150, 5), colour);
}

TEST_F(GridControlTest, ReportsAClickAndADoubleClickOnACell) {
  FillFeeds();
  Show();
  std::vector<std::string> events;
  grid_->OnClickCell = [&](int row, int col) {
    events.push_back("click " + std::to_string(row) + "," + std::to_string(col));
  };
  grid_->OnDblClickCell = [&](int row, int col) {
    events.push_back("double " + std::to_string(row) + "," + std::to_string(col));
  };
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, CellCentre(2, 1));
  EXPECT_THAT(events, ElementsAre("click 1,2"));
  EXPECT_EQ(grid_->Row(), 1);
  events.clear();
  DoubleClick(CellCentre(2, 0));
  EXPECT_THAT(events, ElementsAre("click 0,2", "double 0,2"));
}

TEST_F(GridControlTest, LeavesTheCursorAloneOnARightClick) {
  FillFeeds();
  Show();
  int clicks = 0;
  grid_->OnClickCell = [&](int, int) { ++clicks; };
  grid_->FocusCell(2, 0);
  QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, CellCentre(2, 1));
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(clicks, 0);
}

TEST_F(GridControlTest, TakesNoClicksWhileDisabled) {
  FillFeeds();
  Show();
  int clicks = 0;
  grid_->OnClickCell = [&](int, int) { ++clicks; };
  grid_->OnDblClickCell = [&](int, int) { ++clicks; };
  grid_->setEnabled(false);
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, CellCentre(2, 1));
  DoubleClick(CellCentre(2, 1));
  EXPECT_EQ(clicks, 0);
}

TEST_F(GridControlTest, ShowsItsPopupMenuOnlyWhileEnabled) {
  FillFeeds();
  Show();
  QMenu menu;
  menu.addAction("New Feed...");
  grid_->SetPopupMenu(&menu);
  const QPoint at = CellCentre(2, 1);
  QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid_->viewport()->mapToGlobal(at));
  QApplication::sendEvent(grid_->viewport(), &request);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
  grid_->setEnabled(false);
  QContextMenuEvent again(QContextMenuEvent::Mouse, at, grid_->viewport()->mapToGlobal(at));
  QApplication::sendEvent(grid_->viewport(), &again);
  EXPECT_FALSE(menu.isVisible());
}

class GridContentTest : public GridControlTest {};

TEST_F(GridContentTest, SavesItsWholeContentInTheGroupFormat) {
  FillFeeds();
  const std::string bytes = grid_->SaveToBytes();
  TGridReader reader(bytes);
  const TGridProps props = reader.Props();
  EXPECT_EQ(props.ColCount, 3);
  EXPECT_EQ(props.RowCount, 2);
  EXPECT_THAT(props.ColWidths, ElementsAre(0, 10, 176));
  EXPECT_THAT(props.RowHeights, ElementsAre(35, 35));
  EXPECT_TRUE(props.FullGrid);
  TGridWriter expected;
  expected.WriteProps(props);
  expected.WriteCell(0, 0, "http://a.example/feed");
  expected.WriteCell(2, 0, "A");
  expected.WriteCell(0, 1, "http://b.example/feed");
  expected.WriteCell(2, 1, "B");
  EXPECT_EQ(bytes, expected.Bytes());
}

TEST_F(GridContentTest, SavesAnEmptyGroupAsTheFirstRecordAlone) {
  grid_->SetColCount(3);
  grid_->SetRowCount(1);
  const std::string bytes = grid_->SaveToBytes();
  TGridReader reader(bytes);
  EXPECT_EQ(reader.Props().RowCount, 1);
  TGridCell cell;
  EXPECT_FALSE(reader.ReadCell(cell));
}

TEST_F(GridContentTest, LoadsAWholeGridInPlaceOfItsContent) {
  TGridWriter writer;
  writer.WriteProps(TGridProps{3, 2, {0, 10, 176}, {35, 40}, true, 1});
  writer.WriteCell(0, 1, "link");
  writer.WriteCell(2, 1, "title");
  grid_->SetColCount(5);
  grid_->SetRowCount(4);
  grid_->SetCells(4, 3, "old");
  grid_->SetCells(2, 0, "old");
  grid_->LoadFromBytes(writer.Bytes());
  EXPECT_EQ(grid_->ColCount(), 3);
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->ColWidths(0), 0);
  EXPECT_EQ(grid_->ColWidths(2), 176);
  EXPECT_EQ(grid_->RowHeights(1), 40);
  EXPECT_EQ(grid_->Cells(2, 0), "");
  EXPECT_EQ(grid_->Cells(0, 1), "link");
  EXPECT_EQ(grid_->Cells(2, 1), "title");
}

TEST_F(GridContentTest, GivesNewRowsTheHeightMostLoadedRowsHave) {
  EXPECT_EQ((grid_->SetRowCount(1), grid_->RowHeights(0)), 24);
  TGridWriter writer;
  writer.WriteProps(TGridProps{1, 4, {50}, {40, 35, 35, 12}, true, 1});
  grid_->LoadFromBytes(writer.Bytes());
  grid_->AddRow();
  EXPECT_EQ(grid_->RowHeights(0), 40);
  EXPECT_EQ(grid_->RowHeights(1), 35);
  EXPECT_EQ(grid_->RowHeights(3), 12);
  EXPECT_EQ(grid_->RowHeights(4), 35);
}

TEST_F(GridContentTest, ReadsBackEveryKindOfTitleInFull) {
  const std::vector<std::string> titles = {std::string(300, 'T'), "Caf\xC3\xA9", "\xC3\xA9",
                                           "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80"};
  grid_->SetColCount(3);
  grid_->SetRowCount(201);
  for (std::size_t i = 0; i < titles.size(); ++i) {
    grid_->SetCells(0, 196 + int(i), "http://example.com/" + std::to_string(i));
    grid_->SetCells(2, 196 + int(i), titles[i]);
  }
  grid_->SetColWidths(0, 0);
  const std::string bytes = grid_->SaveToBytes();
  TGridControl copy;
  copy.LoadFromBytes(bytes + "x");
  EXPECT_EQ(copy.RowCount(), 201);
  EXPECT_EQ(copy.ColWidths(0), 0);
  for (std::size_t i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(copy.Cells(2, 196 + int(i)), titles[i]);
    EXPECT_EQ(copy.Cells(0, 196 + int(i)), "http://example.com/" + std::to_string(i));
  }
  // Every cell record comes out again as it went in.
  const std::string again = copy.SaveToBytes();
  EXPECT_EQ(again.substr(again.find("TPF0", 4)), bytes.substr(bytes.find("TPF0", 4)));
}

TEST_F(GridContentTest, KeepsTheRowsReadBeforeAnError) {
  FillFeeds();
  const std::string bytes = grid_->SaveToBytes();
  TGridControl copy;
  try {
    copy.LoadFromBytes(bytes.substr(0, bytes.size() - 3));
    FAIL() << "a cut file loaded";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EXPECT_EQ(copy.RowCount(), 2);
  EXPECT_EQ(copy.Cells(0, 0), "http://a.example/feed");
  EXPECT_EQ(copy.Cells(2, 0), "A");
  EXPECT_EQ(copy.Cells(0, 1), "http://b.example/feed");
  EXPECT_EQ(copy.Cells(2, 1), "");
}

TEST_F(GridContentTest, LeavesItselfAloneWhenTheFirstRecordIsBad) {
  FillFeeds();
  std::string bytes = grid_->SaveToBytes();
  bytes[bytes.find("0,10,176") + 2] = 'x';
  EXPECT_THROW(grid_->LoadFromBytes(bytes), TGridStreamException);
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->Cells(2, 1), "B");
}

TEST_F(GridContentTest, PlacesAPartRelativeToItsFirstCellAndKeepsTheSizes) {
  FillFeeds();
  TGridWriter writer;
  writer.WriteProps(TGridProps{9, 1, std::vector<int>(9, 50), {99}, false, 1});
  writer.WriteCell(4, 10, "x");
  writer.WriteCell(5, 11, "y");
  writer.WriteCell(9, 10, "beyond");
  try {
    grid_->LoadFromBytes(writer.Bytes());
    FAIL() << "a cell outside the grid was placed";
  } catch (const TGridStreamException& e) {
    EXPECT_EQ(e.Message(), "Invalid property value");
  }
  EXPECT_EQ(grid_->ColCount(), 3);
  EXPECT_EQ(grid_->RowCount(), 2);
  EXPECT_EQ(grid_->ColWidths(2), 176);
  EXPECT_EQ(grid_->RowHeights(0), 35);
  EXPECT_EQ(grid_->Cells(0, 0), "x");
  EXPECT_EQ(grid_->Cells(1, 1), "y");
  EXPECT_EQ(grid_->Cells(2, 0), "A");
}

TEST_F(GridContentTest, RefusesToSaveMoreRowsThanTheFormatHolds) {
  grid_->SetColCount(3);
  grid_->SetRowCount(GridMaxRows + 1);
  EXPECT_THROW(grid_->SaveToBytes(), TGridStreamException);
}

}  // namespace
}  // namespace vantle
