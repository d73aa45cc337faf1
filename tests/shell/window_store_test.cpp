#include <gmock/gmock.h>

#include <QComboBox>

#include <sys/resource.h>

#include <csignal>

#include "window_fixture.h"

namespace vantle {
namespace {

using test::Box;
using test::TFeedRow;
using test::TModalScript;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;
namespace groupfile = test::groupfile;

class WindowStore : public test::TWindowTest {
 protected:
  // Puts `rows` into the window's list as they are, without sorting.
  void FillList(const std::vector<TFeedRow>& rows) {
    TGridControl& grid = *Window->FeedGrid;
    grid.SetRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      grid.SetCells(0, row, rows[static_cast<size_t>(row)].Link);
      grid.SetCells(2, row, rows[static_cast<size_t>(row)].Title);
    }
    Window->SetRowHeights();
    grid.setEnabled(true);
  }

  // The file of `group` as the window would write `rows`, with the ID the file carries.
  std::string Expected(const QString& group, const std::vector<TFeedRow>& rows) const {
    return groupfile::Group(rows, Window->FeedGrid->ColWidths(2),
                            groupfile::IdOf(ReadData(group + ".dat")));
  }

  // Selects `group` in the group list as the user would.
  void Switch(const QString& group) {
    Window->GroupBox->setCurrentIndex(Window->GroupBox->findText(group));
    Window->GroupBoxChange();
  }

  // Switches to `group`, whose file cannot be read, and returns the message shown.
  QString SwitchToUnreadable(const QString& group) {
    QString message;
    TModalScript script;
    script.Then(Box(QMessageBox::Ok, &message));
    test::RunCommand([this, group] { Switch(group); });
    EXPECT_TRUE(script.Done()) << "no error was shown";
    return message;
  }

