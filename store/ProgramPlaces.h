#pragma once

#include <string>

namespace vantle {

// The directory of this process's executable, without a trailing separator.
std::string ExecutableDir();

// The value of the environment variable `name`; empty when it is not set.
std::string EnvironmentText(const char* name);

// The user's home directory as Qt finds it: $HOME, else the root.
std::string HomeDirectory();

// The directory of the reader window's program seen from vantle-feed's directory `toolDir`:
// build/tools gives build/shell, <prefix>/bin gives <prefix>/lib/vantle, any other the same.
std::string WindowProgramDir(const std::string& toolDir);

// The data directory ChooseDataDir gives the program in `programDir`, with the layout this
// program was built for and this process's environment.
std::string DataDirOfProgramIn(const std::string& programDir);

}  // namespace vantle
