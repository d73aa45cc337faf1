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

  // Writes all of `bytes`, however many calls the system needs.
  void Write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t written = ::write(FFd, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) RaiseFileError("write", FPath);
      bytes.remove_prefix(static_cast<size_t>(written));
    }
  }

  // Closes the file; raises when the system reports a failed write only now.
  void Close() {
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) RaiseFileError("write", FPath);
  }

 private:
  const std::string& FPath;
  int FFd;
};

// A failed delete is ignored: creating the file then truncates it, or fails.
void DeleteOldPage(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace

void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style) {
  ShowFeedView(reader, browser, style, PagePath());
}

void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style,
                  const std::string& path) {
  DeleteOldPage(path);
  TPageFile file(path);
  WriteFeedPage(reader, style, [&](std::string_view text) { file.Write(text); });
  file.Close();
  browser.Navigate(path);
}

std::string PagePath() {
  return TempDirectory() + std::string(PageFileName);
}

void ReplacePageFile(const std::string& path, const std::vector<std::string>& lines) {
  DeleteOldPage(path);
  WritePageFile(path, lines);
}

void WritePageFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append("\r\n");
  TPageFile file(path);
  file.Write(text);
  file.Close();
}

}  // namespace vantle
