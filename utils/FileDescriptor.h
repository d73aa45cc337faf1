#pragma once

#include <unistd.h>

#include <cerrno>

namespace vantle {

// Owns an open file descriptor and closes it when the scope ends.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : FFd(fd) {}
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  ~TFileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  // The descriptor; negative when the open failed.
  int Get() const { return FFd; }
  // Closes now; the error number of close, or 0.
  int Close() {
    const int result = ::close(FFd);
    FFd = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int FFd;
};

}  // namespace vantle
