#pragma once

#include <string>

namespace vantle {

// The data directory, with its trailing separator: `executableDir` + "Data/" when that
// directory exists or can be created and can be written, else the per-user one,
// `xdgDataHome` + "/vantle/Data/" (`home` + "/.local/share" when `xdgDataHome` is empty or
// relative), created as needed.
std::string ChooseDataDir(const std::string& executableDir, const std::string& xdgDataHome,
                          const std::string& home);

// Where the program's files lie: a build tree or portable copy, or the system package's layout.
enum class TInstallLayout { Portable, SystemPackage };

// The layout this program was built for: SystemPackage when built with VANTLE_SYSTEM_INSTALL.
#ifdef VANTLE_SYSTEM_INSTALL
inline constexpr TInstallLayout BuiltInstallLayout = TInstallLayout::SystemPackage;
#else
inline constexpr TInstallLayout BuiltInstallLayout = TInstallLayout::Portable;
#endif

// The data directory for `layout`: ChooseDataDir for a portable copy; for the system package
// always the per-user one, created as needed, since a folder beside a system-wide program is
// shared by every user (and root could write it).
std::string ChooseDataDir(TInstallLayout layout, const std::string& executableDir,
                          const std::string& xdgDataHome, const std::string& home);

// ChooseDataDir for this process: its layout, its executable's directory and its environment.
std::string ApplicationDataDir();

}  // namespace vantle
