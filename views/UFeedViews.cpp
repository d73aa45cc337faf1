#include "UFeedViews.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Exception.h"
#include "FeedPage.h"
#include "UVantleUtils.h"

namespace vantle {

namespace {

[[noreturn]] void RaiseFileError(const char* action, const std::string& path) {
  throw Exception(std::string("Cannot ") + action + " the page file " + path + ": " +
                  std::strerror(errno));
}

// The page file while it is written; closed on every path out.
class TPageFile {
 public:
  explicit TPageFile(const std::string& path)
      : FPath(path),
        FFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600)) {
    if (FFd < 0) RaiseFileError("create", FPath);
  }
  TPageFile(const TPageFile&) = delete;
  TPageFile& operator=(const TPageFile&) = delete;
  ~TPageFile() {
    if (FFd >= 0) ::close(FFd);
  }

  // Buffers `bytes`, writing whenever a chunk is full.
  void Append(std::string_view bytes) {
    FBuffer += bytes;
    if (FBuffer.size() >= ChunkSize) Flush();
  }

  // Writes what is buffered and closes the file.
  void Close() {
    Flush();
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) RaiseFileError("write", FPath);
  }

 private:
  static constexpr size_t ChunkSize = 1 << 18;

  void Flush() {
    std::string_view bytes = FBuffer;
    while (!bytes.empty()) {
      const ssize_t written = ::write(FFd, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) RaiseFileError("write", FPath);
      bytes.remove_prefix(static_cast<size_t>(written));
    }
    FBuffer.clear();
  }

  const std::string& FPath;
  int FFd;
  std::string FBuffer;
};

}  // namespace

void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style) {
  ShowFeedView(reader, browser, style, PagePath());
}

void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style,
                  const std::string& path) {
  ReplacePageFile(path, FeedPageLines(reader, style));
  browser.Navigate(path);
}

std::string PagePath() {
  return TempDirectory() + std::string(PageFileName);
}

void ReplacePageFile(const std::string& path, const std::vector<std::string>& lines) {
  ::unlink(path.c_str());
  WritePageFile(path, lines);
}

void WritePageFile(const std::string& path, const std::vector<std::string>& lines) {
  TPageFile file(path);
  for (const std::string& line : lines) {
    file.Append(line);
    file.Append("\r\n");
  }
  file.Close();
}

}  // namespace vantle
