#include "FeedFetcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

#include "AsciiText.h"
#include "CurlLibrary.h"
#include "WebRequest.h"

namespace vantle {

namespace {

constexpr size_t kFileChunk = 64 * 1024;

bool IsAlpha(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSchemeChar(char c) {
  return IsAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The lower-cased scheme of `link`, empty for a plain path. One letter is not taken for a
// scheme, so that a drive letter stays a path.
std::string SchemeOf(std::string_view link) {
  if (link.empty() || !IsAlpha(link.front())) return {};
  size_t end = 1;
  while (end < link.size() && IsSchemeChar(link[end])) ++end;
  if (end < 2 || end >= link.size() || link[end] != ':') return {};
  std::string scheme(link.substr(0, end));
  return AsciiLower(scheme);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      result += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    result += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return result;
}

[[noreturn]] void Fail(const std::string& link, const std::string& cause) {
  throw EFetchError(link + ": " + cause);
}

// The local path a file: URL names (file:///path, file://localhost/path or file:/path).
std::string FilePathOf(const std::string& link) {
  std::string_view rest = std::string_view(link).substr(5);
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    size_t slash = rest.find('/');
    std::string host(rest.substr(0, slash));
    for (char& c : host) c = AsciiLower(c);
    if (!host.empty() && host != "localhost") Fail(link, "file URLs of other hosts are not read");
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  std::optional<std::string> path = PercentDecoded(rest);
  if (!path || path->empty() || path->front() != '/' || path->find('\0') != std::string::npos)
    Fail(link, "malformed file URL");
  return *path;
}

class TFileHandle {
 public:
  explicit TFileHandle(int fd) : FFd(fd) {}
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() {
    if (FFd >= 0) close(FFd);
  }
  int Fd() const { return FFd; }

 private:
  int FFd;
};

// How long a transfer waits for its sockets before asking whether it is aborted; libcurl's
// own progress calls come only once a second while a server is silent.
constexpr long kAbortPollMs = 50;

// Runs the transfer on a multi handle that is polled briefly, so that `aborted` is asked
// often; CURLE_ABORTED_BY_CALLBACK when it answered true. A failing multi interface raises
// as itself.
CURLcode PerformAbortable(const TCurlLibrary& lib, const std::string& link, CURL* easy,
                          const std::function<bool()>& aborted) {
  auto fail = [&](CURLMcode code) {
    Fail(link, "the HTTP client failed (" + std::string(lib.MultiStrerror(code)) + ")");
  };
  std::unique_ptr<CURLM, decltype(lib.MultiCleanup)> multi(lib.MultiInit(), lib.MultiCleanup);
  if (!multi) Fail(link, "the HTTP client could not be created");
  if (const CURLMcode code = lib.MultiAddHandle(multi.get(), easy); code != CURLM_OK) fail(code);
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  CURLMcode failure = CURLM_OK;
  int running = 1;
  while (running > 0 && !aborted()) {
    if ((failure = lib.MultiPerform(multi.get(), &running)) != CURLM_OK) break;
    if (running > 0 &&
        (failure = lib.MultiPoll(multi.get(), nullptr, 0, kAbortPollMs, nullptr)) != CURLM_OK)
      break;
  }
  int left = 0;
  while (CURLMsg* message = lib.MultiInfoRead(multi.get(), &left))
    if (message->msg == CURLMSG_DONE) result = message->data.result;
  lib.MultiRemoveHandle(multi.get(), easy);
  if (failure != CURLM_OK) fail(failure);
  return result;
}

}  // namespace

bool TFeedFetcher::IsWebAddress(std::string_view link) {
  const std::string scheme = SchemeOf(link);
  return scheme == "http" || scheme == "https";
}

void TFeedFetcher::Fetch(const std::string& link, const TChunkSink& sink,
                         const TProgressCallback& progress,
                         const TContentTypeCallback& contentType) const {
  const std::string scheme = SchemeOf(link);
  if (scheme.empty()) return FetchFile(link, link, sink, progress);
  if (scheme == "http" || scheme == "https") return FetchWeb(link, sink, progress, contentType);
  if (scheme == "file") return FetchFile(link, FilePathOf(link), sink, progress);
  Fail(link, "unsupported scheme \"" + scheme + "\"");
}

void TFeedFetcher::FetchWeb(const std::string& link, const TChunkSink& sink,
                            const TProgressCallback& progress,
                            const TContentTypeCallback& contentType) const {
  const THttpAnswer answer = FetchAnswer(link, std::nullopt, sink, progress, contentType);
  if (!answer.Failure.empty()) throw EFetchError(answer.Failure);
}

THttpAnswer TFeedFetcher::FetchAnswer(const std::string& link,
                                      const std::optional<TValidators>& validators,
                                      const TChunkSink& sink, const TProgressCallback& progress,
                                      const TContentTypeCallback& contentType) const {
  const TCurlLibrary& lib = CurlFor(link, FOptions);
  TWebRequest request(lib, link, FOptions, validators, sink, progress, contentType);
  const CURLcode code = FOptions.Aborted
                            ? PerformAbortable(lib, link, request.Handle(), FOptions.Aborted)
                            : lib.EasyPerform(request.Handle());
  return request.Finish(code, FOptions.Aborted && FOptions.Aborted());
}

void TFeedFetcher::FetchFile(const std::string& link, const std::string& path,
                             const TChunkSink& sink, const TProgressCallback& progress) const {
  TFileHandle file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Fd() < 0) Fail(link, std::string("cannot open the file: ") + std::strerror(errno));
  struct stat info {};
  if (fstat(file.Fd(), &info) != 0)
    Fail(link, std::string("cannot read the file: ") + std::strerror(errno));
  if (S_ISDIR(info.st_mode)) Fail(link, "is a directory, not a file");
  const uint64_t total = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
  const uint64_t limit = FOptions.MaxDocumentSize;

  char buffer[kFileChunk];
  uint64_t received = 0;
  for (;;) {
    const ssize_t count = read(file.Fd(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      Fail(link, std::string("cannot read the file: ") + std::strerror(errno));
    }
    if (count == 0) break;
    if (FOptions.Aborted && FOptions.Aborted()) Fail(link, "aborted");
    received += static_cast<uint64_t>(count);
    if (limit && received > limit) Fail(link, TooLargeCause(limit));
    sink(buffer, static_cast<size_t>(count));
    if (progress) progress(received, total);
  }
}

}  // namespace vantle
