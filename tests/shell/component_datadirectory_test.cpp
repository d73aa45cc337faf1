#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include <string>

#include "store/DataDirectory.h"

namespace vantle {
namespace {

class InstalledDataDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FRoot.isValid());
    // A program directory this user can write, as /usr/lib/vantle/ is for root.
    ASSERT_TRUE(QDir().mkpath(FRoot.filePath("lib/vantle")));
    ASSERT_EQ(::chmod(Path("lib/vantle").c_str(), 0755), 0);
  }

  std::string Path(const QString& name) const { return FRoot.filePath(name).toStdString(); }
  bool Exists(const QString& name) const { return QDir(FRoot.filePath(name)).exists(); }

  QTemporaryDir FRoot;
};

TEST_F(InstalledDataDirectory, IsThePerUserOneEvenWhenTheProgramsFolderCanBeWritten) {
  EXPECT_EQ(
      ChooseDataDir(TInstallLayout::SystemPackage, Path("lib/vantle"), Path("xdg"), Path("home")),
      Path("xdg") + "/vantle/Data/");
  EXPECT_TRUE(Exists("xdg/vantle/Data"));
  EXPECT_FALSE(Exists("lib/vantle/Data"));
}

TEST_F(InstalledDataDirectory, FallsBackToHomeWhenTheDataHomeIsEmptyOrRelative) {
  const std::string expected = Path("home") + "/.local/share/vantle/Data/";
  for (const std::string xdg : {"", "relative/xdg"}) {
    EXPECT_EQ(ChooseDataDir(TInstallLayout::SystemPackage, Path("lib/vantle"), xdg, Path("home")),
              expected)
        << xdg;
  }
  EXPECT_TRUE(Exists("home/.local/share/vantle/Data"));
  EXPECT_FALSE(Exists("lib/vantle/Data"));
}

TEST_F(InstalledDataDirectory, APortableCopyKeepsItsDataBesideTheProgram) {
  EXPECT_EQ(ChooseDataDir(TInstallLayout::Portable, Path("lib/vantle"), Path("xdg"), Path("home")),
            Path("lib/vantle") + "/Data/");
  EXPECT_TRUE(Exists("lib/vantle/Data"));
  EXPECT_FALSE(Exists("xdg"));
}

}  // namespace
}  // namespace vantle
