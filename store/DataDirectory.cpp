#include "store/DataDirectory.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "UVantleUtils.h"
#include "store/ProgramPlaces.h"

namespace vantle {

namespace {

// Creates `directory` with its missing parents; true when it exists afterwards.
bool MakePath(const std::string& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  return std::filesystem::is_directory(directory, error);
}

// True when `directory` exists or was created, and this user may write into it.
bool UsableDirectory(const std::string& directory) {
  return MakePath(directory) && ::access(directory.c_str(), W_OK | X_OK) == 0;
}

std::string UserDataHome(const std::string& xdgDataHome, const std::string& home) {
  // XDG base-directory rules ignore a relative XDG_DATA_HOME.
  if (!xdgDataHome.empty() && xdgDataHome.front() == '/') {
    return WithTrailingBackslash(xdgDataHome);
  }
  return WithTrailingBackslash(home) + ".local/share/";
}

std::string PerUserDataDir(const std::string& xdgDataHome, const std::string& home) {
  const std::string perUser = UserDataHome(xdgDataHome, home) + "vantle/Data/";
  MakePath(perUser);
  return perUser;
}

}  // namespace

std::string ChooseDataDir(const std::string& executableDir, const std::string& xdgDataHome,
                          const std::string& home) {
  const std::string besideExecutable = WithTrailingBackslash(executableDir) + "Data/";
  if (UsableDirectory(besideExecutable)) {
    return besideExecutable;
  }
  return PerUserDataDir(xdgDataHome, home);
}

std::string ChooseDataDir(TInstallLayout layout, const std::string& executableDir,
                          const std::string& xdgDataHome, const std::string& home) {
  if (layout == TInstallLayout::SystemPackage) return PerUserDataDir(xdgDataHome, home);
  return ChooseDataDir(executableDir, xdgDataHome, home);
}

std::string ApplicationDataDir() {
  return ChooseDataDir(BuiltInstallLayout, ExecutableDir(), EnvironmentText("XDG_DATA_HOME"),
                       HomeDirectory());
}

}  // namespace vantle
