#include "DataDirAccess.h"

#include "UVantleUtils.h"
#include "store/DataDirLock.h"
#include "store/DataDirectory.h"
#include "store/ProgramPlaces.h"

namespace vantle::tool {

std::string ToolDataDir(const std::string& given) {
  if (given.empty()) return DataDirOfProgramIn(WindowProgramDir(ExecutableDir()));
  return WithTrailingBackslash(given);
}

std::string LockRefusal(const TDataDirLock& lock, const std::string& dataDir,
                        const std::string& undone) {
  if (lock.HolderRole() == TLockRole::Tool) {
    return "vantle-feed: another vantle-feed is still changing the data directory " + dataDir +
           "; nothing was " + undone + ".";
  }
  std::string text = "vantle-feed: Vantle is running with the data directory " + dataDir;
  if (lock.Holder() > 0) text += " (process " + std::to_string(lock.Holder()) + ")";
  return text + "; nothing was " + undone + ".";
}

}  // namespace vantle::tool
