#include "WebRequest.h"

#include <cstdlib>
#include <string_view>

#include "AsciiText.h"

namespace vantle {

const char* const kUserAgent = "Vantle/" VANTLE_VERSION " (+https://vantle.example.org)";
const char* const kFeedAccept =
    "application/rss+xml, application/atom+xml, application/rdf+xml;q=0.9, "
    "application/xml;q=0.8, text/xml;q=0.8, */*;q=0.5";

namespace {

[[noreturn]] void Fail(const std::string& link, const std::string& cause) {
  throw EFetchError(link + ": " + cause);
}

bool IsSuccess(long status) {
  return status >= 200 && status <= 299;
}

std::string StatusCause(long status) {
  return "HTTP status " + std::to_string(status);
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
  return AsciiLower(host);
}

// Whether `host` is named in a no_proxy list: "*", or a host or domain suffix.
bool Unproxied(const std::string& host, std::string_view list) {
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string entry(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    std::erase_if(entry, [](char c) { return c == ' ' || c == '\t'; });
    entry = AsciiLower(entry);
    if (entry.starts_with('.')) entry.erase(0, 1);
    if (entry == "*" || entry == host) return true;
    if (!entry.empty() && host.size() > entry.size() && host.ends_with("." + entry)) return true;
  }
  return false;
}

// Whether libcurl goes through a proxy from the environment for `link`, as it reads it.
bool UsesProxy(const std::string& link) {
  const std::string scheme = AsciiLower(std::string_view(link).substr(0, link.find(':')));
  std::string proxy = EnvironmentValue((scheme + "_proxy").c_str());
  if (proxy.empty() && scheme != "http") proxy = EnvironmentValue("HTTPS_PROXY");
  if (proxy.empty()) proxy = EnvironmentValue("all_proxy");
  if (proxy.empty()) proxy = EnvironmentValue("ALL_PROXY");
  if (proxy.empty()) return false;
  std::string noProxy = EnvironmentValue("no_proxy");
  if (noProxy.empty()) noProxy = EnvironmentValue("NO_PROXY");
  return !Unproxied(HostOf(link), noProxy);
}

// The status of a status line ("HTTP/1.1 301 Moved", "HTTP/2 200"); 0 when unreadable.
long StatusOfLine(std::string_view line) {
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return 0;
  long status = 0;
  for (char c : line.substr(space + 1, 3)) {
    if (c < '0' || c > '9') return 0;
    status = status * 10 + (c - '0');
  }
  return status;
}

}  // namespace

const TCurlLibrary& CurlFor(const std::string& link, const TFetchOptions& options) {
  if (options.Curl) return *options.Curl;
  const TCurlLoad& load = CurlLibrary();
  if (!load.Library) Fail(link, "the HTTP client could not be loaded (" + load.Failure + ")");
  return *load.Library;
}

std::string TWebRequest::TResponse::Header(const std::string& name) const {
  for (const auto& [key, value] : Headers)
    if (key == name) return value;
  return {};
}

TWebRequest::TWebRequest(const TCurlLibrary& curl, std::string link, const TFetchOptions& options,
                         std::optional<TValidators> validators, TChunkSink sink,
                         TProgressCallback progress, TContentTypeCallback contentType)
    : FCurl(curl),
      FLink(std::move(link)),
      FValidators(std::move(validators)),
      FSink(std::move(sink)),
      FProgress(std::move(progress)),
      FContentType(std::move(contentType)),
      FLimit(options.MaxDocumentSize),
      FHandle(curl.EasyInit()) {
  if (!FHandle) Fail(FLink, "the HTTP client could not be created");
  try {
    SetUp(options);
  } catch (...) {
    // No destructor runs for an object whose constructor raised.
    FCurl.EasyCleanup(FHandle);
    if (FHeaders) FCurl.SlistFreeAll(FHeaders);
    throw;
  }
}

TWebRequest::~TWebRequest() {
  if (FHandle) FCurl.EasyCleanup(FHandle);
  if (FHeaders) FCurl.SlistFreeAll(FHeaders);
  FHandle = nullptr;
  FHeaders = nullptr;
}

template <typename T>
void TWebRequest::Set(CURLoption option, T value) {
  if (const CURLcode code = FCurl.EasySetopt(FHandle, option, value); code != CURLE_OK)
    Fail(FLink,
         "the HTTP client refused a setting (" + std::string(FCurl.EasyStrerror(code)) + ")");
}

void TWebRequest::SetUp(const TFetchOptions& options) {
  auto addHeader = [this](const std::string& line) {
    curl_slist* list = FCurl.SlistAppend(FHeaders, line.c_str());
    if (!list) Fail(FLink, "the HTTP client could not be created");
    FHeaders = list;
  };
  addHeader(std::string("Accept: ") + kFeedAccept);
  if (FValidators && !FValidators->ETag.empty()) addHeader("If-None-Match: " + FValidators->ETag);
  if (FValidators && !FValidators->LastModified.empty())
    addHeader("If-Modified-Since: " + FValidators->LastModified);

  Set(CURLOPT_ERRORBUFFER, FDetail);
  Set(CURLOPT_URL, FLink.c_str());
  Set(CURLOPT_NOSIGNAL, 1L);
  Set(CURLOPT_PROTOCOLS_STR, "http,https");
  Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  Set(CURLOPT_HTTPGET, 1L);
  Set(CURLOPT_FOLLOWLOCATION, 1L);
  Set(CURLOPT_MAXREDIRS, options.MaxRedirects);
  Set(CURLOPT_AUTOREFERER, 0L);
  Set(CURLOPT_ACCEPT_ENCODING, "");
  Set(CURLOPT_USERAGENT, kUserAgent);
  Set(CURLOPT_HTTPHEADER, FHeaders);
  Set(CURLOPT_CONNECTTIMEOUT, options.ConnectTimeoutSeconds);
  Set(CURLOPT_TIMEOUT, options.TimeoutSeconds);
  Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  Set(CURLOPT_LOW_SPEED_TIME, options.StallTimeoutSeconds);
  Set(CURLOPT_SSL_VERIFYPEER, 1L);
  Set(CURLOPT_SSL_VERIFYHOST, 2L);
  // libcurl reads no environment for its CA bundle; OpenSSL's programs read these two.
  const std::string caFile = EnvironmentValue("SSL_CERT_FILE");
  const std::string caDir = EnvironmentValue("SSL_CERT_DIR");
  if (!caFile.empty()) Set(CURLOPT_CAINFO, caFile.c_str());
  if (!caDir.empty()) Set(CURLOPT_CAPATH, caDir.c_str());
  if (FLimit) Set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(FLimit));
  Set(CURLOPT_HEADERFUNCTION, &TWebRequest::OnHeader);
  Set(CURLOPT_HEADERDATA, this);
  Set(CURLOPT_WRITEFUNCTION, &TWebRequest::OnBody);
  Set(CURLOPT_WRITEDATA, this);
  if (FProgress) {
    Set(CURLOPT_NOPROGRESS, 0L);
    Set(CURLOPT_XFERINFOFUNCTION, &TWebRequest::OnProgress);
    Set(CURLOPT_XFERINFODATA, this);
  }
}

