#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "CurlLibrary.h"
#include "FeedFetcher.h"
#include "FetchRules.h"

namespace vantle {

// The User-Agent of every feed request.
extern const char* const kUserAgent;
// The Accept header of every feed request.
extern const char* const kFeedAccept;

// One feed request on its own libcurl easy handle. The constructor sets the handle up (a GET
// of the link as given, http and https only, redirects followed within the options' limits,
// compression, no cookies and no Referer, the stored validators when given) and fails closed:
// any option libcurl refuses raises EFetchError and the handle is never run. Whoever runs the
// transfer (an easy perform, or a multi handle of many) calls Finish once it has ended.
// Not copyable or movable: libcurl holds pointers into it.
class TWebRequest {
 public:
  // `sink` receives the body of a success; `progress` and `contentType` as TFeedFetcher has
  // them, when set. Raises EFetchError "<link>: <cause>" when the handle cannot be set up.
  TWebRequest(const TCurlLibrary& curl, std::string link, const TFetchOptions& options,
              std::optional<TValidators> validators, TChunkSink sink,
              TProgressCallback progress = {}, TContentTypeCallback contentType = {});
  TWebRequest(const TWebRequest&) = delete;
  TWebRequest& operator=(const TWebRequest&) = delete;
  ~TWebRequest();

  CURL* Handle() const { return FHandle; }
  const std::string& Link() const { return FLink; }

  // Reads the answer of the transfer that ended with `code`. Raises what a callback raised,
  // and EFetchError "<link>: aborted" when `aborted` and the transfer was ended for it; any
  // other failure is the answer's Failure. A 304 is a success only for a conditional request.
  THttpAnswer Finish(CURLcode code, bool aborted = false);

 private:
  struct TResponse {
    THop Hop;
    std::vector<std::pair<std::string, std::string>> Headers;  // names lower-cased
    std::string Header(const std::string& name) const;
  };

  // Sets `option`, raising EFetchError when libcurl refuses it.
  template <typename T>
  void Set(CURLoption option, T value);
  void SetUp(const TFetchOptions& options);
  bool Accepts(long status) const;
  bool StartBody();
  std::string Cause(CURLcode code) const;
  THttpAnswer ReadAnswer() const;

  static size_t OnBody(char* data, size_t size, size_t count, void* user);
  static size_t OnHeader(char* data, size_t size, size_t count, void* user);
  static int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t);
  bool Report(curl_off_t total, curl_off_t now);

  const TCurlLibrary& FCurl;
  std::string FLink;
  std::optional<TValidators> FValidators;
  TChunkSink FSink;
  TProgressCallback FProgress;
  TContentTypeCallback FContentType;
  uint64_t FLimit = 0;
  CURL* FHandle = nullptr;
  curl_slist* FHeaders = nullptr;
  char FDetail[CURL_ERROR_SIZE] = {};
  std::vector<TResponse> FResponses;  // every response of the chain, in order
  uint64_t FReceived = 0;
  bool FStarted = false;   // the first chunk of the body has come
  long FFailedStatus = 0;  // the status of an answer that is no document
  bool FTooLarge = false;
  curl_off_t FReported = -1;
  std::exception_ptr FError{};  // raised by a callback; raised again by Finish
};

// The cause a document over `limit` bytes fails with.
std::string TooLargeCause(uint64_t limit);

// libcurl for a fetch of `link`: the options' own table, else the library loaded at run time.
// Raises EFetchError when libcurl cannot be loaded.
const TCurlLibrary& CurlFor(const std::string& link, const TFetchOptions& options);

}  // namespace vantle
