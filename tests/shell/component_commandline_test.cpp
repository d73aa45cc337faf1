#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace vantle {
namespace {

struct TAnswer {
  std::optional<int> Status;
  std::string Out, Err;
};

TAnswer Answer(const std::vector<const char*>& args) {
  std::vector<const char*> argv{"vantle"};
  for (const char* arg : args) argv.push_back(arg);
  std::ostringstream out, err;
  const std::optional<int> status =
      AnswerCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

struct TStartCase {
  const char* Name;
  std::vector<const char*> Args;
};

TEST(CommandLine, StartsTheWindowWhenOnlyQtsOwnOptionsAreGiven) {
  const TStartCase cases[] = {
      {"nothing", {}},
      {"a value after its option", {"-platform", "offscreen"}},
      {"two leading dashes", {"--platform", "offscreen"}},
      {"flags and values mixed", {"-reverse", "-session", "s1", "-style", "fusion"}},
      {"joined style", {"-style=fusion"}},
      {"joined debugger", {"-qmljsdebugger=port:1234"}},
      {"debugger with its value after it", {"-qmljsdebugger", "port:1234"}},
      {"X11's display", {"-display", ":1", "-name", "feeds"}},
      {"a value that looks like ours", {"-qwindowtitle", "--version"}},
      {"Chromium's arguments", {"--webEngineArgs", "--remote-debugging-port=9000", "x"}},
  };
  for (const TStartCase& c : cases) {
    const TAnswer answer = Answer(c.Args);
    EXPECT_EQ(answer.Status, std::nullopt) << c.Name;
    EXPECT_EQ(answer.Out + answer.Err, "") << c.Name;
  }
}

TEST(CommandLine, RefusesWhatQtDoesNotReadWithTheUsageOnStandardError) {
  const TStartCase cases[] = {
      {"an unknown option", {"--bogus"}},
      {"a stray argument", {"feed.xml"}},
      {"a lone dash", {"-"}},
      {"two lone dashes", {"--"}},
      {"a Qt option without its value", {"-platform"}},
      {"a join Qt does not read", {"-platform=offscreen"}},
      {"an unknown option after Qt's", {"-reverse", "-bogus"}},
      {"an unknown option before ours", {"-bogus", "--version"}},
  };
  for (const TStartCase& c : cases) {
    const TAnswer answer = Answer(c.Args);
    EXPECT_EQ(answer.Status, 2) << c.Name;
    EXPECT_EQ(answer.Out, "") << c.Name;
    EXPECT_EQ(answer.Err, UsageText()) << c.Name;
  }
}

TEST(CommandLine, VersionPrintsTheNameAndVersionOnStandardOutput) {
  for (const std::vector<const char*>& args :
       {std::vector<const char*>{"--version"}, {"-platform", "offscreen", "--version"}}) {
    const TAnswer answer = Answer(args);
    EXPECT_EQ(answer.Status, 0);
    EXPECT_EQ(answer.Out, "vantle " VANTLE_VERSION "\n");
    EXPECT_EQ(answer.Err, "");
  }
}

TEST(CommandLine, HelpPrintsTheVersionTheUsageAndTheOptions) {
  for (const char* option : {"--help", "-h"}) {
    const TAnswer answer = Answer({option, "--bogus"});
    EXPECT_EQ(answer.Status, 0) << option;
    EXPECT_EQ(answer.Out.rfind(std::string("vantle " VANTLE_VERSION "\n") + UsageText(), 0), 0u)
        << answer.Out;
    EXPECT_NE(answer.Out.find("--version"), std::string::npos);
    EXPECT_NE(answer.Out.find("--webEngineArgs"), std::string::npos);
    EXPECT_EQ(answer.Err, "");
  }
}

}  // namespace
}  // namespace vantle
