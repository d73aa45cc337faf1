#pragma once

#include <string>

namespace vantle {
class TDataDirLock;
}

namespace vantle::tool {

// The data directory a command acts on: `given` (its --data) with its trailing separator,
// else the window's.
std::string ToolDataDir(const std::string& given);

// Why the tool may not write after failing to take `lock` of `dataDir`, for stderr, ending
// "; nothing was <undone>." without a line feed.
std::string LockRefusal(const TDataDirLock& lock, const std::string& dataDir,
                        const std::string& undone);

}  // namespace vantle::tool
