#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace vantle {

// Who holds a data directory's lock: a reader window for as long as it runs, or the tool for
// one read, change and write of the group files, which is short.
enum class TLockRole { Window, Tool };

// The lock on a data directory: an exclusive flock on the file DataDir + ".vantle.lock",
// which names its holder: the process id, followed by " tool" for the tool. The system drops
// the lock when its process ends, so the lock of a process that is gone is taken over.
class TDataDirLock {
 public:
  // How long a tool's hold is waited for before the lock counts as held.
  static constexpr std::chrono::milliseconds ToolHoldWait{10000};

  // Tries to take the lock of `dataDir` (with its trailing separator) for `role`. A window
  // holding it is not waited for; the tool holding it is, up to `toolWait`. Raises
  // "Cannot create file "<path>". <reason>" when the lock file cannot be opened and
  // "Cannot lock file ..." when its file system takes no lock.
  explicit TDataDirLock(const std::string& dataDir, TLockRole role = TLockRole::Window,
                        std::chrono::milliseconds toolWait = ToolHoldWait);
  TDataDirLock(const TDataDirLock&) = delete;
  TDataDirLock& operator=(const TDataDirLock&) = delete;
  // Releases the lock if held.
  ~TDataDirLock();

  // True when this object holds the lock.
  bool Held() const { return FHeld; }
  // The process id the lock file names when another process holds the lock; 0 if unknown.
  pid_t Holder() const { return FHolder; }
  // What holds the lock when another process does.
  TLockRole HolderRole() const { return FHolderRole; }

  // The lock file of `dataDir`.
  static std::string PathOf(const std::string& dataDir);

 private:
  bool TryLock(const std::string& path, TLockRole role);

  int FFd = -1;
  bool FHeld = false;
  pid_t FHolder = 0;
  TLockRole FHolderRole = TLockRole::Window;
};

}  // namespace vantle
