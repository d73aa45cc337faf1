#pragma once

#include <string>

namespace vantle {

// The data directory, with its trailing separator: `executableDir` + "Data/" when that
// directory exists or can be created and can be written, else the per-user one,
// `xdgDataHome` + "/vantle/Data/" (`home` + "/.local/share" when `xdgDataHome` is empty or
// relative), created as needed.
std::string ChooseDataDir(const std::string& executableDir, const std::string& xdgDataHome,
                          const std::string& home);

// ChooseDataDir for this process: its executable's directory and its environment.
std::string ApplicationDataDir();

}  // namespace vantle
