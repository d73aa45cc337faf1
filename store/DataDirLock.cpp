#include "store/DataDirLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <tuple>
#include <utility>

#include "Exception.h"

namespace vantle {

namespace {

constexpr char ToolMark[] = " tool";
constexpr std::chrono::milliseconds RetryPause{20};

// The holder the lock file names: its process id and its role.
std::pair<pid_t, TLockRole> ReadHolder(int fd) {
  char text[32] = {};
  const ssize_t count = ::pread(fd, text, sizeof text - 1, 0);
  if (count <= 0) return {0, TLockRole::Window};
  char* end = nullptr;
  const auto pid = static_cast<pid_t>(std::strtol(text, &end, 10));
  const bool tool = std::strncmp(end, ToolMark, sizeof ToolMark - 1) == 0;
  return {pid, tool ? TLockRole::Tool : TLockRole::Window};
}

void WriteHolder(int fd, TLockRole role) {
  const std::string text =
      std::to_string(::getpid()) + (role == TLockRole::Tool ? ToolMark : "") + "\n";
  if (::ftruncate(fd, 0) == 0) {
    // The holder only informs whoever finds the directory locked; the lock is the flock.
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
  }
}

}  // namespace

TDataDirLock::TDataDirLock(const std::string& dataDir, TLockRole role,
                           std::chrono::milliseconds toolWait) {
  const std::string path = PathOf(dataDir);
  const auto deadline = std::chrono::steady_clock::now() + toolWait;
  // A tool's hold ends soon; a window's lasts as long as the window.
  while (!TryLock(path, role) && FHolderRole == TLockRole::Tool &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(RetryPause);
  }
}

bool TDataDirLock::TryLock(const std::string& path, TLockRole role) {
  FFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (FFd < 0) {
    throw Exception("Cannot create file \"" + path + "\". " + std::strerror(errno));
  }
  if (::flock(FFd, LOCK_EX | LOCK_NB) == 0) {
    FHeld = true;
    WriteHolder(FFd, role);
    return true;
  }
  const int error = errno;
  std::tie(FHolder, FHolderRole) = ReadHolder(FFd);
  ::close(FFd);
  FFd = -1;
  if (error != EWOULDBLOCK) {
    throw Exception("Cannot lock file \"" + path + "\". " + std::strerror(error));
  }
  return false;
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
