#include "store/GridStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace vantle {
namespace {

using ::testing::ElementsAre;

// Hand-made pieces of records, so that reading is tested apart from the writer.
std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (const int b : bytes) out += static_cast<char>(b);
  return out;
}
std::string Name(std::string_view name) {
  return static_cast<char>(name.size()) + std::string(name);
}
std::string Int8(std::string_view name, int value) {
  return Name(name) + Bytes({2, value});
}
std::string Short(std::string_view name, std::string_view text) {
  return Name(name) + Bytes({6, static_cast<int>(text.size())}) + std::string(text);
}
std::string Boolean(std::string_view name, bool value) {
  return Name(name) + Bytes({value ? 9 : 8});
}
std::string UInt32(uint32_t v) {
  return Bytes({static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF), static_cast<int>(v >> 24)});
}
std::string Record(const std::string& properties, std::string_view type = "TGridCellIO") {
  return "TPF0" + Name(type) + Bytes({0}) + properties + Bytes({0, 0});
}
std::string PropRecord(int cols, int rows, std::string_view widths, std::string_view heights,
                       bool full = true) {
  std::string properties = Int8("ColCount", cols) + Int8("RowCount", rows);
  if (!widths.empty()) properties += Short("ColWidths", widths);
  if (!heights.empty()) properties += Short("RowHeights", heights);
  return Record(properties + Boolean("FullGrid", full) + Int8("ID", 7), "TGridPropIO");
}
std::string CellRecord(int col, int row, std::string_view text) {
  return Record(Int8("Col", col) + Int8("Row", row) + Short("Cell", text) +
                Boolean("HasProp", false));
}
std::string FeedsFile() {
  return PropRecord(3, 2, "0,10,176", "35,35") + CellRecord(0, 0, "a") + CellRecord(2, 0, "A") +
         CellRecord(0, 1, "b") + CellRecord(2, 1, "B");
}

struct TRead {
  TGridProps Props;
  std::vector<TGridCell> Cells;
};

TRead ReadAll(std::string_view bytes) {
  TRead read;
  ReadGridStream(
      bytes, [&](const TGridProps& props) { read.Props = props; },
      [&](const TGridCell& cell) { read.Cells.push_back(cell); });
  return read;
}

std::string ReadError(std::string_view bytes) {
  try {
    ReadAll(bytes);
  } catch (const TGridStreamException& e) {
    return e.Message();
  }
  return "no error";
}

std::string WrittenCell(int col, int row, std::string_view text) {
  TGridWriter writer;
  writer.WriteCell(col, row, text);
  return writer.Bytes();
}

// The tag and payload of the Cell property of a written cell record.
std::string WrittenCellValue(std::string_view text) {
  const std::string record = WrittenCell(2, 0, text);
  const std::string name = Name("Cell");
  const std::size_t at = record.find(name);
  const std::size_t end = record.rfind(Name("HasProp"));
  if (at == std::string::npos || end == std::string::npos) return "";
  return record.substr(at + name.size(), end - at - name.size());
}

TEST(GridWriter, WritesTheFiftyOneByteCellRecordForNews) {
  const std::string expected = "TPF0" + Bytes({0x0B}) + "TGridCellIO" + Bytes({0x00}) +
                               Bytes({0x03}) + "Col" + Bytes({0x02, 0x02}) + Bytes({0x03}) + "Row" +
                               Bytes({0x02, 0x00}) + Bytes({0x04}) + "Cell" + Bytes({0x06, 0x04}) +
                               "News" + Bytes({0x07}) + "HasProp" + Bytes({0x08}) +
                               Bytes({0x00, 0x00});
  ASSERT_EQ(expected.size(), 51u);
  EXPECT_EQ(WrittenCell(2, 0, "News"), expected);
}