bool TWebRequest::Accepts(long status) const {
  return IsSuccess(status) || (status == 304 && FValidators);
}

// Takes the answer whose body begins to arrive: the final one, since libcurl does not
// deliver the bodies of redirects it follows. False when it is no document.
bool TWebRequest::StartBody() {
  FStarted = true;
  long status = 0;
  FCurl.EasyGetinfo(FHandle, CURLINFO_RESPONSE_CODE, &status);
  if (!IsSuccess(status)) {
    FFailedStatus = Accepts(status) ? 0 : status;
    return Accepts(status);
  }
  if (!FContentType) return true;
  const char* type = nullptr;
  FCurl.EasyGetinfo(FHandle, CURLINFO_CONTENT_TYPE, &type);
  try {
    FContentType(type ? type : "");
  } catch (...) {
    FError = std::current_exception();
    return false;
  }
  return true;
}

size_t TWebRequest::OnBody(char* data, size_t size, size_t count, void* user) {
  auto& request = *static_cast<TWebRequest*>(user);
  const size_t bytes = size * count;
  if (!request.FStarted && !request.StartBody()) return 0;
  long status = 0;
  request.FCurl.EasyGetinfo(request.FHandle, CURLINFO_RESPONSE_CODE, &status);
  if (!IsSuccess(status)) return bytes;  // a 304's stray body is not the document
  request.FReceived += bytes;
  if (request.FLimit && request.FReceived > request.FLimit) {
    request.FTooLarge = true;
    return 0;
  }
  try {
    request.FSink(data, bytes);
  } catch (...) {
    request.FError = std::current_exception();
    return 0;
  }
  return bytes;
}

