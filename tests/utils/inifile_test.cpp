#include "IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Exception.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "inifile_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "Settings.ruv").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Store(const std::string& content) const {
    std::ofstream(path_, std::ios::binary) << content;
  }
  std::string Stored() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(IniFileTest, WritesTheSettingsInTheOrderTheyWereWritten) {
  TIniFile ini(path_);
  ini.WriteInteger("SETTINGS", "viewstyle", -1);
  ini.WriteInteger("SETTINGS", "wd", 768);
  ini.WriteInteger("SETTINGS", "hg", 586);
  ini.UpdateFile();
  EXPECT_EQ(Stored(), "[SETTINGS]\r\nviewstyle=-1\r\nwd=768\r\nhg=586\r\n");
}

TEST_F(IniFileTest, ReplacesAValueWhereItStands) {
  Store("[SETTINGS]\r\nviewstyle=1\r\nwd=800\r\nhg=600\r\n");
  TIniFile ini(path_);
  ini.WriteInteger("SETTINGS", "viewstyle", 0);
  ini.WriteInteger("SETTINGS", "wd", 1024);
  ini.WriteInteger("SETTINGS", "hg", 700);
  ini.UpdateFile();
  EXPECT_EQ(Stored(), "[SETTINGS]\r\nviewstyle=0\r\nwd=1024\r\nhg=700\r\n");
}

TEST_F(IniFileTest, KeepsWhatItDoesNotKnow) {
  Store("; kept\n[Other]\nname = value\n\n[settings]\nWD=5\nextra=1\n");
  TIniFile ini(path_);
  ini.WriteInteger("SETTINGS", "wd", 900);
  ini.WriteInteger("SETTINGS", "hg", 600);
  ini.WriteInteger("More", "x", 1);
  ini.UpdateFile();
  EXPECT_EQ(Stored(),
            "; kept\r\n[Other]\r\nname = value\r\n\r\n[settings]\r\nwd=900\r\nextra=1\r\nhg=600\r\n"
            "[More]\r\nx=1\r\n");
}

TEST_F(IniFileTest, ReadsDecimalAndHexadecimalIntegers) {
  Store(
      "[SETTINGS]\nviewstyle=1\nwd=0x400\nhg=$400\nneg=-12\nplus=+7\nupper=0X1f\nblank=  42  \n"
      "quoted=\"17\"\nnegative_hex=-$10\nmost=2147483647\nleast=-2147483648\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "viewstyle", 0), 1);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "wd", 0), 1024);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "hg", 0), 1024);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "neg", 0), -12);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "plus", 0), 7);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "upper", 0), 31);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "blank", 0), 42);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "quoted", 0), 17);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "negative_hex", 0), -16);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "most", 0), 2147483647);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "least", 0), -2147483647 - 1);
}

TEST_F(IniFileTest, GivesTheDefaultForAValueThatIsNoInteger) {
  Store("[SETTINGS]\nwd=wide\nhg=\nviewstyle=1.5\na=0x\nb=$\nc=12 34\nd=2147483648\ne=0xG1\nf=-\n");
  TIniFile ini(path_);
  for (const char* key : {"wd", "hg", "viewstyle", "a", "b", "c", "d", "e", "f", "missing"}) {
    EXPECT_EQ(ini.ReadInteger("SETTINGS", key, 768), 768) << key;
  }
  EXPECT_EQ(ini.ReadInteger("NOSECTION", "wd", 5), 5);
}

TEST_F(IniFileTest, MatchesNamesWithoutRegardToCase) {
  Store("[Settings]\nViewStyle=1\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "viewstyle", 0), 1);
}

TEST_F(IniFileTest, TakesTheFirstOfRepeatedKeysAndSections) {
  Store("[SETTINGS]\nwd=1\nwd=2\n[SETTINGS]\nhg=3\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "wd", 0), 1);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "hg", 0), 0);
}

TEST_F(IniFileTest, ReadsWhatItHasWrittenBeforeTheFileIsUpdated) {
  TIniFile ini(path_);
  ini.WriteInteger("SETTINGS", "wd", 640);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "wd", 0), 640);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, GivesDefaultsForAMissingFile) {
  TIniFile ini((dir_ / "absent.ruv").string());
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "viewstyle", 0), 0);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "wd", 768), 768);
}

TEST_F(IniFileTest, SurvivesAHostileFile) {
  std::string hostile = "[SETTINGS]\r\nwd=";
  hostile += std::string(1 << 20, '9');
  hostile += "\r\n";
  hostile += std::string("x\0y=1\r\n", 7);
  hostile += std::string(100000, '[');
  hostile += "\nhg=0x258";
  Store(hostile);
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "wd", 3), 3);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "hg", 3), 600);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", std::string("x\0y", 3), 0), 1);
}

TEST_F(IniFileTest, ReportsAFileItCannotWrite) {
  const std::string path = (dir_ / "no" / "such" / "Settings.ruv").string();
  TIniFile ini(path);
  ini.WriteInteger("SETTINGS", "wd", 1);
  try {
    ini.UpdateFile();
    FAIL() << "wrote into a missing directory";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + path);
  }
}

TEST_F(IniFileTest, ReplacesTheFileWholeAndKeepsItsMode) {
  Store("[SETTINGS]\nwd=1\n");
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  TIniFile ini(path_);
  ini.WriteInteger("SETTINGS", "wd", 2);
  ini.UpdateFile();
  EXPECT_EQ(Stored(), "[SETTINGS]\r\nwd=2\r\n");
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST(IniInteger, ParsesTheFormsWindowsAccepts) {
  EXPECT_EQ(ParseIniInteger("0x400"), 1024);
  EXPECT_EQ(ParseIniInteger("$400"), 1024);
  EXPECT_EQ(ParseIniInteger("-0x80000000"), -2147483647 - 1);
  EXPECT_EQ(ParseIniInteger("0x80000000"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(""), std::nullopt);
  EXPECT_EQ(ParseIniInteger("99999999999999999999"), std::nullopt);
}

}  // namespace
}  // namespace vantle
