#include "store/Settings.h"

#include "IniFile.h"

namespace vantle {

namespace {

constexpr char Section[] = "SETTINGS";

}  // namespace

std::string SettingsPath(const std::string& dataDir) {
  return dataDir + "Settings.ruv";
}

TWindowSettings ReadSettings(const std::string& path, const TWindowSettings& defaults) {
  const TIniFile file(path);
  return {file.ReadInteger(Section, "viewstyle", defaults.ViewStyle),
          file.ReadInteger(Section, "wd", defaults.Width),
          file.ReadInteger(Section, "hg", defaults.Height)};
}

void WriteSettings(const std::string& path, const TWindowSettings& settings) {
  TIniFile file(path);
  file.WriteInteger(Section, "viewstyle", settings.ViewStyle);
  file.WriteInteger(Section, "wd", settings.Width);
  file.WriteInteger(Section, "hg", settings.Height);
  file.UpdateFile();
}

}  // namespace vantle
