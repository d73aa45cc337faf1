#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "store/DataDirLock.h"
#include "store/GroupStore.h"
#include "support/RunTool.h"
#include "support/TestFiles.h"

namespace vantle::tool {
namespace {

namespace fs = std::filesystem;

using TFiles = std::map<std::string, std::string>;

std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// A group file without the value of its ID, which differs from run to run.
std::string WithoutId(std::string bytes) {
  const auto at = bytes.find(std::string("\x02ID", 3));
  if (at == std::string::npos || at + 4 > bytes.size()) return bytes;
  const char type = bytes[at + 3];
  return bytes.erase(at + 4, type == 2 ? 1 : type == 3 ? 2 : 4);
}

// `text` with each "{feed}" and "{page}" replaced by the paths of the feed and the page.
std::string Filled(std::string text, const std::string& feed, const std::string& page) {
  for (const auto& [mark, path] : {std::pair{"{feed}", feed}, std::pair{"{page}", page}}) {
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
      text.replace(at, std::string_view(mark).size(), path);
    }
  }
  return text;
}

class GroupsAndFeedsCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(Feed()) << "<rss version=\"2.0\"><channel><title> Alpha Feed </title>"
                             "<link>http://x/</link><description>d</description>"
                             // An empty element only tolerant reading reads around.
                             "<item><title>i</title><description/></item></channel></rss>";
    std::ofstream(Page()) << "<html><head><link rel=\"alternate\" type=\"application/rss+xml\" "
                             "title=\"A\" href=\"a.xml\"></head></html>";
  }

  std::string Data() const { return (scratch_.Path() / "data").string() + "/"; }
  std::string Feed() const { return (scratch_.Path() / "a.xml").string(); }
  std::string Page() const { return (scratch_.Path() / "p.html").string(); }

  TRun Run(std::vector<std::string> args) const {
    for (std::string& arg : args) arg = Filled(arg, Feed(), Page());
    args.insert(args.end(), {"--data", Data()});
    return RunTool(args);
  }

  // The files of the data directory but its lock, by name, without their IDs.
  TFiles Files() const {
    TFiles files;
    if (!fs::exists(Data())) return files;
    for (const auto& entry : fs::directory_iterator(Data())) {
      files[entry.path().filename().string()] = WithoutId(ReadFile(entry.path()));
    }
    files.erase(".vantle.lock");
    return files;
  }

  // The files the store writes for `groups`, whose feeds stand in their list order.
  TFiles StoreFiles(const std::map<std::string, std::vector<TFeed>>& groups) const {
    TFiles files;
    for (const auto& [name, feeds] : groups) {
      std::vector<TFeed> filled = feeds;
      for (TFeed& feed : filled) feed.Link = Filled(feed.Link, Feed(), Page());
      files[name + ".dat"] = WithoutId(EncodeGroup(filled));
    }
    return files;
  }

  test::TScratchDir scratch_{"groups_feeds_test"};
};

