#include "DataDirectory.h"

#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

#include "UVantleUtils.h"

namespace vantle {

namespace {

// True when `directory` exists or was created, and this user may write into it.
bool UsableDirectory(const std::string& directory) {
  return QDir().mkpath(QString::fromStdString(directory)) &&
         ::access(directory.c_str(), W_OK | X_OK) == 0;
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
  QDir().mkpath(QString::fromStdString(perUser));
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
  return ChooseDataDir(BuiltInstallLayout, QCoreApplication::applicationDirPath().toStdString(),
                       qEnvironmentVariable("XDG_DATA_HOME").toStdString(),
                       QDir::homePath().toStdString());
}

}  // namespace vantle
