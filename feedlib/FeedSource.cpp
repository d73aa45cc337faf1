#include "FeedSource.h"

#include <chrono>
#include <exception>

#include "Exception.h"
#include "FeedFetcher.h"
#include "SimpleRSS.h"

namespace vantle {

std::string FailureCause(const std::string& failure, const std::string& link) {
  const std::string prefix = link + ": ";
  return failure.starts_with(prefix) ? failure.substr(prefix.size()) : failure;
}

TUnixTime SystemClock() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TFeedSource::TFeedSource(IFeedState* state, TClock clock)
    : FState(state), FClock(std::move(clock)) {}

TLoadOutcome TFeedSource::Load(TSimpleRSS& reader, const std::string& link,
                               TRequestKind kind) const {
  if (!FState || !TFeedFetcher::IsWebAddress(link)) {
    reader.LoadFromLink(link);
    return {};
  }
  const std::optional<TFeedRecord> record = FState->Find(link);
  const TRequestPlan plan = PlanRequest(record, FState->Deferral(OriginOf(link)), kind, FClock());
  TLoadOutcome outcome;
  outcome.Result = plan.Result;
  switch (plan.Action) {
    case TRequestAction::Ask:
      return Ask(reader, record.value_or(NewRecord(link)), plan);
    case TRequestAction::ReadStored:
      reader.LoadFromDocument(link, record->Document, record->ContentType);
      return outcome;
    case TRequestAction::Skip:
      break;
  }
  // A background request loads nothing and reports; a click on a gone feed fails as its
  // last answer did.
  if (plan.Result == TFetchResult::Gone) outcome.Reason = record->Reason;
  if (plan.Result == TFetchResult::Gone && kind != TRequestKind::Background)
    throw EFetchError(link + ": " + record->Reason + "; gone, not asked again until refreshed");
  return outcome;
}

TLoadOutcome TFeedSource::Ask(TSimpleRSS& reader, TFeedRecord record,
                              const TRequestPlan& plan) const {
  const std::string link = record.Link;
  std::string body;
  const THttpAnswer answer =
      TFeedFetcher(reader.XMLFileOptions.FetchOptions)
          .FetchAnswer(
              link, plan.Validators,
              [&body](const char* data, size_t size) { body.append(data, size); },
              reader.OnProgress);
  std::exception_ptr error;
  TLoadOutcome outcome = Settle(reader, std::move(record), answer, body, error);
  if (error) std::rethrow_exception(error);
  return outcome;
}

TLoadOutcome TFeedSource::Settle(TSimpleRSS& reader, TFeedRecord record, const THttpAnswer& answer,
                                 const std::string& body, std::exception_ptr& error) const {
  const std::string link = record.Link;
  const TUnixTime now = FClock();
  TLoadOutcome outcome;
  outcome.Status = answer.Status;
  outcome.Bytes = answer.BytesMoved;
  std::string reason = FailureCause(answer.Failure, link);
  if (reason.empty()) {
    try {
      if (answer.Status == 304) {
        reader.LoadFromDocument(link, record.Document, record.ContentType);
      } else {
        reader.LoadFromDocument(link, body, answer.ContentType);
      }
    } catch (const std::exception& loadError) {
      reason = loadError.what();
      error = std::current_exception();
    }
  } else {
    error = std::make_exception_ptr(EFetchError(answer.Failure));
  }
  if (!reason.empty()) {
    const TAnswerEffect effect = ApplyFailure(std::move(record), answer, reason, now);
    Keep(effect);
    outcome.Result = effect.Result;
    outcome.Reason = reason;
    return outcome;
  }
  const TAnswerEffect effect = ApplyLoaded(std::move(record), answer, body, now);
  Keep(effect);
  outcome.Result = effect.Result;
  outcome.MovedTo = answer.MovedTo;
  return outcome;
}

void TFeedSource::Keep(const TAnswerEffect& effect) const {
  // A state that cannot be written never stops a feed from being read, nor changes the
  // reason a load fails with; the next load asks as if this answer had not come.
  try {
    FState->Save(effect.Record);
    if (effect.Deferral) FState->Defer(*effect.Deferral);
  } catch (const Exception&) {
  }
}

}  // namespace vantle
