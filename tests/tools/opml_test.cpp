#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "store/DataDirLock.h"
#include "store/GroupFiles.h"
#include "store/GroupStore.h"
#include "store/SubscriptionImport.h"
#include "support/RunTool.h"
#include "support/TestFiles.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class OpmlCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }

  std::string Data(const std::string& name) const { return (dir_ / name).string() + "/"; }

  // Runs vantle-feed with `args`.
  static TRun Run(const std::vector<std::string>& args) { return RunTool(args); }

  std::map<std::string, std::string> Snapshot(const std::string& dataDir) const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dataDir)) {
      if (entry.path().extension() == ".dat") files[entry.path().string()] = ReadFile(entry);
    }
    return files;
  }

  void WriteSample(const std::string& dataDir) {
    fs::create_directories(dataDir);
    WriteGroupFile(GroupFilePath(dataDir, "News"), EncodeGroup({{"https://example.org/a", "Alpha"},
                                                                {"https://example.org/é", "Été"}}));
    WriteGroupFile(GroupFilePath(dataDir, "blog"), EncodeGroup({{"b", "Blog & more"}}));
  }

  test::TScratchDir scratch_{"opml_test"};
  const fs::path& dir_ = scratch_.Path();
};

TEST_F(OpmlCommandTest, ExportsAndImportsIntoAFreshDataDirectory) {
  WriteSample(Data("A"));
  const std::string opml = (dir_ / "out.opml").string();
  const TRun exported = Run({"opml", "export", "--data", Data("A"), "--out", opml});
  ASSERT_EQ(exported.Status, 0) << exported.Err;
  EXPECT_EQ(exported.Out, "");
  const TRun printed = Run({"opml", "export", "--data", Data("A")});
  EXPECT_EQ(printed.Status, 0);
  // The two exports may fall in different seconds: compare them without their dateCreated.
  const auto undated = [](std::string text) {
    const auto from = text.find("<dateCreated>"), to = text.find("</dateCreated>");
    return from < to && to != std::string::npos ? text.erase(from, to - from) : text;
  };
  EXPECT_EQ(undated(printed.Out), undated(ReadFile(opml)));

  const TRun imported = Run({"opml", "import", opml, "--data", Data("B")});
  EXPECT_EQ(imported.Status, 0) << imported.Err;
  EXPECT_EQ(imported.Out, "{\"groups_created\":2,\"feeds_added\":3,\"feeds_skipped\":0}\n");
  EXPECT_EQ(ReadAllGroups(Data("B")), ReadAllGroups(Data("A")));
  const TRun again = Run({"opml", "import", opml, "--data", Data("B")});
  EXPECT_EQ(again.Out, "{\"groups_created\":0,\"feeds_added\":0,\"feeds_skipped\":3}\n");
}

TEST_F(OpmlCommandTest, RefusesAnImportIntoADirectoryTheWindowHasLocked) {
  WriteSample(Data("A"));
  const std::string opml = (dir_ / "in.opml").string();
  std::ofstream(opml) << "<opml><body><outline text=\"News\"><outline text=\"N\" xmlUrl=\"n\"/>"
                         "</outline></body></opml>";
  const auto before = Snapshot(Data("A"));
  const TDataDirLock window(Data("A"));
  ASSERT_TRUE(window.Held());
  const TRun run = Run({"opml", "import", opml, "--data", Data("A")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_NE(run.Err.find("Vantle is running"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("(process " + std::to_string(getpid()) + ")"), std::string::npos);
  EXPECT_NE(run.Err.find("Make the import from its window"), std::string::npos) << run.Err;
  EXPECT_EQ(Snapshot(Data("A")), before);
}

TEST_F(OpmlCommandTest, ExitsOneWithTheReasonWhenTheFileCannotBeImported) {
  WriteSample(Data("A"));
  const auto before = Snapshot(Data("A"));
  const std::string opml = (dir_ / "bad.opml").string();
  std::ofstream(opml) << "<opml><body><outline text=\"News\">";
  const TRun run = Run({"opml", "import", opml, "--data", Data("A")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_NE(run.Err.find("Cannot import \"" + opml + "\": not well-formed"), std::string::npos)
      << run.Err;
  EXPECT_EQ(Snapshot(Data("A")), before);
}

TEST_F(OpmlCommandTest, ExportFromADataDirectoryThatIsNotThereFailsAndWritesNothing) {
  const std::string out = (dir_ / "out.opml").string();
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"opml", "export", "--data", Data("missing")},
           {"opml", "export", "--data", Data("missing"), "--out", out}}) {
    const TRun run = Run(args);
    EXPECT_EQ(run.Status, 1) << args.size();
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find(Data("missing")), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(Data("missing")));
  }
}

TEST_F(OpmlCommandTest, ExitsTwoOnAUsageError) {
  const std::vector<std::vector<std::string>> uses = {
      {"opml"},
      {"opml", "send"},
      {"opml", "import"},
      {"opml", "import", "a.opml", "b.opml"},
      {"opml", "import", "a.opml", "--out", "x"},
      {"opml", "export", "--data"},
      {"opml", "export", "stray"},
  };
  for (const auto& use : uses) {
    const TRun run = Run(use);
    EXPECT_EQ(run.Status, 2) << use.size();
    EXPECT_NE(run.Err.find("vantle-feed opml import FILE [--data DIR]"), std::string::npos);
  }
}

}  // namespace
}  // namespace vantle::tool
