#include "store/ProgramPlaces.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "UVantleUtils.h"
#include "store/DataDirectory.h"

namespace vantle {

std::string ExecutableDir() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : executable.parent_path().string();
}

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeDirectory() {
  const std::string home = EnvironmentText("HOME");
  return home.empty() ? "/" : home;
}

std::string WindowProgramDir(const std::string& toolDir) {
  // The trailing separator makes the folder the path's parent.
  const std::filesystem::path folder =
      std::filesystem::path(WithTrailingBackslash(toolDir)).parent_path();
  if (folder.filename() == "tools") return (folder.parent_path() / "shell").string();
  if (folder.filename() == "bin") return (folder.parent_path() / "lib" / "vantle").string();
  return folder.string();
}

std::string DataDirOfProgramIn(const std::string& programDir) {
  return ChooseDataDir(BuiltInstallLayout, programDir, EnvironmentText("XDG_DATA_HOME"),
                       HomeDirectory());
}

}  // namespace vantle