TEST(GridWriter, WritesTheRecordOfAnEmptyGroup) {
  TGridProps props{3, 1, {0, 10, 176}, {35}, true, 5};
  TGridWriter writer;
  writer.WriteProps(props);
  const std::string expected =
      "TPF0" + Bytes({0x0B}) + "TGridPropIO" + Bytes({0x00}) + Bytes({0x08}) + "ColCount" +
      Bytes({0x02, 0x03}) + Bytes({0x08}) + "RowCount" + Bytes({0x02, 0x01}) + Bytes({0x09}) +
      "ColWidths" + Bytes({0x06, 0x08}) + "0,10,176" + Bytes({0x0A}) + "RowHeights" +
      Bytes({0x06, 0x02}) + "35" + Bytes({0x08}) + "FullGrid" + Bytes({0x09}) + Bytes({0x02}) +
      "ID" + Bytes({0x02, 0x05}) + Bytes({0x00, 0x00});
  EXPECT_EQ(writer.Bytes(), expected);
}

TEST(GridWriter, LeavesOutEmptyTexts) {
  TGridWriter writer;
  writer.WriteProps(TGridProps{0, 0, {}, {}, true, 0});
  EXPECT_EQ(writer.Bytes().find("ColWidths"), std::string::npos);
  EXPECT_EQ(writer.Bytes().find("RowHeights"), std::string::npos);
  EXPECT_EQ(WrittenCell(0, 0, "").find(Name("Cell")), std::string::npos);
}

TEST(GridWriter, ChoosesTheTagOfATextByItsLengths) {
  const std::string long_title(300, 't');
  EXPECT_EQ(WrittenCellValue(long_title), Bytes({12}) + UInt32(300) + long_title);
  // Five UTF-8 bytes against four UTF-16 units.
  EXPECT_EQ(WrittenCellValue("Caf\xC3\xA9"), Bytes({20}) + UInt32(5) + "Caf\xC3\xA9");
  // Two bytes are not fewer than twice one unit.
  EXPECT_EQ(WrittenCellValue("\xC3\xA9"), Bytes({18}) + UInt32(1) + Bytes({0xE9, 0x00}));
  EXPECT_EQ(WrittenCellValue("\xE6\x97\xA5\xE6\x9C\xAC"),
            Bytes({18}) + UInt32(2) + Bytes({0xE5, 0x65, 0x2C, 0x67}));
  EXPECT_EQ(WrittenCellValue("\xF0\x9F\x98\x80"),
            Bytes({18}) + UInt32(2) + Bytes({0x3D, 0xD8, 0x00, 0xDE}));
  const std::string link = "http://example.com/" + std::string(181, 'x');
  ASSERT_EQ(link.size(), 200u);
  EXPECT_EQ(WrittenCellValue(link), Bytes({6, 200}) + link);
  EXPECT_EQ(WrittenCellValue(std::string(255, 'a')), Bytes({6, 255}) + std::string(255, 'a'));
  EXPECT_EQ(WrittenCellValue(std::string(256, 'a')).substr(0, 5), Bytes({12}) + UInt32(256));
}

TEST(GridWriter, WritesMalformedUtf8AsReplacementCharacters) {
  EXPECT_EQ(WrittenCellValue("\xFF"), Bytes({18}) + UInt32(1) + Bytes({0xFD, 0xFF}));
  EXPECT_EQ(WrittenCellValue("ab\xFF"
                             "cd"),
            Bytes({20}) + UInt32(7) +
                "ab\xEF\xBF\xBD"
                "cd");
}

TEST(GridWriter, WritesEachIntegerWithTheSmallestTag) {
  EXPECT_NE(WrittenCell(0, 200, "x").find(Name("Row") + Bytes({3, 0xC8, 0x00})), std::string::npos);
  EXPECT_NE(WrittenCell(0, 127, "x").find(Name("Row") + Bytes({2, 0x7F})), std::string::npos);
  EXPECT_NE(WrittenCell(0, 128, "x").find(Name("Row") + Bytes({3, 0x80, 0x00})), std::string::npos);
  EXPECT_NE(WrittenCell(0, 32767, "x").find(Name("Row") + Bytes({3, 0xFF, 0x7F})),
            std::string::npos);
  auto id_bytes = [](int32_t id) {
    TGridWriter writer;
    writer.WriteProps(TGridProps{0, 0, {}, {}, true, id});
    const std::string& bytes = writer.Bytes();
    return bytes.substr(bytes.find(Name("ID")) + 3, bytes.size() - bytes.find(Name("ID")) - 5);
  };
  EXPECT_EQ(id_bytes(-128), Bytes({2, 0x80}));
  EXPECT_EQ(id_bytes(-129), Bytes({3, 0x7F, 0xFF}));
  EXPECT_EQ(id_bytes(-32768), Bytes({3, 0x00, 0x80}));
  EXPECT_EQ(id_bytes(32768), Bytes({4}) + UInt32(32768));
  EXPECT_EQ(id_bytes(-32769), Bytes({4}) + UInt32(0xFFFF7FFF));
}

