#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "CurlLibrary.h"
#include "Exception.h"

namespace vantle {

// Raised when libcurl's multi interface itself fails; the message gives its own words.
class ETransferError : public Exception {
 public:
  using Exception::Exception;
};

// One request for the engine. What is asked, and what the answer means, stays with the
// caller: the engine only decides when the request runs.
struct TTransferJob {
  // Scheme, host and port ("https://example.org:443"): the engine runs at most
  // TTransferLimits::PerHost jobs of one origin at once.
  std::string Origin;
  // Called when the job's turn comes: sets up the request and gives its easy handle, which
  // stays the job's own (the engine never frees it). Null withdraws the job without a request
  // (what it needed is known by then); raising fails it, with the message, before any request.
  std::function<CURL*()> SetUp;
  // The transfer ended with `code`; the handle, off the multi handle by now, holds the answer.
  std::function<void(CURL* handle, CURLcode code)> Finished;
  // The job could not start: its set-up raised or the multi interface refused it.
  std::function<void(const std::string& reason)> Refused;
};

struct TTransferLimits {
  std::size_t Total = 32;   // transfers at once
  std::size_t PerHost = 2;  // transfers at once to one origin
};

// Runs many requests on one libcurl multi handle: connections stay open and are shared by
// the requests to one host, and HTTP/2 is multiplexed where an https server offers it. The
// callbacks run on the thread that runs the engine, so they must be quick.
class TTransferEngine {
 public:
  explicit TTransferEngine(const TCurlLibrary& curl, TTransferLimits limits = {});

  // Queues `job`. The next job to start is the oldest of the host with the most jobs waiting
  // that has room, so that no host is left to run alone at the end.
  void Add(TTransferJob job);

  // Runs the queued jobs until each has ended or `stop` turns true, which is looked at least
  // every 100 ms; jobs still running then are taken off the multi handle and dropped without a
  // call. Raises ETransferError
  // when the multi interface fails, and passes on what a callback raises.
  void Run(const std::atomic<bool>& stop);

 private:
  class TRunning;

  // Starts waiting jobs while the limits allow.
  void StartWhatFits(TRunning& running);
  void Start(TRunning& running, TTransferJob job);

  const TCurlLibrary& FCurl;
  TTransferLimits FLimits;
  std::map<std::string, std::deque<TTransferJob>> FWaiting;  // by origin
};

}  // namespace vantle
