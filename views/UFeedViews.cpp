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

// The page file while it is written, open at `fd`; closed on every path out. Errors name
// `path`, the page's own path.
class TPageFile {
 public:
  TPageFile(const std::string& path, int fd) : FPath(path), FFd(fd) {
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

// Writes every line followed by CR LF.
void WriteLines(TPageFile& file, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    file.Append(line);
    file.Append("\r\n");
  }
}

// Writes the page at `path` through `write`, under a fresh name renamed over the page, so that
// whatever stood at its name (a planted file or link) is replaced and never written into.
template <class TWrite>
void ReplaceWith(const std::string& path, TWrite write) {
  std::string fresh = path + ".XXXXXX";
  TPageFile file(path, ::mkostemp(fresh.data(), O_CLOEXEC));
  try {
    write(file);
    file.Close();
    if (::rename(fresh.c_str(), path.c_str()) != 0) RaiseFileError("replace", path);
  } catch (...) {
    ::unlink(fresh.c_str());
    throw;
  }
}

}  // namespace

void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style) {
  ShowFeedView(reader, browser, style, PagePath());
}

void ShowFeedView(const TSimpleRSS& reader, IWebBrowser& browser, uint8_t style,
                  const std::string& path) {
  ReplaceWith(path, [&](TPageFile& file) {
    WriteFeedPage(reader, style, [&](std::string_view text) { file.Append(text); });
  });
  browser.Navigate(path);
}

std::string PagePath() {
  return TempDirectory() + std::string(PageFileName);
}

void ReplacePageFile(const std::string& path, const std::vector<std::string>& lines) {
  ReplaceWith(path, [&](TPageFile& file) { WriteLines(file, lines); });
}

void WritePageFile(const std::string& path, const std::vector<std::string>& lines) {
  TPageFile file(path,
                 ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  WriteLines(file, lines);
  file.Close();
}

}  // namespace vantle
