#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TResult {
  int Status = -1;
  std::string Out, Err;
};

std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadAll(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

class DiscoverCommand : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("vantle_discover_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(FDir / name, std::ios::binary) << content;
    return (FDir / name).string();
  }

  // Runs `vantle-feed discover` with `args` (the tool reads local files only here).
  TResult Discover(const std::vector<std::string>& args) {
    std::string command = Quoted(VANTLE_FEED_TOOL) + " discover";
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " >" + Quoted((FDir / "out").string()) + " 2>" + Quoted((FDir / "err").string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(FDir / "out"),
            ReadAll(FDir / "err")};
  }

  fs::path FDir;
};

TEST_F(DiscoverCommand, PrintsOneLinePerFeedOfThePageInPageOrder) {
  const std::string page =
      Write("index.html",
            "<html><head><link rel='alternate' type='application/atom+xml' href='atom.xml' "
            "title='All &quot;posts&quot;'><link rel='alternate' type='application/rss+xml' "
            "href='/srv/rss.xml'></head><body>Hello</body></html>");
  const TResult result = Discover({page});
  EXPECT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out,
            "{\"link\":\"" + (FDir / "atom.xml").string() +
                "\",\"title\":\"All \\\"posts\\\"\",\"type\":\"application/atom+xml\"}\n"
                "{\"link\":\"/srv/rss.xml\",\"title\":\"\",\"type\":"
                "\"application/rss+xml\"}\n");
}

TEST_F(DiscoverCommand, PrintsALinkThatIsItselfAFeedWithItsFormat) {
  const std::string feed = Write("feed.xml", "<feed><title>A</title></feed>");
  const TResult result = Discover({feed});
  EXPECT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out,
            "{\"link\":\"" + feed + "\",\"title\":\"A\",\"type\":\"application/atom+xml\"}\n");
}

TEST_F(DiscoverCommand, ExitsWithOneWhenNothingIsFoundAndTwoOnAUsageError) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const std::string page = Write("plain.html", "<html><head></head><body>no feeds</body></html>");
  const std::string missing = (FDir / "gone.html").string();
  const std::vector<Case> cases = {
      {"a page without feeds", {page}, 1, "vantle-feed: no feed found at " + page + "\n"},
      {"a link that cannot be fetched",
       {missing},
       1,
       "vantle-feed: " + missing + ": cannot open the file: No such file or directory\n"},
      {"no link", {}, 2, ""},
      {"two links", {page, page}, 2, ""},
      {"an empty link", {""}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TResult result = Discover(c.args);
    EXPECT_EQ(result.Status, c.status);
    EXPECT_EQ(result.Out, "");
    if (c.status == 2)
      EXPECT_NE(result.Err.find("vantle-feed discover [--data DIR] LINK"), std::string::npos)
          << result.Err;
    else
      EXPECT_EQ(result.Err, c.err);
  }
}

}  // namespace
