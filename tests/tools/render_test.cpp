#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

struct RunResult {
  int Status = -1;
  std::string Out, Err;
};

const char* const RssFeed =
    "<?xml version=\"1.0\"?>\n"
    "<rss version=\"2.0\"><channel><title>Render Test Feed</title>"
    "<link>http://example.com/</link><description>One story</description>"
    "<item><title>Only item</title><link>http://example.com/1</link>"
    "<description>Story</description></item></channel></rss>\n";

// Runs vantle-feed render with TMPDIR pointing at a scratch directory.
class RenderCommand : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantle-render-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
    fs::create_directory(Dir / "tmp");
    Feed = Dir / "feed.xml";
    std::ofstream(Feed) << RssFeed;
  }
  void TearDown() override { fs::remove_all(Dir); }

  RunResult Run(const std::vector<std::string>& args) const {
    const std::string tool = VANTLE_FEED_TOOL;
    std::vector<std::string> all{tool, "render"};
    all.insert(all.end(), args.begin(), args.end());
    const fs::path out = Dir / "stdout", err = Dir / "stderr";
    const pid_t pid = fork();
    if (pid == 0) {
      setenv("TMPDIR", (Dir / "tmp").c_str(), 1);
      if (chdir(Dir.c_str()) != 0 || !freopen(out.c_str(), "w", stdout) ||
          !freopen(err.c_str(), "w", stderr))
        _exit(127);
      std::vector<char*> argv;
      for (const std::string& a : all) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(tool.c_str(), argv.data());
      _exit(127);
    }
    RunResult result;
    result.Status = WaitBounded(pid);
    result.Out = ReadBytes(out);
    result.Err = ReadBytes(err);
    return result;
  }

  static int WaitBounded(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "vantle-feed did not finish in time";
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The page lands in this user's private directory under TMPDIR.
  fs::path PageFile() const {
    return Dir / "tmp" / ("vantle-" + std::to_string(geteuid())) / "vantle_tmp.htm";
  }

  fs::path Dir, Feed;
};

TEST_F(RenderCommand, BadUsageExitsWithTwoAndPrintsTheUsage) {
  const std::vector<std::vector<std::string>> bad{{},
                                                  {"--style", "Bogus", Feed},
                                                  {"--style", "256", Feed},
                                                  {"--style", "-1", Feed},
                                                  {"--style"},
                                                  {Feed, "--out"},
                                                  {Feed, Feed},
                                                  {"--colour", Feed}};
  for (const auto& args : bad) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.Status, 2) << testing::PrintToString(args);
    EXPECT_NE(r.Err.find("usage: vantle-feed"), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
  EXPECT_FALSE(fs::exists(PageFile()));
}

TEST_F(RenderCommand, FailedLoadPrintsTheErrorAndExitsWithOne) {
  const RunResult r = Run({(Dir / "absent.xml").string()});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("vantle-feed: "), std::string::npos) << r.Err;
  EXPECT_EQ(r.Out, "");
  EXPECT_FALSE(fs::exists(PageFile()));
}

TEST_F(RenderCommand, DefaultIsANewsPaperPageInTheTemporaryDirectory) {
  const RunResult r = Run({Feed});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, PageFile().string() + "\n");
  const std::vector<std::string> lines = CrLfLines(ReadBytes(PageFile()));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "<html>");
  EXPECT_EQ(lines[2].size(), 802u);
  EXPECT_NE(lines[5].find(">Render Test Feed</div>"), std::string::npos) << lines[5];
  EXPECT_NE(lines[6].find(R"(<hr style="WIDTH: 100%" size="2" />Only item</div>)"),
            std::string::npos)
      << lines[6];
  EXPECT_NE(lines[7].find("One story</div>"), std::string::npos) << lines[7];
}

TEST_F(RenderCommand, StyleIsChosenByNameOrByIndex) {
  for (const std::string style : {"List", "1"}) {
    const RunResult r = Run({"--style", style, Feed});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::vector<std::string> lines = CrLfLines(ReadBytes(PageFile()));
    ASSERT_EQ(lines.size(), 10u) << style;
    EXPECT_EQ(lines[2].size(), 763u) << style;
  }
  for (const std::string style : {"NewsPaper", "0"}) {
    ASSERT_EQ(Run({"--style", style, Feed}).Status, 0);
    EXPECT_EQ(CrLfLines(ReadBytes(PageFile())).at(2).size(), 802u) << style;
  }
}

TEST_F(RenderCommand, OtherStyleIndexWritesAnEmptyPage) {
  const RunResult r = Run({Feed, "--style", "255"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, PageFile().string() + "\n");
  EXPECT_TRUE(fs::exists(PageFile()));
  EXPECT_EQ(fs::file_size(PageFile()), 0u);
}

TEST_F(RenderCommand, OutWritesThePageThereAndPrintsItsFullPath) {
  const RunResult r = Run({"--out", "page.htm", "--style", "List", Feed});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, (Dir / "page.htm").string() + "\n");
  EXPECT_EQ(CrLfLines(ReadBytes(Dir / "page.htm")).size(), 10u);
  EXPECT_FALSE(fs::exists(PageFile()));
}

}  // namespace