TEST(GridWriter, RefusesAGridThatCouldNotBeReadBack) {
  TGridWriter writer;
  EXPECT_THROW(writer.WriteProps(TGridProps{
                   1, GridMaxRows + 1, {0}, std::vector<int>(GridMaxRows + 1, 35), true, 0}),
               TGridStreamException);
  EXPECT_THROW(writer.WriteProps(TGridProps{3, 1, {0, 10}, {35}, true, 0}), TGridStreamException);
  EXPECT_THROW(writer.WriteProps(TGridProps{1, 1, {GridMaxSectionSize + 1}, {35}, true, 0}),
               TGridStreamException);
  EXPECT_THROW(writer.WriteCell(0, GridMaxRows, "x"), TGridStreamException);
  EXPECT_THROW(writer.WriteCell(GridMaxCols, 0, "x"), TGridStreamException);
  EXPECT_THROW(writer.WriteCell(-1, 0, "x"), TGridStreamException);
  EXPECT_TRUE(writer.Bytes().empty());
}

TEST(GridReader, ReadsTheFirstRecordAndTheCellsInFileOrder) {
  const TRead read = ReadAll(FeedsFile());
  EXPECT_EQ(read.Props.ColCount, 3);
  EXPECT_EQ(read.Props.RowCount, 2);
  EXPECT_THAT(read.Props.ColWidths, ElementsAre(0, 10, 176));
  EXPECT_THAT(read.Props.RowHeights, ElementsAre(35, 35));
  EXPECT_TRUE(read.Props.FullGrid);
  ASSERT_EQ(read.Cells.size(), 4u);
  EXPECT_EQ(read.Cells[1].Col, 2);
  EXPECT_EQ(read.Cells[1].Row, 0);
  EXPECT_EQ(read.Cells[1].Cell, "A");
  EXPECT_EQ(read.Cells[2].Col, 0);
  EXPECT_EQ(read.Cells[2].Row, 1);
  EXPECT_EQ(read.Cells[3].Cell, "B");
}

TEST(GridReader, ReadsBackWhatTheWriterWrote) {
  const std::vector<std::string> texts = {
      std::string(300, 'x'),      "Caf\xC3\xA9",      "\xC3\xA9",
      "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80", "http://example.com/feed.xml",
      std::string(256, 'y')};
  const int rows = 201;
  TGridWriter writer;
  writer.WriteProps(TGridProps{3, rows, {0, 10, 176}, std::vector<int>(rows, 35), true, 99999});
  for (std::size_t i = 0; i < texts.size(); ++i) writer.WriteCell(2, 194 + int(i), texts[i]);
  const TRead read = ReadAll(writer.Bytes());
  EXPECT_EQ(read.Props.RowCount, rows);
  EXPECT_EQ(read.Props.RowHeights, std::vector<int>(rows, 35));
  ASSERT_EQ(read.Cells.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(read.Cells[i].Cell, texts[i]);
    EXPECT_EQ(read.Cells[i].Row, 194 + int(i));
  }
}

TEST(GridReader, IgnoresOneStrayByteAfterTheLastRecord) {
  EXPECT_EQ(ReadAll(FeedsFile() + "x").Cells.size(), 4u);
  EXPECT_EQ(ReadAll(PropRecord(3, 1, "0,10,176", "35") + Bytes({0})).Cells.size(), 0u);
  EXPECT_EQ(ReadError(FeedsFile() + "xy"), "Stream read error");
}

