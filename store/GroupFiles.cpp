#include "store/GroupFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Exception.h"
#include "FileDescriptor.h"

namespace vantle {

namespace {

[[noreturn]] void RaiseFileError(const char* action, const std::string& path, int error) {
  throw Exception(std::string("Cannot ") + action + " file \"" + path + "\". " +
                  std::strerror(error));
}

// Writes all of `bytes` into `file`, flushed to disk when `flush`, and closes it; the error
// number, or 0.
int WriteAndClose(TFileDescriptor& file, std::string_view bytes, bool flush) {
  int error = 0;
  while (error == 0 && !bytes.empty()) {
    const ssize_t count = ::write(file.Get(), bytes.data(), bytes.size());
    if (count < 0 && errno != EINTR) error = errno;
    if (count > 0) bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  if (error == 0 && flush && ::fsync(file.Get()) != 0) error = errno;
  const int closed = file.Close();
  return error != 0 ? error : closed;
}

// A new file beside `path`, under a name no other writer uses; sets `temporary`.
int CreateBeside(const std::string& path, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    temporary = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "~";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
}

}  // namespace

std::string ReadGroupFile(const std::string& path) {
  const TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) RaiseFileError("open", path, errno);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) RaiseFileError("open", path, errno);
    if (count == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  return bytes;
}

void WriteGroupFile(const std::string& path, std::string_view bytes) {
  std::string temporary;
  TFileDescriptor file(CreateBeside(path, temporary));
  if (file.Get() < 0) RaiseFileError("create", path, errno);
  int error = WriteAndClose(file, bytes, true);
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    RaiseFileError("create", path, error);
  }
}

void WriteFileInPlace(const std::string& path, std::string_view bytes) {
  TFileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.Get() < 0) RaiseFileError("create", path, errno);
  if (const int error = WriteAndClose(file, bytes, false); error != 0) {
    RaiseFileError("create", path, error);
  }
}

void MoveGroupFile(const std::string& from, const std::string& to) {
  // rename() would replace a file standing at `to`; these refuse to.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) RaiseFileError("create", to, errno);
  if (::link(from.c_str(), to.c_str()) != 0) RaiseFileError("create", to, errno);
  ::unlink(from.c_str());
}

void KeepDamagedGroupFile(const std::string& path) {
  WriteGroupFile(path + ".damaged", ReadGroupFile(path));
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace vantle
