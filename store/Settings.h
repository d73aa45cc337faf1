#pragma once

#include <string>

namespace vantle {

// What the settings file "Settings.ruv" keeps: section "SETTINGS", keys "viewstyle" (the
// view style's position), "wd" and "hg" (the window's size).
struct TWindowSettings {
  int ViewStyle = 0;
  int Width = 0;
  int Height = 0;
};

// DataDir + "Settings.ruv"; `dataDir` has its trailing separator.
std::string SettingsPath(const std::string& dataDir);

// The settings of the file at `path`; a key it lacks keeps its value in `defaults`.
TWindowSettings ReadSettings(const std::string& path, const TWindowSettings& defaults);

// Writes `settings` into the file at `path`, keeping its other keys; raises
// "Unable to write to <path>".
void WriteSettings(const std::string& path, const TWindowSettings& settings);

}  // namespace vantle
