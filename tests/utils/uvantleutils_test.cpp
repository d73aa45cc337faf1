#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Exception.h"
#include "UVantleUtils.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;

TEST(StripNameChars, RemovesTheSpaceOfATypedName) {
  EXPECT_EQ(StripNameChars("My Feeds"), "MyFeeds");
  EXPECT_EQ(StripNameChars("a/b:c"), "abc");
}

TEST(StripNameChars, RemovesAllTenInvalidCharactersAndKeepsTheRest) {
  EXPECT_EQ(StripNameChars("\\/:*?\"< >|"), "");
  EXPECT_EQ(StripNameChars("x\\y/z:1*2?3\"4<5 6>7|8"), "xyz12345678");
  EXPECT_EQ(StripNameChars("Tech-News_2.0 (ÄÖ)"), "Tech-News_2.0(ÄÖ)");
  EXPECT_EQ(StripNameChars(""), "");
}

TEST(WithTrailingBackslash, TrimsBlanksAndControlCharactersAndAppendsOneSeparator) {
  EXPECT_EQ(WithTrailingBackslash("/data"), "/data/");
  EXPECT_EQ(WithTrailingBackslash("/data/"), "/data/");
  EXPECT_EQ(WithTrailingBackslash(" \t/data dir\r\n"), "/data dir/");
  EXPECT_EQ(WithTrailingBackslash(std::string("\x01/d\x1f", 4)), "/d/");
  EXPECT_EQ(WithTrailingBackslash("/caf\xc3\xa9"), "/caf\xc3\xa9/");
}

TEST(WithTrailingBackslash, BlankPathStaysEmpty) {
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithTrailingBackslash(" \t\r\n"), "");
}

// A fresh directory, removed at the end.
class ScratchDir : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantle-utils-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(Dir, fs::perms::owner_all, ignored);
    fs::remove_all(Dir, ignored);
  }
  void Touch(const std::string& name) const { std::ofstream(Dir / name) << "x"; }
  std::vector<std::string> Sorted(std::vector<std::string> list) const {
    std::sort(list.begin(), list.end());
    return list;
  }

  fs::path Dir;
};

using ListFilesTest = ScratchDir;

TEST_F(ListFilesTest, GivesTheFullPathOfEveryEntryEndingWithTheExtension) {
  Touch("News.dat");
  Touch("Tech.dat");
  Touch(".dat");
  Touch("notes.txt");
  Touch("Old.dat.bak");
  Touch("Upper.DAT");
  std::vector<std::string> list;
  ListFiles(list, Dir.string(), ".dat");
  const std::string d = Dir.string() + "/";
  EXPECT_EQ(Sorted(list), (std::vector<std::string>{d + ".dat", d + "News.dat", d + "Tech.dat"}));
}

TEST_F(ListFilesTest, TakesDirectoriesAndAppendsToWhatTheListHolds) {
  fs::create_directory(Dir / "Folder.dat");
  fs::create_directory(Dir / "Other");
  std::vector<std::string> list{"kept"};
  ListFiles(list, " " + Dir.string() + "/ ", ".dat");
  EXPECT_EQ(list, (std::vector<std::string>{"kept", Dir.string() + "/Folder.dat"}));
}

TEST_F(ListFilesTest, EmptyExtensionTakesEveryEntryButTheDotEntries) {
  Touch("a");
  Touch("b.dat");
  std::vector<std::string> list;
  ListFiles(list, Dir.string(), "");
  EXPECT_EQ(Sorted(list), (std::vector<std::string>{Dir.string() + "/a", Dir.string() + "/b.dat"}));
}

TEST_F(ListFilesTest, MissingDirectoryGivesNothing) {
  std::vector<std::string> list{"kept"};
  ListFiles(list, (Dir / "absent").string(), ".dat");
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

// Sets TMPDIR for one test and puts back what was there.
class TempDirectoryTest : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    const char* old = getenv("TMPDIR");
    HadTmpDir = old != nullptr;
    if (HadTmpDir) OldTmpDir = old;
  }
  void TearDown() override {
    if (HadTmpDir)
      setenv("TMPDIR", OldTmpDir.c_str(), 1);
    else
      unsetenv("TMPDIR");
    ScratchDir::TearDown();
  }
  fs::path Private() const { return Dir / ("vantle-" + std::to_string(geteuid())); }
  static mode_t Mode(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
  }

  bool HadTmpDir = false;
  std::string OldTmpDir;
};

