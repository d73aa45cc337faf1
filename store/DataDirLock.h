#pragma once

#include <sys/types.h>
#include <string>

namespace vantle {

// The lock a running window holds on its data directory: an exclusive flock on the file
// DataDir + ".vantle.lock", which holds the holder's process id. The system drops the lock
// when its process ends, so the lock of a process that is gone is taken over.
class TDataDirLock {
 public:
  // Tries to take the lock of `dataDir` (with its trailing separator) without waiting;
  // raises "Cannot create file "<path>". <reason>" when the lock file cannot be opened and
  // "Cannot lock file ..." when its file system takes no lock.
  explicit TDataDirLock(const std::string& dataDir);
  TDataDirLock(const TDataDirLock&) = delete;
  TDataDirLock& operator=(const TDataDirLock&) = delete;
  // Releases the lock if held.
  ~TDataDirLock();

  // True when this object holds the lock.
  bool Held() const { return FHeld; }
  // The process id the lock file names when another process holds the lock; 0 if unknown.
  pid_t Holder() const { return FHolder; }

  // The lock file of `dataDir`.
  static std::string PathOf(const std::string& dataDir);

 private:
  int FFd = -1;
  bool FHeld = false;
  pid_t FHolder = 0;
};

}  // namespace vantle
