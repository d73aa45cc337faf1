#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Exception.h"
#include "FetchRules.h"

namespace vantle {

struct TCurlLibrary;

// Raised when a link cannot be fetched; the message names the link and the cause.
class EFetchError : public Exception {
 public:
  using Exception::Exception;
};

// Called while a document arrives: bytes so far and the total (0 when unknown).
using TProgressCallback = std::function<void(uint64_t received, uint64_t total)>;

// Receives the document's bytes in order, chunk by chunk.
using TChunkSink = std::function<void(const char* data, size_t size)>;

// Called once, before the first chunk of a web document, with its Content-Type header
// (empty when the server sent none).
using TContentTypeCallback = std::function<void(const std::string& contentType)>;

// Limits that protect the reader from slow or hostile servers.
struct TFetchOptions {
  long ConnectTimeoutSeconds = 15;
  long TimeoutSeconds = 600;      // the whole transfer, however steadily it arrives
  long StallTimeoutSeconds = 30;  // no byte for this long fails with "timed out"
  long MaxRedirects = 10;
  uint64_t MaxDocumentSize = 64ull * 1024 * 1024;
  // Asked at least every 50 ms while a document arrives, from the fetching thread; true
  // ends the fetch with EFetchError "<link>: aborted". Unset, the fetch runs to its end.
  std::function<bool()> Aborted{};
  // The libcurl entry points to use; null: the library loaded at run time. Tests give a
  // table that refuses options.
  const TCurlLibrary* Curl = nullptr;
};

// Fetches a link: http:// and https:// through libcurl (loaded at the first web fetch; a
// libcurl that cannot be loaded fails the fetch), file:// URLs and plain paths from disk; any
// other scheme fails. Synchronous; raises EFetchError on failure, which a
// final HTTP status outside 200-299 is. Certificates are verified, against the CA bundle
// named by SSL_CERT_FILE or SSL_CERT_DIR when set.
class TFeedFetcher {
 public:
  explicit TFeedFetcher(TFetchOptions options = {}) : FOptions(options) {}
  // Streams the document behind `link` into `sink`, reporting progress and the content
  // type of a web document when set.
  void Fetch(const std::string& link, const TChunkSink& sink,
             const TProgressCallback& progress = {},
             const TContentTypeCallback& contentType = {}) const;

  // Fetches the web address `link` as Fetch does, sending `validators` when given, and
  // returns the answer rather than raising when it is no document (its Failure then holds
  // the message Fetch would raise). Raises only what cannot be the answer's: "aborted", a
  // client that cannot be set up, or what a callback raised.
  THttpAnswer FetchAnswer(const std::string& link, const std::optional<TValidators>& validators,
                          const TChunkSink& sink, const TProgressCallback& progress = {},
                          const TContentTypeCallback& contentType = {}) const;

  // True when `link` is an http:// or https:// address (scheme compared without case).
  static bool IsWebAddress(std::string_view link);

 private:
  void FetchWeb(const std::string& link, const TChunkSink& sink, const TProgressCallback& progress,
                const TContentTypeCallback& contentType) const;
  void FetchFile(const std::string& link, const std::string& path, const TChunkSink& sink,
                 const TProgressCallback& progress) const;

  TFetchOptions FOptions;
};

}  // namespace vantle
