#pragma once

// What the store's tests share: a fresh data directory and its files as bytes.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace vantle::test {

// A temporary directory holding a data directory "Data/", removed afterwards.
class TStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "store_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    FRoot = pattern;
    std::filesystem::create_directories(DataDir());
  }
  void TearDown() override { std::filesystem::remove_all(FRoot); }

  std::string Root() const { return FRoot.string() + "/"; }
  std::string DataDir() const { return Root() + "Data/"; }

  static void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  // Every file of the data directory with its bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(DataDir())) {
      files[entry.path().filename().string()] = ReadFile(entry.path().string());
    }
    return files;
  }

  std::filesystem::path FRoot;
};

}  // namespace vantle::test
