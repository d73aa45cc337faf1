#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/RunTool.h"
#include "support/TestFiles.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;

std::string Name(std::string_view name) {
  return static_cast<char>(name.size()) + std::string(name);
}
std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (const int b : bytes) out += static_cast<char>(b);
  return out;
}
std::string Short(std::string_view name, std::string_view text) {
  return Name(name) + Bytes({6, static_cast<int>(text.size())}) + std::string(text);
}
std::string Record(std::string_view type, const std::string& properties) {
  return "TPF0" + Name(type) + Bytes({0}) + properties + Bytes({0, 0});
}
std::string Cell(int col, int row, const std::string& value) {
  return Record("TGridCellIO", Name("Col") + Bytes({2, col}) + Name("Row") + Bytes({2, row}) +
                                   Name("Cell") + value + Name("HasProp") + Bytes({8}));
}
// Two feeds; the second title is a wide text holding an unpaired surrogate.
std::string GroupFile() {
  const std::string props =
      Record("TGridPropIO", Name("ColCount") + Bytes({2, 3}) + Name("RowCount") + Bytes({2, 2}) +
                                Short("ColWidths", "0,10,176") + Short("RowHeights", "35,35") +
                                Name("FullGrid") + Bytes({9}) + Name("ID") + Bytes({2, 9}));
  return props + Cell(0, 0, Bytes({6, 1}) + "a") + Cell(2, 0, Bytes({6, 4}) + "News") +
         Cell(0, 1, Bytes({6, 1}) + "b") + Cell(2, 1, Bytes({18, 2, 0, 0, 0, 0xE9, 0, 0x3D, 0xD8}));
}

class GroupCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }

  TRun Run(const std::string& content) {
    const fs::path file = dir_ / "News.dat";
    std::ofstream(file, std::ios::binary) << content;
    return RunOn(file.string());
  }

  static TRun RunOn(const std::string& file) { return RunTool({"group", file}); }

  test::TScratchDir scratch_{"group_test"};
  const fs::path& dir_ = scratch_.Path();
};

TEST_F(GroupCommandTest, PrintsTheContentOfAGroupFileInFileOrder) {
  const TRun run = Run(GroupFile() + "x");
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out,
            "{\"ColCount\":3,\"RowCount\":2,\"ColWidths\":[0,10,176],\"RowHeights\":[35,35],"
            "\"FullGrid\":true,\"Cells\":[{\"Col\":0,\"Row\":0,\"Cell\":\"a\"},"
            "{\"Col\":2,\"Row\":0,\"Cell\":\"News\"},{\"Col\":0,\"Row\":1,\"Cell\":\"b\"},"
            "{\"Col\":2,\"Row\":1,\"Cell\":\"\xC3\xA9\xEF\xBF\xBD\"}]}\n");
}

TEST_F(GroupCommandTest, ReportsAFileThatFailsToRead) {
  const TRun cut = Run(GroupFile().substr(0, GroupFile().size() - 5));
  EXPECT_EQ(cut.Status, 1);
  EXPECT_EQ(cut.Out, "");
  EXPECT_NE(cut.Err.find("Stream read error"), std::string::npos) << cut.Err;

  const TRun empty = Run("");
  EXPECT_EQ(empty.Status, 1);
  EXPECT_NE(empty.Err.find("Stream read error"), std::string::npos) << empty.Err;

  const TRun foreign = Run("[SETTINGS]\r\nwd=1\r\n");
  EXPECT_EQ(foreign.Status, 1);
  EXPECT_NE(foreign.Err.find("Invalid stream format"), std::string::npos) << foreign.Err;

  const std::string missing = (dir_ / "Missing.dat").string();
  const TRun absent = RunOn(missing);
  EXPECT_EQ(absent.Status, 1);
  EXPECT_NE(absent.Err.find("Cannot open file \"" + missing + "\"."), std::string::npos)
      << absent.Err;
}

}  // namespace
}  // namespace vantle::tool
