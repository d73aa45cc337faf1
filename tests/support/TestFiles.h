#pragma once

// Files and folders the GUI-free tests share.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace vantle::test {

// A fresh folder under the system's temporary directory, removed with all it holds.
class TScratchDir {
 public:
  explicit TScratchDir(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr) FPath = pattern;
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  ~TScratchDir() {
    std::error_code ignored;
    if (!FPath.empty()) std::filesystem::remove_all(FPath, ignored);
  }

  // The folder; empty when it could not be made.
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

// The .xml and .rss files below `root`, in path order.
inline std::vector<std::filesystem::path> FeedFilesUnder(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".xml" || extension == ".rss"))
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace vantle::test