  const std::vector<TFeedRow> Good = {{"good-1", "Alpha"}, {"good-2", "Beta"}};
};

TEST_F(WindowStore, ListsGroupsAlphabeticallyWithoutRegardToCase) {
  WriteData("News.dat", groupfile::Group({}));
  WriteData("blog.dat", groupfile::Group({}));
  WriteData("Art.dat", groupfile::Group({}));
  WriteData("Settings.ruv", "[SETTINGS]\r\n");
  Start();
  EXPECT_EQ(Groups(), (QStringList{"Art", "blog", "News"}));
}

TEST_F(WindowStore, NamesAGroupByItsFileNameWithoutTheLastExtension) {
  WriteData("a.b.dat", groupfile::Group({}));
  Start();
  EXPECT_EQ(Groups(), QStringList{"a.b"});
  EXPECT_EQ(Window->CurrentGroup(), "a.b");
}

TEST_F(WindowStore, WritesANewGroupAsTheListRecordAlone) {
  Start().CreateGroup("Fresh");
  const std::string written = ReadData("Fresh.dat");
  EXPECT_EQ(written,
            groupfile::PropsRecord(1, Window->FeedGrid->ColWidths(2), groupfile::IdOf(written)));
  EXPECT_TRUE(Window->GroupBox->isEnabled());
  EXPECT_EQ(Window->CurrentGroup(), "Fresh");
}

TEST_F(WindowStore, WritesTheCellRecordOfAFourLetterTitleInFiftyOneBytes) {
  WriteData("Feeds.dat", groupfile::Group({}));
  Start();
  FillList({{"https://example.org/news.xml", "News"}});
  Window->SaveGroup();
  const std::string record(
      "TPF0\x0BTGridCellIO\x00\x03"
      "Col\x02\x02\x03Row\x02\x00\x04"
      "Cell\x06\x04News\x07HasProp\x08\x00\x00",
      51);
  const std::string written = ReadData("Feeds.dat");
  ASSERT_GE(written.size(), record.size());
  EXPECT_EQ(written.substr(written.size() - record.size()), record);
}

TEST_F(WindowStore, SavesAndReloadsTitlesInEveryTextEncoding) {
  WriteData("Mixed.dat", groupfile::Group({}));
  Start();
  const std::vector<TFeedRow> rows = {
      {std::string(200, 'l'), std::string(300, 'T')},        // tag 6 with length 200, tag 12
      {"cafe-link", "Caf\xC3\xA9"},                          // 5 bytes, 4 units: tag 20
      {"e-link", "\xC3\xA9"},                                // 2 bytes, 1 unit: tag 18
      {"cjk-link", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},  // three-byte characters: tag 18
  };
  FillList(rows);
  Window->SaveGroup();
  const std::string written = ReadData("Mixed.dat");
  EXPECT_EQ(written, Expected("Mixed", rows));
  EXPECT_NE(written.find(std::string("\x0C\x2C\x01\x00\x00", 5) + std::string(300, 'T')),
            std::string::npos);
  EXPECT_NE(written.find("\x06\xC8" + std::string(200, 'l')), std::string::npos);
  EXPECT_NE(written.find(std::string("\x14\x05\x00\x00\x00"
                                     "Caf\xC3\xA9",
                                     9)),
            std::string::npos);
  EXPECT_NE(written.find(std::string("\x12\x01\x00\x00\x00\xE9\x00", 7)), std::string::npos);
  EXPECT_NE(written.find(std::string("\x12\x03\x00\x00\x00\xE5\x65\x2C\x67\x9E\x8A", 11)),
            std::string::npos);

  Close();
  Window.reset();
  Start();
  EXPECT_THAT(FeedsInList(), UnorderedElementsAreArray(rows));
}

TEST_F(WindowStore, WritesRowTwoHundredWithATwoByteNumber) {
  WriteData("Many.dat", groupfile::Group({}));
  Start();
  std::vector<TFeedRow> rows;
  for (int i = 0; i <= 200; ++i) {
    rows.push_back({"link-" + std::to_string(1000 + i), "Feed " + std::to_string(1000 + i)});
  }
  FillList(rows);
  Window->SaveGroup();
  const std::string written = ReadData("Many.dat");
  EXPECT_EQ(written, Expected("Many", rows));
  EXPECT_NE(written.find(std::string("\x03Row\x03\xC8\x00", 7)), std::string::npos);
  Close();
  Window.reset();
  Start();
  EXPECT_EQ(FeedsInList(), rows);
}

TEST_F(WindowStore, LoadsAFileWithOneStrayByteAfterItsLastRecord) {
  WriteData("Stray.dat", groupfile::Group(Good) + "\x01");
  Start();
  EXPECT_EQ(FeedsInList(), Good);
  EXPECT_TRUE(Window->FeedGrid->isEnabled());
}

TEST_F(WindowStore, ShowsLongTitlesShortenedButKeepsThemWhole) {
  const std::string title(300, 'W');
  WriteData("Long.dat", groupfile::Group({{"long-link", title}}));
  Start();
  QString painted = QString::fromStdString(title);
  Window->FeedGridGetDisplText(2, 0, painted);
  EXPECT_TRUE(painted.endsWith(".."));
  EXPECT_LT(Window->FeedGrid->TextWidth(painted), Window->FeedGrid->ColWidths(2));
  EXPECT_EQ(Window->FeedGrid->Cells(2, 0), title);
  Close();
  EXPECT_EQ(FeedsOnDisk("Long"), (std::vector<TFeedRow>{{"long-link", title}}));
}

TEST_F(WindowStore, PaintsATitleWholeOnlyWhenItIsNarrowerThanItsColumn) {
  const std::string title = "Technology News";
  WriteData("Tech.dat", groupfile::Group({{"tech-link", title}}));
  Start();
  TGridControl& grid = *Window->FeedGrid;
  const int width = grid.TextWidth(QString::fromStdString(title));
  const auto painted = [&](int columnWidth) {
    grid.SetColWidths(2, columnWidth);
    QString value = QString::fromStdString(title);
    Window->FeedGridGetDisplText(2, 0, value);
    return value;
  };
  EXPECT_EQ(painted(width + 1), "Technology News");
  // One pixel too narrow: the last character goes, then three more make room for "..".
  EXPECT_EQ(painted(width), "Technology ..");
  EXPECT_EQ(painted(0), "..");
  EXPECT_EQ(painted(-5), "..");

  QString link = "untouched";
  Window->FeedGridGetDisplText(0, 0, link);
  EXPECT_EQ(link, "untouched");
}

TEST_F(WindowStore, PaintsOnlyTheSelectedRowInTheSelectionColour) {
  WriteData("Feeds.dat", groupfile::Group(Good));
  Start();
  const auto colour = [&](int row, int col) {
    QBrush brush(Qt::white);
    QFont font("Tahoma");
    Window->FeedGridGetCellColor(row, col, brush, font);
    EXPECT_EQ(font.family(), "Tahoma") << "the font is not changed";
    return brush.color();
  };
  EXPECT_EQ(colour(0, 2), QColor(Qt::white));
  EXPECT_EQ(colour(1, 2), QColor(Qt::white));
  Window->FeedGridClickCell(1, 2);
  for (int col = 0; col < 3; ++col) {
    EXPECT_EQ(colour(1, col), QColor(223, 224, 214));
    EXPECT_EQ(colour(0, col), QColor(Qt::white));
  }
}

TEST_F(WindowStore, CentresTextsVerticallyAndLeavesTheirHorizontalAlignment) {
  Start();
  Qt::Alignment horizontal = Qt::AlignRight;
  Qt::Alignment vertical = Qt::AlignTop;
  Window->FeedGridGetAlignment(0, 2, horizontal, vertical);
  EXPECT_EQ(vertical, Qt::AlignVCenter);
  EXPECT_EQ(horizontal, Qt::AlignRight);
}

TEST_F(WindowStore, GivesTheFeedListItsLayout) {
  Start();
  TGridControl& grid = *Window->FeedGrid;
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.FixedCols(), 1);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.ColWidths(0), 0);
  EXPECT_EQ(grid.ColWidths(1), 10);
  EXPECT_GT(grid.ColWidths(2), 100);
  EXPECT_EQ(grid.ColWidths(0) + grid.ColWidths(1) + grid.ColWidths(2), grid.viewport()->width());
  EXPECT_FALSE(grid.showGrid());
  EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(grid.font().family(), "Tahoma");
  EXPECT_EQ(grid.font().pixelSize(), 11);
}

