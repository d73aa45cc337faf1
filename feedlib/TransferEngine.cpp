#include "TransferEngine.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vantle {

namespace {

// How long one wait for the sockets lasts, which bounds how late a stop is seen.
constexpr int kPollMs = 100;
// Idle connections kept for reuse, at most.
constexpr long kMaxKeptConnections = 256;

[[noreturn]] void FailMulti(const TCurlLibrary& curl, CURLMcode code) {
  throw ETransferError(std::string("the transfers failed: ") + curl.MultiStrerror(code));
}

void CheckMulti(const TCurlLibrary& curl, CURLMcode code) {
  if (code != CURLM_OK) FailMulti(curl, code);
}

}  // namespace

// The multi handle and the transfers on it; every handle is released when the run ends,
// however it ends.
class TTransferEngine::TRunning {
 public:
  explicit TRunning(const TCurlLibrary& curl) : Curl(curl), Multi(curl.MultiInit()) {
    if (!Multi) throw ETransferError("the transfers failed: the multi handle could not be made");
  }
  TRunning(const TRunning&) = delete;
  TRunning& operator=(const TRunning&) = delete;
  ~TRunning() {
    for (const auto& [handle, job] : Jobs) Release(handle);
    Curl.MultiCleanup(Multi);
  }

  void Release(CURL* handle) { Curl.MultiRemoveHandle(Multi, handle); }

  // Takes the transfer of `handle`, which must be running, off the multi handle.
  TTransferJob End(CURL* handle) {
    const auto found = Jobs.find(handle);
    TTransferJob job = std::move(found->second);
    Jobs.erase(found);
    --PerHost[job.Origin];
    Release(handle);
    return job;
  }

  const TCurlLibrary& Curl;
  CURLM* Multi;
  std::map<CURL*, TTransferJob> Jobs;
  std::map<std::string, std::size_t> PerHost;
};

TTransferEngine::TTransferEngine(const TCurlLibrary& curl, TTransferLimits limits)
    : FCurl(curl), FLimits(limits) {
  FLimits.Total = std::max<std::size_t>(FLimits.Total, 1);
  FLimits.PerHost = std::max<std::size_t>(FLimits.PerHost, 1);
}

void TTransferEngine::Add(TTransferJob job) {
  std::string origin = job.Origin;
  FWaiting[std::move(origin)].push_back(std::move(job));
}

void TTransferEngine::Start(TRunning& running, TTransferJob job) {
  CURL* handle = nullptr;
  try {
    handle = job.SetUp();
  } catch (const std::exception& error) {
    return job.Refused(error.what());
  }
  if (!handle) return;
  // Over TLS a host may offer HTTP/2: a request waits to share its connection rather than
  // open another. Plain HTTP/1.1 connections carry one request at a time, so none waits there.
  if (job.Origin.starts_with("https:")) {
    if (const CURLcode code = FCurl.EasySetopt(handle, CURLOPT_PIPEWAIT, 1L); code != CURLE_OK)
      return job.Refused(FCurl.EasyStrerror(code));
  }
  if (const CURLMcode code = FCurl.MultiAddHandle(running.Multi, handle); code != CURLM_OK)
    return job.Refused(std::string("the transfers failed: ") + FCurl.MultiStrerror(code));
  ++running.PerHost[job.Origin];
  running.Jobs.emplace(handle, std::move(job));
}

void TTransferEngine::StartWhatFits(TRunning& running) {
  while (running.Jobs.size() < FLimits.Total) {
    auto next = FWaiting.end();
    for (auto host = FWaiting.begin(); host != FWaiting.end(); ++host) {
      if (running.PerHost[host->first] >= FLimits.PerHost) continue;
      if (next == FWaiting.end() || host->second.size() > next->second.size()) next = host;
    }
    if (next == FWaiting.end()) return;
    TTransferJob job = std::move(next->second.front());
    next->second.pop_front();
    if (next->second.empty()) FWaiting.erase(next);
    Start(running, std::move(job));
  }
}

void TTransferEngine::Run(const std::atomic<bool>& stop) {
  TRunning running(FCurl);
  // Room for an idle connection to each host the limits let open.
  const long kept = static_cast<long>(std::min<std::size_t>(
      std::max(FLimits.Total, FWaiting.size() * FLimits.PerHost), kMaxKeptConnections));
  CheckMulti(FCurl, FCurl.MultiSetopt(running.Multi, CURLMOPT_MAXCONNECTS, kept));
  CheckMulti(FCurl, FCurl.MultiSetopt(running.Multi, CURLMOPT_MAX_HOST_CONNECTIONS,
                                      static_cast<long>(FLimits.PerHost)));
  CheckMulti(FCurl, FCurl.MultiSetopt(running.Multi, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX));

  StartWhatFits(running);
  while (!running.Jobs.empty() && !stop) {
    int active = 0;
    CheckMulti(FCurl, FCurl.MultiPerform(running.Multi, &active));
    bool ended = false;
    int left = 0;
    while (CURLMsg* message = FCurl.MultiInfoRead(running.Multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* handle = message->easy_handle;
      const CURLcode code = message->data.result;
      running.End(handle).Finished(handle, code);
      ended = true;
    }
    if (ended) {
      StartWhatFits(running);
      continue;
    }
    CheckMulti(FCurl, FCurl.MultiPoll(running.Multi, nullptr, 0, kPollMs, nullptr));
  }
  if (stop) FWaiting.clear();
}

}  // namespace vantle