TEST(GridReader, AcceptsIntegersAndTextsInEveryTagOfTheirKind) {
  const std::string cell =
      Record(Name("Col") + Bytes({4}) + UInt32(2) + Name("Row") + Bytes({3, 1, 0}) + Name("Cell") +
             Bytes({12}) + UInt32(4) + "Caf\xE9" + Boolean("HasProp", false));
  const TRead read = ReadAll(PropRecord(3, 2, "0,10,176", "35,35") + cell);
  ASSERT_EQ(read.Cells.size(), 1u);
  EXPECT_EQ(read.Cells[0].Col, 2);
  EXPECT_EQ(read.Cells[0].Row, 1);
  EXPECT_EQ(read.Cells[0].Cell, "Caf\xC3\xA9");

  auto text_of = [](const std::string& value) {
    const std::string file =
        PropRecord(1, 1, "5", "5") + Record(Int8("Col", 0) + Int8("Row", 0) + Name("Cell") + value);
    return ReadAll(file).Cells.at(0).Cell;
  };
  EXPECT_EQ(text_of(Bytes({6, 1, 0x80})), "\xE2\x82\xAC");
  EXPECT_EQ(text_of(Bytes({20}) + UInt32(2) + "\xC3\xA9"), "\xC3\xA9");
  EXPECT_EQ(text_of(Bytes({18}) + UInt32(2) + Bytes({0x3D, 0xD8, 0x00, 0xDE})), "\xF0\x9F\x98\x80");
  EXPECT_EQ(text_of(Bytes({18}) + UInt32(2) + Bytes({0x3D, 0xD8, 0x41, 0x00})),
            "\xEF\xBF\xBD"
            "A");
  EXPECT_EQ(text_of(Bytes({20}) + UInt32(2) +
                    "\xC3"
                    "A"),
            "\xEF\xBF\xBD"
            "A");
}

TEST(GridReader, LooksNeitherAtTheRecordTypeNorAtTheObjectName) {
  const std::string props = "TPF0" + Name("Anything") + Name("named") + Int8("ColCount", 1) +
                            Int8("RowCount", 1) + Short("ColWidths", "4") +
                            Short("RowHeights", "9") + Boolean("FullGrid", true) + Bytes({0, 0});
  const std::string cell = "TPF0" + Name("") + Name("") + Short("Cell", "x") + Bytes({0, 0});
  const TRead read = ReadAll(props + cell);
  EXPECT_THAT(read.Props.ColWidths, ElementsAre(4));
  ASSERT_EQ(read.Cells.size(), 1u);
  EXPECT_EQ(read.Cells[0].Col, 0);
  EXPECT_EQ(read.Cells[0].Cell, "x");
}

TEST(GridReader, MatchesPropertiesByNameInAnyOrderAndCase) {
  const std::string cell = Record(Short("CELL", "t") + Int8("row", 1) + Int8("col", 2));
  const TRead read = ReadAll(PropRecord(3, 2, "0,10,176", "35,35") + cell);
  ASSERT_EQ(read.Cells.size(), 1u);
  EXPECT_EQ(read.Cells[0].Col, 2);
  EXPECT_EQ(read.Cells[0].Row, 1);
}

TEST(GridReader, ReportsAFileWithoutSignature) {
  EXPECT_EQ(ReadError("TPF1" + PropRecord(3, 1, "0,10,176", "35").substr(4)),
            "Invalid stream format");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,176", "35") + "XPF0" + CellRecord(0, 0, "a")),
            "Invalid stream format");
  EXPECT_EQ(ReadError("<?xml version=\"1.0\"?>"), "Invalid stream format");
}

TEST(GridReader, ReportsAnEmptyOrShortFileAsAReadError) {
  EXPECT_EQ(ReadError(""), "Stream read error");
  EXPECT_EQ(ReadError("TP"), "Stream read error");
  EXPECT_EQ(ReadError("TPF0"), "Stream read error");
}

TEST(GridReader, ReportsAFileCutAnywhereInsideARecord) {
  const std::string file = FeedsFile();
  std::vector<std::size_t> ends;
  std::size_t end = 0;
  for (const std::string& record :
       {PropRecord(3, 2, "0,10,176", "35,35"), CellRecord(0, 0, "a"), CellRecord(2, 0, "A"),
        CellRecord(0, 1, "b"), CellRecord(2, 1, "B")}) {
    end += record.size();
    ends.push_back(end);
  }
  ASSERT_EQ(end, file.size());
  for (std::size_t cut = 1; cut < file.size(); ++cut) {
    bool whole = false;
    for (const std::size_t e : ends) whole = whole || cut == e || cut == e + 1;
    const std::string prefix = file.substr(0, cut);
    if (whole) {
      EXPECT_NO_THROW(ReadAll(prefix)) << "cut at " << cut;
    } else {
      EXPECT_EQ(ReadError(prefix), "Stream read error") << "cut at " << cut;
    }
  }
}