size_t TWebRequest::OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& request = *static_cast<TWebRequest*>(user);
  const size_t bytes = size * count;
  const std::string_view line(data, bytes);
  if (line.starts_with("HTTP/")) {
    TResponse response;
    response.Hop.Status = StatusOfLine(line);
    const char* url = nullptr;
    request.FCurl.EasyGetinfo(request.FHandle, CURLINFO_EFFECTIVE_URL, &url);
    response.Hop.Url = url ? url : request.FLink;
    request.FResponses.push_back(std::move(response));
    return bytes;
  }
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || request.FResponses.empty()) return bytes;
  request.FResponses.back().Headers.emplace_back(
      AsciiLower(TrimAsciiSpace(line.substr(0, colon))),
      std::string(TrimAsciiSpace(line.substr(colon + 1))));
  return bytes;
}

bool TWebRequest::Report(curl_off_t total, curl_off_t now) {
  if (!FProgress || now == FReported) return true;
  FReported = now;
  try {
    FProgress(static_cast<uint64_t>(now), total > 0 ? static_cast<uint64_t>(total) : 0);
  } catch (...) {
    FError = std::current_exception();
    return false;
  }
  return true;
}

int TWebRequest::OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  return static_cast<TWebRequest*>(user)->Report(total, now) ? 0 : 1;
}

std::string TWebRequest::Cause(CURLcode code) const {
  std::string cause;
  switch (code) {
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
      cause = UsesProxy(FLink) ? "could not connect to the proxy" : "could not connect";
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
      cause = FCurl.EasyStrerror(code);
  }
  if (FDetail[0]) cause += std::string(" (") + FDetail + ")";
  return cause;
}

THttpAnswer TWebRequest::ReadAnswer() const {
  THttpAnswer answer;
  FCurl.EasyGetinfo(FHandle, CURLINFO_RESPONSE_CODE, &answer.Status);
  long headerBytes = 0;
  curl_off_t bodyBytes = 0;
  FCurl.EasyGetinfo(FHandle, CURLINFO_HEADER_SIZE, &headerBytes);
  FCurl.EasyGetinfo(FHandle, CURLINFO_SIZE_DOWNLOAD_T, &bodyBytes);
  answer.BytesMoved = static_cast<uint64_t>(headerBytes) + static_cast<uint64_t>(bodyBytes);
  const char* type = nullptr;
  FCurl.EasyGetinfo(FHandle, CURLINFO_CONTENT_TYPE, &type);
  answer.ContentType = type ? type : "";

  // Interim answers (1xx) are neither hops of the chain nor the final answer.
  std::vector<THop> chain;
  const TResponse* last = nullptr;
  for (const TResponse& response : FResponses) {
    if (response.Hop.Status < 200) continue;
    chain.push_back(response.Hop);
    last = &response;
  }
  answer.MovedTo = PermanentTarget(chain);
  if (!last) return answer;
  answer.ETag = last->Header("etag");
  answer.LastModified = last->Header("last-modified");
  answer.Date = last->Header("date");
  answer.Expires = last->Header("expires");
  answer.Age = last->Header("age");
  answer.RetryAfter = last->Header("retry-after");
  for (const auto& [name, value] : last->Headers) {
    if (name != "cache-control") continue;
    if (!answer.CacheControl.empty()) answer.CacheControl += ", ";
    answer.CacheControl += value;
  }
  return answer;
}

THttpAnswer TWebRequest::Finish(CURLcode code, bool aborted) {
  if (FError) std::rethrow_exception(FError);
  if (code == CURLE_ABORTED_BY_CALLBACK && aborted) Fail(FLink, "aborted");
  THttpAnswer answer = ReadAnswer();
  std::string cause;
  if (FFailedStatus) {
    cause = StatusCause(FFailedStatus);
  } else if (FTooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    cause = TooLargeCause(FLimit);
  } else if (code != CURLE_OK) {
    cause = Cause(code);
  } else if (!Accepts(answer.Status)) {
    // An answer without a body that is no success either, such as a redirect nowhere.
    cause = StatusCause(answer.Status);
  }
  if (!cause.empty()) {
    answer.Failure = FLink + ": " + cause;
    return answer;
  }
  curl_off_t total = 0, now = 0;
  FCurl.EasyGetinfo(FHandle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
  FCurl.EasyGetinfo(FHandle, CURLINFO_SIZE_DOWNLOAD_T, &now);
  if (!Report(total, now)) std::rethrow_exception(FError);
  return answer;
}

std::string TooLargeCause(uint64_t limit) {
  return "document too large (more than " + std::to_string(limit) + " bytes)";
}

}  // namespace vantle