TEST_F(GroupsAndFeedsCommands, BuildReorganiseAndEmptyGroupsAsTheWindowWould) {
  const TFeed alpha{"{feed}", "Alpha Feed"}, mine{"{feed}", "Mine"}, zed{"{feed}", "Zed"};
  const auto row = [](const std::string& group, const std::string& title) {
    return R"({"group":")" + group + R"(","title":")" + title + R"(","link":"{feed}"})";
  };
  // A step with an error exits 1 and writes nothing; one without Groups changes no file.
  const struct {
    std::vector<std::string> Args;
    std::string Out;
    std::string Err;
    std::map<std::string, std::vector<TFeed>> Groups;
  } steps[] = {
      {{"groups", "add", "News"}, R"({"name":"News","feeds":0})", "", {{"News", {}}}},
      {{"groups", "add", " T/ech "},
       R"({"name":"Tech","feeds":0})",
       "",
       {{"News", {}}, {"Tech", {}}}},
      {{"groups", "add", "news"}, "", R"(a group named "news" exists already)", {}},
      {{"feeds", "add", "{feed}", "--group", "News"},
       row("News", "Alpha Feed"),
       "",
       {{"News", {alpha}}, {"Tech", {}}}},
      {{"feeds", "add", "{feed}", "--group", "Tech", "--title", "Mine"},
       row("Tech", "Mine"),
       "",
       {{"News", {alpha}}, {"Tech", {mine}}}},
      {{"feeds", "add", "{page}", "--group", "Tech"},
       R"({"link":"{feed}","title":"A","type":"application/rss+xml"})",
       "it offers the feeds listed",
       {}},
      {{"feeds", "add", "{feed}", "--group", "Gone"}, "", R"(there is no group "Gone")", {}},
      {{"feeds", "retitle", "{feed}", "Zed"}, "", R"(more than one group ("News", "Tech"))", {}},
      {{"feeds", "retitle", "{feed}", " Zed ", "--group", "Tech"},
       row("Tech", "Zed"),
       "",
       {{"News", {alpha}}, {"Tech", {zed}}}},
      {{"feeds", "move", "{feed}", "--to", "Tech", "--group", "News"},
       row("Tech", "Alpha Feed"),
       "",
       {{"News", {}}, {"Tech", {alpha, zed}}}},
      {{"feeds", "move", "{feed}", "--to", "Gone"}, "", R"(there is no group "Gone")", {}},
      {{"feeds"}, row("Tech", "Alpha Feed") + "\n" + row("Tech", "Zed"), "", {}},
      {{"groups", "rename", "Tech", "World"},
       R"({"name":"World","feeds":2})",
       "",
       {{"News", {}}, {"World", {alpha, zed}}}},
      {{"groups"},
       R"({"name":"News","feeds":0})"
       "\n"
       R"({"name":"World","feeds":2})",
       "",
       {}},
      {{"feeds", "delete", "{feed}"},
       row("World", "Alpha Feed") + "\n" + row("World", "Zed"),
       "",
       {{"News", {}}, {"World", {}}}},
      {{"groups", "delete", "World"}, R"({"name":"World","feeds":0})", "", {{"News", {}}}},
  };
  for (const auto& step : steps) {
    const std::string name = step.Args[0] + " " + (step.Args.size() > 1 ? step.Args[1] : "");
    const TFiles before = Files();
    const TRun run = Run(step.Args);
    EXPECT_EQ(run.Status, step.Err.empty() ? 0 : 1) << name << ": " << run.Err;
    EXPECT_EQ(run.Out, Filled(step.Out, Feed(), Page()) + (step.Out.empty() ? "" : "\n")) << name;
    if (step.Err.empty()) EXPECT_EQ(run.Err, "") << name;
    EXPECT_NE(run.Err.find(step.Err), std::string::npos) << name << ": " << run.Err;
    EXPECT_EQ(Files(), step.Groups.empty() ? before : StoreFiles(step.Groups)) << name;
  }
}

TEST_F(GroupsAndFeedsCommands, WritesNothingWhileTheWindowHoldsTheDataDirectory) {
  ASSERT_EQ(Run({"groups", "add", "News"}).Status, 0);
  const TFiles before = Files();
  const TDataDirLock window(Data());
  ASSERT_TRUE(window.Held());
  const TRun refused = Run({"groups", "add", "Tech"});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Out, "");
  EXPECT_NE(refused.Err.find("Vantle is running with the data directory " + Data() + " (process " +
                             std::to_string(getpid()) + "); nothing was changed."),
            std::string::npos)
      << refused.Err;
  EXPECT_EQ(Files(), before);
  // Reading takes no lock.
  const TRun listed = Run({"groups"});
  EXPECT_EQ(listed.Status, 0);
  EXPECT_EQ(listed.Out, "{\"name\":\"News\",\"feeds\":0}\n");
}

TEST_F(GroupsAndFeedsCommands, ExitsTwoOnAUsageErrorAndWritesNothing) {
  const std::vector<std::vector<std::string>> uses = {
      {"groups", "rename", "A"},      {"groups", "add", "A", "--to", "B"},
      {"feeds", "add", "{feed}"},     {"feeds", "move", "{feed}"},
      {"feeds", "retitle", "{feed}"}, {"feeds", "delete", "{feed}", "--title", "T"},
      {"feeds", "--group"},
  };
  for (const auto& use : uses) {
    const TRun run = Run(use);
    EXPECT_EQ(run.Status, 2) << use[0] << " " << use.size();
    EXPECT_NE(run.Err.find("vantle-feed feeds move LINK --to NAME"), std::string::npos);
  }
  EXPECT_EQ(Files(), TFiles{});
}

}  // namespace
}  // namespace vantle::tool