TEST_F(TempDirectoryTest, PutsThePrivateDirectoryUnderTmpDir) {
  setenv("TMPDIR", Dir.c_str(), 1);
  EXPECT_EQ(TempDirectory(), Private().string() + "/");
  EXPECT_EQ(Mode(Private()), 0700u);
  setenv("TMPDIR", (Dir.string() + "/").c_str(), 1);
  EXPECT_EQ(TempDirectory(), Private().string() + "/");
}

TEST_F(TempDirectoryTest, EmptyTmpDirFallsBackToThePrivateDirectory) {
  setenv("TMPDIR", "", 1);
  const std::string dir = TempDirectory();
  const std::string expected = "/tmp/vantle-" + std::to_string(geteuid()) + "/";
  EXPECT_EQ(dir, expected);
  EXPECT_EQ(Mode(dir), 0700u);
  unsetenv("TMPDIR");
  EXPECT_EQ(TempDirectory(), expected);
}

TEST_F(TempDirectoryTest, PrivateDirectoryIsCreatedWithModeSevenHundred) {
  const mode_t oldMask = umask(0);
  const std::string dir = PrivateTempDirectory(Dir.string());
  umask(oldMask);
  EXPECT_EQ(dir, Private().string() + "/");
  EXPECT_TRUE(fs::is_directory(Private()));
  EXPECT_EQ(Mode(Private()), 0700u);
  EXPECT_EQ(PrivateTempDirectory(Dir.string() + "/"), dir);
}

TEST_F(TempDirectoryTest, LooserPrivateDirectoryIsMadePrivate) {
  fs::create_directory(Private());
  chmod(Private().c_str(), 0777);
  PrivateTempDirectory(Dir.string());
  EXPECT_EQ(Mode(Private()), 0700u);
}

TEST_F(TempDirectoryTest, RefusesASymbolicLinkAtThePrivateName) {
  fs::create_directory(Dir / "elsewhere");
  chmod((Dir / "elsewhere").c_str(), 0755);
  fs::create_directory_symlink(Dir / "elsewhere", Private());
  try {
    PrivateTempDirectory(Dir.string());
    FAIL() << "a symbolic link was accepted";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(Private().string()), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("symbolic link"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(Mode(Dir / "elsewhere"), 0755u);
}

TEST_F(TempDirectoryTest, RefusesAFileAtThePrivateName) {
  Touch(Private().filename().string());
  EXPECT_THROW(PrivateTempDirectory(Dir.string()), Exception);
}

TEST_F(TempDirectoryTest, TakesAFreshDirectoryOnceWhenAnotherUserHoldsThePrivateName) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to hand a name to another user";
  fs::create_directory(Dir / "elsewhere");
  for (const char* kind : {"directory", "link"}) {
    SCOPED_TRACE(kind);
    const fs::path parent = Dir / kind;
    const fs::path held = parent / Private().filename();
    fs::create_directory(parent);
    if (std::string(kind) == "directory")
      fs::create_directory(held);
    else
      fs::create_directory_symlink(Dir / "elsewhere", held);
    ASSERT_EQ(lchown(held.c_str(), 65534, 65534), 0);
    testing::internal::CaptureStderr();
    const std::string first = PrivateTempDirectory(parent.string());
    const std::string second = PrivateTempDirectory(parent.string());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(second, first);
    EXPECT_EQ(first.rfind(held.string() + "-", 0), 0u) << first;
    EXPECT_EQ(Mode(first), 0700u);
    struct stat info {};
    ASSERT_EQ(lstat(first.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, geteuid());
    const std::string stand = first.substr(0, first.size() - 1);
    EXPECT_EQ(said, "vantle: " + held.string() + " belongs to another user; using " + stand +
                        " instead\n");
  }
}

TEST_F(TempDirectoryTest, UncreatableDirectoryRaisesNamingIt) {
  const fs::path parent = Dir / "absent";
  try {
    PrivateTempDirectory(parent.string());
    FAIL() << "no error under a missing parent";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(parent.string()), std::string::npos) << e.Message();
  }
}

}  // namespace
}  // namespace vantle
