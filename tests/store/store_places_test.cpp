#include <gmock/gmock.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "StoreTestSupport.h"
#include "store/DataDirLock.h"
#include "store/DataDirectory.h"
#include "store/NameCollation.h"
#include "store/ProgramPlaces.h"

namespace vantle {
namespace {

class StorePlaces : public test::TStoreTest {};

TEST_F(StorePlaces, FindsTheWindowsFolderFromTheToolsInBothLayouts) {
  const std::pair<std::string, std::string> cases[] = {
      {"/src/build/tools", "/src/build/shell"},    {"/src/build/tools/", "/src/build/shell"},
      {"/usr/local/bin", "/usr/local/lib/vantle"}, {"/opt/v/bin/", "/opt/v/lib/vantle"},
      {"/somewhere/else", "/somewhere/else"},
  };
  for (const auto& [tool, window] : cases) EXPECT_EQ(WindowProgramDir(tool), window) << tool;
}

TEST_F(StorePlaces, GivesTheToolAndTheWindowOneDataDirectoryInBothLayouts) {
  const struct {
    std::string Tool;
    std::string Window;
  } layouts[] = {{Root() + "build/tools", Root() + "build/shell"},
                 {Root() + "prefix/bin", Root() + "prefix/lib/vantle"}};
  for (const auto& layout : layouts) {
    std::filesystem::create_directories(layout.Tool);
    std::filesystem::create_directories(layout.Window);
    const std::string window = DataDirOfProgramIn(layout.Window);
    EXPECT_EQ(DataDirOfProgramIn(WindowProgramDir(layout.Tool)), window);
    EXPECT_EQ(window, layout.Window + "/Data/");
  }
}

TEST_F(StorePlaces, LocksTheDataDirectoryForOneHolderAtATime) {
  TDataDirLock first(DataDir());
  ASSERT_TRUE(first.Held());
  EXPECT_EQ(ReadFile(TDataDirLock::PathOf(DataDir())), std::to_string(getpid()) + "\n");
  const TDataDirLock second(DataDir());
  EXPECT_FALSE(second.Held());
  EXPECT_EQ(second.Holder(), getpid());
}

TEST_F(StorePlaces, TakesOverTheLockOfAProcessThatIsGone) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    const TDataDirLock held(DataDir());
    const char byte = held.Held() ? 'y' : 'n';
    [[maybe_unused]] const ssize_t written = write(ready[1], &byte, 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  {
    const TDataDirLock whileRunning(DataDir());
    EXPECT_FALSE(whileRunning.Held());
    EXPECT_EQ(whileRunning.Holder(), child);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  const TDataDirLock after(DataDir());
  EXPECT_TRUE(after.Held());
  EXPECT_EQ(ReadFile(TDataDirLock::PathOf(DataDir())), std::to_string(getpid()) + "\n");
}

TEST(NameCollation, OrdersSortKeysAsItComparesInEveryKindOfLocale) {
  const std::vector<std::string> names = {
      "",     "a", "A", "b",  "News", "news", "News Daily", "Newsday", "é", "e",
      "É",    "z", "ß", "ss", "ø",    "Å",    "日本",       "中文",    "😀", "\xEF\xBF\xBD",
      "\xFF", "$", " ", "10", "9",    "Ǆ",    "ǆ",          "Ω",       "ω", "ﬀ",
  };
  for (const char* locale : {"C.UTF-8", "POSIX", "en_US.UTF-8", "de_DE", "sv_SE.UTF-8@x"}) {
    const TNameCollation collation(locale);
    for (const std::string& a : names) {
      for (const std::string& b : names) {
        const int compared = collation.Compare(a, b);
        const int keyed = collation.SortKey(a).compare(collation.SortKey(b));
        EXPECT_EQ(compared < 0, keyed < 0) << locale << ": " << a << " / " << b;
        EXPECT_EQ(compared == 0, keyed == 0) << locale << ": " << a << " / " << b;
      }
    }
  }
}

TEST(NameCollation, TellsNamesEqualIgnoringCase) {
  EXPECT_TRUE(TNameCollation::EqualIgnoringCase("NEWS", "news"));
  EXPECT_TRUE(TNameCollation::EqualIgnoringCase("ÉTÉ", "été"));
  EXPECT_FALSE(TNameCollation::EqualIgnoringCase("ete", "été"));
  EXPECT_FALSE(TNameCollation::EqualIgnoringCase("News", "News "));
}

}  // namespace
}  // namespace vantle