TEST_F(WindowStore, SortsFeedsByTitleIgnoringCaseThenByLink) {
  WriteData("Sort.dat", groupfile::Group({}));
  Start();
  FillList({{"b", "Tech"}, {"n1", "Newsday"}, {"a", "tech"}, {"n2", "News"}, {"n3", "News Daily"}});
  Window->SortFeeds();
  EXPECT_EQ(
      FeedsInList(),
      (std::vector<TFeedRow>{
          {"n3", "News Daily"}, {"n2", "News"}, {"n1", "Newsday"}, {"a", "tech"}, {"b", "Tech"}}));
}

TEST_F(WindowStore, SelectsTheFirstRowWithTheNotedTitleAfterSorting) {
  WriteData("Sort.dat", groupfile::Group({}));
  Start();
  FillList({{"z", "Zulu"}, {"b", "Mike"}, {"a", "Mike"}, {"c", "Alpha"}});
  Window->FeedGrid->FocusCell(2, 1);
  Window->SortFeeds();
  EXPECT_EQ(Window->SelectedRow(), 1);
  EXPECT_EQ(Window->FeedGrid->Row(), 1);
  EXPECT_EQ(Window->FeedGrid->Col(), 2);
  EXPECT_EQ(Window->FeedGrid->Cells(0, 1), "a") << "the first of the equal titles";
}

TEST_F(WindowStore, KeepsLinksWithTheirTitlesWhenATitleHoldsTheSortSeparator) {
  WriteData("Sort.dat", groupfile::Group({}));
  Start();
  const std::vector<TFeedRow> rows = {{"second", "B$$$$$$___$$$$$$x"}, {"first", "A"}};
  FillList(rows);
  Window->SortFeeds();
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{rows[1], rows[0]}));
}