TEST(GridReader, ReportsAPropertyTheRecordDoesNotHave) {
  EXPECT_EQ(
      ReadError(PropRecord(3, 1, "0,10,176", "35") + Record(Int8("Col", 0) + Int8("Colour", 3))),
      "Property Colour does not exist");
  EXPECT_EQ(ReadError(Record(Int8("ColCount", 3) + Int8("Col", 0), "TGridPropIO")),
            "Property Col does not exist");
}

TEST(GridReader, ReportsATagThatDoesNotFitTheProperty) {
  const std::string props = PropRecord(3, 1, "0,10,176", "35");
  EXPECT_EQ(ReadError(props + Record(Short("Col", "2"))), "Invalid property value");
  EXPECT_EQ(ReadError(props + Record(Int8("Cell", 2))), "Invalid property value");
  EXPECT_EQ(ReadError(props + Record(Name("HasProp") + Bytes({2, 0}))), "Invalid property value");
  EXPECT_EQ(ReadError(props + Record(Name("Cell") + Bytes({9}))), "Invalid property value");
  EXPECT_EQ(ReadError(props + Record(Name("Cell") + Bytes({7, 1, 'x'}))), "Invalid property value");
  EXPECT_EQ(ReadError(Record(Short("FullGrid", "yes"), "TGridPropIO")), "Invalid property value");
}

TEST(GridReader, ReportsALengthBeyondTheEndOfTheFile) {
  const std::string props = PropRecord(3, 1, "0,10,176", "35");
  for (const uint8_t tag : {12, 18, 20}) {
    for (const uint32_t length : {100u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
      const std::string cell = Record(Name("Cell") + Bytes({tag}) + UInt32(length) + "abc");
      EXPECT_EQ(ReadError(props + cell), "Stream read error") << int(tag) << " " << length;
    }
  }
  EXPECT_EQ(ReadError(props + Record(Name("Cell") + Bytes({6, 200}) + "abc")), "Stream read error");
}

TEST(GridReader, ReportsNestedObjectsAsAnInvalidFormat) {
  std::string props = PropRecord(3, 1, "0,10,176", "35");
  props.back() = 1;
  EXPECT_EQ(ReadError(props), "Invalid stream format");
}

TEST(GridReader, RefusesCountsBeyondTheFormatsLimits) {
  auto many = [](int count) {
    std::string text = "1";
    for (int i = 1; i < count; ++i) text += ",1";
    return text;
  };
  auto props = [](int cols, int rows, const std::string& widths, const std::string& heights) {
    return Record(Name("ColCount") + Bytes({4}) + UInt32(static_cast<uint32_t>(cols)) +
                      Name("RowCount") + Bytes({4}) + UInt32(static_cast<uint32_t>(rows)) +
                      Name("ColWidths") + Bytes({12}) + UInt32(uint32_t(widths.size())) + widths +
                      Name("RowHeights") + Bytes({12}) + UInt32(uint32_t(heights.size())) +
                      heights + Boolean("FullGrid", true),
                  "TGridPropIO");
  };
  EXPECT_EQ(ReadAll(props(GridMaxCols, GridMaxRows, many(GridMaxCols), many(GridMaxRows)))
                .Props.RowHeights.size(),
            std::size_t(GridMaxRows));
  EXPECT_EQ(ReadError(props(1, GridMaxRows + 1, "1", many(GridMaxRows + 1))),
            "Invalid property value");
  EXPECT_EQ(ReadError(props(GridMaxCols + 1, 1, many(GridMaxCols + 1), "1")),
            "Invalid property value");
  EXPECT_EQ(ReadError(props(1, -1, "1", "1")), "Invalid property value");
  EXPECT_EQ(ReadError(props(-3, 1, "1", "1")), "Invalid property value");
  EXPECT_EQ(ReadError(props(0x7FFFFFFF, 1, "1", "1")), "Invalid property value");
}

TEST(GridReader, RefusesSizesThatDoNotMatchTheCounts) {
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,176,5", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,,176", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,1x,176", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,-1", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,32768", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,99999999999", "35")), "Invalid property value");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,176", "35,")), "Invalid property value");
  EXPECT_EQ(ReadAll(PropRecord(0, 0, "", "")).Props.ColCount, 0);
}

