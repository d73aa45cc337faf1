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

#include "CurlLibrary.h"

namespace vantle {

namespace {

constexpr size_t kFileChunk = 64 * 1024;

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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
  for (char& c : scheme) c = Lower(c);
  return scheme;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
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
    for (char& c : host) c = Lower(c);
    if (!host.empty() && host != "localhost") Fail(link, "file URLs of other hosts are not read");
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  std::optional<std::string> path = PercentDecoded(rest);
  if (!path || path->empty() || path->front() != '/' || path->find('\0') != std::string::npos)
    Fail(link, "malformed file URL");
  return *path;
}

std::string TooLarge(uint64_t limit) {
  return "document too large (more than " + std::to_string(limit) + " bytes)";
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

// libcurl for the fetch of `link`, which fails when libcurl cannot be loaded.
const TCurlLibrary& CurlFor(const std::string& link) {
  const TCurlLoad& load = CurlLibrary();
  if (!load.Library) Fail(link, "the HTTP client could not be loaded (" + load.Failure + ")");
  return *load.Library;
}

bool IsSuccess(long status) {
  return status >= 200 && status <= 299;
}

std::string StatusCause(long status) {
  return "HTTP status " + std::to_string(status);
}

long StatusOf(const TCurlLibrary& lib, CURL* curl) {
  long status = 0;
  lib.EasyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

// What the libcurl callbacks share with the transfer that runs them.
struct TTransfer {
  const TCurlLibrary& Lib;
  CURL* Handle;
  const TChunkSink& Sink;
  const TProgressCallback& Progress;
  const TContentTypeCallback& ContentType;
  uint64_t Limit;
  uint64_t Received = 0;
  bool Started = false;   // the first chunk has come
  long FailedStatus = 0;  // the status of an answer that is no document
  bool TooLarge = false;
  curl_off_t Reported = -1;
  std::exception_ptr Error{};  // thrown by a callback; rethrown once libcurl has returned
};

// Takes the answer whose body begins to arrive: the final one, since libcurl does not
// deliver the bodies of redirects it follows. False when it is no document.
bool StartDocument(TTransfer& transfer) {
  transfer.Started = true;
  const long status = StatusOf(transfer.Lib, transfer.Handle);
  if (!IsSuccess(status)) {
    transfer.FailedStatus = status;
    return false;
  }
  if (!transfer.ContentType) return true;
  const char* type = nullptr;
  transfer.Lib.EasyGetinfo(transfer.Handle, CURLINFO_CONTENT_TYPE, &type);
  try {
    transfer.ContentType(type ? type : "");
  } catch (...) {
    transfer.Error = std::current_exception();
    return false;
  }
  return true;
}

size_t WriteChunk(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<TTransfer*>(user);
  const size_t bytes = size * count;
  if (!transfer.Started && !StartDocument(transfer)) return 0;
  transfer.Received += bytes;
  if (transfer.Limit && transfer.Received > transfer.Limit) {
    transfer.TooLarge = true;
    return 0;
  }
  try {
    transfer.Sink(data, bytes);
  } catch (...) {
    transfer.Error = std::current_exception();
    return 0;
  }
  return bytes;
}

bool Report(TTransfer& transfer, curl_off_t total, curl_off_t now) {
  if (!transfer.Progress || now == transfer.Reported) return true;
  transfer.Reported = now;
  try {
    transfer.Progress(static_cast<uint64_t>(now), total > 0 ? static_cast<uint64_t>(total) : 0);
  } catch (...) {
    transfer.Error = std::current_exception();
    return false;
  }
  return true;
}

int ReportProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  return Report(*static_cast<TTransfer*>(user), total, now) ? 0 : 1;
}

// How long a transfer waits for its sockets before asking whether it is aborted; libcurl's
// own progress calls come only once a second while a server is silent.
constexpr long kAbortPollMs = 50;

// Runs the transfer on a multi handle that is polled briefly, so that `aborted` is asked
// often; CURLE_ABORTED_BY_CALLBACK when it answered true.
CURLcode PerformAbortable(const TCurlLibrary& lib, CURL* easy,
                          const std::function<bool()>& aborted) {
  std::unique_ptr<CURLM, decltype(lib.MultiCleanup)> multi(lib.MultiInit(), lib.MultiCleanup);
  if (!multi || lib.MultiAddHandle(multi.get(), easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  int running = 1;
  while (running > 0 && !aborted()) {
    if (lib.MultiPerform(multi.get(), &running) != CURLM_OK) break;
    if (running > 0) lib.MultiPoll(multi.get(), nullptr, 0, kAbortPollMs, nullptr);
  }
  int left = 0;
  while (CURLMsg* message = lib.MultiInfoRead(multi.get(), &left))
    if (message->msg == CURLMSG_DONE) result = message->data.result;
  lib.MultiRemoveHandle(multi.get(), easy);
  return result;
}

std::string CauseOf(const TCurlLibrary& lib, CURLcode code, CURL* curl, const char* detail,
                    bool proxied) {
  std::string cause;
  switch (code) {
    case CURLE_HTTP_RETURNED_ERROR:
      return StatusCause(StatusOf(lib, curl));
    case CURLE_OPERATION_TIMEDOUT:
      cause = "timed out";
      break;
    case CURLE_COULDNT_RESOLVE_HOST:
      cause = "host not found (DNS)";
      break;
    case CURLE_COULDNT_RESOLVE_PROXY:
      cause = "proxy not found (DNS)";
      break;
    case CURLE_COULDNT_CONNECT:
      cause = proxied ? "could not connect to the proxy" : "could not connect";
      break;
    case CURLE_PROXY:
      cause = "the proxy failed";
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
      cause = "the server's certificate is not trusted";
      break;
    case CURLE_TOO_MANY_REDIRECTS:
      cause = "too many redirects";
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
      cause = "unsupported scheme";
      break;
    default:
      cause = lib.EasyStrerror(code);
  }
  if (detail && *detail) cause += std::string(" (") + detail + ")";
  return cause;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The host of a web address, lower-cased, without user, port or brackets.
std::string HostOf(std::string_view link) {
  size_t start = link.find("://");
  start = start == std::string_view::npos ? 0 : start + 3;
  std::string_view host = link.substr(start, link.find_first_of("/?#", start) - start);
  if (const size_t at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  if (host.starts_with('[')) {
    host = host.substr(1, host.find(']') - 1);
  } else if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
    host = host.substr(0, colon);
  }
  std::string lower(host);
  for (char& c : lower) c = Lower(c);
  return lower;
}

// Whether `host` is named in a no_proxy list: "*", or a host or domain suffix.
bool Unproxied(const std::string& host, std::string_view list) {
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string entry(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    std::erase_if(entry, [](char c) { return c == ' ' || c == '\t'; });
    for (char& c : entry) c = Lower(c);
    if (entry.starts_with('.')) entry.erase(0, 1);
    if (entry == "*" || entry == host) return true;
    if (!entry.empty() && host.size() > entry.size() && host.ends_with("." + entry)) return true;
  }
  return false;
}

// Whether libcurl goes through a proxy from the environment for `link`, as it reads it.
bool UsesProxy(const std::string& link, const std::string& scheme) {
  std::string proxy = EnvironmentValue((scheme + "_proxy").c_str());
  if (proxy.empty() && scheme != "http") proxy = EnvironmentValue("HTTPS_PROXY");
  if (proxy.empty()) proxy = EnvironmentValue("all_proxy");
  if (proxy.empty()) proxy = EnvironmentValue("ALL_PROXY");
  if (proxy.empty()) return false;
  std::string noProxy = EnvironmentValue("no_proxy");
  if (noProxy.empty()) noProxy = EnvironmentValue("NO_PROXY");
  return !Unproxied(HostOf(link), noProxy);
}

// libcurl reads no environment for its CA bundle; OpenSSL's programs read these two.
void UseCertificatesFromEnvironment(const TCurlLibrary& lib, CURL* curl) {
  const std::string file = EnvironmentValue("SSL_CERT_FILE");
  const std::string dir = EnvironmentValue("SSL_CERT_DIR");
  if (!file.empty()) lib.EasySetopt(curl, CURLOPT_CAINFO, file.c_str());
  if (!dir.empty()) lib.EasySetopt(curl, CURLOPT_CAPATH, dir.c_str());
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
  const TCurlLibrary& lib = CurlFor(link);
  std::unique_ptr<CURL, decltype(lib.EasyCleanup)> curl(lib.EasyInit(), lib.EasyCleanup);
  if (!curl) Fail(link, "the HTTP client could not be created");
  CURL* h = curl.get();
  TTransfer transfer{.Lib = lib,
                     .Handle = h,
                     .Sink = sink,
                     .Progress = progress,
                     .ContentType = contentType,
                     .Limit = FOptions.MaxDocumentSize};
  char detail[CURL_ERROR_SIZE] = {};
  lib.EasySetopt(h, CURLOPT_URL, link.c_str());
  lib.EasySetopt(h, CURLOPT_ERRORBUFFER, detail);
  lib.EasySetopt(h, CURLOPT_NOSIGNAL, 1L);
  lib.EasySetopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  lib.EasySetopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  lib.EasySetopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  lib.EasySetopt(h, CURLOPT_MAXREDIRS, FOptions.MaxRedirects);
  lib.EasySetopt(h, CURLOPT_ACCEPT_ENCODING, "");
  lib.EasySetopt(h, CURLOPT_USERAGENT, "Vantle/" VANTLE_VERSION);
  lib.EasySetopt(h, CURLOPT_CONNECTTIMEOUT, FOptions.ConnectTimeoutSeconds);
  lib.EasySetopt(h, CURLOPT_TIMEOUT, FOptions.TimeoutSeconds);
  lib.EasySetopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  lib.EasySetopt(h, CURLOPT_LOW_SPEED_TIME, FOptions.StallTimeoutSeconds);
  lib.EasySetopt(h, CURLOPT_FAILONERROR, 1L);
  lib.EasySetopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  lib.EasySetopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  UseCertificatesFromEnvironment(lib, h);
  if (FOptions.MaxDocumentSize)
    lib.EasySetopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(FOptions.MaxDocumentSize));
  lib.EasySetopt(h, CURLOPT_WRITEFUNCTION, WriteChunk);
  lib.EasySetopt(h, CURLOPT_WRITEDATA, &transfer);
  if (progress) {
    lib.EasySetopt(h, CURLOPT_NOPROGRESS, 0L);
    lib.EasySetopt(h, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    lib.EasySetopt(h, CURLOPT_XFERINFODATA, &transfer);
  }

  const CURLcode code =
      FOptions.Aborted ? PerformAbortable(lib, h, FOptions.Aborted) : lib.EasyPerform(h);
  if (transfer.Error) std::rethrow_exception(transfer.Error);
  if (code == CURLE_ABORTED_BY_CALLBACK && FOptions.Aborted && FOptions.Aborted())
    Fail(link, "aborted");
  if (transfer.FailedStatus) Fail(link, StatusCause(transfer.FailedStatus));
  if (transfer.TooLarge || code == CURLE_FILESIZE_EXCEEDED)
    Fail(link, TooLarge(FOptions.MaxDocumentSize));
  if (code != CURLE_OK) Fail(link, CauseOf(lib, code, h, detail, UsesProxy(link, SchemeOf(link))));
  // An answer without a body that is no success either, such as a redirect nowhere.
  if (!IsSuccess(StatusOf(lib, h))) Fail(link, StatusCause(StatusOf(lib, h)));

  curl_off_t total = 0, now = 0;
  lib.EasyGetinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
  lib.EasyGetinfo(h, CURLINFO_SIZE_DOWNLOAD_T, &now);
  if (!Report(transfer, total, now)) std::rethrow_exception(transfer.Error);
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
    if (limit && received > limit) Fail(link, TooLarge(limit));
    sink(buffer, static_cast<size_t>(count));
    if (progress) progress(received, total);
  }
}

}  // namespace vantle
