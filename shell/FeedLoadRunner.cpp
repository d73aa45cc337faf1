#include "FeedLoadRunner.h"

#include <QEventLoop>
#include <QPointer>

#include <atomic>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include "Exception.h"
#include "InputBlocker.h"
#include "LoadCancelling.h"
#include "SimpleRSS.h"

namespace vantle {

namespace {

struct TDeferred {
  QPointer<QObject> Context;
  std::function<void()> Action;
};

// The one load that may run, shared with the fetcher's abort question.
struct TLoadState {
  bool Running = false;
  std::atomic<bool> Abort{false};
  bool Cancelled = false;
  std::vector<TDeferred> Deferred;
};

TLoadState& State() {
  static TLoadState state;
  return state;
}

void Post(const TDeferred& deferred) {
  if (deferred.Context != nullptr) {
    QMetaObject::invokeMethod(deferred.Context, deferred.Action, Qt::QueuedConnection);
  }
}

// Marks the load running for its lifetime and hands the actions asked meanwhile to the
// event loop when it ends; the reader's fetches are abortable meanwhile.
class TRunningLoad {
 public:
  explicit TRunningLoad(TSimpleRSS& reader)
      : FReader(reader), FAborted(reader.XMLFileOptions.FetchOptions.Aborted) {
    if (State().Running) {
      throw Exception("A feed is loading already");
    }
    State().Running = true;
    State().Abort = false;
    State().Cancelled = false;
    FReader.XMLFileOptions.FetchOptions.Aborted = [] { return State().Abort.load(); };
  }
  TRunningLoad(const TRunningLoad&) = delete;
  TRunningLoad& operator=(const TRunningLoad&) = delete;
  ~TRunningLoad() {
    FReader.XMLFileOptions.FetchOptions.Aborted = std::move(FAborted);
    State().Running = false;
    for (const TDeferred& deferred : std::exchange(State().Deferred, {})) {
      Post(deferred);
    }
  }

 private:
  TSimpleRSS& FReader;
  std::function<bool()> FAborted;
};

}  // namespace

void LoadFeedAside(TSimpleRSS& reader, const std::string& link) {
  RunAside(reader, [&] { reader.LoadFromLink(link); });
}

TLoadOutcome LoadFeedAside(TSimpleRSS& reader, const std::string& link, const TFeedSource& source,
                           TRequestKind kind) {
  TLoadOutcome outcome;
  RunAside(reader, [&] { outcome = source.Load(reader, link, kind); });
  return outcome;
}

void RunAside(TSimpleRSS& reader, const std::function<void()>& work) {
  // The window and the feed dialog show what they can of a feed rather than fail on it.
  reader.Tolerant = true;
  const TRunningLoad running(reader);
  const TInputBlocker blocker;
  const TEscapeCancelsLoad escape;
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  // The loop also ends when the application quits; the load then has no one to wait for.
  if (!done) {
    AbortFeedLoad();
  }
  worker.join();
  if (error && State().Cancelled) {
    throw ELoadCancelled("The load was cancelled");
  }
  if (error) {
    std::rethrow_exception(error);
  }
}

bool FeedLoadRunning() {
  return State().Running;
}

void AbortFeedLoad() {
  if (State().Running) {
    State().Abort = true;
  }
}

void CancelFeedLoad() {
  if (State().Running) {
    State().Cancelled = true;
    State().Abort = true;
  }
}

void WhenNoFeedLoads(QObject* context, std::function<void()> action) {
  TDeferred deferred{context, std::move(action)};
  if (State().Running) {
    State().Deferred.push_back(std::move(deferred));
  } else {
    Post(deferred);
  }
}

}  // namespace vantle
