#include "store/DataDirLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Exception.h"

namespace vantle {

namespace {

pid_t ReadPid(int fd) {
  char text[32] = {};
  const ssize_t count = ::pread(fd, text, sizeof text - 1, 0);
  return count > 0 ? static_cast<pid_t>(std::strtol(text, nullptr, 10)) : 0;
}

void WritePid(int fd) {
  const std::string text = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) {
    // The id only informs whoever finds the directory locked; the lock is the flock.
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
  }
}

}  // namespace

TDataDirLock::TDataDirLock(const std::string& dataDir) {
  const std::string path = PathOf(dataDir);
  FFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (FFd < 0) {
    throw Exception("Cannot create file \"" + path + "\". " + std::strerror(errno));
  }
  if (::flock(FFd, LOCK_EX | LOCK_NB) == 0) {
    FHeld = true;
    WritePid(FFd);
    return;
  }
  const int error = errno;
  FHolder = ReadPid(FFd);
  ::close(FFd);
  FFd = -1;
  if (error != EWOULDBLOCK) {
    throw Exception("Cannot lock file \"" + path + "\". " + std::strerror(error));
  }
}

TDataDirLock::~TDataDirLock() {
  if (FFd < 0) return;
  // The file stays: removing it could race with another process that just opened it.
  ::flock(FFd, LOCK_UN);
  ::close(FFd);
}

std::string TDataDirLock::PathOf(const std::string& dataDir) {
  return dataDir + ".vantle.lock";
}

}  // namespace vantle