TEST_F(WindowStore, KeepsThePreviousFileWholeWhenASaveFails) {
  const std::string before = groupfile::Group(Good);
  WriteData("Full.dat", before);
  Start();
  std::vector<TFeedRow> many;
  for (int i = 0; i < 500; ++i) {
    many.push_back({"https://example.org/feed/" + std::to_string(i), "Feed " + std::to_string(i)});
  }
  FillList(many);
  // The disk fills up part-way through the write.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  std::string message;
  try {
    Window->SaveGroup();
  } catch (const Exception& error) {
    message = error.Message();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(message.rfind("Cannot create file \"" + DataDir() + "Full.dat\". ", 0), 0u) << message;
  EXPECT_EQ(ReadData("Full.dat"), before);
  EXPECT_EQ(DataFiles(), QStringList{"Full.dat"}) << "no temporary file is left behind";
}

TEST_F(WindowStore, ShowsAGroupWhoseFileIsGoneAsEmpty) {
  WriteData("Alpha.dat", groupfile::Group(Good));
  WriteData("Beta.dat", groupfile::Group({}));
  Start();
  ASSERT_TRUE(QFile::remove(DataPath("Beta.dat")));
  Switch("Beta");
  EXPECT_TRUE(FeedsInList().empty());
  EXPECT_FALSE(Window->FeedGrid->isEnabled());
  EXPECT_EQ(Window->CurrentGroup(), "Beta");
}

struct TUnreadable {
  const char* Case;
  std::string Bytes;
  std::string Message;
};

void PrintTo(const TUnreadable& unreadable, std::ostream* out) {
  *out << unreadable.Case;
}

class WindowStoreReadErrors : public WindowStore,
                              public ::testing::WithParamInterface<TUnreadable> {};

// A good first cell, then the damage: what was read before it must never reach another file.
std::string PartlyGood(const std::string& damage) {
  return groupfile::PropsRecord(2, 176, 1) + groupfile::CellRecord(0, 0, "bad-1") +
         groupfile::CellRecord(2, 0, "Bad one") + damage;
}

std::string PropsWithRowCount(const std::string& rowCount) {
  return groupfile::Record("TGridPropIO", groupfile::Name("ColCount") + groupfile::Integer(3) +
                                              groupfile::Name("RowCount") + rowCount);
}

INSTANTIATE_TEST_SUITE_P(
    EveryReadError, WindowStoreReadErrors,
    ::testing::Values(
        TUnreadable{"NoSignature", "XPF0 whatever follows", "Invalid stream format"},
        TUnreadable{"EmptyFile", "", "Stream read error"},
        TUnreadable{"EndsInsideARecord", PartlyGood("TPF0\x0BTGridCellIO"), "Stream read error"},
        TUnreadable{"SecondRecordWithoutSignature", PartlyGood("TPFX......"),
                    "Invalid stream format"},
        TUnreadable{"UnknownProperty",
                    PartlyGood(groupfile::Record("TGridCellIO", groupfile::Name("Colour") +
                                                                    groupfile::Integer(1))),
                    "Property Colour does not exist"},
        TUnreadable{"TextWhereANumberBelongs",
                    PartlyGood(groupfile::Record("TGridCellIO",
                                                 groupfile::Name("Col") + groupfile::Text("two"))),
                    "Invalid property value"},
        TUnreadable{"RowCountBeyondTheFormat", PropsWithRowCount(groupfile::Integer(40000)),
                    "Invalid property value"},
        TUnreadable{"LengthBeyondTheEnd",
                    PartlyGood("TPF0\x0BTGridCellIO" + std::string(1, '\0') +
                               groupfile::Name("Cell") + "\x0C\xFF\xFF\xFF\x7F" + "abc"),
                    "Stream read error"}));

TEST_P(WindowStoreReadErrors, ReportsTheErrorAndNeverWritesThePartialListElsewhere) {
  WriteData("Alpha.dat", groupfile::Group(Good));
  WriteData("Bad.dat", GetParam().Bytes);
  Start();
  ASSERT_EQ(FeedsInList(), Good);

  EXPECT_EQ(SwitchToUnreadable("Bad").toStdString(), GetParam().Message);
  EXPECT_EQ(Window->CurrentGroup(), "Bad");
  EXPECT_EQ(Window->GroupBox->currentText(), "Bad");
  // The rows read before the error that hold a link stay in the list.
  const bool partlyRead = GetParam().Bytes.rfind(PartlyGood(""), 0) == 0;
  const std::vector<TFeedRow> read =
      partlyRead ? std::vector<TFeedRow>{{"bad-1", "Bad one"}} : std::vector<TFeedRow>{};
  EXPECT_EQ(FeedsInList(), read);
  EXPECT_EQ(Window->FeedGrid->isEnabled(), partlyRead);
  EXPECT_TRUE(Window->CurrentLink().empty());
  EXPECT_TRUE(Window->ListIsUnloaded());
  EXPECT_EQ(Window->BasePageControl->ActivePage(), Window->HomeTab);

  // Neither leaving the group, nor making another, nor shutting down writes the list.
  Window->CreateGroup("Other");
  Switch("Alpha");
  EXPECT_EQ(FeedsInList(), Good);
  EXPECT_FALSE(SwitchToUnreadable("Bad").isEmpty());
  Close();
  EXPECT_EQ(ReadData("Bad.dat"), GetParam().Bytes);
  EXPECT_EQ(FeedsOnDisk("Alpha"), Good);
  EXPECT_EQ(ReadData("Other.dat").find("TGridCellIO"), std::string::npos);
}

TEST_F(WindowStore, ReportsAGroupFileThatCannotBeOpened) {
  WriteData("Good.dat", groupfile::Group(Good));
  ASSERT_TRUE(QDir().mkpath(DataPath("Locked.dat")));
  Start();
  const QString message = SwitchToUnreadable("Locked");
  EXPECT_TRUE(message.startsWith(
      QString::fromStdString("Cannot open file \"" + DataDir() + "Locked.dat\". ")))
      << message.toStdString();
  EXPECT_GT(message.size(), QString::fromStdString(DataDir()).size() + 26) << "with a reason";
  Close();
  EXPECT_EQ(FeedsOnDisk("Good"), Good);
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