TEST(GridReader, RefusesACellOutsideTheGrid) {
  const std::string props = PropRecord(3, 2, "0,10,176", "35,35");
  EXPECT_EQ(ReadError(props + CellRecord(3, 0, "x")), "Invalid property value");
  EXPECT_EQ(ReadError(props + CellRecord(0, 2, "x")), "Invalid property value");
  EXPECT_EQ(ReadError(props + CellRecord(-1, 0, "x")), "Invalid property value");
  EXPECT_EQ(ReadError(props + CellRecord(0, -1, "x")), "Invalid property value");
  // Without a whole grid only the 16-bit range of Col and Row binds.
  const std::string partial = PropRecord(3, 2, "0,10,176", "35,35", false);
  EXPECT_EQ(ReadAll(partial + CellRecord(-5, 90, "x")).Cells.at(0).Col, -5);
  EXPECT_EQ(ReadError(partial + Record(Name("Col") + Bytes({4}) + UInt32(40000))),
            "Invalid property value");
}

TEST(GridReader, DeliversTheCellsBeforeAnError) {
  std::vector<std::string> texts;
  const std::string file = FeedsFile().substr(0, FeedsFile().size() - 3);
  try {
    ReadGridStream(
        file, [](const TGridProps&) {}, [&](const TGridCell& cell) { texts.push_back(cell.Cell); });
    FAIL() << "the cut file was read";
  } catch (const TGridStreamException& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EXPECT_THAT(texts, ElementsAre("a", "A", "b"));
}

TEST(GridReader, StopsAtTheRecordAfterACellWithProperties) {
  const std::string cell =
      Record(Int8("Col", 0) + Int8("Row", 0) + Short("Cell", "a") + Boolean("HasProp", true));
  const std::string cell_props =
      Record(Short("CellProperties", "x") + Boolean("HasGraphic", false), "TGridCellPropIO");
  EXPECT_EQ(ReadError(PropRecord(3, 1, "0,10,176", "35") + cell + cell_props),
            "Property CellProperties does not exist");
}

TEST(GridReader, ReadsTheFirstRecordOnlyOnce) {
  const std::string file = FeedsFile();
  TGridReader reader(file);
  EXPECT_EQ(reader.Props().RowCount, 2);
  EXPECT_EQ(reader.Props().RowCount, 2);
  TGridCell cell;
  ASSERT_TRUE(reader.ReadCell(cell));
  EXPECT_EQ(cell.Cell, "a");
}

TEST(CellPlacement, PlacesCellsOfAWholeGridWhereTheyAre) {
  TCellPlacement placement(true, 3, 2);
  EXPECT_EQ(placement.Place(TGridCell{2, 1, "x", false}), std::make_pair(2, 1));
  EXPECT_EQ(placement.Place(TGridCell{0, 0, "x", false}), std::make_pair(0, 0));
  EXPECT_THROW(placement.Place(TGridCell{3, 0, "x", false}), TGridStreamException);
}

TEST(CellPlacement, PlacesCellsOfAPartRelativeToTheFirstCell) {
  TCellPlacement placement(false, 3, 2);
  EXPECT_EQ(placement.Place(TGridCell{5, 7, "x", false}), std::make_pair(0, 0));
  EXPECT_EQ(placement.Place(TGridCell{7, 8, "x", false}), std::make_pair(2, 1));
  EXPECT_THROW(placement.Place(TGridCell{4, 7, "x", false}), TGridStreamException);
  EXPECT_THROW(placement.Place(TGridCell{5, 9, "x", false}), TGridStreamException);
}

}  // namespace
}  // namespace vantle
