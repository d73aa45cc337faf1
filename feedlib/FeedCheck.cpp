#include "FeedCheck.h"

#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "FetchRules.h"
#include "SimpleRSS.h"
#include "WebRequest.h"
#include "WorkQueue.h"

namespace vantle {

namespace {

// A request on its way: what is kept of its feed, and the body as it arrives.
struct TAsked {
  TFeedRecord Record;
  std::string Body;
  std::unique_ptr<TWebRequest> Request;
};

TLoadOutcome Skipped(const TRequestPlan& plan, const std::optional<TFeedRecord>& record,
                     const std::optional<THostDeferral>& deferral, TUnixTime now) {
  TLoadOutcome outcome;
  outcome.Result = plan.Result;
  if (plan.Result == TFetchResult::Gone) {
    outcome.Reason = record->Reason;
  } else if (plan.Result == TFetchResult::Deferred) {
    outcome.Reason = deferral && deferral->Until > now ? deferral->Reason : record->NotBeforeReason;
  }
  return outcome;
}

}  // namespace

// One run: the engine on this thread, the reading and keeping of answers on the worker.
class TFeedCheck::TRun {
 public:
  TRun(const TFeedCheck& check, const TCheckReport& report)
      : FCheck(check),
        FSource(&check.FState, check.FClock),
        FReport(report),
        FEngine(check.FCurl, check.FLimits) {}

  void Add(const std::string& link) {
    if (!TFeedFetcher::IsWebAddress(link)) return FWorker.Post([this, link] { LoadOther(link); });
    auto asked = std::make_shared<TAsked>();
    FEngine.Add({.Origin = OriginOf(link),
                 .SetUp = [this, link, asked] { return SetUp(link, *asked); },
                 .Finished = [this, asked](CURL*, CURLcode code) { Finished(asked, code); },
                 .Refused = [this, link](const std::string& reason) { Refused(link, reason); }});
  }

  void Run(const std::atomic<bool>& stop) {
    FEngine.Run(stop);
    if (stop) {
      FWorker.Drop();
    } else {
      FWorker.Finish();
    }
  }

 private:
  // The request for `link` when the rules let it be asked now; else its report is posted.
  CURL* SetUp(const std::string& link, TAsked& asked) {
    IFeedState& state = FCheck.FState;
    const TUnixTime now = FCheck.FClock();
    const std::optional<TFeedRecord> record = state.Find(link);
    const std::optional<THostDeferral> deferral = state.Deferral(OriginOf(link));
    const TRequestPlan plan = PlanRequest(record, deferral, TRequestKind::Background, now);
    if (plan.Action != TRequestAction::Ask) {
      const TLoadOutcome outcome = Skipped(plan, record, deferral, now);
      FWorker.Post([this, link, outcome] { FReport(link, outcome, nullptr); });
      return nullptr;
    }
    asked.Record = record.value_or(NewRecord(link));
    std::string& body = asked.Body;
    asked.Request = std::make_unique<TWebRequest>(
        FCheck.FCurl, link, FCheck.FOptions, plan.Validators,
        [&body](const char* data, size_t size) { body.append(data, size); });
    return asked.Request->Handle();
  }

  void Finished(const std::shared_ptr<TAsked>& asked, CURLcode code) {
    auto answer = std::make_shared<THttpAnswer>(asked->Request->Finish(code));
    asked->Request.reset();
    FWorker.Post([this, asked, answer] {
      TSimpleRSS reader;
      reader.Tolerant = true;
      std::exception_ptr error;
      const std::string link = asked->Record.Link;
      const TLoadOutcome outcome =
          FSource.Settle(reader, std::move(asked->Record), *answer, asked->Body, error);
      FReport(link, outcome, error ? nullptr : &reader.Items());
    });
  }

  void Refused(const std::string& link, const std::string& reason) {
    TLoadOutcome outcome;
    outcome.Result = TFetchResult::Failed;
    outcome.Reason = FailureCause(reason, link);
    FWorker.Post([this, link, outcome] { FReport(link, outcome, nullptr); });
  }

  // A link that is no web address is read as the window reads it, without state.
  void LoadOther(const std::string& link) {
    TSimpleRSS reader;
    reader.Tolerant = true;
    TLoadOutcome outcome;
    bool read = false;
    try {
      outcome = FSource.Load(reader, link, TRequestKind::Background);
      read = true;
    } catch (const std::exception& error) {
      outcome.Result = TFetchResult::Failed;
      outcome.Reason = FailureCause(error.what(), link);
    }
    FReport(link, outcome, read ? &reader.Items() : nullptr);
  }

  const TFeedCheck& FCheck;
  const TFeedSource FSource;
  const TCheckReport& FReport;
  // After the source and the report, which its tasks use, so that it ends before them.
  TWorkQueue FWorker;
  TTransferEngine FEngine;
};

TFeedCheck::TFeedCheck(IFeedState& state, const TCurlLibrary& curl, TTransferLimits limits,
                       TClock clock, TFetchOptions options)
    : FState(state),
      FCurl(curl),
      FLimits(limits),
      FClock(std::move(clock)),
      FOptions(std::move(options)) {}

void TFeedCheck::Run(const std::vector<std::string>& links, const std::atomic<bool>& stop,
                     const TCheckReport& report) {
  TRun run(*this, report);
  for (const std::string& link : links) run.Add(link);
  run.Run(stop);
}

}  // namespace vantle
